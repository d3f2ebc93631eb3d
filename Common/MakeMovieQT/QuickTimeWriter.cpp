// The QuickTime writer on FFmpeg's mov muxer, and the boxes it adds once the
// muxer has finished the file.
#include "BroadcastFormats.h"
#include "FfmpegWriter.h"
#include "MakeMovieQT.h"
#include "QuickTimeBoxes.h"

namespace {

// A movie closed by the muxer gets its clean aperture and graphics mode.
class QuickTimeSink : public FfmpegMovieSink {
public:
    QuickTimeSink(std::string path, const QuickTimeVideoBoxes& boxes) : path_(std::move(path)), boxes_(boxes) {}
    bool Close() override {
        bool ok = FfmpegMovieSink::Close();
        if (ok && !finished_) {
            finished_ = true;
            std::string why;
            if (!WriteQuickTimeVideoBoxes(path_, boxes_, why)) {
                error_ = "cannot finish the movie file " + path_ + ": " + why;
                ok = false;
            }
        }
        return ok;
    }

private:
    std::string path_;
    QuickTimeVideoBoxes boxes_;
    bool finished_ = false;
};

// The clean aperture of the picture (Apple's table for the standard
// rasters, the whole picture otherwise); for movies that keep alpha,
// straight alpha (the colour is not multiplied by the alpha); and the field
// flags on every track, H.264's and DNxHR's too, which the muxer leaves to
// the stream.
QuickTimeVideoBoxes BoxesFor(const SinkParameters& p) {
    const PixelShape shape = PixelShapeFor(p.width, p.height, p.pictureAspect);
    QuickTimeVideoBoxes boxes;
    boxes.cleanWidth = shape.cleanWidth;
    boxes.cleanHeight = shape.cleanHeight;
    boxes.graphicsMode = p.alpha ? kGraphicsModeStraightAlpha : kGraphicsModeCopy;
    boxes.fielFields = p.fieldOrder == FieldOrder::Progressive ? 1 : 2;
    boxes.fielDetail = p.fieldOrder == FieldOrder::UpperFirst   ? kFielUpperFirst
                       : p.fieldOrder == FieldOrder::LowerFirst ? kFielLowerFirst
                                                                : 0;
    return boxes;
}

}  // namespace

bool PrepareQuickTime(double framesPerSecond, const std::string& codec, std::string& error) {
    if (ExactMovieRate(framesPerSecond).rate <= 0) {
        error = "the frame rate must be above 0";
        return false;
    }
    if (!av_guess_format("mov", nullptr, nullptr)) {
        error = "QuickTime movies cannot be written: the mov muxer is missing";
        return false;
    }
    const MovieCodec& chosen = ChooseMovieCodec(codec, MovieContainer::QuickTime);
    if (chosen.encoder && !avcodec_find_encoder_by_name(chosen.encoder)) {
        error = std::string("the encoder ") + chosen.encoder + " is not available";
        return false;
    }
    return true;
}

std::unique_ptr<MovieSink> OpenQuickTimeSink(const SinkParameters& parameters, std::string& error) {
    ExactRate rate = ExactMovieRate(parameters.framesPerSecond);
    if (rate.rate <= 0) {
        error = "the frame rate must be above 0";
        return nullptr;
    }
    FfmpegMovieSpec spec;
    spec.muxer = "mov";
    spec.parameters = parameters;
    spec.codec = &ChooseMovieCodec(parameters.codec, MovieContainer::QuickTime);
    spec.timeBase = AVRational{1, rate.rate};
    spec.frameDuration = rate.scale;
    // Keep the media time scale as asked; the muxer would otherwise double
    // time scales below 10000.
    spec.muxerOptions.emplace_back("video_track_timescale", std::to_string(rate.rate));
    // The movie's own durations (header, edit list) in the same units, so
    // that they are exact: in milliseconds 10 frames at 23.976 would read as
    // 418 ms, a frame more than the movie holds.
    spec.muxerOptions.emplace_back("movie_timescale", std::to_string(rate.rate));
    if (parameters.timecode) {
        spec.timecode = MovieTimecode(rate, parameters.timecode->frame, parameters.timecode->dropFrame);
    }
    auto sink = std::make_unique<QuickTimeSink>(parameters.path, BoxesFor(parameters));
    if (!sink->Open(spec)) {
        error = sink->Error();
        return nullptr;
    }
    return sink;
}
