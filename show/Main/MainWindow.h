// The program's top-level window: the menu bar, the command and keyboard
// tables, the tool strip with the transport and frame counter, and
// real-time playback. It owns the editor windows: the preview, the
// timeline and the property tabs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "EditorOwner.h"
#include "PlatformWindows.h"
#include "PreviewWindow.h"
#include "ShowRecord.h"
#include "TabsWindow.h"
#include "TimelineWindow.h"

enum MenuCommand : int {
    kCmdShowTVSafe = 1001,
    kCmdDrawFast = 1002,
    kCmdLoadBackground = 1010,
    kCmdLoadData = 1011,
    kCmdClipboardData = 1012,
    kCmdMakeMovie = 1013,
    kCmdLoadStream = 1014,
    kCmdNtsc = 1015,
    kCmdPal = 1016,
    kCmdFilm = 1017,
    kCmdHelp = 1020,
    kCmdAbout = 1024,
    kCmdFieldSwap = 1030,
    kCmdAspect43 = 1031,
    kCmdAspect169 = 1032,
    kCmdWatchData = 1040,
    kCmdExit = 2001,
    kCmdSaveShow = 2003,
    kCmdLoadShow = 2004,
    kCmdNewShow = 2005,
    kCmdCopy = 9000,
    kCmdCut = 9001,
    kCmdPaste = 9002,
    kCmdDelete = 9003,
    kCmdUndo = 9004,
    kCmdRedo = 9005,
};

// A picture button with four looks: normal, pressed, disabled and lit.
struct ToolButton {
    enum State : int32_t { kNormal = 0, kPressed = 1, kLit = 2, kDisabled = 3 };
    int32_t normalPicture = 0;
    int32_t pressedPicture = 0;
    int32_t disabledPicture = 0;
    int32_t litPicture = 0;
    Rect rect;
    int32_t state = kNormal;

    // Stores the state and draws its picture on the current port.
    void SetState(int32_t newState);
    // Stores a new rectangle and draws the current state there.
    void Place(const Rect& where);
    // Whether (x, y) hits an enabled button (edges inside); on a hit sets
    // `newState` unless it is -1.
    bool HitTest(int32_t x, int32_t y, int32_t newState);
};

// The timer that looks for a watched data file's updates and moves the
// preview through their morphs.
constexpr int kWatchDataTimer = 1;

struct DataWatch;
struct LiveDataUpdate;

enum ToolButtonIndex : int { kButtonReverse = 0, kButtonStop = 1, kButtonForward = 2, kButtonAddKey = 3 };

struct PlaybackState {
    int32_t direction = 0;
    int64_t startCounter = 0;
    int64_t ticksPerFrame = 1;
    int32_t startFrame = 0;
    int32_t endFrame = 0;
    // Measured: steps rendered and distinct frames shown in the last run.
    int64_t stepsDrawn = 0;
    int64_t framesShown = 0;
};

class MainWindow : public PlatformWindow, public MainWindowLink, public FrameViews, public EditorOwner {
public:
    MainWindow();
    ~MainWindow() override;

    // Builds the window, its menus and its children and sets gMainWindow.
    bool Create();
    // Saves the settings, destroys the children and the window.
    void Destroy();

    intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    void Paint() override;

    // MainWindowLink
    void Redraw() override { Paint(); }
    // FrameViews: the preview, the timeline cursor, the tab page and the
    // frame counter show the show's current frame; the preview's data grid
    // answers for the grid.
    void FrameChanged() override;
    bool GridCell(int& column, int& row) const override;
    void ShowReplaced(const std::function<void()>& replace) override;
    void ShowTitle(const char* fileName) override;
    // Sets the title again when the show's name or its unsaved mark changed.
    void RefreshTitle();
    // The status read-out at the foot of the window ("Saved budget.tvr").
    const std::string& StatusText() const { return status_; }

    // PreviewOwner
    void DrawToolStrip(const KeyFrame& placement) override;
    void CancelOtherDrags(PlatformWindow* from) override;

    // EditorOwner
    void UpdateEditMenu() override;
    void RepaintPreview() override {
        if (preview_) {
            preview_->Repaint();
        }
    }
    // Stores what is being typed in the tabs' field and the data grid, as
    // saving, loading and making a movie do first.
    void CommitEditors() { CommitGrid(); }
    // Loads a show file given by path (the file a file manager opens with
    // the program); problems are reported as for Load Show.
    bool OpenShowFile(const char* path);
    void DrawFrameCounter(int32_t frame) override;
    // Starts (and runs until it ends) or stops playback.
    void SetDirection(int32_t direction);
    // Options, Watch Data File after its chooser: reads the table, morphs
    // the preview to it and to each good table the file is rewritten with;
    // a refused one is reported and changes nothing. False (with the
    // message shown) when the file cannot be watched.
    bool WatchDataFile(const char* path);
    void StopWatchingData();
    bool WatchingData() const { return dataWatch_ != nullptr; }
    DataWatch* Watch() { return dataWatch_.get(); }

    PreviewWindow* Preview() { return preview_.get(); }
    TimelineWindow* Timeline() { return timeline_.get(); }
    TabsWindow* Tabs() { return tabs_.get(); }
    PlatformMenu menu;
    ToolButton buttons[4];
    Rect previewEdges;  // preview left, top, right, bottom in client coordinates
    Rect counterBox;
    PlaybackState playback;

private:
    void BuildMenus();
    void CreateEditors();
    // Move and size go on to the preview, the timeline and the tabs.
    void PostToEditors(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Writes what was typed into the data grid into the show, staying in
    // the grid, so that saving or replacing the show sees it.
    void CommitGrid();
    intptr_t Command(int command);
    intptr_t Key(uint32_t message, uintptr_t code);
    void LeftDown(int32_t x, int32_t y);
    void LeftUp(int32_t x, int32_t y);
    void Close();
    void Play(int32_t direction);
    void NextKey();
    void SetFrameRate(int command);
    void SetAspect(int command);
    void ToggleOption(int command);
    bool ChooseSave(FileSpec& file);
    bool ChooseOpen(FileSpec& file, const char* filter, const char* title, const char* extension);
    void LoadBackgroundCommand();
    void LoadDataCommand(bool stream);
    void LoadShowCommand();
    void EditCommand(int command);
    void MakeMovieCommand();
    void DrawTransport(int32_t a, int32_t b);
    void WatchDataCommand();
    void WatchTick();
    void ApplyWatchedData(const LiveDataUpdate& update);
    // Draws the preview, with the watched data's morph when one runs.
    void PaintPreview();
    void RunPlayback();
    void Step();

    std::unique_ptr<PreviewWindow> preview_;
    std::unique_ptr<TimelineWindow> timeline_;
    std::unique_ptr<TabsWindow> tabs_;
    std::string titleFile_;   // the show's file as the document last named it
    std::string shownTitle_;  // the title set on the window
    std::string status_;      // what the status read-out says
    // After a save: "Saved NAME" in the status read-out when it worked.
    void SaidSaved(bool saved);
    // The status read-out left of the frame rate.
    void DrawStatus();
    std::unique_ptr<DataWatch> dataWatch_;
};

// The window title for a show file (none: the program's name alone); an
// unsaved show has "*" before its name ("*Untitled" without a file).
std::string MainWindowTitle(const char* fileName, bool modified = false);
