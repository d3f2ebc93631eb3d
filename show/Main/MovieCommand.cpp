// Make Movie File: the movie options come from the settings (the options
// dialog is not part of the program yet), the file from the save chooser;
// the frames render with the progress shown in the preview.
#include <algorithm>

#include "Doc.h"
#include "MainWindow.h"
#include "MakeMovie.h"
#include "MovieFrames.h"
#include "Settings.h"

void MainWindow::MakeMovieCommand() {
    if (!gShow || !Preview()) {
        return;
    }
    Show& show = *gShow;
    const int32_t lastKeyFrame = show.keys[std::clamp(show.keyCount, 1, kMaxKeys) - 1].frame;
    MovieOptionTexts rows = ReadMovieOptionTexts(lastKeyFrame);
    const int type = ReadSettingInt("MovieType", 0);
    FileSpec file{};
    const std::string folder = ReadSettingString("InitialFolder", "");
    if (!ChooseFileToSave(this, file, MovieFileFilter(type), "", folder.c_str(), MovieDefaultExtension(type))) {
        return;
    }
    RememberFolder(file);
    const int32_t frameBefore = gCurrentFrame;
    bool holding = false;
    RenderRangeHooks hooks;
    hooks.grab = [&show](double frame, CDib& image) {
        return RenderMovieFrame(show, frame, image.Width(), image.Height(), show.antiAliasing, image);
    };
    hooks.progress = [this, &holding](double fraction, const char* message, uint32_t startTick) {
        holding = startTick == 0;
        const ProgressFigures figures = ComputeProgress(fraction, startTick, TickCount());
        Preview()->DrawProgress(fraction, message, figures.timeToGo.c_str());
    };
    hooks.showFrame = [this](int32_t frame) { DrawFrameCounter(frame); };
    hooks.cancelled = [&holding]() {
        PlatformEvent event;
        if (!PeekEvent(event) || event.message != kMsgKeyDown || IsRepeatedKey(event)) {
            return false;
        }
        return holding || event.wParam == kKeyEscape;
    };
    DrainKeys();
    const MovieOutcome outcome = MakeMovieFromRows(rows, lastKeyFrame, file.name, show.fieldSwap != 0, hooks);
    DrainKeys();
    // The preview takes back its layout and viewport, and its frame.
    SendEvent(Preview(), kMsgSize, 0, 0);
    Evaluate(show, frameBefore, true);
    if (!outcome.message.empty()) {
        ShowMessage(outcome.message.c_str(), kNoNumber);
    }
}
