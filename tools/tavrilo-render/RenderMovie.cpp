// The movie command of tavrilo-render: options to a movie job, a progress
// line on a terminal, Ctrl+C as Esc.
#include "RenderMovie.h"

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>

#include "MovieFrames.h"
#include "MovieParts.h"
#include "Settings.h"
#include "Utilities.h"

namespace {

// The signal that stopped the render: SIGINT (Ctrl+C) or SIGTERM (sent by
// kill, and by cluster schedulers when a job is cancelled); 0 while none.
volatile std::sig_atomic_t gInterrupted = 0;

void OnInterrupt(int signal) {
    gInterrupted = signal;
}

// Installs the Ctrl+C and SIGTERM handlers for its lifetime: SIGTERM (a job
// being stopped) is taken like Ctrl+C, so the movie made so far is closed.
class InterruptScope {
public:
    InterruptScope() {
        gInterrupted = 0;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previousInterrupt_);
        sigaction(SIGTERM, &action, &previousTerminate_);
    }
    ~InterruptScope() {
        sigaction(SIGINT, &previousInterrupt_, nullptr);
        sigaction(SIGTERM, &previousTerminate_, nullptr);
    }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

private:
    struct sigaction previousInterrupt_ {};
    struct sigaction previousTerminate_ {};
};

int32_t LastKeyFrame(const Show& show) {
    int32_t last = 0;
    for (int i = 0; i < std::clamp(show.keyCount, 0, kMaxKeys); ++i) {
        last = std::max(last, show.keys[i].frame);
    }
    return last;
}

// "rle" means "rle ": codes are four characters, trailing spaces included.
std::string FourCharacterCode(const std::string& code) {
    std::string padded = code.substr(0, 4);
    padded.resize(4, ' ');
    return padded;
}

void ApplyCommandLine(const RenderOptions& o, MovieOptionTexts& t) {
    if (o.width && o.height) {
        t.width = std::to_string(*o.width);
        t.height = std::to_string(*o.height);
    }
    t.start = o.start.value_or(t.start);
    t.end = o.end.value_or(t.end);
    t.hold = o.hold.value_or(t.hold);
    // The movie runs at the show's own rate unless told otherwise.
    t.fps = o.fps.value_or(ShowMovieRateText(gFrameRate));
    t.quality = o.quality.value_or(t.quality);
    if (o.fields) {
        t.fields = *o.fields ? "1" : "";
    }
    if (o.reverse) {
        t.reverse = *o.reverse ? "1" : "";
    }
}

void PrintProgress(double fraction, uint32_t startTick, int32_t frame) {
    ProgressFigures figures = ComputeProgress(fraction, startTick, TickCount());
    std::fprintf(stderr, "\r%3d%%  frame %-8d %s   ", figures.percent, frame,
                 figures.timeToGo.empty() ? "" : figures.timeToGo.c_str());
    std::fflush(stderr);
}

}  // namespace

bool MovieJobFromOptions(const Show& show, const RenderOptions& options, MovieJob& job, std::string& error) {
    int32_t lastKey = LastKeyFrame(show);
    MovieOptionTexts texts = ReadMovieOptionTexts(lastKey);
    ApplyCommandLine(options, texts);
    job.options = ParseMovieOptions(texts, lastKey);
    // The render loop would play a range whose end comes first backwards;
    // typed on a command line, it is a slip.
    error = RangeOrderProblem(job.options.start, job.options.end, options.end.has_value());
    if (!error.empty()) {
        return false;
    }
    job.path = options.outPath;
    job.writer.codec = options.codec ? FourCharacterCode(*options.codec) : std::string();
    job.writer.storeCodec = false;
    job.writer.pictureAspect = options.aspect.value_or(show.frameAspect);
    job.writer.alpha = options.alpha;
    job.writer.key = options.key;
    if (options.alpha) {
        std::string requested = job.writer.codec.empty() ? ReadSettingString("CodecType", "") : job.writer.codec;
        error = MovieAlphaProblem(job.path, requested);
        if (!error.empty()) {
            error = "--alpha: " + error;
            return false;
        }
    }
    job.lowerFieldFirst =
        options.lowerFieldFirst.value_or(DefaultLowerFieldFirst(job.options.height, show.fieldSwap != 0));
    error = MovieSizeProblem(job.options);
    return error.empty();
}

namespace {

std::string PartText(const RenderOptions& options) {
    return "part " + std::to_string(*options.part) + "/" + std::to_string(options.parts);
}

// What a stopped render left behind, and the exit status: 128 + the signal.
StepResult ReportInterrupted(const RenderOptions& options, const std::string& path, const MovieOutcome& outcome) {
    const char* how = gInterrupted == SIGTERM ? "stopped (SIGTERM)" : "cancelled";
    int status = 128 + gInterrupted;
    if (!options.part) {
        return StepFailed(std::string(how) + "; " + TerminalText(path) + " holds " +
                              std::to_string(outcome.framesWritten) + " frames",
                          status);
    }
    return StepFailed(std::string(how) + "; " + TerminalText(path) + " is closed and holds " +
                          std::to_string(outcome.framesWritten) + " of its " + std::to_string(outcome.framesAnnounced) +
                          " frames: render " + PartText(options) + " again before joining",
                      status);
}

}  // namespace

StepResult RenderMovieWith(Show& show, const RenderOptions& options, const MovieFrameSource& source) {
    MovieJob job;
    std::string error;
    if (!MovieJobFromOptions(show, options, job, error)) {
        return StepFailed(error);
    }
    int antiAliasing = options.antiAliasing.value_or(show.antiAliasing);
    // The frames are drawn in the movie's shape, as pictures are.
    SetFrameAspect(show, static_cast<float>(job.writer.pictureAspect));
    bool terminal = isatty(STDERR_FILENO) != 0;
    int32_t currentFrame = job.options.start;
    RenderRangeHooks hooks;
    hooks.grab = [&](double frame, CDib& image) { return source(show, frame, antiAliasing, image); };
    hooks.showFrame = [&](int32_t frame) { currentFrame = frame; };
    hooks.cancelled = [] { return gInterrupted != 0; };
    if (terminal) {
        hooks.progress = [&](double fraction, const char*, uint32_t startTick) {
            if (startTick != 0) {
                PrintProgress(fraction, startTick, currentFrame);
            }
        };
    }
    InterruptScope interrupts;
    MovieOutcome outcome =
        options.part ? MakeMoviePartFile(job, *options.part, options.parts, hooks) : MakeMovieFile(job, hooks);
    std::string path = options.part ? MovieSegmentPath(job.path, *options.part) : job.path;
    if (terminal) {
        std::fprintf(stderr, "\n");
    }
    if (gInterrupted && outcome.made) {
        return ReportInterrupted(options, path, outcome);
    }
    if (!outcome.made) {
        return StepFailed(TerminalText(outcome.message));
    }
    if (options.part && !outcome.opened) {
        std::printf("%s\n", outcome.message.c_str());  // an empty share
    } else if (job.writer.key) {
        std::printf("%s: %s (%d frames) and its key %s\n", outcome.message.c_str(), TerminalText(path).c_str(),
                    outcome.framesWritten, TerminalText(KeyMoviePath(path)).c_str());
    } else {
        std::printf("%s: %s (%d frames)\n", outcome.message.c_str(), TerminalText(path).c_str(), outcome.framesWritten);
    }
    return StepDone();
}

StepResult RenderMovieCommand(Show& show, const RenderOptions& options) {
    MovieFrameSource source = [](Show& s, double frame, int antiAliasing, CDib& image) {
        return RenderMovieFrame(s, frame, image.Width(), image.Height(), antiAliasing, image);
    };
    return RenderMovieWith(show, options, source);
}
