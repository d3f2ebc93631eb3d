// Scaling subsampled chroma into the RGB gamut of the pixels it colours.
#include "ChromaGamut.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace {

// A chroma sample that carries a pixel further out of the gamut than the
// samples' own rounding can (4 luma steps) is pulled this far inside it, so
// that the codec's ringing around the edge stays within EBU R 103's 5% too.
// Samples that keep their pixels in the gamut are not touched: a saturated
// colour keeps its saturation to the sample.
constexpr double kRoundingSteps = 4.0;
constexpr double kEdgeHeadroom = 0.05;

// Video range at 8 bits: black 16, white 235, grey chroma 128 +- 112.
constexpr double kBlack = 16.0;
constexpr double kLumaSpan = 219.0;
constexpr double kGrey = 128.0;
constexpr double kChromaSpan = 224.0;

// How far one unit of Pb and of Pr moves red, green and blue.
struct ChromaToRgb {
    double redPr;
    double greenPb;
    double greenPr;
    double bluePb;
};

ChromaToRgb Coefficients(LumaWeights w) {
    const double green = 1.0 - w.red - w.blue;
    return ChromaToRgb{2.0 * (1.0 - w.red), -2.0 * w.blue * (1.0 - w.blue) / green,
                       -2.0 * w.red * (1.0 - w.red) / green, 2.0 * (1.0 - w.blue)};
}

// The largest share (0..1) of a colour difference that keeps `luma + share
// x move` within `inset` .. 1 - `inset`.
double ShareWithin(double luma, double move, double inset) {
    if (move > 0.0) {
        return std::max(0.0, 1.0 - inset - luma) / move;
    }
    if (move < 0.0) {
        return std::max(0.0, luma - inset) / -move;
    }
    return 1.0;
}

double ShareFor(double luma, double pb, double pr, const ChromaToRgb& k, double inset) {
    double share =
        std::min({ShareWithin(luma, k.redPr * pr, inset), ShareWithin(luma, k.greenPb * pb + k.greenPr * pr, inset),
                  ShareWithin(luma, k.bluePb * pb, inset)});
    return std::clamp(share, 0.0, 1.0);
}

template <typename Sample>
class Planes {
public:
    Planes(AVFrame& f, const AVPixFmtDescriptor& d)
        : frame_(f), shiftW_(d.log2_chroma_w), shiftH_(d.log2_chroma_h), unit_(1 << (d.comp[0].depth - 8)) {}

    double Luma(int x, int y) const {
        x = std::clamp(x, 0, frame_.width - 1);
        y = std::clamp(y, 0, frame_.height - 1);
        return (Row(0, y)[x] - kBlack * unit_) / (kLumaSpan * unit_);
    }
    // The gamut's edge as rounding blurs it, in the range's units.
    double Rounding() const { return kRoundingSteps / (kLumaSpan * unit_); }
    double Chroma(int plane, int cx, int cy) const {
        return (Row(plane, cy)[cx] - kGrey * unit_) / (kChromaSpan * unit_);
    }
    void Scale(int plane, int cx, int cy, double share) {
        Sample& sample = Row(plane, cy)[cx];
        const double grey = kGrey * unit_;
        // Towards grey, never past the share.
        sample = static_cast<Sample>(grey + std::trunc((sample - grey) * share));
    }
    int ChromaWidth() const { return -((-frame_.width) >> shiftW_); }
    int ChromaHeight() const { return -((-frame_.height) >> shiftH_); }
    int shiftW() const { return shiftW_; }
    int shiftH() const { return shiftH_; }

private:
    Sample* Row(int plane, int y) const {
        return reinterpret_cast<Sample*>(frame_.data[plane] + static_cast<ptrdiff_t>(y) * frame_.linesize[plane]);
    }
    AVFrame& frame_;
    int shiftW_;
    int shiftH_;
    double unit_;
};

// The share of one chroma sample's colour difference that keeps the pixels
// it colours within the gamut shrunk by `inset`: the pixels it is sited on
// and their neighbours on each side, which decoders colour with a mix of it
// and the next sample (for a given luma the valid colour differences form a
// convex set, so a mix of two valid samples is valid too).
template <typename Sample>
double SampleShare(const Planes<Sample>& planes, int cx, int cy, const ChromaToRgb& k, double inset) {
    const int spanW = 1 << planes.shiftW();
    const int spanH = 1 << planes.shiftH();
    const int top = cy * spanH - (spanH > 1 ? 1 : 0);
    const int bottom = cy * spanH + (spanH > 1 ? spanH : 0);
    const double pb = planes.Chroma(1, cx, cy);
    const double pr = planes.Chroma(2, cx, cy);
    double share = 1.0;
    for (int y = top; y <= bottom; ++y) {
        for (int x = cx * spanW - 1; x <= cx * spanW + spanW - 1; ++x) {
            share = std::min(share, ShareFor(planes.Luma(x, y), pb, pr, k, inset));
        }
    }
    return share;
}

template <typename Sample>
void Limit(AVFrame& frame, const AVPixFmtDescriptor& d, LumaWeights weights) {
    Planes<Sample> planes(frame, d);
    const ChromaToRgb k = Coefficients(weights);
    for (int cy = 0; cy < planes.ChromaHeight(); ++cy) {
        for (int cx = 0; cx < planes.ChromaWidth(); ++cx) {
            if (SampleShare(planes, cx, cy, k, -planes.Rounding()) < 1.0) {
                const double share = SampleShare(planes, cx, cy, k, kEdgeHeadroom);
                planes.Scale(1, cx, cy, share);
                planes.Scale(2, cx, cy, share);
            }
        }
    }
}

}  // namespace

bool ChromaGamutApplies(int pixelFormat) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(pixelFormat));
    const AVPixelFormat format = static_cast<AVPixelFormat>(pixelFormat);
    const bool fullRange =
        format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P || format == AV_PIX_FMT_YUVJ444P;
    return d && !fullRange && !(d->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_BE)) &&
           (d->flags & AV_PIX_FMT_FLAG_PLANAR) && d->nb_components >= 3 && d->log2_chroma_w > 0 &&
           (d->comp[0].depth == 8 || d->comp[0].depth == 10);
}

void KeepChromaInGamut(AVFrame& frame, LumaWeights weights) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame.format));
    if (!d || !ChromaGamutApplies(frame.format)) {
        return;
    }
    if (d->comp[0].depth == 8) {
        Limit<uint8_t>(frame, *d, weights);
    } else {
        Limit<uint16_t>(frame, *d, weights);
    }
}
