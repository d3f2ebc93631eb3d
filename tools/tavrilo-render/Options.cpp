// Parsing the command line of tavrilo-render.
#include "Options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "CrossPlatform.h"
#include "MakeMovie.h"
#include "MakeMovieAVI.h"

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

bool EndsWith(const std::string& text, const char* suffix) {
    size_t length = std::strlen(suffix);
    return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
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

// A frame rate: a plain decimal number above 0, at most 60.
bool ParseFrameRate(const std::string& name, const std::string& value, std::optional<std::string>& out,
                    std::string& error) {
    double rate = PlainDecimal(value);
    if (!(rate > 0.0 && rate <= kMaxMovieRate)) {
        return Refuse(name, "a frame rate above 0 and at most 60, such as 29.97", value, error);
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

// Applies an option that takes a value; false with a message when the value is bad.
bool ApplyValue(const std::string& name, const std::string& value, RenderOptions& options, std::string& error) {
    long number = 0;
    if (name == "--rate") {
        if (value == "ntsc") {
            options.rate = 2997;
        } else if (value == "pal") {
            options.rate = 2500;
        } else if (value == "film") {
            options.rate = 2397;
        } else {
            return Refuse(name, "ntsc, pal or film", value, error);
        }
    } else if (name == "--data") {
        return ParsePath(name, value, options.dataPath, error);
    } else if (name == "--stream") {
        return ParsePath(name, value, options.streamPath, error);
    } else if (name == "--interval") {
        return ParseInterval(name, value, options.intervalText, error);
    } else if (name == "--save") {
        return ParsePath(name, value, options.savePath, error);
    } else if (name == "--eval") {
        if (!ParseFrames(value, options.evalFrames)) {
            return Refuse(name, "frame numbers separated by commas", value, error);
        }
        options.evaluate = true;
    } else if (name == "--picture") {
        return ParsePath(name, value, options.picturePath, error);
    } else if (name == "-o" || name == "--output") {
        return ParsePath(name, value, options.outPath, error);
    } else if (name == "--frame") {
        if (!ParseInt(value, INT32_MIN, INT32_MAX, number)) {
            return Refuse(name, "a frame number", value, error);
        }
        options.frame = static_cast<int32_t>(number);
    } else if (name == "--start") {
        return ParseTimecode(name, value, options.start, error);
    } else if (name == "--end") {
        return ParseTimecode(name, value, options.end, error);
    } else if (name == "--hold") {
        return ParseTimecode(name, value, options.hold, error);
    } else if (name == "--size") {
        if (!ParseSize(value, options)) {
            return Refuse(name, "WIDTHxHEIGHT in pixels, such as 720x486", value, error);
        }
    } else if (name == "--aa") {
        if (!ParseInt(value, 0, 100, number)) {
            return Refuse(name, "a level from 0 to 100", value, error);
        }
        options.antiAliasing = static_cast<int>(number);
    } else if (name == "--aspect") {
        if (value == "4:3") {
            options.aspect = 0.75f;
        } else if (value == "16:9") {
            options.aspect = 0.5625f;
        } else {
            return Refuse(name, "4:3 or 16:9", value, error);
        }
    } else if (name == "--field-order") {
        if (value != "upper" && value != "lower") {
            error = "--field-order takes upper or lower, not \"" + value + "\"";
            return false;
        }
        options.lowerFieldFirst = value == "lower";
    } else if (name == "--part") {
        if (!ParsePart(value, options)) {
            error = "--part takes K/N, part K (from 0) of N, such as 0/4, not \"" + value + "\"";
            return false;
        }
    } else if (name == "--join") {
        options.joinPath = value;
    } else if (name == "--batch") {
        options.batchPath = value;
    } else if (name == "--fps") {
        return ParseFrameRate(name, value, options.fps, error);
    } else if (name == "--quality") {
        return ParseQuality(name, value, options.quality, error);
    } else if (name == "--codec") {
        return ParseCodec(name, value, options.codec, error);
    } else {
        error = "unknown option " + TerminalText(name);
        return false;
    }
    return true;
}

bool IsValueOption(const std::string& name) {
    static const char* const kNames[] = {"--rate",    "--data", "--stream", "--interval", "--save",       "--eval",
                                         "--picture", "-o",     "--output", "--frame",    "--start",      "--end",
                                         "--hold",    "--size", "--aa",     "--aspect",   "--fps",        "--quality",
                                         "--codec",   "--part", "--join",   "--batch",    "--field-order"};
    for (const char* known : kNames) {
        if (name == known) {
            return true;
        }
    }
    return false;
}

// A codec the movie's container does not offer would be silently replaced.
bool CheckCodec(const RenderOptions& options, std::string& error) {
    if (!options.codec) {
        return true;
    }
    int kind = MovieWriterKindFor(options.outPath.c_str());
    if (kind != kWriterAvi && kind != kWriterQuickTime) {
        return true;  // DPS and RTV have their own compression
    }
    MovieContainer container = kind == kWriterAvi ? MovieContainer::Avi : MovieContainer::QuickTime;
    if (Offered(PaddedCode(*options.codec), container)) {
        return true;
    }
    error = "--codec \"" + TerminalText(*options.codec) + "\" is not offered for " +
            (kind == kWriterAvi ? "AVI" : "QuickTime") + " movies";
    return false;
}

bool CheckOutput(const RenderOptions& options, std::string& error) {
    if (!options.picturePath.empty()) {
        if (options.outPath.empty()) {
            error = "--picture needs -o OUT.bmp or -o OUT.tga";
            return false;
        }
        return true;
    }
    if (options.outPath.empty()) {
        return true;
    }
    static const char* const kKinds[] = {".png", ".bmp", ".tga", ".avi", ".mov", ".dps", ".rtv"};
    for (const char* kind : kKinds) {
        if (EndsWith(options.outPath, kind)) {
            return CheckCodec(options, error);
        }
    }
    error = "-o needs a file ending in .png, .bmp, .tga, .avi, .mov, .dps or .rtv: \"" + TerminalText(options.outPath) +
            "\"";
    return false;
}

// --alpha needs an output that holds alpha (the movie's codec is checked
// when the movie is made); --key needs a movie.
bool CheckAlpha(const RenderOptions& options, std::string& error) {
    bool picture =
        EndsWith(options.outPath, ".png") || EndsWith(options.outPath, ".bmp") || EndsWith(options.outPath, ".tga");
    if (options.key && (options.outPath.empty() || picture || !options.picturePath.empty())) {
        error = "--key needs a movie: -o OUT.mov or OUT.avi";
        return false;
    }
    if (options.alpha && (options.outPath.empty() || !options.picturePath.empty())) {
        error = "--alpha needs -o with a movie, a .png or a .tga";
        return false;
    }
    if (options.alpha && EndsWith(options.outPath, ".bmp")) {
        error = "--alpha needs a picture that holds alpha: .png or .tga, not .bmp";
        return false;
    }
    return true;
}

// --join OUT SEGMENT... and nothing else.
bool CheckJoin(const RenderOptions& o, std::string& error) {
    if (o.segments.empty()) {
        error = "--join needs the segments after the movie: --join OUT.mov OUT.part*.mov";
        return false;
    }
    if (!o.outPath.empty() || !o.batchPath.empty() || o.part || o.newShow || !o.picturePath.empty()) {
        error = "--join takes only the joined movie and its segments: --join OUT.mov OUT.part*.mov";
        return false;
    }
    if (!EndsWith(o.joinPath, ".mov") && !EndsWith(o.joinPath, ".avi")) {
        error = "--join makes a .mov or .avi movie, not \"" + o.joinPath + "\"";
        return false;
    }
    return true;
}

// The rows of JOBS.tsv name the shows, data and outputs.
bool CheckBatch(const RenderOptions& o, std::string& error) {
    if (o.batchPath.empty()) {
        return true;
    }
    const char* taken = !o.outPath.empty()      ? "-o"
                        : !o.showPath.empty()   ? "a show file"
                        : !o.dataPath.empty()   ? "--data"
                        : !o.streamPath.empty() ? "--stream"
                        : !o.savePath.empty()   ? "--save"
                        : o.newShow             ? "--new"
                                                : nullptr;
    if (taken) {
        error = std::string("--batch takes the shows, data and outputs from its rows; ") + taken +
                " cannot be given with it";
        return false;
    }
    return true;
}

// A part is a share of a movie's frames or of a picture sequence.
bool CheckPart(const RenderOptions& o, std::string& error) {
    if (!o.part || !o.batchPath.empty()) {
        return true;
    }
    if (o.outPath.empty() || !o.picturePath.empty()) {
        error = "--part needs -o OUT.mov, OUT.avi or a picture sequence NAME####.png";
        return false;
    }
    bool movie = EndsWith(o.outPath, ".mov") || EndsWith(o.outPath, ".avi");
    bool sequence = o.outPath.find('#') != std::string::npos &&
                    (EndsWith(o.outPath, ".png") || EndsWith(o.outPath, ".bmp") || EndsWith(o.outPath, ".tga"));
    if (!movie && !sequence) {
        error = "--part renders .mov and .avi movies and picture sequences (NAME####.png), not \"" + o.outPath + "\"";
        return false;
    }
    return true;
}

// The arguments without a dash: the show file, or the segments after --join
// OUT; then the checks of options that go together.
bool CheckCombination(const std::vector<std::string>& positional, RenderOptions& options, std::string& error) {
    if (!options.joinPath.empty()) {
        options.segments = positional;
        return CheckJoin(options, error);
    }
    if (positional.size() > 1) {
        error = "only one show file can be given (\"" + TerminalText(positional[0]) + "\" and \"" +
                TerminalText(positional[1]) + "\")";
        return false;
    }
    if (!positional.empty() && !ParsePath("the show file", positional[0], options.showPath, error)) {
        return false;
    }
    if (options.newShow && !options.showPath.empty()) {
        error = "--new and a show file cannot be given together";
        return false;
    }
    if (!options.intervalText.empty() && options.streamPath.empty()) {
        error = "--interval needs --stream FILE";
        return false;
    }
    if (!options.batchPath.empty()) {
        return CheckOutput(options, error) && CheckBatch(options, error);  // rows bring their outputs
    }
    return CheckOutput(options, error) && CheckAlpha(options, error) && CheckPart(options, error);
}

}  // namespace

bool ParseRenderOptions(int argc, char** argv, RenderOptions& options, std::string& error) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i] ? argv[i] : "";
        std::string value;
        bool inlineValue = false;
        if (arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) {
            value = arg.substr(arg.find('=') + 1);
            arg = arg.substr(0, arg.find('='));
            inlineValue = true;
        }
        if (IsValueOption(arg)) {
            if (!inlineValue) {
                if (i + 1 >= argc) {
                    error = TerminalText(arg) + " needs a value";
                    return false;
                }
                value = argv[++i];
            }
            if (!ApplyValue(arg, value, options, error)) {
                return false;
            }
        } else if (inlineValue) {
            error = "unknown option " + TerminalText(arg);
            return false;
        } else if (arg == "--new") {
            options.newShow = true;
        } else if (arg == "--info") {
            options.info = true;
        } else if (arg == "--fields" || arg == "--no-fields") {
            options.fields = arg == "--fields";
        } else if (arg == "--reverse" || arg == "--no-reverse") {
            options.reverse = arg == "--reverse";
        } else if (arg == "--alpha") {
            options.alpha = true;
        } else if (arg == "--key") {
            options.key = true;
        } else if (arg == "--bench") {
            options.bench = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (!arg.empty() && arg[0] == '-') {
            error = "unknown option " + TerminalText(arg);
            return false;
        } else {
            positional.push_back(arg);
        }
    }
    return CheckCombination(positional, options, error);
}

std::string TerminalText(const std::string& text) {
    static const char kHex[] = "0123456789abcdef";
    std::string shown;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            shown += "\\n";
        } else if (c == '\t') {
            shown += "\\t";
        } else if (c == '\\') {
            shown += "\\\\";
        } else if (byte < 0x20 || byte == 0x7f) {
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 15];
        } else {
            shown += c;
        }
    }
    return shown;
}
