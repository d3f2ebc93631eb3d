// The QuickTime writer on FFmpeg's mov muxer.
#include "FfmpegWriter.h"
#include "MakeMovieQT.h"

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
    if (parameters.firstFrameNumber) {
        spec.timecode = MovieTimecode(rate, *parameters.firstFrameNumber);
    }
    auto sink = std::make_unique<FfmpegMovieSink>();
    if (!sink->Open(spec)) {
        error = sink->Error();
        return nullptr;
    }
    return sink;
}
