// The main window: creation and tear-down, the menu bar, the title, the Edit
// menu's state, the window procedure and the mouse.
#include "MainWindow.h"

#include <cstring>
#include <string>

#include "DataWatch.h"
#include "Doc.h"
#include "Settings.h"
#include "SettingsKeys.h"
#include "Utilities.h"

namespace {

constexpr int kClientWidth = 800;
constexpr int kClientHeight = 600;

struct MenuEntry {
    int command;
    const char* label;
};

int32_t CheckedWhen(bool on) {
    return on ? kMenuChecked : 0;
}

}  // namespace

MainWindow::MainWindow() {
    buttons[kButtonReverse] = ToolButton{kPictureReverse, kPictureReversePressed, 0, kPictureReverseLit, {}, 0};
    buttons[kButtonStop] = ToolButton{kPictureStop, kPictureStopPressed, 0, kPictureStop, {}, 0};
    buttons[kButtonForward] = ToolButton{kPictureForward, kPictureForwardPressed, 0, kPictureForwardLit, {}, 0};
    buttons[kButtonAddKey] = ToolButton{kPictureAddKey, kPictureAddKeyPressed, 0, 0, {}, 0};
}

MainWindow::~MainWindow() {
    Destroy();
}

std::string MainWindowTitle(const char* fileName, bool modified) {
    std::string title = "Quillon Tavrilo";
    const char* mark = modified ? "*" : "";
    if (fileName && *fileName) {
        char name[sizeof(FileSpec::name) + 1] = {};
        std::snprintf(name, sizeof(name), "%s", fileName);
        FileNameOfPath(name);
        char* dot = std::strchr(name, '.');
        if (dot) {
            *dot = '\0';
        }
        title += " - ";
        title += mark;
        title += name;
    } else if (modified) {
        title += " - *Untitled";
    }
    return title;
}

void MainWindow::ShowTitle(const char* fileName) {
    titleFile_ = fileName ? fileName : "";
    RefreshTitle();
}

void MainWindow::RefreshTitle() {
    if (!native) {
        return;
    }
    const bool modified = gShow && gShow->modified;
    if (modified && !status_.empty()) {
        status_.clear();  // "Saved" stands until the show changes again
        DrawStatus();
    }
    std::string title = MainWindowTitle(titleFile_.c_str(), modified);
    if (title != shownTitle_) {
        shownTitle_ = title;
        SetWindowTitle(*this, title.c_str());
    }
}

void MainWindow::SaidSaved(bool saved) {
    if (!saved || !gShow) {
        return;
    }
    char name[sizeof(FileSpec::name) + 1] = {};
    std::memcpy(name, gShow->showFile.name, sizeof(gShow->showFile.name));
    FileNameOfPath(name);
    status_ = std::string("Saved ") + name;
    RefreshTitle();
    Paint();
}

bool MainWindow::Create() {
    if (!CreatePlatformWindow(*this, nullptr, kWindowOverlapped)) {
        return false;
    }
    MoveWindowTo(*this, 0, 0, kClientWidth, kClientHeight, true);
    ShowTitle(nullptr);
    CreateMenuBar(menu, *this);
    BuildMenus();
    playback.direction = 0;
    ShowPlatformWindow(*this, kWindowMaximized);
    preview_ = std::make_unique<PreviewWindow>();
    if (!preview_->Create(*this, this)) {
        preview_.reset();
    }
    CreateEditors();
    gMainWindow = this;
    if (gShow) {
        gShow->views = this;
    }
    return true;
}

void MainWindow::CreateEditors() {
    timeline_ = std::make_unique<TimelineWindow>();
    if (!timeline_->Create(*this, this, preview_.get())) {
        timeline_.reset();
    }
    tabs_ = std::make_unique<TabsWindow>();
    if (!tabs_->Create(*this, this, preview_.get())) {
        tabs_.reset();
    }
}

void MainWindow::Destroy() {
    if (!native && !preview_) {
        return;
    }
    SaveSettings();
    StopWatchingData();
    preview_.reset();
    timeline_.reset();
    tabs_.reset();
    if (gMainWindow == this) {
        gMainWindow = nullptr;
    }
    if (gShow && gShow->views == this) {
        gShow->views = nullptr;
    }
    ReleaseMenuBar(menu);
    if (native) {
        DestroyPlatformWindow(*this);
    }
}

bool MainWindow::GridCell(int& column, int& row) const {
    column = 0;
    row = 0;
    if (!preview_ || !preview_->EditingData()) {
        return false;
    }
    preview_->SelectedCell(column, row);
    return true;
}

void MainWindow::ShowReplaced(const std::function<void()>& replace) {
    if (preview_) {
        preview_->ShowReplaced(replace);
    } else {
        replace();
    }
}

void MainWindow::BuildMenus() {
    const int32_t rate = ReadFrameRateSetting();
    const int32_t aspect = ReadSettingInt(kSettingAspectMode, 7500);
    AddMenu(menu, "File", 0);
    for (MenuEntry e :
         {MenuEntry{kCmdNewShow, "New Show"}, MenuEntry{kCmdLoadShow, "Load Show/O"},
          MenuEntry{kCmdSaveShow, "Save Show/S"}, MenuEntry{kCmdMakeMovie, "Make Movie File"},
          MenuEntry{kMenuSeparator, ""}, MenuEntry{kCmdLoadData, "Load Data from File"},
          MenuEntry{kCmdLoadStream, "Load Stream Data"}, MenuEntry{kCmdClipboardData, "Get Data from Clipboard"},
          MenuEntry{kCmdLoadBackground, "Load Background"}, MenuEntry{kMenuSeparator, ""}}) {
        AddMenuItem(menu, e.command, e.label, 0);
    }
    AddMenuItem(menu, kCmdNtsc, "NTSC", CheckedWhen(rate == kRateNtsc));
    AddMenuItem(menu, kCmdPal, "PAL", CheckedWhen(rate == kRatePal));
    AddMenuItem(menu, kCmdFilm, "Film", CheckedWhen(rate == kRateFilm));
    AddMenuItem(menu, kMenuSeparator, "", 0);
    AddMenuItem(menu, kCmdExit, "Exit", 0);
    AddMenu(menu, "Edit", 0);
    for (MenuEntry e : {MenuEntry{kCmdUndo, "Undo/Z"}, MenuEntry{kCmdRedo, "Redo/Y"}, MenuEntry{kMenuSeparator, ""},
                        MenuEntry{kCmdCut, "Cut/X"}, MenuEntry{kCmdCopy, "Copy/C"}, MenuEntry{kCmdPaste, "Paste/V"},
                        MenuEntry{kCmdDelete, "Delete"}}) {
        AddMenuItem(menu, e.command, e.label, e.command == kMenuSeparator ? 0 : kMenuGreyed);
    }
    AddMenu(menu, "Options", 0);
    AddMenuItem(menu, kCmdShowTVSafe, "Show TV Safe Area", CheckedWhen(ReadSettingInt(kSettingShowTvSafe, 0) != 0));
    AddMenuItem(menu, kCmdDrawFast, "Draw Chart Fast", CheckedWhen(ReadSettingInt(kSettingDrawFast, 1) != 0));
    AddMenuItem(menu, kCmdWatchData, "Watch Data File...", 0);
    AddMenu(menu, "Render", 0);
    AddMenuItem(menu, kCmdFieldSwap, "Flop Field Order", CheckedWhen(ReadSettingInt(kSettingFieldSwap, 0) != 0));
    AddMenuItem(menu, kMenuSeparator, "", 0);
    AddMenuItem(menu, kCmdAspect43, "4:3 Aspect Ratio", CheckedWhen(aspect == 7500));
    AddMenuItem(menu, kCmdAspect169, "16:9 Aspect Ratio", CheckedWhen(aspect == 5625));
    AddMenuItem(menu, kMenuSeparator, "", 0);
    AddMenu(menu, "Help", 0);
    AddMenuItem(menu, kCmdHelp, "Contents", 0);
    AddMenuItem(menu, kCmdAbout, "About", 0);
}

void MainWindow::UpdateEditMenu() {
    if (!gShow) {
        return;
    }
    const Show& show = *gShow;
    for (int command : {kCmdCut, kCmdCopy, kCmdPaste, kCmdDelete}) {
        SetMenuItemState(menu, command, kMenuGreyed);
    }
    if (show.selectedKey > 0) {
        SetMenuItemState(menu, kCmdDelete, 0);
        SetMenuItemState(menu, kCmdCut, 0);
        SetMenuItemState(menu, kCmdCopy, 0);
    } else if (show.selectedKey == 0) {
        SetMenuItemState(menu, kCmdCopy, 0);
    }
    if (show.clipKey.frame != kClipEmpty) {
        SetMenuItemState(menu, kCmdPaste, 0);
    }
    RefreshTitle();
    SetMenuItemState(menu, kCmdUndo, CanUndo(show) ? 0 : kMenuGreyed);
    SetMenuItemState(menu, kCmdRedo, CanRedo(show) ? 0 : kMenuGreyed);
}

void MainWindow::CancelOtherDrags(PlatformWindow* from) {
    PlatformWindow* windows[] = {this, preview_.get(), tabs_.get(), timeline_.get()};
    for (PlatformWindow* window : windows) {
        if (window && window != from) {
            SendEvent(window, kCancelDrag, 0, 0);
        }
    }
}

intptr_t MainWindow::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case kMsgMove:
        case kMsgSize:
            PostToEditors(message, wParam, lParam);
            return 0;
        case kMsgPaint:
            Paint();
            return 1;
        case kMsgClose:
            Close();
            return 1;
        case kMsgKeyDown:
        case kMsgChar:
            return Key(message, wParam);
        case kMsgCommand:
            return Command(static_cast<int>(wParam & 0xFFFF));
        case kCancelDrag:
            return 1;
        case kMsgTimer:
            if (wParam == kWatchDataTimer) {
                WatchTick();
            }
            return 1;
        case kMsgMouseMove:
            SetCursorKind(kCursorArrow);
            return 1;
        case kMsgLeftDown:
            LeftDown(PointParamX(lParam), PointParamY(lParam));
            return 1;
        case kMsgLeftUp:
            LeftUp(PointParamX(lParam), PointParamY(lParam));
            return 1;
        default:
            return 0;
    }
}

void MainWindow::PostToEditors(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    // The tabs take their place from the preview's: the preview goes first.
    if (preview_) {
        PostEvent(preview_.get(), message, wParam, lParam);
    }
    if (timeline_) {
        PostEvent(timeline_.get(), message, wParam, lParam);
    }
    if (tabs_) {
        PostEvent(tabs_.get(), kMsgSize, wParam, lParam);
    }
}

void MainWindow::Close() {
    CommitGrid();
    if (gShow && gShow->modified) {
        auto chooseSave = [this](FileSpec& file) { return ChooseSave(file); };
        if (!SaveBeforeExit(*gShow, nullptr, chooseSave)) {
            return;  // the save the user asked for did not happen: keep the show open
        }
    }
    PostEvent(this, kMsgClosing, 0, 0);
    PostQuit(0);
}

void MainWindow::LeftDown(int32_t x, int32_t y) {
    PortScope scope(*this);
    for (ToolButton& button : buttons) {
        if (button.HitTest(x, y, ToolButton::kPressed)) {
            break;
        }
    }
}

void MainWindow::LeftUp(int32_t x, int32_t y) {
    CancelOtherDrags(this);
    const int32_t left = previewEdges.left;
    const int32_t bottom = previewEdges.bottom;
    if (preview_ && left - 100 < x && x < left - 8) {
        int mode = -1;
        if (bottom + 8 < y && y < bottom + 30) {
            mode = static_cast<int>(PreviewMode::MoveChart);
        } else if (bottom + 30 < y && y < bottom + 47) {
            mode = static_cast<int>(PreviewMode::SpinChart);
        } else if (bottom + 47 < y && y < bottom + 64) {
            mode = static_cast<int>(PreviewMode::EditData);
        }
        if (mode >= 0) {
            preview_->SetMode(static_cast<PreviewMode>(mode));
            Paint();
            preview_->Paint();
        }
    }
    int hit = -1;
    {
        PortScope scope(*this);
        for (int index : {kButtonReverse, kButtonStop, kButtonForward, kButtonAddKey}) {
            if (buttons[index].HitTest(x, y, -1)) {
                hit = index;
                break;
            }
        }
        // Every pressed button rests again, wherever the button came up.
        for (ToolButton& button : buttons) {
            if (button.state == ToolButton::kPressed) {
                button.SetState(ToolButton::kNormal);
            }
        }
    }
    if (hit == kButtonAddKey) {
        if (gShow) {
            SetKey(*gShow);
            UpdateEditMenu();
        }
    } else if (hit >= 0) {
        SetDirection(hit == kButtonReverse ? -1 : hit == kButtonStop ? 0 : 1);
    }
}
