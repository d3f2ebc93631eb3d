// The anti-aliasing sum kept by GL against the sum kept on the CPU: the same
// demo frame, in every chart style and at every level that averages, with
// and without alpha, must come out identical pixel for pixel.
#include "DemoShow.h"
#include "DrawTestSupport.h"

namespace {

struct SumRender {
    std::unique_ptr<CDib> picture;
    bool onGpu = false;
};

SumRender RenderWithSum(ChartStyle style, int level, int bitsPerPixel, bool cpu) {
    auto show = CreateShow();
    MakeDemoShow(*show);
    show->style = style;
    SumRender out;
    out.picture = std::make_unique<CDib>(16, 16, bitsPerPixel);
    EXPECT_TRUE(EnsureShowRenderer(*show, 360, 243));
    show->renderer->accumulation = cpu ? AccumulationPath::Cpu : AccumulationPath::Gpu;
    EXPECT_TRUE(RenderShowFrame(*show, 60, 360, 243, level, *out.picture));
    out.onGpu = show->renderer->gpuSumActive;
    DestroyShow(*show);
    return out;
}

}  // namespace

TEST(GLSum, EqualsTheCpuSumInEveryStyleAndLevel) {
    ScopedSettings settings;
    for (ChartStyle style :
         {ChartStyle::Bar, ChartStyle::Area, ChartStyle::Line, ChartStyle::Marker, ChartStyle::Pie}) {
        for (int level : {25, 50, 75, 100}) {
            for (int bits : {24, 32}) {
                SCOPED_TRACE(testing::Message()
                             << "style " << static_cast<int>(style) << ", level " << level << ", " << bits << " bits");
                SumRender gpu = RenderWithSum(style, level, bits, false);
                SumRender cpu = RenderWithSum(style, level, bits, true);
                EXPECT_TRUE(gpu.onGpu) << "the driver could not keep the sum";
                EXPECT_FALSE(cpu.onGpu);
                ASSERT_EQ(gpu.picture->PixelBytes(), cpu.picture->PixelBytes());
                EXPECT_EQ(std::memcmp(gpu.picture->Pixels(), cpu.picture->Pixels(), gpu.picture->PixelBytes()), 0);
            }
        }
    }
}

// A show's frames at changing sizes, summed by GL or on the CPU.
std::vector<std::unique_ptr<CDib>> RenderSizes(bool cpu, bool& onGpu) {
    auto show = CreateShow();
    MakeDemoShow(*show);
    EXPECT_TRUE(EnsureShowRenderer(*show, 360, 243));
    show->renderer->accumulation = cpu ? AccumulationPath::Cpu : AccumulationPath::Gpu;
    std::vector<std::unique_ptr<CDib>> pictures;
    for (int width : {360, 720, 360}) {
        pictures.push_back(std::make_unique<CDib>(16, 16, 24));
        EXPECT_TRUE(RenderShowFrame(*show, 60, width, width * 27 / 40, 75, *pictures.back()));
    }
    onGpu = show->renderer->gpuSumActive;
    DestroyShow(*show);
    return pictures;
}

TEST(GLSum, FollowsTheFrameSizeAndKeepsTheChartState) {
    ScopedSettings settings;
    bool onGpu = false;
    bool onCpu = true;
    auto gpu = RenderSizes(false, onGpu);
    auto cpu = RenderSizes(true, onCpu);
    EXPECT_TRUE(onGpu);
    EXPECT_FALSE(onCpu);
    // The sum's own drawing leaves blending, depth and textures as the chart
    // set them, so later frames match too.
    for (size_t i = 0; i < gpu.size(); ++i) {
        ASSERT_EQ(gpu[i]->PixelBytes(), cpu[i]->PixelBytes());
        EXPECT_EQ(std::memcmp(gpu[i]->Pixels(), cpu[i]->Pixels(), gpu[i]->PixelBytes()), 0) << "frame " << i;
    }
    EXPECT_EQ(gpu[2]->Width(), 360);
    EXPECT_EQ(gpu[1]->Width(), 720);
}
