// Make Movie File: the options dialog over the preview (its rows from the
// settings), the file from the save chooser, for AVI and QuickTime the
// compressor; the frames render with the progress shown in the preview.
#include <algorithm>

#include "Doc.h"
#include "MainWindow.h"
#include "MakeMovie.h"
#include "MovieDialogs.h"
#include "MovieFrames.h"
#include "Settings.h"
#include "SettingsKeys.h"

void MainWindow::MakeMovieCommand() {
    if (!gShow || !Preview()) {
        return;
    }
    Show& show = *gShow;
    const int32_t lastKeyFrame = show.keys[std::clamp(show.keyCount, 1, kMaxKeys) - 1].frame;
    MovieOptionTexts rows = ReadMovieOptionTexts(lastKeyFrame, show.frameRate);
    const bool confirmed = AskMovieOptions(*Preview(), rows);
    ShowFrame(show, gCurrentFrame);
    if (!confirmed) {
        return;
    }
    const int type = ReadSettingInt(kSettingMovieType, 0);
    FileSpec file{};
    const std::string folder = ReadSettingString(kSettingInitialFolder, "");
    if (!ChooseFileToSave(this, file, MovieFileFilter(type), "", folder.c_str(), MovieDefaultExtension(type))) {
        return;
    }
    // Cancelling the compressor ends Make Movie without a word.
    const bool compressorChosen = AskCompressorFor(*Preview(), file.name, rows.quality);
    ShowFrame(show, gCurrentFrame);
    if (!compressorChosen) {
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
    hooks.showFrame = [this](int32_t frame) {
        DrawFrameCounter(frame);
        gCurrentFrame = frame;  // the timeline's cursor follows the rendered frame
        if (timeline_) {
            timeline_->Redraw();
        }
    };
    hooks.cancelled = [&holding]() {
        PlatformEvent event;
        if (!PeekEvent(event) || event.message != kMsgKeyDown || IsRepeatedKey(event)) {
            return false;
        }
        return holding || event.wParam == kKeyEscape;
    };
    DrainKeys();
    // The frames are drawn in the movie's shape (16:9 at HD sizes); the
    // show's own shape comes back afterwards.
    const float showAspect = show.frameAspect;
    const double movieAspect =
        MovieFrameAspect(MovieDimension(rows.width.c_str()), MovieDimension(rows.height.c_str()), showAspect);
    SetFrameAspect(show, static_cast<float>(movieAspect));
    const MovieOutcome outcome =
        MakeMovieFromRows(rows, lastKeyFrame, file.name, show.fieldSwap != 0, showAspect, hooks);
    SetFrameAspect(show, showAspect);
    DrainKeys();
    // The preview takes back its layout and viewport, and its frame.
    SendEvent(Preview(), kMsgSize, 0, 0);
    ShowFrame(show, frameBefore);
    if (!outcome.message.empty()) {
        ShowMessage(outcome.message.c_str(), kNoNumber);
    }
}
