// tavrilo-render's picture output: frame selection, sizes, anti-aliasing
// and aspect from the options, and the picture files.
#include "RenderPictures.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "Draw.h"
#include "MovieSegments.h"
#include "OpenGL.h"
#include "PictureQueue.h"
#include "PngEncoder.h"
#include "Settings.h"
#include "SettingsKeys.h"
#include "Utilities.h"

namespace {

struct PictureSettings {
    int width = 720;
    int height = 486;
    int antiAliasing = 0;
    int bitsPerPixel = 24;  // 32: the chart over a transparent background
};

// Two encoders keep up with the renderer for PNG; the files of a sequence
// are independent, so they are written side by side.
constexpr int kWriterThreads = 2;

// Size, anti-aliasing and aspect from the options or their defaults; false
// with a message for values out of range.
bool ApplySettings(Show& show, const RenderOptions& options, PictureSettings& out, std::string& error) {
    out.width = options.width.value_or(720);
    out.height = options.height.value_or(show.frameRate == kRatePal ? 576 : 486);
    if (out.width < 1 || out.height < 1 || out.width > 4096 || out.height > 4096) {
        error = "--size must be between 1x1 and 4096x4096";
        return false;
    }
    out.antiAliasing = options.antiAliasing.value_or(show.antiAliasing);
    if (out.antiAliasing < 0 || out.antiAliasing > 100) {
        error = "--aa must be 0 to 100";
        return false;
    }
    float aspect = 0.0f;
    const auto stored = static_cast<float>(ReadSettingInt(kSettingAspectMode, 7500) * 0.0001);
    if (!ChooseFrameShape(out.width, out.height, options.aspect, stored, aspect, error)) {
        return false;
    }
    SetFrameAspect(show, aspect);
    out.bitsPerPixel = options.alpha ? 32 : 24;
    return true;
}

bool SavePicture(const CDib& picture, const std::string& path) {
    FileKind kind = FileKindOf(path);
    if (kind == FileKind::Png) {
        return WritePng(picture, path);
    }
    FileSpec spec = MakeFileSpec(path.c_str());
    return const_cast<CDib&>(picture).Save(spec, kind == FileKind::Tga ? kDibTarga : kDibBitmap).Ok();
}

bool KnownPictureName(const std::string& path) {
    return IsPictureKind(FileKindOf(path));
}

// Renders frames first .. end - 1 (one picture when `pattern` has no "#");
// the pictures are encoded and written by worker threads while the next
// frames render. The renderer places each frame's light through the chart
// of the frame before it, so a run that starts later needs no frame drawn
// before its first: every picture looks as it does in a run from frame 0
// (and as the movie shows it).
StepResult RenderSequence(Show& show, const PictureSettings& s, const std::string& pattern, int32_t first,
                          int64_t end) {
    PictureQueue queue(SavePicture, kWriterThreads, kWriterThreads + 2, s.bitsPerPixel);
    // `end` is past the last frame, which may be the largest frame number.
    for (int64_t at = first; at < end; ++at) {
        const auto frame = static_cast<int32_t>(at);
        CDib* picture = queue.Free();
        if (!picture) {
            break;
        }
        if (!RenderShowFrame(show, frame, s.width, s.height, s.antiAliasing, *picture)) {
            queue.Finish();
            return StepFailed(GLUnavailableMessage());
        }
        queue.Submit(picture, SequenceName(pattern, frame));
    }
    std::string failed = queue.Finish();
    if (!failed.empty()) {
        const int reason = queue.FailedError();
        return StepFailed("cannot write " + TerminalText(failed) +
                          (reason != 0 ? std::string(": ") + FileErrorText(reason) : std::string()));
    }
    return StepDone();
}

struct SequenceRange {
    int32_t first = 0;
    int32_t end = 0;
};

// The frames of a numbered sequence: --start (0) up to --end (the last key).
SequenceRange PictureRange(const Show& show, const RenderOptions& options) {
    int32_t lastKey = show.keys[std::clamp(show.keyCount, 1, kMaxKeys) - 1].frame;
    SequenceRange range;
    range.first = options.start ? TimecodeEntry(options.start->c_str(), 0, show.frameRate) : 0;
    range.end = options.end ? TimecodeEntry(options.end->c_str(), lastKey, show.frameRate) : lastKey;
    return range;
}

}  // namespace

std::string SequenceName(const std::string& pattern, int32_t frame) {
    size_t start = pattern.find('#');
    if (start == std::string::npos) {
        return pattern;
    }
    size_t end = pattern.find_first_not_of('#', start);
    size_t digits = (end == std::string::npos ? pattern.size() : end) - start;
    char number[32];
    std::snprintf(number, sizeof(number), "%0*ld", static_cast<int>(std::min<size_t>(digits, 20)),
                  static_cast<long>(frame));
    return pattern.substr(0, start) + number + (end == std::string::npos ? "" : pattern.substr(end));
}

bool WritePng(const CDib& picture, const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!EncodePng(picture, bytes)) {
        return false;
    }
    return WriteWholeFile(path.c_str(), bytes.data(), static_cast<long>(bytes.size()));
}

bool CheckPictureOptions(const Show& show, const RenderOptions& options, std::string& error) {
    if (options.outPath.empty()) {
        error = "no output picture given (-o OUT.png)";
        return false;
    }
    if (!KnownPictureName(options.outPath)) {
        error = "the picture name must end in .png, .bmp or .tga: " + TerminalText(options.outPath);
        return false;
    }
    const int width = options.width.value_or(720);
    const int height = options.height.value_or(show.frameRate == kRatePal ? 576 : 486);
    if (width < 1 || height < 1 || width > 4096 || height > 4096) {
        error = "--size must be between 1x1 and 4096x4096";
        return false;
    }
    const int antiAliasing = options.antiAliasing.value_or(show.antiAliasing);
    if (antiAliasing < 0 || antiAliasing > 100) {
        error = "--aa must be 0 to 100";
        return false;
    }
    if (options.outPath.find('#') == std::string::npos) {
        return true;
    }
    SequenceRange range = PictureRange(show, options);
    error = RangeOrderProblem(range.first, range.end, options.end.has_value());
    if (!error.empty()) {
        return false;
    }
    if (range.first < 0 || range.end <= range.first) {
        error = "nothing to render: --end must come after --start";
        return false;
    }
    // The longest frame number decides the longest name.
    if (!PathFits(SequenceName(options.outPath, range.end - 1).c_str())) {
        error = "the picture names are longer than " + std::to_string(kMaxPathLength) +
                " characters: " + TerminalText(SequenceName(options.outPath, range.end - 1));
        return false;
    }
    return true;
}

StepResult RenderPicturesCommand(Show& show, const RenderOptions& options) {
    PictureSettings settings;
    std::string error;
    if (!CheckPictureOptions(show, options, error) || !ApplySettings(show, options, settings, error)) {
        return StepFailed(error);
    }
    if (options.outPath.find('#') == std::string::npos) {
        const int32_t frame = options.frame.value_or(0);
        StepResult result = RenderSequence(show, settings, options.outPath, frame, int64_t{frame} + 1);
        if (result.Ok()) {
            std::printf("Picture made: %s (frame %d%s)\n", TerminalText(options.outPath).c_str(), frame,
                        options.frame ? "" : "; --frame N renders another");
        }
        return result;
    }
    SequenceRange range = PictureRange(show, options);
    if (options.part) {
        MovieShare share = MovieShareOf(range.end - range.first, *options.part, options.parts);
        if (share.Count() == 0) {
            std::printf("part %d/%d has no frames to render: the sequence has %d frames\n", *options.part,
                        options.parts, range.end - range.first);
            return StepDone();
        }
        range = SequenceRange{range.first + share.first, range.first + share.end};
    }
    StepResult result = RenderSequence(show, settings, options.outPath, range.first, range.end);
    if (result.Ok()) {
        std::printf("Pictures made: %s to %s (frames %d to %d, %d pictures)\n",
                    TerminalText(SequenceName(options.outPath, range.first)).c_str(),
                    TerminalText(SequenceName(options.outPath, range.end - 1)).c_str(), range.first, range.end - 1,
                    range.end - range.first);
    }
    return result;
}

StepResult RenderBenchCommand(Show& show, const RenderOptions& options) {
    PictureSettings settings;
    std::string error;
    if (!ApplySettings(show, options, settings, error)) {
        return StepFailed(error);
    }
    CDib picture(16, 16, 8);
    if (!RenderShowFrame(show, 0, settings.width, settings.height, 0, picture)) {
        return StepFailed(GLUnavailableMessage());
    }
    int32_t lastKey = std::max(1, show.keys[std::clamp(show.keyCount, 1, kMaxKeys) - 1].frame);
    auto rate = [&](int level) {
        const int frames = 120;
        auto begin = std::chrono::steady_clock::now();
        for (int i = 0; i < frames; ++i) {
            RenderShowFrame(show, (i * 7) % (lastKey + 1), settings.width, settings.height, level, picture);
        }
        return frames / std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    };
    for (int level : {0, 25, 50, 75}) {
        std::printf("anti-aliasing %d: %.1f frames/s at %dx%d\n", level, rate(level), settings.width, settings.height);
    }
    // The same levels with the passes summed by GL and on the CPU.
    const AccumulationPath chosen = show.renderer->accumulation;
    for (AccumulationPath path : {AccumulationPath::Gpu, AccumulationPath::Cpu}) {
        show.renderer->accumulation = path;
        for (int level : {25, 50, 75}) {
            std::printf("anti-aliasing %d, %s sum: %.1f frames/s\n", level,
                        path == AccumulationPath::Gpu ? "GL" : "CPU", rate(level));
        }
    }
    show.renderer->accumulation = chosen;
    return StepDone();
}
