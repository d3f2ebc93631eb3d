// Helpers of the frame drawing tests: a plain show with flat colours, a
// render of its current frame, and where a point of chart space lands in
// the picture when the chart is neither moved nor turned.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "Draw.h"
#include "OpenGL.h"
#include "ShowRecord.h"
#include "TestSupport.h"

constexpr int kW = 720;
constexpr int kH = 486;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0xFF0000;
constexpr uint32_t kYellow = 0x00FFFF;

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb& o) const { return red == o.red && green == o.green && blue == o.blue; }
};

inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

inline bool Near(const Rgb& a, const Rgb& b, int tolerance) {
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance;
}

inline Rgb ColorOf(uint32_t c) {
    return Rgb{static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF)};
}

// The pixel (x, y) counted from the top-left of a bottom-up picture.
inline Rgb PixelAt(const CDib& picture, int x, int y) {
    const uint8_t* row = picture.Row(picture.Height() - 1 - y);
    if (!row || x < 0 || x >= picture.Width())
        return Rgb{-1, -1, -1};
    return Rgb{row[x * 3 + 2], row[x * 3 + 1], row[x * 3]};
}

struct Pixel {
    int x = 0;
    int y = 0;
};

// Where chart point (x, y, z) appears with the identity placement (scale 1,
// no move, spin or tilt) at the frame aspect.
inline Pixel Project(float x, float y, float z, float aspect = 0.75f, int width = kW, int height = kH) {
    double top = std::tan(0.261783333333333);
    double eyeZ = 1.5 * z - 4.0;
    double xn = x / -eyeZ / (top / aspect);
    double yn = y / -eyeZ / top;
    return Pixel{static_cast<int>((xn + 1) / 2 * width), static_cast<int>((1 - (yn + 1) / 2) * height)};
}

// A show with flat colours (lighting off), no texts, all data empty and the
// chart at rest, with a renderer at 720 x 486.
class DrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        show = CreateShow();
        gShow = show.get();
        show->lighting = 0;
        show->tickLength = 0;
        show->title[0] = '\0';
        std::memset(show->values, 0, sizeof(show->values));
        show->dataMin = 0;
        show->dataMax = 4;
        ASSERT_TRUE(EnsureShowRenderer(*show, kW, kH));
    }
    void TearDown() override {
        DestroyShow(*show);
        gShow = nullptr;
    }

    // Renders the current state (no evaluation) at the level.
    CDib& Render(int antiAliasing = 0, bool fast = false) {
        KeyFrame& k = show->current;
        k = KeyFrame{};
        k.width = 1;
        k.height = 1;
        SetProjection(*show->renderer, kW, kH, 0, 0);
        RenderFrame(*show, antiAliasing, fast, false);
        GrabFrame(*show->renderer, frame);
        return frame;
    }
    Rgb At(float x, float y, float z) {
        Pixel p = Project(x, y, z, show->frameAspect);
        return PixelAt(frame, p.x, p.y);
    }

    ScopedSettings settings;
    std::unique_ptr<Show> show;
    CDib frame{16, 16, 8};
};
