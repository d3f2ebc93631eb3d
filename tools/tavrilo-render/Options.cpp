// Parsing the command line of tavrilo-render.
#include "Options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

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
            error = "--rate takes ntsc, pal or film, not \"" + value + "\"";
            return false;
        }
    } else if (name == "--data") {
        options.dataPath = value;
    } else if (name == "--stream") {
        options.streamPath = value;
    } else if (name == "--interval") {
        options.intervalText = value;
    } else if (name == "--save") {
        options.savePath = value;
    } else if (name == "--eval") {
        if (!ParseFrames(value, options.evalFrames)) {
            error = "--eval takes frame numbers separated by commas, not \"" + value + "\"";
            return false;
        }
        options.evaluate = true;
    } else if (name == "--picture") {
        options.picturePath = value;
    } else if (name == "-o" || name == "--output") {
        options.outPath = value;
    } else if (name == "--frame") {
        if (!ParseInt(value, INT32_MIN, INT32_MAX, number)) {
            error = "--frame takes a frame number, not \"" + value + "\"";
            return false;
        }
        options.frame = static_cast<int32_t>(number);
    } else if (name == "--start") {
        options.start = value;
    } else if (name == "--end") {
        options.end = value;
    } else if (name == "--hold") {
        options.hold = value;
    } else if (name == "--size") {
        if (!ParseSize(value, options)) {
            error = "--size takes WIDTHxHEIGHT in pixels, such as 720x486, not \"" + value + "\"";
            return false;
        }
    } else if (name == "--aa") {
        if (!ParseInt(value, 0, 100, number)) {
            error = "--aa takes a level from 0 to 100, not \"" + value + "\"";
            return false;
        }
        options.antiAliasing = static_cast<int>(number);
    } else if (name == "--aspect") {
        if (value == "4:3") {
            options.aspect = 0.75f;
        } else if (value == "16:9") {
            options.aspect = 0.5625f;
        } else {
            error = "--aspect takes 4:3 or 16:9, not \"" + value + "\"";
            return false;
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
        options.fps = value;
    } else if (name == "--quality") {
        options.quality = value;
    } else if (name == "--codec") {
        if (value.empty() || value.size() > 4) {
            error = "--codec takes a four-character code such as avc1 or MJPG, not \"" + value + "\"";
            return false;
        }
        options.codec = value;
    } else {
        error = "unknown option " + name;
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
            return true;
        }
    }
    error = "-o needs a file ending in .png, .bmp, .tga, .avi, .mov, .dps or .rtv: \"" + options.outPath + "\"";
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
        error = "only one show file can be given (\"" + positional[0] + "\" and \"" + positional[1] + "\")";
        return false;
    }
    options.showPath = positional.empty() ? std::string() : positional[0];
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
                    error = arg + " needs a value";
                    return false;
                }
                value = argv[++i];
            }
            if (!ApplyValue(arg, value, options, error)) {
                return false;
            }
        } else if (inlineValue) {
            error = "unknown option " + arg;
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
            error = "unknown option " + arg;
            return false;
        } else {
            positional.push_back(arg);
        }
    }
    return CheckCombination(positional, options, error);
}
