// Helpers of the renderer tests: an off-screen renderer and pixel probes of
// grabbed frames.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "OpenGL.h"

// A renderer bound to an off-screen target of the given size, with the
// projection set for that size.
inline GLRendererPtr MakeTestRenderer(int width, int height, float aspect = 0.75f) {
    GLTarget target;
    target.width = width;
    target.height = height;
    GLRendererPtr renderer = CreateGLRenderer(target, aspect);
    if (renderer->ready) {
        SetProjection(*renderer, width, height, 0.0, 0.0);
    }
    return renderer;
}

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// The pixel at (x, y) counted from the top-left corner of a bottom-up
// 24-bit picture.
inline Rgb PixelAt(const CDib& picture, int x, int y) {
    const uint8_t* row = picture.Row(picture.Height() - 1 - y);
    if (!row || x < 0 || x >= picture.Width()) {
        return Rgb{-1, -1, -1};
    }
    return Rgb{row[x * 3 + 2], row[x * 3 + 1], row[x * 3]};
}

inline bool Near(const Rgb& a, const Rgb& b, int tolerance) {
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance;
}
