// The preview window: the show at the current frame, with the TV-safe
// overlay, move and spin drags, and the data grid in which the title, set
// names, labels and values are typed in place. Created and owned by the
// main window, which answers for it to the document through the show's views.
#pragma once

#include <cstdint>
#include <functional>

#include "ChildWindow.h"
#include "OpenGL.h"
#include "PlatformWindows.h"
#include "ShowRecord.h"

enum class PreviewMode : int32_t { MoveChart = 0, SpinChart = 1, EditData = 2 };

constexpr int32_t kNoAnchor = -9999;
constexpr int kGridColumns = 5;
constexpr int kGridRows = 33;
constexpr int kGridFieldId = 123456;

// What the preview asks of the window that owns it.
class PreviewOwner {
public:
    virtual ~PreviewOwner() = default;
    // Redraws the position, size and rotation read-outs.
    virtual void DrawToolStrip(const KeyFrame& placement) = 0;
    // Sends CancelDrag to the other editor windows.
    virtual void CancelOtherDrags(PlatformWindow* from) = 0;
};

// The data grid's state.
struct DataGrid {
    int32_t firstRow = 0;
    int32_t endRow = kGridRows;
    int32_t selectedColumn = -1;
    int32_t selectedRow = -1;
    PlatformEdit field;
    uint32_t takenCharacter = 0;  // the character of a key the editor took
    char cells[kGridColumns][kGridRows][kTextSlot] = {};
};

class PreviewWindow : public ChildWindow {
public:
    PreviewWindow() = default;
    ~PreviewWindow() override;

    // Creates the window over the parent (the main window) and binds the
    // renderer; false when the window cannot be made.
    bool Create(PlatformWindow& parent, PreviewOwner* owner);
    void Destroy();

    void Paint() override;

    void Repaint() { Paint(); }
    // The data grid: whether it is shown, the selected cell (0, 0 when
    // none), and switching it on (reloads the grid from the show) or off
    // (writes the grid into the show).
    bool EditingData() const { return mode == PreviewMode::EditData; }
    void SelectedCell(int& column, int& row) const;
    void SetEditingData(bool on);
    // Runs `replace` (New, Load, an import) with an open grid closed around
    // it, so the grid writes itself into the show before and reloads after.
    void ShowReplaced(const std::function<void()>& replace);

    // The only way the mode changes: commits or loads the grid.
    void SetMode(PreviewMode newMode);
    // Places the window at the show's aspect at the lower right of the
    // parent; with `sized` also resets the renderer's viewport.
    void Layout(bool sized);

    // Renders the current frame into a 320 x 240 off-screen picture and
    // shows it at the window's top left (a check of off-screen rendering).
    void OffscreenCheck();

    // Make Movie's progress panel over the bottom of the window: the
    // fraction done (0..1), the message and the "Time to go" text (may be
    // empty).
    void DrawProgress(double fraction, const char* message, const char* timeToGo);
    Rect ProgressPanelRect() const;

    // The data grid.
    void DrawGrid();
    void GridClick(int32_t x, int32_t y);
    // Enter, Tab or Esc typed in the cell editor: commit, commit and open
    // the next cell, or abandon the typing.
    void GridFieldKey(uint32_t key);
    // Takes Enter, Tab and Esc (and their characters) while a cell is being
    // edited, so they never reach the main window's keys; false for others.
    bool CellEditorKey(uint32_t message, uintptr_t code);
    void CommitEdit();
    void LoadGrid(const Show& show);
    void StoreGrid(Show& show) const;

    PreviewOwner* owner = nullptr;
    PreviewMode mode = PreviewMode::SpinChart;
    uint8_t showTVSafe = 0;
    uint8_t drawFast = 1;
    DataGrid grid;
    int32_t anchorX = kNoAnchor;
    int32_t anchorY = kNoAnchor;
    bool glAvailable = false;

    // Binds the show's renderer to this window (creating it when needed);
    // without GL says "OpenGL is not installed!" and quits.
    void BindRenderer();

protected:
    // ChildWindow: a move keeps the renderer's viewport, a size resets it;
    // the cell editor keeps its keys.
    void Place(bool sized) override { Layout(sized); }
    bool KeepKey(uint32_t message, uintptr_t wParam) override { return CellEditorKey(message, wParam); }
    intptr_t OwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

private:
    // The chart through the show's renderer (PreviewRender.cpp).
    GLTarget Target();
    void UnbindRenderer();
    void ResizeRenderer();
    void RenderChart();
    void DrawTVSafe();
    void MouseMove(int32_t x, int32_t y);
    void LeftDown(int32_t x, int32_t y);
    void LeftUp(int32_t x, int32_t y);
    // The cell editor over cell (column, row), in client coordinates.
    Rect CellEditorRect(int column, int row) const;
    void OpenCellEditor(int column, int row);
    // Moves the open editor onto its cell; hides it while the cell is out of sight.
    void PlaceCellEditor();
    // Scrolls the grid so that `row` is in sight.
    void ScrollGridTo(int row);
};

// The preview's rectangle (screen coordinates) for a parent window rectangle,
// the show's aspect and the frame metrics; never of negative size.
Rect PreviewRectangle(const Rect& parent, float aspect, int menuBarHeight, int captionHeight, int scrollBarWidth);
// A value as the grid shows it: empty for 0, otherwise decimal text.
void GridValueText(float value, char* out);
