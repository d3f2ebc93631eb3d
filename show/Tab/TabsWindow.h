// The property tabs: the tall panel left of the preview in which every
// show-wide setting is edited on four pages ("Style", "Grids", "Sets",
// "Text") of drawn controls in 18-pixel rows. Created and owned by the main
// window, which redraws the current page when the frame changes.
#pragma once

#include <cstdint>

#include "ChildWindow.h"
#include "PlatformWindows.h"
#include "ShowRecord.h"

// What the tabs ask of the window that owns them (the main window).
class TabsOwner {
public:
    virtual ~TabsOwner() = default;
    // Sends CancelDrag to the other editor windows.
    virtual void CancelOtherDrags(PlatformWindow* from) = 0;
    // Draws the chart again (a slider being dragged changed it).
    virtual void RepaintPreview() = 0;
};

enum TabPage : int32_t { kPageStyle = 0, kPageGrids = 1, kPageSets = 2, kPageText = 3, kPageCount = 4 };

// Row geometry of a page: row n spans kFirstRowTop + kRowHeight * n and the
// 17 pixels below it.
constexpr int32_t kFirstRowTop = 36;
constexpr int32_t kRowHeight = 18;
// A release above this y is on the tab strip.
constexpr int32_t kTabStripBottom = 20;
constexpr int kTabFieldId = 123456;
constexpr int kNoRow = -1;

// The page row under a client y, or kNoRow above the first row.
int TabRowAt(int32_t y);
// Rows of each page; the slider field of a page row (null when the row is
// no slider) and its display scale.
int TabPageRows(int page);
int32_t* TabSliderField(Show& show, int page, int row, int* scale = nullptr);
// Whether a page row holds a number or text field.
bool IsTabFieldRow(int page, int row);
// Whether a click on the row marks the show modified.
bool TabClickModifies(int page, int row);
// The value of a slider for a pointer x, with X the controls' anchor.
int32_t SliderValueAt(int32_t pointerX, int32_t anchorX);

class TabsWindow : public ChildWindow {
public:
    TabsWindow() = default;
    ~TabsWindow() override;

    // Creates the panel beside the preview.
    bool Create(PlatformWindow& parentWindow, TabsOwner* editorOwner, PlatformWindow* previewWindow);
    void Destroy();

    void Paint() override;
    // Shows the current frame's page again.
    void Redraw() { RedrawPage(); }

    // Draws the current page's controls; the page's number of rows.
    int RedrawPage();
    // Stores an open field's text into its field and closes it.
    void CommitField();
    // Closes an open field without storing what was typed.
    void AbandonField();
    // Enter, Tab or Esc typed in the open field: commit, commit and open the
    // page's next field, or abandon the typing. Takes those keys and their
    // characters while a field is open, so they never reach the main
    // window's keys (Enter would set a key); false for other keys.
    bool FieldKey(uint32_t message, uintptr_t code);
    // Opens the text field on a field row of the current page.
    void OpenField(int row);
    void Layout();

    TabsOwner* owner = nullptr;
    PlatformWindow* preview = nullptr;
    int32_t currentPage = kPageStyle;
    int32_t editedRow = kNoRow;
    int32_t draggedSlider = kNoRow;  // the slider row being dragged, kNoRow when none
    int32_t tabWidth = 0;
    uint8_t liveUpdate = 1;
    PlatformEdit field;

protected:
    // ChildWindow: placed beside the preview on a move or a size.
    void Place(bool sized) override { Layout(); }
    bool KeepKey(uint32_t message, uintptr_t wParam) override { return FieldKey(message, wParam); }
    intptr_t OwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

private:
    uint32_t takenCharacter_ = 0;  // the character of a key the field took
    int32_t AnchorX() const;
    void DrawTabs();
    void LeftDown(int32_t x, int32_t y);
    void MouseMove(int32_t x, int32_t y);
    void LeftUp(int32_t x, int32_t y);
    void ClickRow(int row, int32_t y);
    void RepaintPreview();
};
