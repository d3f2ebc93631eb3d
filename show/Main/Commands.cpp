// The command table: file, data, frame-rate, option, aspect and Edit
// commands chosen from the menus or reached through keys.
#include <cstdio>
#include <string>

#include "Doc.h"
#include "MainWindow.h"
#include "Settings.h"
#include "SettingsKeys.h"
#include "TavriloVersion.h"
#include "Utilities.h"

namespace {

constexpr const char* kTextFilter = "Tab Delimited Files (*.txt)|*.txt|All Files (*.*)|*.*|";
constexpr const char* kShowSaveFilter = "Tavrilo Files (*.tvr)|*.tvr";
constexpr const char* kShowOpenFilter = "Tavrilo Files (*.tvr)|*.tvr|All Files (*.*)|*.*|";
constexpr const char* kBackgroundFilter =
    "All Graphics/Movie Files|*.bmp;*.tga;*.tif;*.jpg;*.psd;*.png;*.avi"
    "|BMP Files (*.bmp)|*.bmp|Targa Files (*.tga)|*.tga|TIFF Files (*.tif)|*.tif"
    "|PNG Files (*.png)|*.png"
    "|Photoshop Files (*.psd)|*.psd"
    "|Jpeg Files (*.jpg)|*.jpg"
    "|Movie Files (*.avi)|*.avi"
    "|All Files (*.*)|*.*|";
constexpr const char* kVersionLine = "Tavrilo " TAVRILO_VERSION " - animated 3D charts for television and film";

std::string InitialFolder() {
    return ReadSettingString(kSettingInitialFolder, "");
}

}  // namespace

bool MainWindow::ChooseSave(FileSpec& file) {
    char name[sizeof(file.name) + 1] = {};
    std::snprintf(name, sizeof(name), "%.*s", static_cast<int>(sizeof(file.name)), file.name);
    return ChooseFileToSave(this, file, kShowSaveFilter, name, InitialFolder().c_str(), ".tvr");
}

bool MainWindow::ChooseOpen(FileSpec& file, const char* filter, const char* title, const char* extension) {
    return ChooseFileToOpen(this, file, filter, title, InitialFolder().c_str(), extension);
}

void MainWindow::CommitGrid() {
    if (tabs_) {
        tabs_->CommitField();  // a number or text typed in the tabs
    }
    if (Preview() && Preview()->EditingData()) {
        Preview()->SetMode(PreviewMode::EditData);
        Preview()->Paint();
    }
}

intptr_t MainWindow::Command(int command) {
    switch (command) {
        case kCmdSaveShow:
        case kCmdLoadShow:
        case kCmdNewShow:
        case kCmdMakeMovie:
        case kCmdExit:
            CommitGrid();
            break;
        default:
            break;
    }
    switch (command) {
        case kCmdShowTVSafe:
        case kCmdDrawFast:
            ToggleOption(command);
            break;
        case kCmdLoadBackground:
            LoadBackgroundCommand();
            break;
        case kCmdLoadData:
            LoadDataCommand(false);
            break;
        case kCmdLoadStream:
            LoadDataCommand(true);
            break;
        case kCmdWatchData:
            WatchDataCommand();
            break;
        case kCmdClipboardData:
            if (gShow) {
                GetDataFromClipboardCommand(*gShow);
            }
            Paint();
            break;
        case kCmdMakeMovie:
            MakeMovieCommand();
            break;
        case kCmdNtsc:
        case kCmdPal:
        case kCmdFilm:
            SetFrameRate(command);
            break;
        case kCmdHelp:
            ShowHelp(this, "Tavrilo.hlp");
            break;
        case kCmdAbout:
            ShowMessage(kVersionLine, kNoNumber);
            break;
        case kCmdFieldSwap:
            if (gShow) {
                gShow->fieldSwap = !gShow->fieldSwap;
                CheckMenuItem(menu, kCmdFieldSwap, gShow->fieldSwap != 0);
                WriteSettingInt(kSettingFieldSwap, gShow->fieldSwap);
            }
            Paint();
            break;
        case kCmdAspect43:
        case kCmdAspect169:
            SetAspect(command);
            break;
        case kCmdExit:
            WindowProc(kMsgClose, 0, 0);
            break;
        case kCmdSaveShow:
            if (gShow) {
                SaidSaved(SaveShowCommand(*gShow, [this](FileSpec& file) { return ChooseSave(file); }));
            }
            break;
        case kCmdLoadShow:
            LoadShowCommand();
            break;
        case kCmdNewShow:
            if (gShow) {
                NewShowCommand(*gShow, nullptr, [this](FileSpec& file) { return ChooseSave(file); });
            }
            break;
        default:
            EditCommand(command);
            break;
    }
    UpdateEditMenu();
    return 1;
}

void MainWindow::ToggleOption(int command) {
    if (!Preview()) {
        return;
    }
    uint8_t& flag = command == kCmdShowTVSafe ? Preview()->showTVSafe : Preview()->drawFast;
    flag = !flag;
    CheckMenuItem(menu, command, flag != 0);
    WriteSettingInt(command == kCmdShowTVSafe ? kSettingShowTvSafe : kSettingDrawFast, flag);
    Preview()->Paint();
}

void MainWindow::SetFrameRate(int command) {
    const int32_t rates[] = {kRateNtsc, kRatePal, kRateFilm};
    for (int c = kCmdNtsc; c <= kCmdFilm; ++c) {
        CheckMenuItem(menu, c, c == command);
    }
    if (gShow) {
        gShow->frameRate = rates[command - kCmdNtsc];
    }
    WriteSettingInt(kSettingFrameRate, rates[command - kCmdNtsc]);
    Paint();
}

void MainWindow::SetAspect(int command) {
    CheckMenuItem(menu, kCmdAspect43, command == kCmdAspect43);
    CheckMenuItem(menu, kCmdAspect169, command == kCmdAspect169);
    if (gShow) {
        SetFrameAspect(*gShow, command == kCmdAspect43 ? 0.75f : 0.5625f);
    }
    WriteSettingInt(kSettingAspectMode, command == kCmdAspect43 ? 7500 : 5625);
    WindowProc(kMsgMove, 0, 0);
}

void MainWindow::LoadBackgroundCommand() {
    if (!gShow) {
        return;
    }
    FileSpec file{};
    if (ChooseOpen(file, kBackgroundFilter, "Load Background", ".bmp")) {
        ShowFailure(SetBackground(*gShow, file));
        RememberFolder(file);
    } else {
        // Cancelling the chooser removes the background.
        gShow->background.name[0] = '\0';
        ShowFailure(SetBackground(*gShow, gShow->background));
    }
    ShowFrame(*gShow, gCurrentFrame);
}

void MainWindow::LoadDataCommand(bool stream) {
    FileSpec file{};
    if (!gShow || !ChooseOpen(file, kTextFilter, stream ? "Load Stream Data" : "Load Data from File", ".txt")) {
        return;
    }
    if (stream) {
        char interval[81] = "30";
        AskText(interval, "Load Stream", "Type interval between data (in frames):", "");
        ShowFailure(LoadStreamFileCommand(*gShow, file, interval));
    } else {
        ShowFailure(LoadDataFileCommand(*gShow, file));
    }
    Paint();
}

void MainWindow::LoadShowCommand() {
    if (!gShow) {
        return;
    }
    auto chooseSave = [this](FileSpec& file) { return ChooseSave(file); };
    if (!AskToSaveChanges(*gShow, nullptr, chooseSave, kLoadShowCaption)) {
        return;
    }
    FileSpec file{};
    if (!ChooseOpen(file, kShowOpenFilter, "Load Show", ".tvr")) {
        return;
    }
    ShowFailure(LoadShowFile(*gShow, file));
    Paint();
}

bool MainWindow::OpenShowFile(const char* path) {
    if (!gShow || !path) {
        return false;
    }
    if (!PathFits(path)) {
        char text[600] = {};
        PathTooLongText(path, text, sizeof(text));
        ShowMessage(text, kNoNumber);
        return false;
    }
    const Result loaded = LoadShowFile(*gShow, MakeFileSpec(path));
    ShowFailure(loaded);
    Paint();
    return loaded.Ok();
}

void MainWindow::EditCommand(int command) {
    if (!gShow) {
        return;
    }
    Show& show = *gShow;
    const int32_t frame = gCurrentFrame;
    switch (command) {
        case kCmdCopy:
            CopyKeyCommand(show);
            break;
        case kCmdCut:
            CutKeyCommand(show);
            break;
        case kCmdDelete:
            DeleteKeyCommand(show);
            break;
        case kCmdPaste:
            PasteKeyCommand(show);
            ShowFrame(show, frame);
            break;
        case kCmdUndo:
            Undo(show);
            ShowFrame(show, frame);
            break;
        case kCmdRedo:
            Redo(show);
            ShowFrame(show, frame);
            break;
        default:
            break;
    }
}
