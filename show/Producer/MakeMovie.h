// Make Movie without its dialog: the option rules (sizes, timecodes, rate,
// fields, frame count), the Render range loop with its holds, reverse pass,
// cancelling and progress figures, and the whole run from opening the writer
// to closing it. The frames come from a callback, so the loop runs with the
// chart renderer, the command line or a test's synthetic pictures alike.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "CDib.h"
#include "MakeMovieAVI.h"
#include "Utilities.h"

constexpr int kMaxMovieSize = 4096;
constexpr double kMaxMovieRate = 60.0;
constexpr int kFieldModeFields = 3;

// The option rows as text, in the dialog's order.
struct MovieOptionTexts {
    std::string width;
    std::string height;
    std::string start;
    std::string end;
    std::string hold;
    std::string fps;
    std::string quality;
    std::string fields;             // "1" ticked, empty clear
    std::string reverse;            // "1" ticked, empty clear
    std::string alpha;              // "1": the chart over a transparent background, its coverage as alpha
    std::string key;                // "1": the key movie too (NAME-key.mov)
    int32_t frameRate = kRateNtsc;  // the show's, in which the timecode rows count
};

// The options as numbers.
struct MovieOptions {
    int width = 0;
    int height = 0;
    int32_t start = 0;
    int32_t end = 0;
    int32_t hold = 0;
    double framesPerSecond = 0.0;
    int quality = 100;
    int fieldMode = 0;  // kFieldModeFields or 0
    bool reverse = false;
    bool alpha = false;
    bool key = false;
};

// Reads the rows from the Movie... settings (defaults for the show's frame
// rate) and the end row from the last keyframe's frame, in the long form.
MovieOptionTexts ReadMovieOptionTexts(int32_t lastKeyFrame, int32_t frameRate);
// Stores the rows (not the end) under their settings keys; alpha and key as
// MovieAlpha and MovieKey.
void WriteMovieOptionTexts(const MovieOptionTexts& texts);

// The field mode a movie of the options' size and rate has unless fields
// are asked for or refused: the Fields row's (the MovieFields setting's)
// only where the format is interlaced (BroadcastFormats.h), none elsewhere.
int DefaultFieldMode(const MovieOptions& options);

// Whether the lower field comes first by default: for 480 and 486 lines (the
// NTSC convention), not for other heights; the show's field swap flips it.
bool DefaultLowerFieldFirst(int height, bool fieldSwap);

// The frame's shape (height / width) of a movie of this size from the
// show's: 16:9 for a picture whose square pixels make a 16:9 frame (HD,
// 1280 x 720, 1920 x 1080), which no 4:3 frame fits.
double MovieFrameAspect(int width, int height, double showAspect);

// The movie rate that matches the program's frame rate, as typed: "29.97",
// "25" or "23.976".
const char* ShowMovieRateText(int32_t frameRate);

// min(decimal value, 4096); below 1 gives 0.
int MovieDimension(const char* text);
// The decimal value capped at 60; not above 0 gives 0.
double MovieRate(const char* text);
// All rows as numbers; timecodes keep 0, the last keyframe's frame and 0 as
// their old values, and an End row left as proposed is that frame. Quality
// is kept within 0..100.
MovieOptions ParseMovieOptions(const MovieOptionTexts& texts, int32_t lastKeyFrame);
// Writes start, end and hold back into their rows in the long form.
void NormaliseMovieTimecodes(MovieOptionTexts& texts, const MovieOptions& options);
// The text stored for a start or hold frame: a timecode that entry reads
// back to the same frame at the rate ("-" before a negative one).
std::string MovieTimecodeToStore(int32_t frame, int32_t frameRate);
// end + 2 x hold - start, doubled with the reverse pass.
int32_t MovieFrameCount(const MovieOptions& options);
// Empty when the size can be rendered, otherwise a message saying why not.
std::string MovieSizeProblem(const MovieOptions& options);

// The file type index stored as MovieType for a chosen path: 2 ".dps",
// 1 ".mov", 3 ".rtv", else 0; and the save dialog's filter and default
// extension for a stored type.
int MovieTypeFor(const char* path);
const char* MovieFileFilter(int type);
const char* MovieDefaultExtension(int type);

// ---- progress

struct ProgressFigures {
    int percent = 0;       // trunc(fraction x 100)
    long secondsToGo = 0;  // whole seconds left, rounded up
    std::string timeToGo;  // "Time to go: MM:SS"
};
// The figures the progress panel shows at `fraction` (0..1) of a pass that
// started at `startTick`, now being `nowTick` (milliseconds). A start tick
// of 0 gives no time to go.
ProgressFigures ComputeProgress(double fraction, uint32_t startTick, uint32_t nowTick);

constexpr const char* kRenderingMessage = "Rendering... (Hit Esc key to cancel)";
constexpr const char* kHoldMessage = "Rendering Hold... (Hit any key to cancel)";
constexpr const char* kMovieMadeMessage = "Movie file successfully made";
constexpr const char* kMoviesMadeMessage = "Movie files successfully made";
constexpr const char* kNoMemoryMessage = "Not Enough Memory to Make Movie";

// ---- the render loop

struct RenderRangeHooks {
    // Renders show frame `frame` (a half frame for the second field) into
    // the picture, which is already the movie's size and depth: 24 bits, or
    // 32 with the chart's coverage as alpha for alpha and key movies.
    // Required.
    std::function<bool(double frame, CDib& image)> grab;
    // The progress panel: fraction, message, start tick (0 during holds).
    std::function<void(double fraction, const char* message, uint32_t startTick)> progress;
    // The frame counter and the timeline follow the current frame.
    std::function<void(int32_t frame)> showFrame;
    // Takes one pending event: true when it was a key that cancels (Esc
    // while rendering, any key during holds).
    std::function<bool()> cancelled;
};

struct RenderRangeResult {
    bool failed = false;     // a frame could not be rendered or written: the movie ends
    bool cancelled = false;  // a key ended the frames of the pass
    std::string error;       // what failed
};

// Renders from `from` up to (not including) `to`, backwards when `to` is
// below `from`, with `hold` extra copies of the first and of the last frame.
// With field mode 3 each movie frame is two fields rendered half a frame
// apart and interleaved line by line, the upper field first unless
// `lowerFieldFirst`.
RenderRangeResult RenderRange(MovieWriter& writer, CDib& image, int fieldMode, bool lowerFieldFirst, int32_t from,
                              int32_t to, int32_t hold, const RenderRangeHooks& hooks);

// Interleaves two fields: the lines of `second` that belong to the later
// field replace those of `first`. Lines are counted from the top; the upper
// field holds lines 0, 2, 4 ...
void InterleaveFields(CDib& first, const CDib& second, bool lowerFieldFirst);

// ---- a whole movie

struct MovieJob {
    MovieOptions options;
    std::string path;
    MovieWriterOptions writer;     // codec, storing of CodecType, aspect, alpha, key
    bool lowerFieldFirst = false;  // with fields: the lower field first
};

struct MovieOutcome {
    bool opened = false;  // the writer was opened
    bool made = false;    // every frame written and the file finished
    bool cancelled = false;
    int32_t framesWritten = 0;
    int32_t framesAnnounced = 0;
    std::string message;  // for the user
};

// Prepares and opens the writer, renders the range (and the reverse pass),
// closes the writer on every path and says how it went.
MovieOutcome MakeMovieFile(const MovieJob& job, const RenderRangeHooks& hooks);

// The steps of a whole movie around its passes: prepares and opens the
// writer for `frameCount` frames with the picture made at the movie's size
// (a failure says why, as in "The movie file "<path>" could not be made:
// <reason>"; nothing is shown), and closes it, wording the outcome (fewer
// frames than `framesExpected`: cut short by a cancel).
Result OpenMovieWriter(const MovieJob& job, MovieWriter& writer, CDib& image, int32_t frameCount,
                       MovieOutcome& outcome);
void CloseMovieWriter(const std::string& path, MovieWriter& writer, const RenderRangeResult& pass,
                      int32_t framesExpected, MovieOutcome& outcome);

// Make Movie after its dialog and file chooser: parses the confirmed rows
// (old values 0, `lastKeyFrame` and 0), writes the normalised timecodes back
// into them, stores MovieType for the path, makes the movie (fields in the
// default order for its height, flipped by `fieldSwap`; the frame's shape
// from `showAspect` as MovieFrameAspect gives it; with the Alpha and Key
// rows the fill keeps alpha and the key movie is made too) and, once the
// writer was opened, stores the option rows.
MovieOutcome MakeMovieFromRows(MovieOptionTexts& rows, int32_t lastKeyFrame, const std::string& path, bool fieldSwap,
                               double showAspect, const RenderRangeHooks& hooks);
