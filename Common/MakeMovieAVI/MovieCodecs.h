// The compressors the movie writers offer, keyed by the four-character code
// the CodecType setting stores, and how a quality of 0..100 maps onto each
// encoder's own scale.
#pragma once

#include <string>
#include <string_view>

#include "FfmpegOwners.h"
#include "MakeMovieAVI.h"

struct MovieCodec {
    const char* code;           // four characters, as stored in CodecType
    const char* encoder;        // FFmpeg encoder name; null: frames are stored as they are ("DIB ")
    AVPixelFormat pixelFormat;  // what the encoder is fed
    bool lossless;
    int profile;  // the encoder's profile, or FF_PROFILE_UNKNOWN
    bool inAvi;
    bool inQuickTime;
};

// The codec for `code` in the container, or null when the container does not
// offer it.
const MovieCodec* FindMovieCodec(std::string_view code, MovieContainer container);
// The container's default: "MJPG" for AVI, "apch" for QuickTime.
const MovieCodec& DefaultMovieCodec(MovieContainer container);
// `code` when the container offers it, otherwise the container's default.
const MovieCodec& ChooseMovieCodec(std::string_view code, MovieContainer container);

// The pixel format the encoder is fed at this size: the codec's own, or for
// H.264 at an odd width or height (which 4:2:0 cannot take) 4:4:4.
AVPixelFormat EncoderPixelFormat(const MovieCodec& codec, int width, int height);
// Whether the encoder codes the two fields separately at this format and
// height (H.264 needs a height divisible by 4 at 4:2:0, by 2 otherwise;
// ProRes takes any).
bool CodesFields(const MovieCodec& codec, AVPixelFormat format, int height);

// Sets the encoder's quality from 0..100 (higher is better), on the context
// or as private options in `options`.
void ApplyMovieQuality(const MovieCodec& codec, int quality, AVCodecContext& context, AVDictionary** options);
