// The movie command of tavrilo-render: options to a movie job, a progress
// line on a terminal, Ctrl+C as Esc.
#include "RenderMovie.h"

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>

#include "BroadcastFormats.h"
#include "Interrupts.h"
#include "MovieCodecs.h"
#include "MovieFrames.h"
#include "MovieParts.h"
#include "Settings.h"
#include "SettingsKeys.h"
#include "ShowFile.h"
#include "Utilities.h"

namespace {

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
    t.fps = o.fps.value_or(ShowMovieRateText(t.frameRate));
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

namespace {

// The writer the output's last suffix names.
int WriterKindOf(const std::string& path) {
    switch (FileKindOf(path)) {
        case FileKind::QuickTime:
            return kWriterQuickTime;
        case FileKind::Dps:
            return kWriterDps;
        case FileKind::Rtv:
            return kWriterRtv;
        default:
            return kWriterAvi;
    }
}

// What the codec says of the size and the fields, before anything is
// written (the writer would refuse later, or code the fields as frames).
std::string CodecProblem(const MovieJob& job) {
    if (job.writer.kind != kWriterAvi && job.writer.kind != kWriterQuickTime) {
        return {};
    }
    std::string requested = job.writer.codec.empty() ? ReadSettingString(kSettingCodecType, "") : job.writer.codec;
    MovieContainer container = job.writer.kind == kWriterAvi ? MovieContainer::Avi : MovieContainer::QuickTime;
    const MovieCodec& codec = ChooseMovieCodec(requested, container);
    bool fields = job.options.fieldMode == kFieldModeFields;
    return MovieCodecSizeProblem(codec, job.options.width, job.options.height, fields);
}

// Refusals of the command line beyond the desktop's rules: a size the
// desktop would cut down, a range without frames.
std::string CommandLineProblem(const RenderOptions& options, const MovieJob& job) {
    if ((options.width && *options.width > kMaxMovieSize) || (options.height && *options.height > kMaxMovieSize)) {
        return "--size must be between 1x1 and " + std::to_string(kMaxMovieSize) + "x" + std::to_string(kMaxMovieSize);
    }
    if (job.options.end == job.options.start && job.options.hold <= 0) {
        return "nothing to render: --end must come after --start";
    }
    return {};
}

// The frame's shape: as given or the show's, 16:9 at HD sizes.
bool ChooseMovieShape(const Show& show, const RenderOptions& options, MovieJob& job, std::string& error) {
    float shape = show.frameAspect;
    if (!ChooseFrameShape(job.options.width, job.options.height, options.aspect, show.frameAspect, shape, error)) {
        return false;
    }
    job.writer.pictureAspect = shape;
    return true;
}

// Fields where the format is interlaced, unless asked for or refused (the
// MovieFields setting off refuses them too).
void ChooseFields(const RenderOptions& options, MovieOptions& movie) {
    if (!options.fields) {
        movie.fieldMode = DefaultFieldMode(movie);
    }
}

// The first frame's timecode as typed with --timecode, read at the movie's
// rate; without it the writer uses the range's start.
bool ChooseTimecode(const RenderOptions& options, MovieJob& job, std::string& error) {
    if (!options.timecode) {
        return true;
    }
    MovieTimecodeStart start;
    if (!ParseMovieTimecode(*options.timecode, ExactMovieRate(job.options.framesPerSecond), start, error)) {
        error = "--timecode " + TerminalText(*options.timecode) + ": " + error;
        return false;
    }
    job.writer.timecode = start;
    return true;
}

bool CheckDps(const MovieJob& job, std::string& error) {
    if (job.writer.kind != kWriterDps) {
        return true;
    }
    error = DpsMovieProblem(job.options.width, job.options.height, job.options.framesPerSecond);
    return error.empty();
}

}  // namespace

bool MovieJobFromOptions(const Show& show, const RenderOptions& options, MovieJob& job, std::string& error) {
    int32_t lastKey = LastKeyFrame(show);
    MovieOptionTexts texts = ReadMovieOptionTexts(lastKey, show.frameRate);
    ApplyCommandLine(options, texts);
    job.options = ParseMovieOptions(texts, lastKey);
    ChooseFields(options, job.options);
    // The render loop would play a range whose end comes first backwards;
    // typed on a command line, it is a slip.
    error = RangeOrderProblem(job.options.start, job.options.end, options.end.has_value());
    if (!error.empty()) {
        return false;
    }
    job.path = options.outPath;
    job.writer.kind = WriterKindOf(job.path);
    job.writer.codec = options.codec ? FourCharacterCode(*options.codec) : std::string();
    job.writer.storeCodec = false;
    job.writer.alpha = options.alpha;
    job.writer.key = options.key;
    if (!ChooseMovieShape(show, options, job, error) || !ChooseTimecode(options, job, error)) {
        return false;
    }
    if (options.alpha) {
        std::string requested = job.writer.codec.empty() ? ReadSettingString(kSettingCodecType, "") : job.writer.codec;
        error = MovieAlphaProblem(job.writer.kind, requested);
        if (!error.empty()) {
            error = "--alpha: " + error;
            return false;
        }
    }
    job.lowerFieldFirst =
        options.lowerFieldFirst.value_or(DefaultLowerFieldFirst(job.options.height, show.fieldSwap != 0));
    error = CommandLineProblem(options, job);
    if (error.empty()) {
        error = MovieSizeProblem(job.options);
    }
    if (error.empty()) {
        error = CodecProblem(job);
    }
    return error.empty() && CheckDps(job, error);
}

namespace {

std::string PartText(const RenderOptions& options) {
    return "part " + std::to_string(*options.part) + "/" + std::to_string(options.parts);
}

// What a stopped render left behind, and the exit status: 128 + the signal.
StepResult ReportInterrupted(const RenderOptions& options, const std::string& path, const MovieOutcome& outcome) {
    const std::string how = InterruptText(InterruptSignal());
    int status = 128 + InterruptSignal();
    if (!outcome.made) {
        return StepFailed(how + ": " + TerminalText(outcome.message), status);
    }
    if (!options.part) {
        return StepFailed(
            how + "; " + TerminalText(path) + " holds " + std::to_string(outcome.framesWritten) + " frames", status);
    }
    return StepFailed(how + "; " + TerminalText(path) + " is closed and holds " +
                          std::to_string(outcome.framesWritten) + " of its " + std::to_string(outcome.framesAnnounced) +
                          " frames: render " + PartText(options) + " again before joining",
                      status);
}

// What made the part's pictures beyond the job: the show's data and the
// options the frame source applies.
MovieSegmentOrigin PartOrigin(Show& show, const MovieJob& job, int antiAliasing) {
    return {{"show", ShowContentDigest(show)},
            {"rate", std::to_string(show.frameRate)},
            {"aa", std::to_string(antiAliasing)},
            {"aspect", std::to_string(job.writer.pictureAspect)}};
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
    hooks.cancelled = [] { return InterruptSignal() != 0; };
    if (terminal) {
        hooks.progress = [&](double fraction, const char*, uint32_t startTick) {
            if (startTick != 0) {
                PrintProgress(fraction, startTick, currentFrame);
            }
        };
    }
    InterruptScope interrupts;
    MovieOutcome outcome =
        options.part ? MakeMoviePartFile(job, *options.part, options.parts, hooks, PartOrigin(show, job, antiAliasing))
                     : MakeMovieFile(job, hooks);
    std::string path = options.part ? MovieSegmentPath(job.path, *options.part) : job.path;
    if (terminal) {
        std::fprintf(stderr, "\n");
    }
    if (InterruptSignal() != 0 && (outcome.made || outcome.cancelled)) {
        return ReportInterrupted(options, path, outcome);
    }
    if (!outcome.made) {
        return StepFailed(TerminalText(outcome.message));
    }
    if (options.part && !outcome.opened) {
        std::printf("%s\n", outcome.message.c_str());  // an empty share
    } else if (job.writer.key && !options.part) {
        // The message names the movie and its key.
        std::printf("%s (%d frames)\n", TerminalText(outcome.message).c_str(), outcome.framesWritten);
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
