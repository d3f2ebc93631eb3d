// The options of tavrilo-render, as parsed from its command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct RenderOptions {
    std::string showPath;         // SHOW.tvr; empty: the demo show
    bool newShow = false;         // --new: start from a new show
    std::optional<int32_t> rate;  // --rate ntsc|pal|film, hundredths of frames per second
    std::string dataPath;         // --data FILE
    std::string streamPath;       // --stream FILE
    std::string intervalText;     // --interval N (frames per stream row)
    std::string savePath;         // --save OUT.tvr
    bool info = false;            // --info
    bool evaluate = false;        // --eval given
    std::vector<int32_t> evalFrames;
    std::string picturePath;              // --picture IN
    std::string outPath;                  // -o OUT
    std::optional<int32_t> frame;         // --frame N
    std::optional<std::string> start;     // --start TC
    std::optional<std::string> end;       // --end TC
    std::optional<std::string> hold;      // --hold TC
    std::optional<std::string> timecode;  // --timecode HH:MM:SS:FF (or ;FF): the first frame's
    std::optional<int> width;             // --size WxH
    std::optional<int> height;
    std::optional<int> antiAliasing;      // --aa 0..100
    std::optional<float> aspect;          // --aspect 4:3 (0.75) | 16:9 (0.5625)
    std::optional<std::string> fps;       // --fps R
    std::optional<std::string> quality;   // --quality Q
    std::optional<std::string> codec;     // --codec CODE
    std::optional<bool> fields;           // --fields / --no-fields (default: the MovieFields setting)
    std::optional<bool> reverse;          // --reverse / --no-reverse (default: the MovieReverse setting)
    std::optional<bool> lowerFieldFirst;  // --field-order upper|lower
    bool alpha = false;                   // --alpha: the chart over a transparent background
    bool key = false;                     // --key: also NAME-key.mov, the key for the movie
    std::optional<int> part;              // --part K/N: K, from 0
    int parts = 1;                        //             N
    std::string joinPath;                 // --join OUT: the joined movie
    std::vector<std::string> segments;    // the segment files after --join OUT
    std::string batchPath;                // --batch JOBS.tsv
    bool bench = false;                   // --bench
    bool help = false;                    // --help
    bool version = false;                 // --version

    // Live output.
    std::string livePath;                  // --live URL: play the show in real time to URL
    std::string liveKeyPath;               // --live-key URL: the key, frame-locked with the fill
    bool loop = false;                     // --loop: play the show round again
    std::optional<std::string> liveStart;  // --live-start TC
    std::string watchPath;                 // --watch FILE: live data
    std::optional<std::string> morph;      // --morph TC (default one second)
    std::optional<int> controlPort;        // --control PORT
    std::string controlBind;               // --control-bind ADDR (default 127.0.0.1)
};

// Parses the command line and checks every value; false with a one-line
// message in `error` naming the option and the value.
bool ParseRenderOptions(int argc, char** argv, RenderOptions& options, std::string& error);

// The frame's shape (height / width) for a picture of this size: `--aspect`
// or `fallback`, and 16:9 for a picture whose square pixels make a 16:9 frame
// (HD), where --aspect 4:3 is refused with the reason in `error`.
bool ChooseFrameShape(int width, int height, std::optional<float> asked, float fallback, float& shape,
                      std::string& error);

// What the command line takes a file for: decided by the last suffix of its
// name alone ("x.mov.avi" is an AVI movie, "my.movies/x" has no suffix).
enum class FileKind { Unknown, Png, Bmp, Tga, Avi, QuickTime, Dps, Rtv, Show };
FileKind FileKindOf(const std::string& path);
bool IsPictureKind(FileKind kind);  // .png, .bmp, .tga
bool IsMovieKind(FileKind kind);    // .avi, .mov, .dps, .rtv

// Empty when the frames from `first` up to `end` run forwards (or are
// none); otherwise the refusal naming both frames. `endGiven`: --end was
// typed (otherwise the end is the last keyframe).
std::string RangeOrderProblem(int32_t first, int32_t end, bool endGiven);

// A text as a terminal line may show it: control characters (and "\\")
// escaped, so a file name cannot break or rewrite the line.
std::string TerminalText(const std::string& text);
