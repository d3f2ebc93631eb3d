// Options, Watch Data File: the preview follows a data file as the live
// play-out does. A timer takes the watcher's updates between the main
// loop's messages (playback takes them between its frames), puts each good
// table into the show and morphs the preview from what it showed to the new
// values over a second with the In & Out ease.
#include <string>
#include <vector>

#include "DataWatch.h"
#include "Doc.h"
#include "MainWindow.h"

namespace {

constexpr const char* kWatchFilter = "Tab Delimited Files (*.txt)|*.txt|All Files (*.*)|*.*|";
constexpr int kWatchTickMs = 33;
constexpr double kWatchMorphSeconds = 1.0;

double Seconds() {
    return static_cast<double>(HighResolutionCounter()) / static_cast<double>(HighResolutionFrequency());
}

// Evaluates the current frame for the new data while keeping the chart's
// placement as the editors have it (a drag may be under way).
void EvaluateKeepingPlacement(Show& show) {
    const KeyFrame placement = show.current;
    Evaluate(show, gCurrentFrame);
    show.current = placement;
}

}  // namespace

void MainWindow::WatchDataCommand() {
    if (WatchingData()) {
        StopWatchingData();  // the item is ticked while a file is watched
        return;
    }
    FileSpec file{};
    if (gShow && ChooseOpen(file, kWatchFilter, "Watch Data File", ".txt")) {
        WatchDataFile(file.name);
    }
}

bool MainWindow::WatchDataFile(const char* path) {
    StopWatchingData();
    if (!gShow) {
        return false;
    }
    auto watch = std::make_unique<DataWatch>();
    LiveDataUpdate first;
    std::string error;
    if (!watch->file.Start(path, first, error)) {
        ShowMessage(("Can't watch data file \"" + std::string(path) + "\": " + error).c_str(), kNoNumber);
        return false;
    }
    watch->morph.SetLength(kWatchMorphSeconds);
    dataWatch_ = std::move(watch);
    ApplyWatchedData(first);
    SetWindowTimer(*this, kWatchDataTimer, kWatchTickMs);
    CheckMenuItem(menu, kCmdWatchData, true);
    return true;
}

void MainWindow::StopWatchingData() {
    if (!dataWatch_) {
        return;
    }
    KillWindowTimer(*this, kWatchDataTimer);
    dataWatch_.reset();
    CheckMenuItem(menu, kCmdWatchData, false);
}

void MainWindow::ApplyWatchedData(const LiveDataUpdate& update) {
    Show& show = *gShow;
    DataMorph& morph = dataWatch_->morph;
    const double now = Seconds();
    if (!morph.Running(now)) {
        // What the preview shows now is the show as it stands.
        EvaluateKeepingPlacement(show);
        morph.Blend(show, now);
        morph.Restore(show);
    }
    ReplaceShowContents(show, [&] {
        ApplyLiveTable(show, update.table);
        show.modified = 1;
    });
    morph.Start(now);
    dataWatch_->morphing = true;
    EvaluateKeepingPlacement(show);
}

void MainWindow::PaintPreview() {
    if (!Preview()) {
        return;
    }
    if (!dataWatch_ || !gShow) {
        Preview()->Paint();
        return;
    }
    LiveDataUpdate update;
    if (dataWatch_->file.Take(update, dataWatch_->messages)) {
        ApplyWatchedData(update);
    }
    const double now = Seconds();
    dataWatch_->morph.Blend(*gShow, now);
    Preview()->Paint();
    dataWatch_->morph.Restore(*gShow);
}

void MainWindow::WatchTick() {
    if (!dataWatch_ || !gShow) {
        return;
    }
    DataWatch& watch = *dataWatch_;
    LiveDataUpdate update;
    if (watch.file.Take(update, watch.messages)) {
        ApplyWatchedData(update);
    }
    if (watch.morphing) {
        // Each step of the morph, and once more at its end.
        watch.morphing = watch.morph.Running(Seconds());
        EvaluateKeepingPlacement(*gShow);
        PaintPreview();
    }
    std::vector<std::string> messages;
    messages.swap(watch.messages);
    for (const std::string& message : messages) {
        ShowMessage(message.c_str(), kNoNumber);
    }
}
