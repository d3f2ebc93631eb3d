// Movie output: the writer chosen by the movie file's extension (AVI,
// QuickTime, DPS, Video Toaster RTV) with its four operations. The records
// and the FFmpeg layer the writers share (the compressors by four-character
// code, exact rates, timecodes) come from MovieFfmpeg.h; the QuickTime
// writer from MakeMovieQT. Make Movie and tavrilo-render write through
// MovieWriter; background movies are read by MovieFfmpeg alone.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CrossPlatform.h"
#include "MovieFfmpeg.h"
#include "OutputClaim.h"

// The writer kinds.
enum MovieWriterKind : int {
    kWriterNone = -1,
    kWriterAvi = 0,
    kWriterDps = 100,
    kWriterQuickTime = 200,
    kWriterRtv = 300
};

// The code the writer uses for `requested`: itself when the container offers
// it, otherwise the container's default ("MJPG" for AVI, "apch" for QuickTime).
std::string ResolveMovieCodec(const std::string& requested, MovieContainer container);

// The writer kind the path selects (case-sensitive tests, in this order):
// ".mov" QuickTime, ".dps" DPS, ".rtv" RTV, anything else AVI.
int MovieWriterKindFor(const char* path);

struct MovieWriterOptions {
    // The writer; kWriterNone: the one the path selects (MovieWriterKindFor).
    // The command line names it from the last suffix of the path alone.
    int kind = kWriterNone;
    // The compressor's four-character code; empty: the CodecType setting.
    std::string codec;
    // Write the code used back to CodecType after a successful open. The
    // command line turns this off: it never writes settings.
    bool storeCodec = true;
    FieldOrder fieldOrder = FieldOrder::Progressive;
    // The displayed picture's height / width (0.75 for 4:3); the stream's
    // pixel aspect is set from it. 0: square pixels, nothing stored.
    double pictureAspect = 0.0;
    // Container tags such as "comment" (AVI and QuickTime), and those of the
    // key movie (none: the movie's own).
    std::vector<std::pair<std::string, std::string>> tags;
    std::optional<std::vector<std::pair<std::string, std::string>>> keyTags;
    // The tag that ends with the digest of the coded frames (each movie its
    // own), as SinkParameters has it; empty: none.
    std::string frameDigestTag;
    // The first frame's timecode: QuickTime movies carry it in their
    // timecode track.
    std::optional<MovieTimecodeStart> timecode;
    // Frames are 32-bit with the chart's coverage as alpha, and the movie
    // keeps it; Open refuses a codec or writer that cannot.
    bool alpha = false;
    // Also write the key (the frames' alpha as white on black) as a second
    // movie, KeyMoviePath of the movie's path, in the same codec.
    bool key = false;
};

// Empty when a DPS movie can hold frames of this size at this rate: 720 x
// 486 at 29.97 frames per second (525 lines) or 720 x 576 at 25 (625
// lines), the two its header carries; otherwise a one-line reason.
std::string DpsMovieProblem(int width, int height, double framesPerSecond);

// The path of the key movie that goes with `path`: "-key" before the
// extension ("show.mov" gives "show-key.mov").
std::string KeyMoviePath(const std::string& path);
// Empty when the writer of kind `kind` (or the one `path` selects) with the
// codec `requested` (resolved as Open resolves it) keeps alpha; otherwise a
// one-line reason.
std::string MovieAlphaProblem(int kind, const std::string& requested);
std::string MovieAlphaProblem(const std::string& path, const std::string& requested);

// The movie writer of Make Movie: prepare, open, write frame, close.
class MovieWriter {
public:
    MovieWriter();
    ~MovieWriter();  // closes a movie still open
    MovieWriter(const MovieWriter&) = delete;
    MovieWriter& operator=(const MovieWriter&) = delete;

    MovieWriterOptions options;

    // Checks that the writer for the container can be used; succeeds at once
    // for everything but QuickTime.
    bool Prepare(double framesPerSecond, int quality, bool isQuickTime);
    // Opens the writer (options.kind, or the one the path selects) for
    // frames the size and depth of `image`. DPS needs 720 x 486 at 29.97
    // frames per second or 720 x 576 at 25 (see DpsMovieProblem) and fails
    // otherwise with the reason. The movie is written under a temporary name
    // of this process's own beside the target (the file a symbolic link
    // names), claimed as OutputClaim says: a target another live run is
    // writing is refused, and so is one that exists and is not a regular file.
    bool Open(const FileSpec& file, const CDib& image, double framesPerSecond, int quality, int32_t frameCount);
    // Writes a frame; index -1 means the next one.
    bool WriteFrame(int32_t index, const CDib& image);
    // Closes the movie and puts it in place of the target; false when the
    // file could not be finished, and then the target is left as it was.
    // (Make Movie abandons a movie that got no frame instead.)
    bool Close();
    // Ends a movie that failed: the temporary file is removed and the target
    // is left as it was.
    void Abandon();

    bool IsOpen() const { return sink_ != nullptr; }
    int Kind() const { return kind_; }
    // Frames written successfully since Open.
    int32_t FramesWritten() const { return framesWritten_; }
    // The compressor used by the last successful AVI or QuickTime open.
    const std::string& CodecUsed() const { return codecUsed_; }
    // What went wrong in the last failed operation.
    const std::string& LastError() const { return lastError_; }

private:
    bool OpenKey(const SinkParameters& fill);
    bool WriteKey(int32_t index, const CDib& image);
    // The frame as the movie takes it: without alpha unless it keeps alpha.
    const CDib& Flattened(const CDib& image);
    // Closes the fill and key movies; false when one could not be finished.
    bool CloseSinks();
    void ReleaseClaims();
    std::string TargetNamed(std::string text) const;

    std::unique_ptr<MovieSink> sink_;
    std::unique_ptr<MovieSink> keySink_;
    CDib keyPicture_{16, 16, 24};
    CDib flatPicture_{16, 16, 24};
    // The claims on the files the movies replace once finished, and the
    // names of those files and of the files being written.
    OutputClaim claim_;
    OutputClaim keyClaim_;
    std::string target_;
    std::string temporary_;
    std::string keyTarget_;
    std::string keyTemporary_;
    int kind_ = kWriterNone;
    int32_t nextIndex_ = 0;
    int32_t framesWritten_ = 0;
    std::string codecUsed_;
    std::string lastError_;
};

// ---- internal: the writers behind MovieWriter

std::unique_ptr<MovieSink> OpenAviSink(const SinkParameters& parameters, std::string& error);
std::unique_ptr<MovieSink> OpenDpsSink(const SinkParameters& parameters, int bitsPerPixel, std::string& error);
std::unique_ptr<MovieSink> OpenRtvSink(const SinkParameters& parameters, int bitsPerPixel, std::string& error);
