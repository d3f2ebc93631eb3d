// The option table of tavrilo-render and the parsers of its values.
#include "OptionTable.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "CrossPlatform.h"
#include "LiveStream.h"
#include "MakeMovie.h"
#include "MakeMovieAVI.h"
#include "Options.h"
#include "Utilities.h"

namespace {

bool ParseInt(const std::string& text, long low, long high, long& value) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high) {
        return false;
    }
    value = parsed;
    return true;
}

bool ParseSize(const std::string& text, RenderOptions& options) {
    size_t cross = text.find_first_of("xX");
    long width = 0;
    long height = 0;
    if (cross == std::string::npos || !ParseInt(text.substr(0, cross), 1, 100000, width) ||
        !ParseInt(text.substr(cross + 1), 1, 100000, height)) {
        return false;
    }
    options.width = static_cast<int>(width);
    options.height = static_cast<int>(height);
    return true;
}

bool ParseFrames(const std::string& text, std::vector<int32_t>& frames) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        std::string piece = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        long frame = 0;
        if (!ParseInt(piece, INT32_MIN, INT32_MAX, frame)) {
            return false;
        }
        frames.push_back(static_cast<int32_t>(frame));
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    return !frames.empty();
}

// "K/N" with 0 <= K < N.
bool ParsePart(const std::string& text, RenderOptions& options) {
    size_t slash = text.find('/');
    long part = 0;
    long parts = 0;
    if (slash == std::string::npos || !ParseInt(text.substr(slash + 1), 1, 1000000, parts) ||
        !ParseInt(text.substr(0, slash), 0, parts - 1, part)) {
        return false;
    }
    options.part = static_cast<int>(part);
    options.parts = static_cast<int>(parts);
    return true;
}

// "--name takes <what>, not "value"": the message of a refused value.
bool Refuse(const std::string& name, const char* what, const std::string& value, std::string& error) {
    error = name + " takes " + what + ", not \"" + TerminalText(value) + "\"";
    return false;
}

// A path must fit a file name slot whole, or another file would be used.
bool ParsePath(const std::string& name, const std::string& value, std::string& path, std::string& error) {
    if (value.empty()) {
        return Refuse(name, "a file name", value, error);
    }
    if (!PathFits(value.c_str())) {
        error = name + ": the path is longer than " + std::to_string(kMaxPathLength) + " characters: \"" +
                TerminalText(value) + "\"";
        return false;
    }
    path = value;
    return true;
}

bool IsDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// Timecodes as typed in the program: up to four groups of one or two digits
// separated by ":" or "." (hours, minutes, seconds, frames), or digits alone.
bool ParseTimecode(const std::string& name, const std::string& value, std::optional<std::string>& out,
                   std::string& error) {
    bool good = IsDigits(value) && value.size() <= 8;
    if (!good && !value.empty()) {
        int groups = 0;
        size_t start = 0;
        good = true;
        while (good && start <= value.size()) {
            size_t end = value.find_first_of(":.", start);
            std::string group = value.substr(start, end == std::string::npos ? std::string::npos : end - start);
            good = IsDigits(group) && group.size() <= 2 && ++groups <= 4;
            start = end == std::string::npos ? value.size() + 1 : end + 1;
        }
    }
    if (!good) {
        return Refuse(name, "a timecode such as 00:00:03:10", value, error);
    }
    out = value;
    return true;
}

// The first frame's timecode as editors write it; the frames are checked
// against the movie's rate when the movie is set up.
bool ParseMovieTimecodeOption(const std::string& name, const std::string& value, std::optional<std::string>& out,
                              std::string& error) {
    if (!IsMovieTimecodeText(value)) {
        return Refuse(name, "HH:MM:SS:FF, or HH:MM:SS;FF for drop-frame, such as 01:00:00:00", value, error);
    }
    out = value;
    return true;
}

// A plain decimal number ("29.97", "15"), or -1 when the text is not one.
double PlainDecimal(const std::string& text) {
    size_t point = text.find('.');
    std::string digits = point == std::string::npos ? text : text.substr(0, point) + text.substr(point + 1);
    return IsDigits(digits) && text.size() <= 32 ? std::strtod(text.c_str(), nullptr) : -1.0;
}

bool ParseInterval(const std::string& name, const std::string& value, std::string& out, std::string& error) {
    if (!(PlainDecimal(value) > 0.0)) {
        return Refuse(name, "a number of frames above 0", value, error);
    }
    out = value;
    return true;
}

// A frame rate: a plain decimal number the movies can carry exactly (from
// a thousandth of a frame a second), at most 60.
bool ParseFrameRate(const std::string& name, const std::string& value, std::optional<std::string>& out,
                    std::string& error) {
    double rate = PlainDecimal(value);
    if (!(rate > 0.0 && rate <= kMaxMovieRate) || ExactMovieRate(rate).rate <= 0) {
        return Refuse(name, "a frame rate from 0.001 to 60, such as 29.97", value, error);
    }
    out = value;
    return true;
}

bool ParseQuality(const std::string& name, const std::string& value, std::optional<std::string>& out,
                  std::string& error) {
    long quality = 0;
    if (!ParseInt(value, 0, 100, quality)) {
        return Refuse(name, "a whole number from 0 to 100", value, error);
    }
    out = value;
    return true;
}

// "rle" means "rle ": codes are four characters, trailing spaces included.
std::string PaddedCode(const std::string& code) {
    std::string padded = code;
    padded.resize(4, ' ');
    return padded;
}

bool Offered(const std::string& code, MovieContainer container) {
    for (const std::string& offered : MovieCodecCodes(container)) {
        if (offered == code) {
            return true;
        }
    }
    return false;
}

bool ParseCodec(const std::string& name, const std::string& value, std::optional<std::string>& out,
                std::string& error) {
    if (value.empty() || value.size() > 4 ||
        (!Offered(PaddedCode(value), MovieContainer::Avi) && !Offered(PaddedCode(value), MovieContainer::QuickTime))) {
        return Refuse(name, "a four-character code such as avc1 or MJPG", value, error);
    }
    out = value;
    return true;
}

// ---- applying each option

using Options = RenderOptions;

bool ApplyRate(const std::string& name, const std::string& value, Options& o, std::string& error) {
    if (value == "ntsc") {
        o.rate = kRateNtsc;
    } else if (value == "pal") {
        o.rate = kRatePal;
    } else if (value == "film") {
        o.rate = kRateFilm;
    } else {
        return Refuse(name, "ntsc, pal or film", value, error);
    }
    return true;
}

bool ApplyEval(const std::string& name, const std::string& value, Options& o, std::string& error) {
    if (!ParseFrames(value, o.evalFrames)) {
        return Refuse(name, "frame numbers separated by commas", value, error);
    }
    o.evaluate = true;
    return true;
}

bool ApplyFrame(const std::string& name, const std::string& value, Options& o, std::string& error) {
    long number = 0;
    if (!ParseInt(value, INT32_MIN, INT32_MAX, number)) {
        return Refuse(name, "a frame number", value, error);
    }
    o.frame = static_cast<int32_t>(number);
    return true;
}

bool ApplySize(const std::string& name, const std::string& value, Options& o, std::string& error) {
    return ParseSize(value, o) || Refuse(name, "WIDTHxHEIGHT in pixels, such as 720x486", value, error);
}

bool ApplyAntiAliasing(const std::string& name, const std::string& value, Options& o, std::string& error) {
    long number = 0;
    if (!ParseInt(value, 0, 100, number)) {
        return Refuse(name, "a level from 0 to 100", value, error);
    }
    o.antiAliasing = static_cast<int>(number);
    return true;
}

bool ApplyAspect(const std::string& name, const std::string& value, Options& o, std::string& error) {
    if (value == "4:3") {
        o.aspect = 0.75f;
    } else if (value == "16:9") {
        o.aspect = 0.5625f;
    } else {
        return Refuse(name, "4:3 or 16:9", value, error);
    }
    return true;
}

bool ApplyFieldOrder(const std::string& name, const std::string& value, Options& o, std::string& error) {
    if (value != "upper" && value != "lower") {
        return Refuse(name, "upper or lower", value, error);
    }
    o.lowerFieldFirst = value == "lower";
    return true;
}

bool ApplyControlPort(const std::string& name, const std::string& value, Options& o, std::string& error) {
    long port = 0;
    if (!ParseInt(value, 0, 65535, port)) {
        return Refuse(name, "a port number from 1 to 65535 (0: any free port)", value, error);
    }
    o.controlPort = static_cast<int>(port);
    return true;
}

bool ApplyLiveTarget(const std::string& name, const std::string& value, Options& o, std::string& error) {
    LiveTarget target;
    if (!ParseLiveTarget(value, target, error)) {
        error = name + ": " + TerminalText(error);
        return false;
    }
    (name == "--live" ? o.livePath : o.liveKeyPath) = value;
    return true;
}

bool ApplyControlBind(const std::string& name, const std::string& value, Options& o, std::string& error) {
    if (value.empty() || value.size() > 255 || value.find_first_of(" \t\n/") != std::string::npos) {
        return Refuse(name, "an address such as 127.0.0.1, ::1 or 0.0.0.0", value, error);
    }
    o.controlBind = value;
    return true;
}

bool ApplyPart(const std::string& name, const std::string& value, Options& o, std::string& error) {
    return ParsePart(value, o) || Refuse(name, "K/N, part K (from 0) of N, such as 0/4", value, error);
}

// Flags.
bool ApplyNew(const std::string&, const std::string&, Options& o, std::string&) {
    return o.newShow = true;
}
bool ApplyInfo(const std::string&, const std::string&, Options& o, std::string&) {
    return o.info = true;
}
bool ApplyFields(const std::string& name, const std::string&, Options& o, std::string&) {
    o.fields = name == "--fields";
    return true;
}
bool ApplyReverse(const std::string& name, const std::string&, Options& o, std::string&) {
    o.reverse = name == "--reverse";
    return true;
}
bool ApplyAlpha(const std::string&, const std::string&, Options& o, std::string&) {
    return o.alpha = true;
}
bool ApplyKey(const std::string&, const std::string&, Options& o, std::string&) {
    return o.key = true;
}
bool ApplyBench(const std::string&, const std::string&, Options& o, std::string&) {
    return o.bench = true;
}
bool ApplyLoop(const std::string&, const std::string&, Options& o, std::string&) {
    return o.loop = true;
}
bool ApplyHelp(const std::string&, const std::string&, Options& o, std::string&) {
    return o.help = true;
}
bool ApplyVersion(const std::string&, const std::string&, Options& o, std::string&) {
    return o.version = true;
}

#define PATH_OPTION(field)                                                                  \
    [](const std::string& name, const std::string& value, Options& o, std::string& error) { \
        return ParsePathValue(name, value, o.field, error);                                 \
    }
#define CHECKED_OPTION(parser, field)                                                       \
    [](const std::string& name, const std::string& value, Options& o, std::string& error) { \
        return parser(name, value, o.field, error);                                         \
    }

const char kShow[] = "The show and its data";
const char kOutput[] = "Pictures and movies";
const char kCluster[] = "Rendering on several machines";
const char kLive[] = "Live output (see docs/live.md)";
const char kOther[] = "Other";

const std::vector<OptionSpec> kTable = {
    {"--new", nullptr, nullptr, "start from a new, empty show instead of the demo show", ApplyNew, false, kShow},
    {"--rate", nullptr, "ntsc|pal|film", "frame rate (default: the FrameRate setting)", ApplyRate, true, kShow},
    {"--data", nullptr, "FILE", "import a tab-delimited table at row 0, column 0", PATH_OPTION(dataPath), false, kShow},
    {"--stream", nullptr, "FILE", "load stream data, --interval frames a row", PATH_OPTION(streamPath), true, kShow},
    {"--interval", nullptr, "N", "frames a stream row is shown (default 30)",
     CHECKED_OPTION(ParseInterval, intervalText), true, kShow},
    {"--save", nullptr, "OUT.tvr", "save the show", PATH_OPTION(savePath), false, kShow},
    {"--info", nullptr, nullptr, "print the show's stored fields as JSON", ApplyInfo, true, kShow},
    {"--eval", nullptr, "F[,F...]", "print the evaluated values of frames as JSON lines", ApplyEval, true, kShow},
    {"--output", "-o", "OUT",
     "render pictures (OUT.png, .bmp, .tga: --frame N, or NAME####.png\n"
     "with --start/--end) or a movie (OUT.mov, .avi, .dps, .rtv)",
     PATH_OPTION(outPath), false, kOutput},
    {"--frame", nullptr, "N", "the frame of a single picture", ApplyFrame, true, kOutput},
    {"--start", nullptr, "TC", "the first frame, as a timecode (00:00:03:10 or 310)",
     CHECKED_OPTION(ParseTimecode, start), true, kOutput},
    {"--end", nullptr, "TC", "the frame after the last (default: the last keyframe)",
     CHECKED_OPTION(ParseTimecode, end), true, kOutput},
    {"--hold", nullptr, "TC", "hold the first and last frame of each pass this long",
     CHECKED_OPTION(ParseTimecode, hold), true, kOutput},
    {"--timecode", nullptr, "HH:MM:SS:FF",
     "the timecode of the movie's first frame (QuickTime): HH:MM:SS;FF is\n"
     "drop-frame (29.97 and 59.94 only); default: --start as typed, non-drop",
     CHECKED_OPTION(ParseMovieTimecodeOption, timecode), true, kOutput},
    {"--fps", nullptr, "R", "movie frame rate (default: the show's rate)", CHECKED_OPTION(ParseFrameRate, fps), true,
     kOutput},
    {"--quality", nullptr, "Q",
     "movie quality, 0 to 100: the JPEG quantiser of MJPG (and DPS), the rate\n"
     "factor of avc1; ProRes and DNxHR keep their flavour's data rate, and\n"
     "Animation, PNG and uncompressed movies are lossless",
     CHECKED_OPTION(ParseQuality, quality), true, kOutput},
    {"--codec", nullptr, "CODE",
     "the movie's four-character codec: apch (ProRes 422 HQ), apco (Proxy),\n"
     "apcs (LT), apcn (422), ap4h (4444), ap4x (4444 XQ), avc1, MJPG, rle,\n"
     "png, AVdh (DNxHR HQ), raw (QuickTime), DIB (AVI)",
     CHECKED_OPTION(ParseCodec, codec), true, kOutput},
    {"--fields", nullptr, nullptr,
     "render interlaced fields; by default only the interlaced formats have\n"
     "them: 720x486 and 720x480 at 29.97, 720x576 at 25, 1920x1080 at 25\n"
     "or 29.97 (and none when the MovieFields setting is off)",
     ApplyFields, true, kOutput},
    {"--no-fields", nullptr, nullptr, "render whole frames", ApplyFields, true, kOutput},
    {"--field-order", nullptr, "upper|lower", "which field comes first", ApplyFieldOrder, true, kOutput},
    {"--reverse", nullptr, nullptr, "add the animation played backwards (default: the MovieReverse setting)",
     ApplyReverse, true, kOutput},
    {"--no-reverse", nullptr, nullptr, "do not add the reverse pass", ApplyReverse, true, kOutput},
    {"--alpha", nullptr, nullptr, "the chart over a transparent background (movies, .png, .tga)", ApplyAlpha, true,
     kOutput},
    {"--key", nullptr, nullptr, "also write the key movie NAME-key.mov (or .avi)", ApplyKey, true, kOutput},
    {"--size", nullptr, "WxH", "picture size (default 720x486, 720x576 at PAL)", ApplySize, true, kOutput},
    {"--aa", nullptr, "LEVEL", "anti-aliasing, 0 to 100", ApplyAntiAliasing, true, kOutput},
    {"--aspect", nullptr, "4:3|16:9",
     "frame shape (default: the show's; 16:9 at HD sizes, 1280x720,\n"
     "1920x1080, whose square pixels cannot make a 4:3 frame)",
     ApplyAspect, true, kOutput},
    {"--live", nullptr, "URL",
     "play the show in real time to udp://HOST:PORT or srt://HOST:PORT\n"
     "(MPEG-TS), rtmp://HOST/APP/KEY (FLV), a file, or - (NUT on standard\n"
     "output); H.264 unless --codec says otherwise",
     ApplyLiveTarget, false, kLive},
    {"--live-key", nullptr, "URL", "also send the key, frame-locked with the fill", ApplyLiveTarget, false, kLive},
    {"--loop", nullptr, nullptr, "after the last key play from the first again (default: hold)", ApplyLoop, false,
     kLive},
    {"--live-start", nullptr, "TC", "begin at this frame instead of the first key",
     CHECKED_OPTION(ParseTimecode, liveStart), false, kLive},
    {"--watch", nullptr, "FILE",
     "live data: a table read whole each time it is written (a stream\n"
     "file when --stream names the same file)",
     PATH_OPTION(watchPath), false, kLive},
    {"--morph", nullptr, "TC", "how long the chart takes to move to new data or a key (default 1 s)",
     CHECKED_OPTION(ParseTimecode, morph), false, kLive},
    {"--control", nullptr, "PORT", "take remote commands on this TCP port", ApplyControlPort, false, kLive},
    {"--control-bind", nullptr, "ADDR", "the address the port is on (default 127.0.0.1)", ApplyControlBind, false,
     kLive},
    {"--part", nullptr, "K/N",
     "render only part K (from 0) of N shares of the movie's frames, into\n"
     "OUT.partK.mov (or the share of a NAME####.png sequence); with --batch,\n"
     "rows K, K+N, K+2N ...",
     ApplyPart, false, kCluster},
    {"--join", nullptr, "OUT.mov", "join the segments named after it (OUT.part*.mov) into OUT.mov",
     PATH_OPTION(joinPath), false, kCluster},
    {"--batch", nullptr, "JOBS.tsv",
     "render the rows of a table: show, data file, output, options\n"
     "(separated by tabs)",
     PATH_OPTION(batchPath), false, kCluster},
    {"--picture", nullptr, "IN", "read a picture as the program does and write it to -o OUT.bmp|.tga",
     PATH_OPTION(picturePath), false, kOther},
    {"--bench", nullptr, nullptr, "print frames a second at each anti-aliasing level", ApplyBench, false, kOther},
    {"--help", "-h", nullptr, "print this text", ApplyHelp, false, kOther},
    {"--version", nullptr, nullptr, "print the program's name and version", ApplyVersion, false, kOther},
};

#undef PATH_OPTION
#undef CHECKED_OPTION

// "  -o, --output OUT": the usage's left column.
std::string UsageName(const OptionSpec& option) {
    std::string text = "  ";
    if (option.shortName) {
        text += std::string(option.shortName) + ", ";
    }
    text += option.name;
    if (option.value) {
        text += std::string(" ") + option.value;
    }
    return text;
}

}  // namespace

bool ParsePathValue(const std::string& name, const std::string& value, std::string& path, std::string& error) {
    return ParsePath(name, value, path, error);
}

bool CodecOffered(const std::string& code, MovieContainer container) {
    return Offered(PaddedCode(code), container);
}

const std::vector<OptionSpec>& RenderOptionTable() {
    return kTable;
}

const OptionSpec* FindRenderOption(const std::string& name) {
    for (const OptionSpec& option : kTable) {
        if (name == option.name || (option.shortName && name == option.shortName)) {
            return &option;
        }
    }
    return nullptr;
}

std::string RenderUsage() {
    constexpr size_t kHelpColumn = 30;
    std::string text =
        "usage: tavrilo-render [SHOW.tvr | --new] [options]\n"
        "  Without a show file the built-in demo show is used. A value may\n"
        "  follow its option or be joined to it with \"=\": --size=1920x1080.\n";
    const char* section = nullptr;
    for (const OptionSpec& option : kTable) {
        if (!section || std::string(section) != option.section) {
            section = option.section;
            text += std::string("\n") + section + ":\n";
        }
        std::string line = UsageName(option);
        line += line.size() < kHelpColumn ? std::string(kHelpColumn - line.size(), ' ') : "  ";
        for (const char* c = option.help; *c; ++c) {
            line += *c;
            if (*c == '\n') {
                line += std::string(kHelpColumn, ' ');
            }
        }
        text += line + "\n";
    }
    return text;
}
