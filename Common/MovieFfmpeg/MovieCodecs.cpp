// The codec table of the AVI and QuickTime writers and the quality mapping.
#include "MovieCodecs.h"

#include <algorithm>
#include <array>
#include <string>

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace {

constexpr AVPixelFormat kNoAlpha = AV_PIX_FMT_NONE;

// The ProRes flavours are prores_ks's profiles, each with its own data rate
// (Apple's ProRes white paper): Proxy, LT, 422, 422 HQ, 4444, 4444 XQ.
// Proxy is coded with the 422 quantisation matrices, which every decoder
// reads from the frame header: the encoder's own Proxy matrices quantise
// the high frequencies so coarsely that a chart's coloured edges ring past
// EBU R 103's -5%...105% over more than 1% of the picture. Its data rate
// stays Proxy's.
constexpr std::array<MovieCodec, 13> kCodecs{{
    {"DIB ", nullptr, AV_PIX_FMT_BGR24, true, nullptr, true, false, kNoAlpha, "Uncompressed"},
    {"raw ", "rawvideo", AV_PIX_FMT_RGB24, true, nullptr, false, true, kNoAlpha, "Uncompressed"},
    {"MJPG", "mjpeg", AV_PIX_FMT_YUVJ422P, false, nullptr, true, true, kNoAlpha, "Motion-JPEG"},
    {"avc1", "libx264", AV_PIX_FMT_YUV420P, false, nullptr, true, true, kNoAlpha, "H.264"},
    {"apco", "prores_ks", AV_PIX_FMT_YUV422P10LE, false, "proxy", false, true, kNoAlpha, "ProRes 422 Proxy",
     "standard"},
    {"apcs", "prores_ks", AV_PIX_FMT_YUV422P10LE, false, "lt", false, true, kNoAlpha, "ProRes 422 LT"},
    {"apcn", "prores_ks", AV_PIX_FMT_YUV422P10LE, false, "standard", false, true, kNoAlpha, "ProRes 422"},
    {"apch", "prores_ks", AV_PIX_FMT_YUV422P10LE, false, "hq", false, true, kNoAlpha, "ProRes 422 HQ"},
    {"ap4h", "prores_ks", AV_PIX_FMT_YUV444P10LE, false, "4444", false, true, AV_PIX_FMT_YUVA444P10LE, "ProRes 4444"},
    {"ap4x", "prores_ks", AV_PIX_FMT_YUV444P10LE, false, "4444xq", false, true, AV_PIX_FMT_YUVA444P10LE,
     "ProRes 4444 XQ"},
    {"rle ", "qtrle", AV_PIX_FMT_RGB24, true, nullptr, false, true, AV_PIX_FMT_ARGB, "Animation"},
    {"png ", "png", AV_PIX_FMT_RGB24, true, nullptr, true, true, AV_PIX_FMT_RGBA, "PNG"},
    {"AVdh", "dnxhd", AV_PIX_FMT_YUV422P, false, "dnxhr_hq", false, true, kNoAlpha, "DNxHR HQ"},
}};

bool Offers(const MovieCodec& codec, MovieContainer container) {
    return container == MovieContainer::Avi ? codec.inAvi : codec.inQuickTime;
}

// 0..100 onto a quantiser scale where `best` is the finest and `worst` the
// coarsest step.
int QuantiserFor(int quality, int best, int worst) {
    int q = std::clamp(quality, 0, 100);
    return best + ((100 - q) * (worst - best) + 50) / 100;
}

}  // namespace

const MovieCodec* FindMovieCodec(std::string_view code, MovieContainer container) {
    for (const MovieCodec& codec : kCodecs) {
        if (code == codec.code && Offers(codec, container)) {
            return &codec;
        }
    }
    return nullptr;
}

const MovieCodec& DefaultMovieCodec(MovieContainer container) {
    return *FindMovieCodec(container == MovieContainer::Avi ? "MJPG" : "apch", container);
}

const MovieCodec& ChooseMovieCodec(std::string_view code, MovieContainer container) {
    const MovieCodec* codec = FindMovieCodec(code, container);
    return codec ? *codec : DefaultMovieCodec(container);
}

std::vector<std::string> MovieCodecCodes(MovieContainer container) {
    std::vector<std::string> codes;
    for (const MovieCodec& codec : kCodecs) {
        if (Offers(codec, container)) {
            codes.emplace_back(codec.code);
        }
    }
    return codes;
}

std::string MovieCodecName(const std::string& code) {
    for (const MovieCodec& codec : kCodecs) {
        if (code == codec.code) {
            return codec.name;
        }
    }
    if (code == "AVdn") {
        return "DNxHD";
    }
    const size_t end = code.find_last_not_of(' ');
    return end == std::string::npos ? code : code.substr(0, end + 1);
}

AVPixelFormat EncoderPixelFormat(const MovieCodec& codec, int width, int height, bool interlaced, bool alpha) {
    if (alpha && codec.alphaFormat != AV_PIX_FMT_NONE) {
        return codec.alphaFormat;
    }
    bool h264 = codec.encoder && std::string_view(codec.encoder) == "libx264";
    if (h264 && (width % 2 != 0 || height % 2 != 0)) {
        return AV_PIX_FMT_YUV444P;
    }
    if (h264 && interlaced && height % 4 != 0) {
        // A 4:2:0 field needs an even number of lines; 243-line fields do not.
        return AV_PIX_FMT_YUV422P;
    }
    return codec.pixelFormat;
}

std::string MovieCodecSizeProblem(const MovieCodec& codec, int width, int height, bool interlaced) {
    const std::string_view encoder = codec.encoder ? codec.encoder : "";
    if (encoder == "libx264" && interlaced &&
        !CodesFields(codec, EncoderPixelFormat(codec, width, height, interlaced), height)) {
        return "H.264 codes fields only at an even height, not " + std::to_string(height) +
               " lines: make the movie without fields (--no-fields), or at an even height";
    }
    if (encoder != "dnxhd") {
        return {};
    }
    if (width < 256 || height < 120 || width % 2 != 0 || height % 2 != 0) {
        return "DNxHR HQ takes frames of at least 256 x 120 with an even width and height, not " +
               std::to_string(width) + " x " + std::to_string(height);
    }
    if (interlaced) {
        return "DNxHR HQ codes whole frames only: make the movie without fields, or use ProRes (apch) for fields";
    }
    return {};
}

MovieColour MovieColourFor(AVPixelFormat format, int height) {
    MovieColour colour;
    colour.transfer = AVCOL_TRC_BT709;
    if (height >= 720) {
        colour.primaries = AVCOL_PRI_BT709;
        colour.matrix = AVCOL_SPC_BT709;
        colour.scaleMatrix = SWS_CS_ITU709;
    } else if (height == 576) {
        // 625-line primaries; the BT.601 matrix is tagged by the code
        // QuickTime knows it by (6), the same matrix as BT.470BG's.
        colour.primaries = AVCOL_PRI_BT470BG;
        colour.matrix = AVCOL_SPC_SMPTE170M;
        colour.scaleMatrix = SWS_CS_ITU601;
    } else {
        colour.primaries = AVCOL_PRI_SMPTE170M;
        colour.matrix = AVCOL_SPC_SMPTE170M;
        colour.scaleMatrix = SWS_CS_ITU601;
    }
    const AVPixFmtDescriptor* description = av_pix_fmt_desc_get(format);
    bool rgb = description && (description->flags & AV_PIX_FMT_FLAG_RGB) != 0;
    if (rgb) {
        // Red, green and blue as rendered: no matrix, no range to tag.
        colour.matrix = AVCOL_SPC_UNSPECIFIED;
        colour.scaleMatrix = 0;
    } else {
        bool jpeg = format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P || format == AV_PIX_FMT_YUVJ444P;
        colour.range = jpeg ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
        if (jpeg) {
            // Motion-JPEG pictures are JFIF: the BT.601 matrix at full range
            // whatever the size, as every JPEG decoder reads them.
            colour.matrix = AVCOL_SPC_SMPTE170M;
            colour.scaleMatrix = SWS_CS_ITU601;
        }
    }
    return colour;
}

bool CodesFields(const MovieCodec& codec, AVPixelFormat format, int height) {
    std::string_view encoder = codec.encoder ? codec.encoder : "";
    if (encoder == "prores_ks") {
        return true;
    }
    return encoder == "libx264" && height % (format == AV_PIX_FMT_YUV420P ? 4 : 2) == 0;
}

void ApplyMovieQuality(const MovieCodec& codec, int quality, AVCodecContext& context, AVDictionary** options) {
    std::string_view encoder = codec.encoder ? codec.encoder : "";
    if (encoder == "mjpeg") {
        // JPEG quantiser 1 (finest) .. 31.
        context.flags |= AV_CODEC_FLAG_QSCALE;
        context.qmin = 1;
        context.qmax = 31;
        context.global_quality = FF_QP2LAMBDA * QuantiserFor(quality, 1, 31);
    } else if (encoder == "libx264") {
        // Constant rate factor 1 (finest) .. 51; 0 would switch to a lossless
        // profile that editing systems rarely open.
        av_dict_set_int(options, "crf", QuantiserFor(quality, 1, 51), 0);
    }
    // ProRes and DNxHR run at their flavour's own data rate (a ProRes file
    // labelled HQ holds HQ's rate); rawvideo, qtrle and png are lossless:
    // quality does not apply to them.
}

const char* EncoderProfile(const MovieCodec& codec, AVPixelFormat format) {
    if (codec.profile) {
        return codec.profile;
    }
    if (!codec.encoder || std::string_view(codec.encoder) != "libx264") {
        return nullptr;
    }
    // High at 4:2:0, the profile editing systems decode everywhere; the
    // 4:2:2 and 4:4:4 pictures need High 4:2:2 and High 4:4:4 Predictive.
    switch (format) {
        case AV_PIX_FMT_YUV422P:
            return "high422";
        case AV_PIX_FMT_YUV444P:
            return "high444";
        default:
            return "high";
    }
}
