// The compressors the movie writers offer, keyed by the four-character code
// the CodecType setting stores, and how a quality of 0..100 maps onto each
// encoder's own scale.
#pragma once

#include <string>
#include <string_view>

#include "FfmpegOwners.h"
#include "MovieFfmpeg.h"

struct MovieCodec {
    const char* code;           // four characters, as stored in CodecType
    const char* encoder;        // FFmpeg encoder name; null: frames are stored as they are ("DIB ")
    AVPixelFormat pixelFormat;  // what the encoder is fed
    bool lossless;
    const char* profile;  // the encoder's "profile" option ("hq", "4444xq"), or null
    bool inAvi;
    bool inQuickTime;
    AVPixelFormat alphaFormat;          // what the encoder is fed with alpha; AV_PIX_FMT_NONE: no alpha
    const char* name;                   // plain name, for lists
    const char* quantMatrix = nullptr;  // the encoder's "quant_mat" option, or null: its own choice
};

// The codec for `code` in the container, or null when the container does not
// offer it.
const MovieCodec* FindMovieCodec(std::string_view code, MovieContainer container);
// The container's default: "MJPG" for AVI, "apch" for QuickTime.
const MovieCodec& DefaultMovieCodec(MovieContainer container);
// `code` when the container offers it, otherwise the container's default.
const MovieCodec& ChooseMovieCodec(std::string_view code, MovieContainer container);

// The pixel format the encoder is fed at this size: the codec's own, or for
// H.264 at an odd width or height (which 4:2:0 cannot take) 4:4:4, and for
// interlaced H.264 at a height 4:2:0 fields cannot take (486) 4:2:2.
// With `alpha`, the codec's format with alpha when it has one.
AVPixelFormat EncoderPixelFormat(const MovieCodec& codec, int width, int height, bool interlaced, bool alpha = false);
// Empty when the codec can write frames of this size and kind; otherwise why
// not (DNxHR HQ has a smallest size and codes no fields; H.264 codes no
// fields at an odd height).
std::string MovieCodecSizeProblem(const MovieCodec& codec, int width, int height, bool interlaced);

// The colour a movie's frames are converted to and tagged with: BT.601 for
// standard-definition sizes (SMPTE 170M primaries, or BT.470BG at 576
// lines), BT.709 from 720 lines up; limited range for video formats.
struct MovieColour {
    AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
    AVColorSpace matrix = AVCOL_SPC_UNSPECIFIED;
    AVColorRange range = AVCOL_RANGE_UNSPECIFIED;
    int scaleMatrix = 0;  // swscale's SWS_CS_ coefficients for the matrix
};
MovieColour MovieColourFor(AVPixelFormat format, int height);
// Whether the encoder codes the two fields separately at this format and
// height (H.264 needs a height divisible by 4 at 4:2:0, by 2 otherwise;
// ProRes takes any).
bool CodesFields(const MovieCodec& codec, AVPixelFormat format, int height);

// Sets the encoder's quality from 0..100 (higher is better), on the context
// or as private options in `options`: Motion-JPEG's quantiser, H.264's rate
// factor. ProRes and DNxHR keep their flavour's data rate; lossless codecs
// have nothing to set.
void ApplyMovieQuality(const MovieCodec& codec, int quality, AVCodecContext& context, AVDictionary** options);
// The encoder's "profile" option for the pixel format it is fed: the
// codec's own (the ProRes flavour, DNxHR HQ) or for H.264 High (4:2:0),
// High 4:2:2 or High 4:4:4 Predictive; null when the encoder has none.
const char* EncoderProfile(const MovieCodec& codec, AVPixelFormat format);
