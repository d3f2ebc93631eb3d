// The writer dispatch: the movie file's extension chooses the writer.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "BroadcastFormats.h"
#include "MakeMovieAVI.h"
#include "MakeMovieQT.h"
#include "MovieCodecs.h"
#include "Settings.h"
#include "SettingsKeys.h"
#include "Utilities.h"

int MovieWriterKindFor(const char* path) {
    if (std::strstr(path, ".mov")) {
        return kWriterQuickTime;
    }
    if (std::strstr(path, ".dps")) {
        return kWriterDps;
    }
    if (std::strstr(path, ".rtv")) {
        return kWriterRtv;
    }
    return kWriterAvi;
}

std::string ResolveMovieCodec(const std::string& requested, MovieContainer container) {
    return ChooseMovieCodec(requested, container).code;
}

MovieWriter::MovieWriter() = default;

MovieWriter::~MovieWriter() {
    Close();
}

namespace {

std::string RequestedCodec(const MovieWriterOptions& options) {
    return options.codec.empty() ? ReadSettingString(kSettingCodecType, "") : options.codec;
}

std::string RateText(double framesPerSecond) {
    char text[32] = {};
    std::snprintf(text, sizeof(text), "%.3f", framesPerSecond);
    std::string shown = text;
    shown.erase(shown.find_last_not_of('0') + 1);
    if (shown.back() == '.') {
        shown.pop_back();
    }
    return shown;
}

bool IsFilmRate(double framesPerSecond) {
    const ExactRate rate = ExactMovieRate(framesPerSecond);
    return (rate.rate == 24000 && rate.scale == 1001) || (rate.rate == 2400 && rate.scale == 100);
}

}  // namespace

bool MovieWriter::Prepare(double framesPerSecond, int quality, bool isQuickTime) {
    if (!isQuickTime) {
        return true;
    }
    return PrepareQuickTime(framesPerSecond, RequestedCodec(options), lastError_);
}

namespace {

std::unique_ptr<MovieSink> OpenSink(int kind, const SinkParameters& p, int bitsPerPixel, std::string& error) {
    switch (kind) {
        case kWriterAvi:
            return OpenAviSink(p, error);
        case kWriterQuickTime:
            return OpenQuickTimeSink(p, error);
        case kWriterDps:
            return OpenDpsSink(p, bitsPerPixel, error);
        default:
            return OpenRtvSink(p, bitsPerPixel, error);
    }
}

}  // namespace

std::string DpsMovieProblem(int width, int height, double framesPerSecond) {
    const BroadcastFormat* format = FindBroadcastFormat(width, height, framesPerSecond);
    if (format &&
        ((format->lines == 525 && format->rate == kRateNtsc) || (format->lines == 625 && format->rate == kRatePal))) {
        return {};
    }
    if (IsFilmRate(framesPerSecond)) {
        return "DPS movies run at 29.97 frames per second (720 x 486) or 25 (720 x 576): " + RateText(framesPerSecond) +
               " is a film rate, which a DPS header cannot carry";
    }
    return "DPS movies are 720 x 486 at 29.97 frames per second or 720 x 576 at 25, not " + std::to_string(width) +
           " x " + std::to_string(height) + " at " + RateText(framesPerSecond);
}

std::string KeyMoviePath(const std::string& path) {
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return path + "-key";
    }
    return path.substr(0, dot) + "-key" + path.substr(dot);
}

std::string MovieAlphaProblem(const std::string& path, const std::string& requested) {
    return MovieAlphaProblem(MovieWriterKindFor(path.c_str()), requested);
}

std::string MovieAlphaProblem(int kind, const std::string& requested) {
    if (kind == kWriterRtv) {
        return {};
    }
    if (kind == kWriterDps) {
        return "DPS movies keep no alpha channel";
    }
    MovieContainer container = kind == kWriterAvi ? MovieContainer::Avi : MovieContainer::QuickTime;
    const MovieCodec& codec = ChooseMovieCodec(requested, container);
    if (codec.alphaFormat != AV_PIX_FMT_NONE) {
        return {};
    }
    return std::string("the codec \"") + codec.code + "\" (" + codec.name +
           ") keeps no alpha channel: use ap4h, ap4x, rle or png in a .mov, or png in an .avi";
}

namespace {

// A movie is made under a temporary name of its own beside the file it
// replaces ("NAME.making~PID"), and renamed over it only once finished, so
// a failed render never destroys that file.
constexpr const char* kMakingPurpose = "making";

}  // namespace

bool MovieWriter::Open(const FileSpec& file, const CDib& image, double framesPerSecond, int quality,
                       int32_t frameCount) {
    Close();
    lastError_.clear();
    const int kind = options.kind != kWriterNone ? options.kind : MovieWriterKindFor(file.name);
    if (options.alpha) {
        lastError_ = MovieAlphaProblem(kind, RequestedCodec(options));
        if (!lastError_.empty()) {
            return false;
        }
    }
    if ((options.alpha || options.key) && image.BitsPerPixel() != 32) {
        lastError_ = "alpha and key movies are made from 32-bit frames";
        return false;
    }
    if (!NameFits(file)) {
        lastError_ = "the file name is too long";
        return false;
    }
    if (!claim_.Claim(file.name, kMakingPurpose, lastError_)) {
        return false;
    }
    target_ = claim_.Target();
    temporary_ = claim_.Temporary();
    SinkParameters p;
    p.path = temporary_;
    p.width = image.Width();
    p.height = image.Height();
    p.framesPerSecond = framesPerSecond;
    p.quality = quality;
    p.frameCount = frameCount;
    p.fieldOrder = options.fieldOrder;
    p.pictureAspect = options.pictureAspect;
    p.tags = options.tags;
    p.timecode = options.timecode;
    p.alpha = options.alpha;
    p.frameDigestTag = options.frameDigestTag;
    if (kind == kWriterQuickTime || kind == kWriterAvi) {
        MovieContainer container = kind == kWriterAvi ? MovieContainer::Avi : MovieContainer::QuickTime;
        p.codec = ResolveMovieCodec(RequestedCodec(options), container);
    } else if (kind == kWriterDps) {
        lastError_ = DpsMovieProblem(image.Width(), image.Height(), framesPerSecond);
        if (!lastError_.empty()) {
            ReleaseClaims();
            return false;
        }
    }
    int bits = options.key && !options.alpha ? 24 : image.BitsPerPixel();
    kind_ = kind;
    sink_ = OpenSink(kind, p, bits, lastError_);
    if (!sink_) {
        lastError_ = TargetNamed(lastError_);
        kind_ = kWriterNone;
        ReleaseClaims();
        return false;
    }
    if (options.key && !OpenKey(p)) {
        Abandon();
        return false;
    }
    nextIndex_ = 0;
    framesWritten_ = 0;
    codecUsed_ = p.codec;
    if (!p.codec.empty() && options.storeCodec) {
        WriteSettingString(kSettingCodecType, p.codec.c_str());
    }
    return true;
}

bool MovieWriter::OpenKey(const SinkParameters& fill) {
    SinkParameters key = fill;
    std::string error;
    if (!keyClaim_.Claim(KeyMoviePath(target_), kMakingPurpose, error)) {
        lastError_ = "the key movie cannot be made: " + error;
        return false;
    }
    keyTarget_ = keyClaim_.Target();
    keyTemporary_ = keyClaim_.Temporary();
    key.path = keyTemporary_;
    key.alpha = false;
    key.tags = options.keyTags.value_or(fill.tags);
    keySink_ = OpenSink(kind_, key, 24, error);
    if (!keySink_) {
        lastError_ = "the key movie " + keyTarget_ + " cannot be made: " + TargetNamed(error);
        return false;
    }
    if (!keyPicture_.Create(fill.width, fill.height, 24)) {
        lastError_ = "out of memory";
        return false;
    }
    return true;
}

const CDib& MovieWriter::Flattened(const CDib& image) {
    if (options.alpha || image.BitsPerPixel() != 32 || !flatPicture_.Create(image.Width(), image.Height(), 24)) {
        return image;
    }
    for (int row = 0; row < image.Height(); ++row) {
        const uint8_t* in = image.Row(row);
        uint8_t* out = flatPicture_.Row(row);
        for (int x = 0; x < image.Width(); ++x) {
            std::memcpy(out + 3 * x, in + 4 * x, 3);
        }
    }
    return flatPicture_;
}

bool MovieWriter::WriteKey(int32_t index, const CDib& image) {
    if (image.BitsPerPixel() != 32 || image.Width() != keyPicture_.Width() || image.Height() != keyPicture_.Height()) {
        lastError_ = "the key needs 32-bit frames of the movie's size";
        return false;
    }
    for (int row = 0; row < image.Height(); ++row) {
        const uint8_t* in = image.Row(row);
        uint8_t* out = keyPicture_.Row(row);
        for (int x = 0; x < image.Width(); ++x) {
            std::memset(out + 3 * x, in[4 * x + 3], 3);
        }
    }
    if (!keySink_->WriteFrame(index, keyPicture_)) {
        lastError_ = "the key movie: " + TargetNamed(keySink_->Error());
        return false;
    }
    return true;
}

bool MovieWriter::WriteFrame(int32_t index, const CDib& image) {
    if (!sink_) {
        lastError_ = "no movie is open";
        return false;
    }
    int32_t at = index < 0 ? nextIndex_ : index;
    nextIndex_ = at + 1;
    if (!sink_->WriteFrame(at, options.key ? Flattened(image) : image)) {
        lastError_ = TargetNamed(sink_->Error());
        return false;
    }
    if (keySink_ && !WriteKey(at, image)) {
        return false;
    }
    ++framesWritten_;
    return true;
}

std::string MovieWriter::TargetNamed(std::string text) const {
    // The user knows the movies by their own names, not the temporary ones.
    const std::pair<const std::string*, const std::string*> names[] = {{&temporary_, &target_},
                                                                       {&keyTemporary_, &keyTarget_}};
    for (auto [from, to] : names) {
        for (size_t at = from->empty() ? std::string::npos : text.find(*from); at != std::string::npos;
             at = text.find(*from, at + to->size())) {
            text.replace(at, from->size(), *to);
        }
    }
    return text;
}

bool MovieWriter::CloseSinks() {
    bool keyClosed = true;
    if (keySink_) {
        keyClosed = keySink_->Close();
        if (!keyClosed) {
            lastError_ = "the key movie: " + TargetNamed(keySink_->Error());
        }
        keySink_.reset();
    }
    if (!sink_) {
        return keyClosed;
    }
    bool ok = sink_->Close();
    if (!ok) {
        lastError_ = TargetNamed(sink_->Error());
    }
    if (sink_->FramesStored() >= 0) {
        framesWritten_ = sink_->FramesStored();
    }
    sink_.reset();
    kind_ = kWriterNone;
    return ok && keyClosed;
}

void MovieWriter::ReleaseClaims() {
    claim_.Release();
    keyClaim_.Release();
    temporary_.clear();
    keyTemporary_.clear();
    keyTarget_.clear();
}

bool MovieWriter::Close() {
    if (!sink_ && !keySink_) {
        ReleaseClaims();
        return true;
    }
    bool ok = CloseSinks();
    for (OutputClaim* claim : {&claim_, &keyClaim_}) {
        std::string reason;
        if (ok && claim->Held() && !claim->Commit(reason)) {
            lastError_ = "cannot put the movie in place of " + claim->Target() + ": " + reason;
            ok = false;
        }
    }
    ReleaseClaims();
    return ok;
}

void MovieWriter::Abandon() {
    std::string error = lastError_;
    CloseSinks();
    lastError_ = error;
    ReleaseClaims();
}
