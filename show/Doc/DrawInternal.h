// Inside the show's drawing files: the renderer of the show and the bridge
// from the show's records to the renderer's.
#pragma once

#include <cstring>

#include "OpenGL.h"
#include "ShowRecord.h"

// The show's renderer when it is ready to draw, else null.
inline GLRenderer* ShowRenderer(Show& show) {
    return show.renderer && show.renderer->ready ? show.renderer.get() : nullptr;
}

static_assert(sizeof(ChartFont) == sizeof(FontSpec), "the chart font is the show's font record");
inline ChartFont ChartFontOf(const FontSpec& spec) {
    ChartFont font;
    font.size = spec.size;
    font.style = spec.style;
    std::memcpy(font.face, spec.face, sizeof(font.face));
    font.face[sizeof(font.face) - 1] = '\0';
    font.color = spec.color;
    return font;
}

// The colour of pie slice j: the set colours in turn, at half intensity
// from the fifth slice on.
uint32_t PieSliceColor(const Show& show, int j);
