// The broadcast rasters and the pixel shape of standard-definition pictures.
#include "BroadcastFormats.h"

#include <array>
#include <cmath>
#include <cstdint>

extern "C" {
#include <libavutil/rational.h>
}

#include "Utilities.h"

namespace {

// Rates beside the program's own three, in hundredths.
constexpr int32_t kRate24 = 2400;
constexpr int32_t kRate50 = 5000;
constexpr int32_t kRate5994 = 5994;

// SMPTE 125M / ITU-R BT.601 (525 and 625 lines), SMPTE 296M (720 lines),
// SMPTE 274M (1080 lines). 1080 lines at 25 and 29.97 are the interlaced
// broadcast formats; film rates, 720 lines and 1080 at 50 and 59.94 are
// progressive.
const std::vector<BroadcastFormat> kFormats = {
    {525, 720, 486, kRateNtsc, true, kAspect43},      {525, 720, 486, kRateFilm, false, kAspect43},
    {525, 720, 480, kRateNtsc, true, kAspect43},      {525, 720, 480, kRateFilm, false, kAspect43},
    {625, 720, 576, kRatePal, true, kAspect43},       {750, 1280, 720, kRateFilm, false, kAspect169},
    {750, 1280, 720, kRate24, false, kAspect169},     {750, 1280, 720, kRatePal, false, kAspect169},
    {750, 1280, 720, kRateNtsc, false, kAspect169},   {750, 1280, 720, kRate50, false, kAspect169},
    {750, 1280, 720, kRate5994, false, kAspect169},   {1125, 1920, 1080, kRateFilm, false, kAspect169},
    {1125, 1920, 1080, kRate24, false, kAspect169},   {1125, 1920, 1080, kRatePal, true, kAspect169},
    {1125, 1920, 1080, kRateNtsc, true, kAspect169},  {1125, 1920, 1080, kRate50, false, kAspect169},
    {1125, 1920, 1080, kRate5994, false, kAspect169},
};

// The pixel shape of the standard-definition rasters. QuickTime's pixel
// aspect: Apple's QuickTime File Format, 'pasp' table; the clean aperture is
// the central 704 (525 lines) or 702 (625 lines) samples, as SMPTE RP 187
// and Apple's TN2162 give it. H.264: ITU-T H.264 Table E-1.
struct StandardShape {
    int height;
    double aspect;
    Ratio quickTime;
    Ratio coded;
    int h264Code;
    int cleanWidth;
    int cleanHeight;
};
constexpr int kStandardWidth = 720;
constexpr std::array<StandardShape, 6> kStandardShapes{{
    {486, kAspect43, {10, 11}, {10, 11}, 3, 704, 480},
    {486, kAspect169, {40, 33}, {40, 33}, 5, 704, 480},
    {480, kAspect43, {10, 11}, {10, 11}, 3, 704, 480},
    {480, kAspect169, {40, 33}, {40, 33}, 5, 704, 480},
    {576, kAspect43, {59, 54}, {12, 11}, 2, 702, 576},
    {576, kAspect169, {118, 81}, {16, 11}, 4, 702, 576},
}};

// ITU-T H.264 Table E-1: aspect_ratio_idc 1 to 16.
constexpr std::array<Ratio, 16> kH264Aspects{{{1, 1},
                                              {12, 11},
                                              {10, 11},
                                              {16, 11},
                                              {40, 33},
                                              {24, 11},
                                              {20, 11},
                                              {32, 11},
                                              {80, 33},
                                              {18, 11},
                                              {15, 11},
                                              {64, 33},
                                              {160, 99},
                                              {4, 3},
                                              {3, 2},
                                              {2, 1}}};
constexpr int kH264Extended = 255;

bool SameRate(ExactRate a, ExactRate b) {
    return a.rate > 0 && b.rate > 0 && int64_t{a.rate} * b.scale == int64_t{b.rate} * a.scale;
}

bool SameShape(double a, double b) {
    return std::fabs(a - b) < 1e-4;
}

Ratio Reduced(int64_t num, int64_t den) {
    int n = 0;
    int d = 1;
    av_reduce(&n, &d, num, den, INT32_MAX);
    return Ratio{n, d};
}

int H264Code(Ratio sample) {
    for (size_t i = 0; i < kH264Aspects.size(); ++i) {
        if (kH264Aspects[i] == sample) {
            return static_cast<int>(i) + 1;
        }
    }
    return kH264Extended;
}

}  // namespace

const std::vector<BroadcastFormat>& BroadcastFormats() {
    return kFormats;
}

ExactRate BroadcastRate(int32_t hundredths) {
    switch (hundredths) {
        case kRateFilm:
            return ExactRate{24000, 1001};
        case kRateNtsc:
            return ExactRate{30000, 1001};
        case kRate5994:
            return ExactRate{60000, 1001};
        default:
            return ExactRate{hundredths, 100};
    }
}

const BroadcastFormat* FindBroadcastFormat(int width, int height, double framesPerSecond) {
    const ExactRate rate = ExactMovieRate(framesPerSecond);
    for (const BroadcastFormat& format : kFormats) {
        if (format.width == width && format.height == height && SameRate(BroadcastRate(format.rate), rate)) {
            return &format;
        }
    }
    return nullptr;
}

bool IsInterlacedFormat(int width, int height, double framesPerSecond) {
    const BroadcastFormat* format = FindBroadcastFormat(width, height, framesPerSecond);
    return format && format->interlaced;
}

bool IsSquarePixelWide(int width, int height) {
    return width > 0 && height > 0 && int64_t{width} * 9 == int64_t{height} * 16;
}

PixelShape PixelShapeFor(int width, int height, double pictureAspect) {
    PixelShape shape;
    shape.cleanWidth = width;
    shape.cleanHeight = height;
    if (!(pictureAspect > 0.0) || width <= 0 || height <= 0) {
        shape.quickTime = shape.coded = shape.wholeFrame = Ratio{1, 1};
        shape.h264Code = 1;
        return shape;
    }
    // Displayed width = height / pictureAspect; the shape as a fraction of
    // small numbers (3/4, 9/16).
    AVRational aspect = av_d2q(pictureAspect, 100);
    shape.wholeFrame = Reduced(int64_t{height} * aspect.den, int64_t{width} * aspect.num);
    shape.quickTime = shape.coded = shape.wholeFrame;
    shape.h264Code = H264Code(shape.coded);
    if (width != kStandardWidth) {
        return shape;
    }
    for (const StandardShape& standard : kStandardShapes) {
        if (standard.height == height && SameShape(standard.aspect, pictureAspect)) {
            shape.quickTime = standard.quickTime;
            shape.coded = standard.coded;
            shape.h264Code = standard.h264Code;
            shape.cleanWidth = standard.cleanWidth;
            shape.cleanHeight = standard.cleanHeight;
            shape.standard = true;
        }
    }
    return shape;
}
