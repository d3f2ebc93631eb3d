// The AVI writer: one video stream whose rate and scale are the movie's
// exact rate (30000 and 1001 at 29.97, 2500 and 100 at 25), through
// FFmpeg's AVI muxer.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "FfmpegWriter.h"
#include "MakeMovieAVI.h"

namespace {

// The muxer reduces scale and rate by their common divisor (100/2500 becomes
// 1/25). Editing systems read both, so the stream header is given back the
// rate exactly as asked. Only a header whose reduced pair describes the same
// rate is touched.
bool RestoreAviRate(const std::string& path, ExactRate exact) {
    auto rate = static_cast<uint32_t>(exact.rate);
    auto newScale = static_cast<uint32_t>(exact.scale);
    FILE* file = std::fopen(path.c_str(), "r+b");
    if (!file) {
        return false;
    }
    uint8_t head[8192] = {};
    size_t got = std::fread(head, 1, sizeof(head), file);
    bool done = false;
    for (size_t i = 0; i + 36 <= got && !done; ++i) {
        if (std::memcmp(head + i, "strh", 4) != 0 || std::memcmp(head + i + 8, "vids", 4) != 0) {
            continue;
        }
        uint32_t scale = 0;
        uint32_t oldRate = 0;
        std::memcpy(&scale, head + i + 28, 4);
        std::memcpy(&oldRate, head + i + 32, 4);
        if (scale != 0 && static_cast<uint64_t>(oldRate) * newScale == static_cast<uint64_t>(rate) * scale) {
            done = std::fseek(file, static_cast<long>(i + 28), SEEK_SET) == 0 &&
                   std::fwrite(&newScale, 4, 1, file) == 1 && std::fwrite(&rate, 4, 1, file) == 1;
        }
        break;
    }
    return std::fclose(file) == 0 && done;
}

class AviSink : public FfmpegMovieSink {
public:
    AviSink(std::string path, ExactRate rate) : path_(std::move(path)), rate_(rate) {}
    bool Close() override {
        bool ok = FfmpegMovieSink::Close();
        if (!closed_) {
            closed_ = true;
            RestoreAviRate(path_, rate_);
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
