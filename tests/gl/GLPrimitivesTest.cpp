// Chart primitives at the edges of their input: pie wedges with angles far
// outside one turn.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "GLTestSupport.h"

namespace {

// The fraction of 36 points on a circle of radius 0.3 around the origin
// drawn in red.
double RedAround(const CDib& frame, int width, int height) {
    int red = 0;
    for (int i = 0; i < 36; ++i) {
        double angle = i * 10.0 * M_PI / 180.0;
        // 0.3 chart units at distance 4 with the 15-degree half field.
        double scale = height / 2.0 / (4.0 * std::tan(0.261783333333333));
        int x = static_cast<int>(width / 2.0 + 0.3 * std::sin(angle) * scale);
        int y = static_cast<int>(height / 2.0 - 0.3 * std::cos(angle) * scale);
        Rgb c = PixelAt(frame, x, y);
        red += c.red > 200 && c.green < 50 && c.blue < 50;
    }
    return red / 36.0;
}

}  // namespace

// A wedge never turns more than once: huge, reversed or undefined angles
// draw at most a whole disc, in bounded time and memory.
TEST(GLPrimitives, WedgeAnglesBeyondOneTurnDrawAtMostAWholeDisc) {
    GLRendererPtr r = MakeTestRenderer(160, 120);
    ASSERT_EQ(r->ready, 1);
    SetChartTransform(*r, 0, 0, 1, 1, 0, 0);
    glDisable(GL_LIGHTING);
    ChartVertex centre = MakeVertex(0x0000FF, 0, 0, 0, 1);
    auto draw = [&](float a, float b) {
        ClearBuffers(*r, true);
        DrawWedge(*r, centre, a, b, 0.5f, 0.1f, 0.0f);
        CDib frame(16, 16, 8);
        GrabFrame(*r, frame);
        return RedAround(frame, 160, 120);
    };
    EXPECT_EQ(draw(0, 3.6e7f), 1.0);
    EXPECT_EQ(draw(-1e30f, 1e30f), 1.0);
    EXPECT_EQ(draw(-5, 95), 10 / 36.0);  // 0, 10, ... 90 degrees
    EXPECT_EQ(draw(3595, 3695), 10 / 36.0);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(draw(nan, 90), 0.0);
    EXPECT_EQ(draw(0, inf), 0.0);
    EXPECT_EQ(draw(90, 0), 0.0);
}
