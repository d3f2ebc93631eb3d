// tavrilo-render: loads a show, imports data, reports and renders.
#include "Cli.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "Batch.h"
#include "CrossPlatform.h"
#include "DataWarning.h"
#include "Doc.h"
#include "FfmpegOwners.h"
#include "Interrupts.h"
#include "LiveCommand.h"
#include "MovieSegments.h"
#include "OptionTable.h"
#include "Options.h"
#include "PictureCommand.h"
#include "RenderMovie.h"
#include "RenderPictures.h"
#include "Settings.h"
#include "ShowInfo.h"
#include "StepResult.h"
#include "TavriloVersion.h"
#include "Utilities.h"

namespace {

void ApplyRate(Show& show, int32_t rate) {
    show.frameRate = rate;
    show.lengthFrames = TenMinuteShowLength(rate);
}

// Loads the show the options name (or the demo show) and evaluates its first
// frame (which reads the pictures it names).
StepResult LoadShow(Show& show, const RenderOptions& options) {
    if (!options.showPath.empty()) {
        StepResult loaded = StepOf(LoadShowFile(show, MakeFileSpec(options.showPath.c_str())));
        if (!loaded.Ok()) {
            return loaded;
        }
    } else if (!options.newShow) {
        MakeDemoShow(show);
    }
    Evaluate(show, 0);
    return StepDone();
}

// Loads the show and the data the options name.
StepResult PrepareShow(Show& show, const RenderOptions& options) {
    StepResult result = LoadShow(show, options);
    if (result.Ok() && !options.dataPath.empty()) {
        result = StepOf(LoadDataFileCommand(show, MakeFileSpec(options.dataPath.c_str())));
        std::string warning = result.Ok() ? DataLeftOutWarning(options.dataPath) : std::string();
        if (!warning.empty()) {
            std::fprintf(stderr, "tavrilo-render: %s\n", warning.c_str());
        }
    }
    if (result.Ok() && !options.streamPath.empty()) {
        std::string interval = options.intervalText.empty() ? "30" : options.intervalText;
        result = StepOf(LoadStreamFileCommand(show, MakeFileSpec(options.streamPath.c_str()), interval.c_str()));
    }
    return result;
}

StepResult SaveShow(Show& show, const RenderOptions& options) {
    if (options.savePath.empty()) {
        return StepDone();
    }
    return StepOf(SaveShowFile(show, MakeFileSpec(options.savePath.c_str())));
}

StepResult Report(Show& show, const RenderOptions& options) {
    if (options.info) {
        std::printf("%s\n", ShowInfoJson(show).c_str());
    }
    for (int32_t frame : options.evalFrames) {
        Evaluate(show, frame);
        std::printf("%s\n", FrameJson(show).c_str());
    }
    std::fflush(stdout);
    return StepDone();
}

StepResult Render(Show& show, const RenderOptions& options) {
    if (options.bench) {
        return RenderBenchCommand(show, options);
    }
    if (!options.livePath.empty()) {
        return RunLiveCommand(show, options);
    }
    if (options.outPath.empty()) {
        return StepDone();
    }
    if (IsPictureKind(FileKindOf(options.outPath))) {
        return RenderPicturesCommand(show, options);
    }
    return RenderMovieCommand(show, options);
}

// Whether a file may be written at `path`: a new file, a regular one or a
// link to one.
bool CheckWritable(const std::string& option, const std::string& path, std::string& error) {
    std::string target;
    if (path.empty() || path.find('#') != std::string::npos || SaveTarget(path.c_str(), target)) {
        return true;
    }
    const int reason = errno;
    error = option + " \"" + TerminalText(path) + "\": " + FileErrorText(reason);
    return false;
}

// Everything the run will do is checked before anything is written: a run
// that fails must not have replaced the show file it was told to save.
StepResult CheckRun(const Show& show, const RenderOptions& options) {
    std::string error;
    bool good = CheckWritable("--save", options.savePath, error) && CheckWritable("-o", options.outPath, error);
    if (good && !options.livePath.empty()) {
        good = CheckLiveOptions(show, options, error);
    } else if (good && !options.bench && !options.outPath.empty()) {
        if (IsPictureKind(FileKindOf(options.outPath))) {
            good = CheckPictureOptions(show, options, error);
        } else {
            MovieJob job;
            good = MovieJobFromOptions(show, options, job, error);
        }
    }
    return good ? StepDone() : StepFailed(error);
}

StepResult RunWithShow(const RenderOptions& options) {
    auto show = CreateShow();
    gShow = show.get();
    if (options.rate) {
        ApplyRate(*show, *options.rate);
    }
    StepResult result = PrepareShow(*show, options);
    if (result.Ok()) {
        result = CheckRun(*show, options);
    }
    if (result.Ok()) {
        result = SaveShow(*show, options);
    }
    if (result.Ok()) {
        result = Report(*show, options);
    }
    if (result.Ok()) {
        result = Render(*show, options);
    }
    DestroyShow(*show);
    gShow = nullptr;
    return result;
}

// A join stopped by a signal replaces nothing; it says so, and exits with
// 128 + the signal.
StepResult JoinInterrupted(const RenderOptions& options) {
    const int signal = InterruptSignal();
    const std::string& path = options.joinPath;
    std::string kept =
        access(path.c_str(), F_OK) == 0 ? TerminalText(path) + " was left as it was" : "no file was made";
    return StepFailed(InterruptText(signal) + ": the join was not finished; " + kept, 128 + signal);
}

StepResult JoinCommand(const RenderOptions& options) {
    InterruptScope interrupts;
    MovieJoinOutcome outcome =
        JoinMovieSegments(options.joinPath, options.segments, [] { return InterruptSignal() != 0; });
    if (!outcome.joined) {
        return InterruptSignal() != 0 ? JoinInterrupted(options) : StepFailed(TerminalText(outcome.message));
    }
    std::printf("Movie file successfully joined: %s (%d segments, %d frames)\n", TerminalText(options.joinPath).c_str(),
                outcome.segments, outcome.frames);
    if (!outcome.keyPath.empty()) {
        std::printf("Key movie file successfully joined: %s (%d frames)\n", TerminalText(outcome.keyPath).c_str(),
                    outcome.keyFrames);
    }
    return StepDone();
}

}  // namespace

void CommandLinePlatform::ShowMessage(const char* text, long number) {
    std::string line = MessageText(text, number);
    state.messages.push_back(line);
    std::fprintf(stderr, "tavrilo-render: %s\n", TerminalText(line).c_str());
}

StepResult StepOf(const Result& result) {
    for (const std::string& note : result.Notes()) {
        std::fprintf(stderr, "tavrilo-render: %s\n", TerminalText(note).c_str());
    }
    return result ? StepDone() : StepFailed(TerminalText(result.Message()));
}

int PrintStepError(const StepResult& result) {
    if (!result.Ok() && !result.error.empty()) {
        std::fprintf(stderr, "tavrilo-render: %s\n", result.error.c_str());
    }
    return result.status;
}

int RunTavriloRender(int argc, char** argv) {
    RenderOptions options;
    std::string error;
    if (!ParseRenderOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "tavrilo-render: %s; see --help\n", error.c_str());
        return 1;
    }
    if (options.help || argc <= 1) {
        std::fputs(RenderUsage().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("tavrilo-render (Tavrilo) %s\n", TAVRILO_VERSION);
        return 0;
    }
    // Beyond a file-size limit a write fails with "File too large" (and the
    // movie is abandoned) instead of the signal ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    // The program reports every failure once, in its own words.
    SilenceFfmpegLog();
    if (!options.picturePath.empty()) {
        return PrintStepError(ConvertPictureCommand(options.picturePath.c_str(), options.outPath.c_str()));
    }
    if (!options.joinPath.empty()) {
        return PrintStepError(JoinCommand(options));
    }
    // Settings are read, never written: batch runs leave the desktop's
    // preferences as they were.
    LoadSettings("Tavrilo");
    if (!options.batchPath.empty()) {
        // Each row's show starts from the frame rate the settings give.
        return RunBatch(options, BatchCommonArguments(argc, argv),
                        [](const RenderOptions& row) { return PrintStepError(RunWithShow(row)); });
    }
    return PrintStepError(RunWithShow(options));
}
