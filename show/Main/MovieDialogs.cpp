#include "MovieDialogs.h"

#include <array>
#include <cstdio>
#include <vector>

#include "Dialogs.h"
#include "Settings.h"
#include "SettingsKeys.h"

namespace {

constexpr int kDialogLeft = 50;
constexpr int kDialogTop = 50;
constexpr const char* kOptionsTitle = "Make Movie Options";
constexpr const char* kCompressionTitle = "Video Compression";
constexpr const char* kCodecCaption = "Compressor";
constexpr int kOptionRows = 11;
constexpr int kAlphaRow = 9;

std::array<std::string*, kOptionRows> OptionFields(MovieOptionTexts& t) {
    return {&t.width,   &t.height, &t.start,   &t.end,   &t.hold, &t.fps,
            &t.quality, &t.fields, &t.reverse, &t.alpha, &t.key};
}

void SetSlot(DialogSlot& slot, const std::string& text) {
    std::snprintf(slot, kDialogSlotSize, "%s", text.c_str());
}

}  // namespace

bool MovieAlphaOffered() {
    const std::string path = std::string("movie") + MovieDefaultExtension(ReadSettingInt(kSettingMovieType, 0));
    return MovieAlphaProblem(path, ReadSettingString(kSettingCodecType, "")).empty();
}

bool AskMovieOptions(PlatformWindow& window, MovieOptionTexts& rows) {
    static const char* const kLabels[kOptionRows] = {
        "Width",     "Height",           "Start Timecode", "End Timecode",    "Head/Tail Holds", "FrameRate",
        "@SQuality", "@CRender Fields?", "@CReverse too?", "@CAlpha channel", "@CKey movie too",
    };
    DialogSlot labels[kOptionRows];
    DialogSlot values[kOptionRows];
    const auto fields = OptionFields(rows);
    for (int k = 0; k < kOptionRows; ++k) {
        SetSlot(labels[k], kLabels[k]);
        SetSlot(values[k], *fields[k]);
    }
    if (!MovieAlphaOffered()) {
        // Greyed and clear: the compressor last chosen keeps no alpha.
        SetSlot(labels[kAlphaRow], "@DAlpha channel");
        SetSlot(values[kAlphaRow], "");
    }
    if (RunValueDialog(&window, kDialogLeft, kDialogTop, kOptionRows, labels, values, kOptionsTitle) == kDialogCancel) {
        return false;
    }
    for (int k = 0; k < kOptionRows; ++k) {
        *fields[k] = values[k];
    }
    return true;
}

bool AskVideoCompression(PlatformWindow& window, MovieContainer container, std::string& quality) {
    const std::vector<std::string> codes = MovieCodecCodes(container);
    const std::string current = ResolveMovieCodec(ReadSettingString(kSettingCodecType, ""), container);
    const int count = static_cast<int>(codes.size()) + 1;
    std::vector<DialogSlot> labels(static_cast<size_t>(count));
    std::vector<DialogSlot> values(static_cast<size_t>(count));
    for (size_t k = 0; k < codes.size(); ++k) {
        const std::string name = MovieCodecName(codes[k]);
        SetSlot(labels[k], k == 0 ? std::string("@R") + kCodecCaption + "|" + name : "@R" + name);
        SetSlot(values[k], codes[k] == current ? "1" : "");
    }
    SetSlot(labels[codes.size()], "@SQuality");
    SetSlot(values[codes.size()], quality);
    if (RunValueDialog(&window, kDialogLeft, kDialogTop, count, labels.data(), values.data(), kCompressionTitle) ==
        kDialogCancel) {
        return false;
    }
    for (size_t k = 0; k < codes.size(); ++k) {
        if (values[k][0] != '\0') {
            WriteSettingString(kSettingCodecType, codes[k].c_str());
        }
    }
    quality = values[codes.size()];
    return true;
}

bool AskCompressorFor(PlatformWindow& window, const char* path, std::string& quality) {
    const int kind = MovieWriterKindFor(path);
    if (kind != kWriterAvi && kind != kWriterQuickTime) {
        return true;
    }
    const MovieContainer container = kind == kWriterAvi ? MovieContainer::Avi : MovieContainer::QuickTime;
    return AskVideoCompression(window, container, quality);
}
