// A whole movie: writer, frame picture, the passes and the closing word.
#include "MakeMovie.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// The writer the job names, or the one its path selects.
int WriterKind(const MovieJob& job) {
    return job.writer.kind != kWriterNone ? job.writer.kind : MovieWriterKindFor(job.path.c_str());
}

// The frames a finished run holds: each pass writes the range and the two
// holds (a pass over an empty range only its tail hold).
int32_t FramesExpected(const MovieOptions& o) {
    const int64_t range = std::llabs(int64_t{o.end} - o.start);
    const int64_t pass = range > 0 ? range + 2 * int64_t{o.hold} : o.hold;
    const int64_t all = o.reverse ? 2 * pass : pass;
    return all > INT32_MAX ? INT32_MAX : static_cast<int32_t>(all);
}

// The movies a finished run made: the fill and, when asked for, its key.
std::string BothMovies(const std::string& path) {
    return path + " and " + KeyMoviePath(path);
}

std::string CancelledText(int32_t written, int32_t expected, const std::string& path, bool key) {
    std::string text = std::string(key ? "Movie files" : "Movie file") + " made with " + std::to_string(written) +
                       " of " + std::to_string(expected) + " frames: rendering was cancelled";
    return key ? text + " (" + BothMovies(path) + ")" : text;
}

std::string MadeText(const std::string& path, bool key) {
    return key ? std::string(kMoviesMadeMessage) + ": " + BothMovies(path) : std::string(kMovieMadeMessage);
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// With a key movie the progress panel names both files.
RenderRangeHooks NamingBothMovies(const MovieJob& job, const RenderRangeHooks& hooks, std::string& text) {
    if (!job.writer.key || !hooks.progress) {
        return hooks;
    }
    text = "Rendering " + FileNameOf(job.path) + " and " + FileNameOf(KeyMoviePath(job.path)) +
           "... (Hit Esc key to cancel)";
    RenderRangeHooks named = hooks;
    named.progress = [&hooks, &text](double fraction, const char* message, uint32_t startTick) {
        const bool rendering = std::strcmp(message, kRenderingMessage) == 0;
        hooks.progress(fraction, rendering ? text.c_str() : message, startTick);
    };
    return named;
}

std::string FramesWrittenText(int32_t count) {
    return std::to_string(count) + (count == 1 ? " frame was written." : " frames were written.");
}

// What became of the file a failed movie would have replaced.
std::string KeptText(const std::string& path) {
    return access(path.c_str(), F_OK) == 0 ? " " + path + " was left as it was." : std::string(" No file was made.");
}

}  // namespace

Result OpenMovieWriter(const MovieJob& job, MovieWriter& writer, CDib& image, int32_t frameCount,
                       MovieOutcome& outcome) {
    const MovieOptions& o = job.options;
    if (std::string size = MovieSizeProblem(o); !size.empty()) {
        return Result::Failed(size);
    }
    if (!PathFits(job.path.c_str())) {
        char text[600] = {};
        PathTooLongText(job.path.c_str(), text, sizeof(text));
        return Result::Failed(text);
    }
    writer.options = job.writer;
    // The program counts its frames without dropping any: by default the
    // first frame reads the start as it was typed.
    writer.options.timecode = job.writer.timecode.value_or(MovieTimecodeStart{o.start, false});
    if (o.fieldMode == kFieldModeFields) {
        writer.options.fieldOrder = job.lowerFieldFirst ? FieldOrder::LowerFirst : FieldOrder::UpperFirst;
    }
    if (!writer.Prepare(o.framesPerSecond, o.quality, WriterKind(job) == kWriterQuickTime)) {
        return Result::Failed("The movie cannot be made: " + writer.LastError());
    }
    // Alpha and key movies are made from frames that keep the coverage.
    int bitsPerPixel = job.writer.alpha || job.writer.key ? 32 : 24;
    if (!image.Create(o.width, o.height, bitsPerPixel)) {
        return Result::Failed(kNoMemoryMessage);
    }
    outcome.framesAnnounced = frameCount;
    if (!writer.Open(MakeFileSpec(job.path.c_str()), image, o.framesPerSecond, o.quality, frameCount)) {
        return Result::Failed("The movie file \"" + job.path + "\" could not be made: " + writer.LastError());
    }
    outcome.opened = true;
    return {};
}

void CloseMovieWriter(const std::string& path, MovieWriter& writer, const RenderRangeResult& pass,
                      int32_t framesExpected, MovieOutcome& outcome) {
    // A failed movie is abandoned: its temporary file goes and the file it
    // would have replaced stays. Cancelling closes the frames made so far;
    // a movie that got no frame at all replaces nothing.
    bool closed = false;
    const bool empty = !pass.failed && writer.FramesWritten() == 0;
    if (pass.failed || empty) {
        writer.Abandon();
    } else {
        closed = writer.Close();
    }
    outcome.framesWritten = writer.FramesWritten();
    if (empty) {
        outcome.cancelled = outcome.cancelled || pass.cancelled;
        outcome.message = std::string(outcome.cancelled ? "Rendering was cancelled before the first frame was written."
                                                        : "The movie has no frames to render.") +
                          KeptText(path);
    } else if (pass.failed) {
        outcome.message = "The movie could not be finished: " + pass.error + ". " +
                          FramesWrittenText(outcome.framesWritten) + KeptText(path);
    } else if (!closed) {
        outcome.message = "The movie file could not be finished: " + writer.LastError() + ". " +
                          FramesWrittenText(outcome.framesWritten) + KeptText(path);
    } else {
        // A key cut the frames or a hold short: the file is good but holds
        // fewer frames than asked for, and says so.
        outcome.made = true;
        outcome.cancelled = outcome.cancelled || outcome.framesWritten < framesExpected;
        const bool key = writer.options.key;
        outcome.message =
            outcome.cancelled ? CancelledText(outcome.framesWritten, framesExpected, path, key) : MadeText(path, key);
    }
}

MovieOutcome MakeMovieFile(const MovieJob& job, const RenderRangeHooks& givenHooks) {
    std::string rendering;
    const RenderRangeHooks hooks = NamingBothMovies(job, givenHooks, rendering);
    MovieOutcome outcome;
    const MovieOptions& o = job.options;
    MovieWriter writer;
    CDib image(16, 16, 8);
    if (Result opened = OpenMovieWriter(job, writer, image, MovieFrameCount(o), outcome); !opened) {
        outcome.message = opened.Message();
        return outcome;
    }
    RenderRangeResult pass =
        RenderRange(writer, image, o.fieldMode, job.lowerFieldFirst, o.start, o.end, o.hold, hooks);
    outcome.cancelled = pass.cancelled;
    // A cancel ends the whole render: the reverse pass is not started.
    if (!pass.failed && !pass.cancelled && o.reverse) {
        pass = RenderRange(writer, image, o.fieldMode, job.lowerFieldFirst, o.end, o.start, o.hold, hooks);
        outcome.cancelled = outcome.cancelled || pass.cancelled;
    }
    CloseMovieWriter(job.path, writer, pass, FramesExpected(o), outcome);
    return outcome;
}
