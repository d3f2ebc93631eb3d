// Subsampled colour kept inside the RGB gamut: a saturated colour beside
// black no longer decodes to negative red, green or blue, and colour that
// is in the gamut is left as it was, to the sample.
#include <gtest/gtest.h>

#include <memory>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
}

#include "ChromaGamut.h"

namespace {

using FramePtr = std::unique_ptr<AVFrame, void (*)(AVFrame*)>;

FramePtr MakeFrame(AVPixelFormat format, int width, int height) {
    FramePtr frame(av_frame_alloc(), [](AVFrame* f) { av_frame_free(&f); });
    frame->format = format;
    frame->width = width;
    frame->height = height;
    EXPECT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
    return frame;
}

// 10-bit 4:2:2: luma and chroma of a pixel at video range.
void Set(AVFrame& f, int x, int y, int luma, int cb, int cr) {
    reinterpret_cast<uint16_t*>(f.data[0] + y * f.linesize[0])[x] = static_cast<uint16_t>(luma);
    reinterpret_cast<uint16_t*>(f.data[1] + y * f.linesize[1])[x / 2] = static_cast<uint16_t>(cb);
    reinterpret_cast<uint16_t*>(f.data[2] + y * f.linesize[2])[x / 2] = static_cast<uint16_t>(cr);
}
int Sample(const AVFrame& f, int plane, int x, int y) {
    return reinterpret_cast<const uint16_t*>(f.data[plane] + y * f.linesize[plane])[x];
}

// R', G', B' (0..1) of pixel x with its co-sited chroma, BT.601.
void Rgb(const AVFrame& f, int x, double rgb[3]) {
    const double y = (Sample(f, 0, x, 0) - 64) / 876.0;
    const double pb = (Sample(f, 1, x / 2, 0) - 512) / 896.0;
    const double pr = (Sample(f, 2, x / 2, 0) - 512) / 896.0;
    rgb[0] = y + 1.402 * pr;
    rgb[1] = y - 0.344136 * pb - 0.714136 * pr;
    rgb[2] = y + 1.772 * pb;
}

// BT.601 red at 100%: Y' 0.299, Pb -0.1687, Pr 0.5, in 10-bit video range.
constexpr int kRedLuma = 64 + 262;
constexpr int kRedCb = 512 - 151;
constexpr int kRedCr = 512 + 448;

TEST(ChromaGamut, ASaturatedColourBesideBlackStaysInTheGamut) {
    FramePtr f = MakeFrame(AV_PIX_FMT_YUV422P10LE, 8, 1);
    for (int x = 0; x < 8; ++x) {
        Set(*f, x, 0, 64, 512, 512);  // black
    }
    // Pixels 2 and 3 share one chroma sample: red, then black.
    Set(*f, 2, 0, kRedLuma, kRedCb, kRedCr);
    Set(*f, 3, 0, 64, kRedCb, kRedCr);
    double before[3];
    Rgb(*f, 3, before);
    ASSERT_LT(before[1], -0.05);  // the black pixel's green, from the red's chroma
    KeepChromaInGamut(*f, LumaWeights{});
    for (int x = 0; x < 8; ++x) {
        double rgb[3];
        Rgb(*f, x, rgb);
        for (double v : rgb) {
            EXPECT_GE(v, -0.001) << x;
            EXPECT_LE(v, 1.001) << x;
        }
    }
}

TEST(ChromaGamut, ColourInsideTheGamutIsLeftAlone) {
    FramePtr f = MakeFrame(AV_PIX_FMT_YUV422P10LE, 8, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 8; ++x) {
            // Full red, then grey ramps: every pixel's chroma is its own.
            if (x < 4) {
                Set(*f, x, y, kRedLuma, kRedCb, kRedCr);
            } else {
                Set(*f, x, y, 64 + 100 * x, 512, 512);
            }
        }
    }
    FramePtr copy = MakeFrame(AV_PIX_FMT_YUV422P10LE, 8, 2);
    ASSERT_EQ(av_frame_copy(copy.get(), f.get()), 0);
    KeepChromaInGamut(*f, LumaWeights{});
    for (int plane = 0; plane < 3; ++plane) {
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < (plane == 0 ? 8 : 4); ++x) {
                EXPECT_EQ(Sample(*f, plane, x, y), Sample(*copy, plane, x, y)) << plane << " " << x;
            }
        }
    }
}

TEST(ChromaGamut, OnlySubsampledVideoRangeFormatsAreTaken) {
    EXPECT_TRUE(ChromaGamutApplies(AV_PIX_FMT_YUV422P10LE));
    EXPECT_TRUE(ChromaGamutApplies(AV_PIX_FMT_YUV420P));
    EXPECT_TRUE(ChromaGamutApplies(AV_PIX_FMT_YUV422P));
    EXPECT_FALSE(ChromaGamutApplies(AV_PIX_FMT_YUV444P10LE));  // every pixel has its own colour
    EXPECT_FALSE(ChromaGamutApplies(AV_PIX_FMT_YUVJ422P));     // JFIF, full range
    EXPECT_FALSE(ChromaGamutApplies(AV_PIX_FMT_RGB24));
    EXPECT_FALSE(ChromaGamutApplies(AV_PIX_FMT_YUV420P12LE));
}

}  // namespace
