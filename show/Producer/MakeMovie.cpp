// A whole movie: writer, frame picture, the passes and the closing word.
#include "MakeMovie.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

bool WriterSaidIt(const MovieJob& job, const MovieWriter& writer) {
    // The RTV writer shows its own message when its library is missing.
    return MovieWriterKindFor(job.path.c_str()) == kWriterRtv &&
           writer.LastError().find("is not installed!") != std::string::npos;
}

// The frames a finished run holds: each pass writes the range and the two
// holds (a pass over an empty range only its tail hold).
int32_t FramesExpected(const MovieOptions& o) {
    const int64_t range = std::llabs(int64_t{o.end} - o.start);
    const int64_t pass = range > 0 ? range + 2 * int64_t{o.hold} : o.hold;
    const int64_t all = o.reverse ? 2 * pass : pass;
    return all > INT32_MAX ? INT32_MAX : static_cast<int32_t>(all);
}

std::string CancelledText(int32_t written, int32_t expected) {
    return "Movie file made with " + std::to_string(written) + " of " + std::to_string(expected) +
           " frames: rendering was cancelled";
}

std::string FramesWrittenText(int32_t count) {
    return std::to_string(count) + (count == 1 ? " frame was written." : " frames were written.");
}

// What became of the file a failed movie would have replaced.
std::string KeptText(const std::string& path) {
    return access(path.c_str(), F_OK) == 0 ? " " + path + " was left as it was." : std::string(" No file was made.");
}

}  // namespace

bool OpenMovieWriter(const MovieJob& job, MovieWriter& writer, CDib& image, int32_t frameCount, MovieOutcome& outcome) {
    const MovieOptions& o = job.options;
    outcome.message = MovieSizeProblem(o);
    if (!outcome.message.empty()) {
        return false;
    }
    if (!PathFits(job.path.c_str())) {
        char text[600] = {};
        PathTooLongText(job.path.c_str(), text, sizeof(text));
        outcome.message = text;
        return false;
    }
    writer.options = job.writer;
    writer.options.firstFrameNumber = job.writer.firstFrameNumber.value_or(o.start);
    if (o.fieldMode == kFieldModeFields) {
        writer.options.fieldOrder = job.lowerFieldFirst ? FieldOrder::LowerFirst : FieldOrder::UpperFirst;
    }
    bool isQuickTime = std::strstr(job.path.c_str(), ".mov") != nullptr;
    if (!writer.Prepare(o.framesPerSecond, o.quality, isQuickTime)) {
        outcome.message = "The movie cannot be made: " + writer.LastError();
        return false;
    }
    // Alpha and key movies are made from frames that keep the coverage.
    int bitsPerPixel = job.writer.alpha || job.writer.key ? 32 : 24;
    if (!image.Create(o.width, o.height, bitsPerPixel)) {
        outcome.message = kNoMemoryMessage;
        return false;
    }
    outcome.framesAnnounced = frameCount;
    if (!writer.Open(MakeFileSpec(job.path.c_str()), image, o.framesPerSecond, o.quality, frameCount)) {
        if (!WriterSaidIt(job, writer)) {
            outcome.message = "The movie file could not be made: " + writer.LastError();
        }
        return false;
    }
    outcome.opened = true;
    return true;
}

void CloseMovieWriter(const std::string& path, MovieWriter& writer, const RenderRangeResult& pass,
                      int32_t framesExpected, MovieOutcome& outcome) {
    // A failed movie is abandoned: its temporary file goes and the file it
    // would have replaced stays. Cancelling closes the frames made so far.
    // A movie cancelled before its first frame holds nothing: it is
    // abandoned like a failed one.
    const bool empty = (outcome.cancelled || pass.cancelled) && writer.FramesWritten() == 0;
    bool closed = false;
    if (pass.failed || empty) {
        writer.Abandon();
    } else {
        closed = writer.Close();
    }
    outcome.framesWritten = writer.FramesWritten();
    if (empty && !pass.failed) {
        outcome.cancelled = true;
        outcome.message = "Rendering was cancelled before the first frame was written." + KeptText(path);
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
        outcome.message =
            outcome.cancelled ? CancelledText(outcome.framesWritten, framesExpected) : std::string(kMovieMadeMessage);
    }
}

MovieOutcome MakeMovieFile(const MovieJob& job, const RenderRangeHooks& hooks) {
    MovieOutcome outcome;
    const MovieOptions& o = job.options;
    MovieWriter writer;
    CDib image(16, 16, 8);
    if (!OpenMovieWriter(job, writer, image, MovieFrameCount(o), outcome)) {
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
