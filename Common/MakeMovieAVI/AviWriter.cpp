// The AVI writer: one video stream whose rate and scale are the movie's
// exact rate (30000 and 1001 at 29.97, 2500 and 100 at 25), through
// FFmpeg's AVI muxer.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "CrossPlatform.h"
#include "FfmpegWriter.h"
#include "MakeMovieAVI.h"

namespace {

// Where an AVI file's numbers stand (all little-endian): the video stream
// header's scale and rate, the main header's data rate, the format's size
// and the video properties' fields per frame, from the chunk's four-letter
// name.
constexpr size_t kAviHeadBytes = 8192;  // the headers lie in the first 8 KiB
constexpr size_t kStreamScaleAt = 28;
constexpr size_t kStreamRateAt = 32;
constexpr size_t kMainBytesPerSecondAt = 12;
constexpr size_t kFormatSizeAt = 4;
constexpr size_t kFieldsPerFrameAt = 40;

uint32_t Word(const uint8_t* at) {
    return ReadInteger(at, 4, false);
}

// Whether the video stream header ("strh" of type "vids") starts at `at`.
bool IsVideoStreamHeader(const uint8_t* at) {
    return std::memcmp(at, "strh", 4) == 0 && std::memcmp(at + 8, "vids", 4) == 0;
}

// The video stream header's scale and rate and where the scale is stored,
// from the first 8 KiB of an AVI file.
bool FindAviRate(FILE* file, long& at, uint32_t& scale, uint32_t& rate) {
    uint8_t head[kAviHeadBytes] = {};
    size_t got = std::fread(head, 1, sizeof(head), file);
    for (size_t i = 0; i + 36 <= got; ++i) {
        if (!IsVideoStreamHeader(head + i)) {
            continue;
        }
        at = static_cast<long>(i + kStreamScaleAt);
        scale = Word(head + i + kStreamScaleAt);
        rate = Word(head + i + kStreamRateAt);
        return true;
    }
    return false;
}

}  // namespace

bool ReadAviHeaderFacts(const std::string& path, AviHeaderFacts& facts) {
    uint8_t head[kAviHeadBytes] = {};
    size_t got = 0;
    {
        OwnedFile file(std::fopen(path.c_str(), "rb"));
        if (!file) {
            return false;
        }
        got = std::fread(head, 1, sizeof(head), file.get());
    }
    bool found = false;
    for (size_t i = 0; i + 48 <= got; ++i) {
        if (std::memcmp(head + i, "avih", 4) == 0) {
            facts.maxBytesPerSecond = Word(head + i + kMainBytesPerSecondAt);
        } else if (IsVideoStreamHeader(head + i) && !found) {
            facts.scale = Word(head + i + kStreamScaleAt);
            facts.rate = Word(head + i + kStreamRateAt);
            found = true;
        } else if (std::memcmp(head + i, "strf", 4) == 0 && found && facts.formatBytes == 0) {
            facts.formatBytes = Word(head + i + kFormatSizeAt);
        } else if (std::memcmp(head + i, "vprp", 4) == 0) {
            facts.fieldsPerFrame = Word(head + i + kFieldsPerFrameAt);
        }
    }
    return found;
}

// The muxer reduces scale and rate by their common divisor (100/2500 becomes
// 1/25). Editing systems read both, so the stream header is given back the
// pair exactly as asked. Only a header whose pair describes the same rate is
// touched.
bool RestoreAviRate(const std::string& path, uint32_t scale, uint32_t rate) {
    OwnedFile file(std::fopen(path.c_str(), "r+b"));
    if (!file) {
        return false;
    }
    long at = 0;
    uint32_t oldScale = 0;
    uint32_t oldRate = 0;
    bool done = false;
    if (FindAviRate(file.get(), at, oldScale, oldRate) && oldScale != 0 && scale != 0 &&
        static_cast<uint64_t>(oldRate) * scale == static_cast<uint64_t>(rate) * oldScale) {
        uint8_t pair[8] = {};
        WriteInteger(pair, scale, 4, false);
        WriteInteger(pair + 4, rate, 4, false);
        done = std::fseek(file.get(), at, SEEK_SET) == 0 && std::fwrite(pair, sizeof(pair), 1, file.get()) == 1;
    }
    return CloseOwnedFile(file) && done;
}

namespace {

class AviSink : public FfmpegMovieSink {
public:
    AviSink(std::string path, ExactRate rate) : path_(std::move(path)), rate_(rate) {}
    bool Close() override {
        bool ok = FfmpegMovieSink::Close();
        if (!closed_) {
            closed_ = true;
            RestoreAviRate(path_, static_cast<uint32_t>(rate_.scale), static_cast<uint32_t>(rate_.rate));
        }
        return ok;
    }

private:
    std::string path_;
    ExactRate rate_;
    bool closed_ = false;
};

}  // namespace

std::unique_ptr<MovieSink> OpenAviSink(const SinkParameters& parameters, std::string& error) {
    ExactRate rate = ExactMovieRate(parameters.framesPerSecond);
    if (rate.rate <= 0) {
        error = "the frame rate must be above 0";
        return nullptr;
    }
    FfmpegMovieSpec spec;
    spec.muxer = "avi";
    spec.parameters = parameters;
    spec.codec = &ChooseMovieCodec(parameters.codec, MovieContainer::Avi);
    spec.timeBase = AVRational{rate.scale, rate.rate};
    spec.frameDuration = 1;
    if (!spec.codec->encoder) {
        spec.muxerOptions.emplace_back("flipped_raw_rgb", "1");
    }
    auto sink = std::make_unique<AviSink>(parameters.path, rate);
    if (!sink->Open(spec)) {
        error = sink->Error();
        return nullptr;
    }
    return sink;
}
