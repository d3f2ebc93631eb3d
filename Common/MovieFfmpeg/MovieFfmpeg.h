// The movie layer the writers and readers share, on FFmpeg: the records of
// an open movie (MovieSink and what it is opened with), exact rates and
// timecodes, the compressors by four-character code, and reading movie
// frames by number. MakeMovieAVI (the writer dispatch) and MakeMovieQT build
// on it; it includes neither. The encoder behind the AVI and QuickTime
// writers is in FfmpegWriter.h, the codec table's details in MovieCodecs.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CDib.h"

enum class MovieContainer { Avi, QuickTime };
enum class FieldOrder { Progressive, UpperFirst, LowerFirst };

// The four-character codes the container offers, the default first not
// guaranteed ("DIB ", "MJPG", "avc1", "png " for AVI; "raw ", "MJPG", "avc1",
// the ProRes flavours "apco", "apcs", "apcn", "apch", "ap4h", "ap4x", then
// "rle ", "png ", "AVdh" for QuickTime).
std::vector<std::string> MovieCodecCodes(MovieContainer container);
// The compressor's plain name as the user sees it ("H.264" for "avc1");
// a code without one shows as itself.
std::string MovieCodecName(const std::string& code);

// A movie rate as an exact fraction: rate / scale frames per second.
struct ExactRate {
    int32_t rate = 0;
    int32_t scale = 1;
};
// The exact rate a typed rate means: 29.97 is 30000/1001, 23.976 (or 23.98)
// 24000/1001 and 59.94 60000/1001; any other rate is taken as typed, in
// hundredths (25 is 2500/100) or, when it has a third decimal, thousandths.
// A rate of 0 or below gives rate 0.
ExactRate ExactMovieRate(double framesPerSecond);
// The timecode of a movie's first frame: its frame count in the
// timecode's own counting (drop-frame skips numbers) and which counting.
struct MovieTimecodeStart {
    int64_t frame = 0;
    bool dropFrame = false;
};
// The timecode of frame `frame` at the rate: "HH:MM:SS:FF" counted without
// dropping, or with `dropFrame` as SMPTE 12M drop-frame counts at 29.97 and
// 59.94 ("HH:MM:SS;FF"), within 24 hours (earlier frames count back from
// midnight). Empty for a rate no timecode runs at (only 23.976, 24, 25,
// 29.97, 30, 50, 59.94 and 60 do) and for drop-frame at another rate.
std::string MovieTimecode(ExactRate rate, int64_t frame, bool dropFrame);
// Whole frames of a timecode second at the rate (30 at 29.97), 0 when no
// timecode runs at it.
int MovieTimecodeBase(ExactRate rate);
// Reads "HH:MM:SS:FF" (non-drop) or "HH:MM:SS;FF" (drop-frame) at the rate:
// false with the reason when the text is no such timecode, names a frame
// the rate does not have, or is drop-frame at a rate other than 29.97 and
// 59.94.
bool ParseMovieTimecode(const std::string& text, ExactRate rate, MovieTimecodeStart& start, std::string& error);
// Whether the text has the form of a timecode "HH:MM:SS:FF" or
// "HH:MM:SS;FF" (hours below 24, minutes and seconds below 60); the frames
// are checked against the rate by ParseMovieTimecode.
bool IsMovieTimecodeText(const std::string& text);

// One open movie file of one kind.
class MovieSink {
public:
    virtual ~MovieSink() = default;
    // Writes one 24- or 32-bit bottom-up frame at position `index`.
    virtual bool WriteFrame(int32_t index, const CDib& image) = 0;
    // Finishes and closes the file; false when that failed.
    virtual bool Close() = 0;
    // Frames that reached the file, when the sink knows better than the
    // count of successful writes (frames still queued may fail); else -1.
    virtual int32_t FramesStored() const { return -1; }
    const std::string& Error() const { return error_; }

protected:
    std::string error_;
};

// What a writer opens its movie file with.
struct SinkParameters {
    std::string path;  // the file written (the temporary name)
    int width = 0;
    int height = 0;
    double framesPerSecond = 0.0;
    int quality = 100;
    int32_t frameCount = 0;
    std::string codec;  // resolved four-character code (AVI and QuickTime)
    FieldOrder fieldOrder = FieldOrder::Progressive;
    double pictureAspect = 0.0;
    std::vector<std::pair<std::string, std::string>> tags;
    // The first frame's timecode (QuickTime movies carry a timecode track).
    std::optional<MovieTimecodeStart> timecode;
    bool alpha = false;  // 32-bit frames whose alpha the movie keeps
    // The key of a tag whose value ends with the digest of the coded frames
    // (kCodedFramesLabel and the MD5 of every video packet's bytes in order,
    // 32 hex digits), written when the movie is closed; empty: none.
    std::string frameDigestTag;
};

// What comes before the frames' digest in a tag, and its length in hex.
constexpr const char* kCodedFramesLabel = "; coded ";
constexpr size_t kFrameDigestDigits = 32;

// ---- reading movie frames by number (background movies)

// An open movie being read: its decoder and the position reached.
struct BackgroundMovie;

// Opens `path` with the named demuxer (null: probe the file) and decodes the
// first frame into `image` (24-bit, bottom-up); null on failure.
BackgroundMovie* OpenMovieReader(const char* path, const char* demuxer, CDib& image);
// Opens an AVI or QuickTime movie as a background, the demuxer chosen by the
// name as the writers are (".mov" QuickTime, anything else probed), and
// decodes its first frame into `image`. Null when the file is no readable
// movie.
BackgroundMovie* OpenBackgroundMovie(const char* path, CDib& image);
// The number of frames, as far as the file tells.
int32_t BackgroundMovieFrameCount(const BackgroundMovie& movie);
// Decodes frame `frame` (0 the first) into `image`; false when there is no
// such frame or it cannot be decoded.
bool ReadBackgroundMovieFrame(BackgroundMovie& movie, int32_t frame, CDib& image);
// Releases everything of an open movie; does nothing for null.
void ReleaseBackgroundMovie(BackgroundMovie* movie);
