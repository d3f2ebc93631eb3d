// Parsing the command line of tavrilo-render.
#include "Options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "BroadcastFormats.h"
#include "CrossPlatform.h"
#include "MakeMovie.h"
#include "MakeMovieAVI.h"
#include "OptionTable.h"
#include "Utilities.h"

namespace {

// A codec the movie's container does not offer would be silently replaced.
bool CheckCodec(const RenderOptions& options, std::string& error) {
    if (!options.codec) {
        return true;
    }
    FileKind kind = FileKindOf(options.outPath);
    if (kind != FileKind::Avi && kind != FileKind::QuickTime) {
        return true;  // DPS and RTV have their own compression
    }
    MovieContainer container = kind == FileKind::Avi ? MovieContainer::Avi : MovieContainer::QuickTime;
    if (CodecOffered(*options.codec, container)) {
        return true;
    }
    error = "--codec \"" + TerminalText(*options.codec) + "\" is not offered for " +
            (kind == FileKind::Avi ? "AVI" : "QuickTime") + " movies";
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
    FileKind kind = FileKindOf(options.outPath);
    if (IsPictureKind(kind) || IsMovieKind(kind)) {
        return CheckCodec(options, error);
    }
    error = "-o needs a file ending in .png, .bmp, .tga, .avi, .mov, .dps or .rtv: \"" + TerminalText(options.outPath) +
            "\"";
    return false;
}

// --alpha needs an output that holds alpha (the movie's codec is checked
// when the movie is made); --key needs a movie.
bool CheckAlpha(const RenderOptions& options, std::string& error) {
    FileKind kind = FileKindOf(options.outPath);
    bool picture = IsPictureKind(kind);
    if (options.key && (options.outPath.empty() || picture || !options.picturePath.empty())) {
        error = "--key needs a movie: -o OUT.mov or OUT.avi";
        return false;
    }
    if (options.alpha && (options.outPath.empty() || !options.picturePath.empty())) {
        error = "--alpha needs -o with a movie, a .png or a .tga";
        return false;
    }
    if (options.alpha && kind == FileKind::Bmp) {
        error = "--alpha needs a picture that holds alpha: .png or .tga, not .bmp";
        return false;
    }
    return true;
}

// --frame picks the one picture of -o OUT.png (.bmp, .tga); --start and
// --end pick the frames of a movie or of a numbered sequence NAME####.png.
// An option that would be ignored is refused.
bool CheckFrameChoice(const RenderOptions& options, std::string& error) {
    FileKind kind = FileKindOf(options.outPath);
    bool sequence = IsPictureKind(kind) && options.outPath.find('#') != std::string::npos;
    bool single = IsPictureKind(kind) && !sequence;
    if (options.frame && (!single || !options.picturePath.empty())) {
        error = sequence ? "--frame names one picture; NAME####.png renders the frames from --start to --end"
                         : "--frame needs -o OUT.png (or .bmp, .tga) to write the frame to";
        return false;
    }
    if (single && options.picturePath.empty() && (options.start || options.end)) {
        error = std::string(options.start ? "--start" : "--end") +
                " picks the frames of a movie or of a numbered sequence (-o NAME####.png); one picture takes "
                "--frame N";
        return false;
    }
    return true;
}

// Only QuickTime movies carry a timecode track.
bool CheckTimecode(const RenderOptions& options, std::string& error) {
    if (options.timecode && FileKindOf(options.outPath) != FileKind::QuickTime) {
        error = "--timecode needs a QuickTime movie, -o OUT.mov: only QuickTime movies carry a timecode track";
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
    FileKind kind = FileKindOf(o.joinPath);
    if (kind != FileKind::QuickTime && kind != FileKind::Avi) {
        error = "--join makes a .mov or .avi movie, not \"" + TerminalText(o.joinPath) + "\"";
        return false;
    }
    return true;
}

// The rows of JOBS.tsv name the shows, data and outputs.
bool CheckBatch(const RenderOptions& o, std::string& error) {
    if (o.batchPath.empty()) {
        return true;
    }
    const char* taken = !o.outPath.empty()       ? "-o"
                        : !o.showPath.empty()    ? "a show file"
                        : !o.dataPath.empty()    ? "--data"
                        : !o.streamPath.empty()  ? "--stream"
                        : !o.savePath.empty()    ? "--save"
                        : o.newShow              ? "--new"
                        : !o.picturePath.empty() ? "--picture"
                        : o.bench                ? "--bench"
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
    FileKind kind = FileKindOf(o.outPath);
    bool movie = kind == FileKind::QuickTime || kind == FileKind::Avi;
    bool sequence = o.outPath.find('#') != std::string::npos && IsPictureKind(kind);
    if (!movie && !sequence) {
        error = "--part renders .mov and .avi movies and picture sequences (NAME####.png), not \"" +
                TerminalText(o.outPath) + "\"";
        return false;
    }
    return true;
}

// The live options go with --live; a live run writes no movie or pictures,
// and standard output cannot carry both the stream and a report.
bool CheckLive(const RenderOptions& o, std::string& error) {
    const char* liveOnly = !o.liveKeyPath.empty()   ? "--live-key"
                           : o.loop                 ? "--loop"
                           : o.liveStart            ? "--live-start"
                           : !o.watchPath.empty()   ? "--watch"
                           : o.morph                ? "--morph"
                           : o.controlPort          ? "--control"
                           : !o.controlBind.empty() ? "--control-bind"
                                                    : nullptr;
    if (o.livePath.empty()) {
        if (liveOnly) {
            error = std::string(liveOnly) + " needs --live URL";
            return false;
        }
        return true;
    }
    const char* taken = !o.outPath.empty()          ? "-o"
                        : o.bench                   ? "--bench"
                        : o.part                    ? "--part"
                        : !o.batchPath.empty()      ? "--batch"
                        : !o.picturePath.empty()    ? "--picture"
                        : o.alpha                   ? "--alpha"
                        : o.key                     ? "--key (use --live-key URL)"
                        : o.reverse.value_or(false) ? "--reverse"
                                                    : nullptr;
    if (taken) {
        error = std::string("--live plays the show as it goes; ") + taken + " cannot be given with it";
        return false;
    }
    if (o.livePath == "-" && (o.info || o.evaluate)) {
        error = "--live - sends the stream to standard output; --info and --eval cannot share it";
        return false;
    }
    if (o.liveKeyPath == o.livePath) {
        error = "--live-key needs a destination of its own, not the fill's";
        return false;
    }
    if (!o.controlBind.empty() && !o.controlPort) {
        error = "--control-bind needs --control PORT";
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
    if (!positional.empty() && !ParsePathValue("the show file", positional[0], options.showPath, error)) {
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
        return CheckBatch(options, error) && CheckOutput(options, error) &&
               CheckLive(options, error);  // rows bring their outputs
    }
    return CheckOutput(options, error) && CheckLive(options, error) && CheckFrameChoice(options, error) &&
           CheckAlpha(options, error) && CheckPart(options, error) && CheckTimecode(options, error);
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
        const OptionSpec* option = arg.size() > 1 && arg[0] == '-' ? FindRenderOption(arg) : nullptr;
        if (!option) {
            if (inlineValue || (!arg.empty() && arg[0] == '-')) {
                error = "unknown option " + TerminalText(arg);
                return false;
            }
            positional.push_back(arg);
            continue;
        }
        if (!option->value && inlineValue) {
            error = TerminalText(arg) + " takes no value";
            return false;
        }
        if (option->value && !inlineValue) {
            if (i + 1 >= argc) {
                error = TerminalText(arg) + " needs a value";
                return false;
            }
            value = argv[++i] ? argv[i] : "";
        }
        if (!option->apply(arg, value, options, error)) {
            return false;
        }
    }
    return CheckCombination(positional, options, error);
}

bool ChooseFrameShape(int width, int height, std::optional<float> asked, float fallback, float& shape,
                      std::string& error) {
    if (!IsSquarePixelWide(width, height)) {
        shape = asked.value_or(fallback);
        return true;
    }
    if (asked && *asked != static_cast<float>(kAspect169)) {
        error = "--aspect 4:3: " + std::to_string(width) + "x" + std::to_string(height) +
                " is a 16:9 picture of square pixels (HD); a 4:3 frame would need pixels no HD format has. "
                "Use --aspect 16:9, or a standard-definition size such as 720x486";
        return false;
    }
    shape = static_cast<float>(kAspect169);
    return true;
}

FileKind FileKindOf(const std::string& path) {
    struct Suffix {
        const char* text;
        FileKind kind;
    };
    // Movies as the writers name them; pictures in either case, as cameras
    // and other programs name them.
    static const Suffix kSuffixes[] = {
        {".png", FileKind::Png}, {".PNG", FileKind::Png}, {".bmp", FileKind::Bmp},  {".BMP", FileKind::Bmp},
        {".tga", FileKind::Tga}, {".TGA", FileKind::Tga}, {".avi", FileKind::Avi},  {".mov", FileKind::QuickTime},
        {".dps", FileKind::Dps}, {".rtv", FileKind::Rtv}, {".tvr", FileKind::Show},
    };
    size_t slash = path.rfind('/');
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return FileKind::Unknown;
    }
    const std::string suffix = path.substr(dot);
    for (const Suffix& known : kSuffixes) {
        if (suffix == known.text) {
            return known.kind;
        }
    }
    return FileKind::Unknown;
}

bool IsPictureKind(FileKind kind) {
    return kind == FileKind::Png || kind == FileKind::Bmp || kind == FileKind::Tga;
}

bool IsMovieKind(FileKind kind) {
    return kind == FileKind::Avi || kind == FileKind::QuickTime || kind == FileKind::Dps || kind == FileKind::Rtv;
}

std::string RangeOrderProblem(int32_t first, int32_t end, bool endGiven) {
    if (end >= first) {
        return std::string();
    }
    std::string endText = endGiven ? "--end (frame " + std::to_string(end) + ")"
                                   : "the end, the last keyframe (frame " + std::to_string(end) + "),";
    return endText + " comes before --start (frame " + std::to_string(first) + ")";
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
