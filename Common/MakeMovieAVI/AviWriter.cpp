// The AVI writer: one video stream with scale 100 and rate
// trunc(frames per second x 100 + 0.5), through FFmpeg's AVI muxer.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "FfmpegWriter.h"

namespace {

// The video stream header's scale and rate and where the scale is stored,
// from the first 8 KiB of an AVI file.
bool FindAviRate(FILE* file, long& at, uint32_t& scale, uint32_t& rate) {
    uint8_t head[8192] = {};
    size_t got = std::fread(head, 1, sizeof(head), file);
    for (size_t i = 0; i + 36 <= got; ++i) {
        if (std::memcmp(head + i, "strh", 4) != 0 || std::memcmp(head + i + 8, "vids", 4) != 0) {
            continue;
        }
        at = static_cast<long>(i + 28);
        std::memcpy(&scale, head + i + 28, 4);
        std::memcpy(&rate, head + i + 32, 4);
        return true;
    }
    return false;
}

}  // namespace

bool ReadAviRate(const std::string& path, uint32_t& scale, uint32_t& rate) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return false;
    }
    long at = 0;
    bool found = FindAviRate(file, at, scale, rate);
    std::fclose(file);
    return found;
}

// The muxer reduces scale and rate by their common divisor (100/2500 becomes
// 1/25). Editing systems read both, so the stream header is given back the
// pair exactly as asked. Only a header whose pair describes the same rate is
// touched.
bool RestoreAviRate(const std::string& path, uint32_t scale, uint32_t rate) {
    FILE* file = std::fopen(path.c_str(), "r+b");
    if (!file) {
        return false;
    }
    long at = 0;
    uint32_t oldScale = 0;
    uint32_t oldRate = 0;
    bool done = false;
    if (FindAviRate(file, at, oldScale, oldRate) && oldScale != 0 && scale != 0 &&
        static_cast<uint64_t>(oldRate) * scale == static_cast<uint64_t>(rate) * oldScale) {
        done = std::fseek(file, at, SEEK_SET) == 0 && std::fwrite(&scale, 4, 1, file) == 1 &&
               std::fwrite(&rate, 4, 1, file) == 1;
    }
    return std::fclose(file) == 0 && done;
}

namespace {

class AviSink : public FfmpegMovieSink {
public:
    AviSink(std::string path, uint32_t rate) : path_(std::move(path)), rate_(rate) {}
    bool Close() override {
        bool ok = FfmpegMovieSink::Close();
        if (!closed_) {
            closed_ = true;
            RestoreAviRate(path_, 100, rate_);
        }
        return ok;
    }

private:
    std::string path_;
    uint32_t rate_;
    bool closed_ = false;
};

}  // namespace

std::unique_ptr<MovieSink> OpenAviSink(const SinkParameters& parameters, std::string& error) {
    int rate = static_cast<int>(std::trunc(parameters.framesPerSecond * 100.0 + 0.5));
    if (rate <= 0) {
        error = "the frame rate must be above 0";
        return nullptr;
    }
    FfmpegMovieSpec spec;
    spec.muxer = "avi";
    spec.parameters = parameters;
    spec.codec = &ChooseMovieCodec(parameters.codec, MovieContainer::Avi);
    spec.timeBase = AVRational{100, rate};
    spec.frameDuration = 1;
    if (!spec.codec->encoder) {
        spec.muxerOptions.emplace_back("flipped_raw_rgb", "1");
    }
    auto sink = std::make_unique<AviSink>(parameters.path, static_cast<uint32_t>(rate));
    if (!sink->Open(spec)) {
        error = sink->Error();
        return nullptr;
    }
    return sink;
}
