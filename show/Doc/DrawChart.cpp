// The chart geometry of a frame: walls, grid lines and the data of every
// style, built from the show with the renderer's primitives.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "Draw.h"
#include "DrawInternal.h"
#include "OpenGL.h"

namespace {

constexpr int kSets = 4;
constexpr int kValues = 32;

// The chart box: 1.5 wide and 1 high around the origin, the walls at its
// back (z = 0) reaching forward by the bar depth.
constexpr float kBoxHalfWidth = 0.75f;
constexpr float kBoxHalfHeight = 0.5f;
constexpr float kBoxWidth = 1.5f;
// Depth per point of the show's bar depth (0 to 100): of the walls and
// grid, and the depth unit of the data.
constexpr float kWallDepthPerPoint = 0.005f;
constexpr float kDataDepthPerPoint = 0.0033333334f;
// A bar, column and line box is 1.25 depth units deep and stands 0.75 of
// that in front of the walls.
constexpr float kDataDepthUnits = 1.25f;
constexpr float kDataFrontFraction = 0.75f;
// Each set drawn after another is shrunk a little so that coplanar faces
// do not fight.
constexpr float kSetShrink = 0.0005f;
// Grid lines lie just inside the box and just in front of the back wall.
constexpr float kGridHalfWidth = 0.745f;
constexpr float kGridLift = 0.005f;
constexpr float kGridLineWidth = 2.0f;
// Visibility is a percentage.
constexpr float kPercent = 0.01f;

// Everything a data style needs about the show for this frame.
struct DataContext {
    Show& show;
    GLRenderer& r;
    DataLayout layout;
    float u = 0;      // depth unit
    float alpha = 0;  // opacity of the data
    float range = 1;  // dataMax - dataMin
};

const float* SourceValues(const Show& show, int set) {
    return show.animateData ? show.currentValues : show.values[set];
}
uint32_t SourceColor(const Show& show, int set) {
    return show.setColors[show.animateData ? 0 : set];
}
const FileSpec* SourceTexture(const Show& show, int set) {
    return &show.setTextures[show.animateData ? 0 : set];
}

// Height of a value above the floor: a value under dataMin stands at the
// floor, never below the chart.
float AboveFloor(float value, float dataMin) {
    const float height = value - dataMin;
    return height > 0 ? height : 0.0f;
}

// Height above the floor of value j of set s: plain, or the running sum of
// the rows from the first set up to s when stacked.
float RawHeight(const DataContext& c, int s, int j, bool stacked) {
    if (!stacked) {
        return AboveFloor(SourceValues(c.show, s)[j], c.show.dataMin);
    }
    float sum = 0;
    for (int k = c.layout.first; k <= s; ++k) {
        sum += AboveFloor(c.show.values[k][j], c.show.dataMin);
    }
    return sum;
}

float ChartY(const DataContext& c, int s, int j, bool stacked) {
    return -0.5f + RawHeight(c, s, j, stacked) / c.range;
}

void Box(const DataContext& c, uint32_t color, float x0, float y0, float x1, float y1, float x2, float y2, float x3,
         float y3, float z, float depth) {
    ChartVertex p[4] = {MakeVertex(color, x0, y0, z, c.alpha), MakeVertex(color, x1, y1, z, c.alpha),
                        MakeVertex(color, x2, y2, z, c.alpha), MakeVertex(color, x3, y3, z, c.alpha)};
    DrawBox(c.r, p, depth);
}

// Data set 0, or any negative number, draws all sets side by side (or one
// behind the other); 1 to 4 draw that set alone.
bool AllSets(const Show& show) {
    return show.showSet <= 0;
}

bool Drawn(const DataContext& c, int s) {
    return c.layout.hasData[s];
}

void DrawBars(DataContext& c) {
    const Show& show = c.show;
    int n = c.layout.count;
    bool stacked = show.placement == 1;
    float slot = static_cast<float>(show.barWidth) * 0.014999992f / n;
    float gap = (kBoxWidth - n * slot) / (1 + n);
    float w = stacked ? slot : slot / (c.layout.end - c.layout.first);
    float back = 0.25f * c.u;
    float d = c.u;
    float inset = 0;
    for (int s = c.layout.first; s < c.layout.end; ++s) {
        if (!Drawn(c, s))
            continue;
        SelectTexture(c.r, SourceTexture(show, s));
        float x0 = -kBoxHalfWidth + gap + inset + (!stacked && AllSets(show) ? s * w : 0.0f);
        float zf = back + d;
        for (int j = 0; j < n; ++j) {
            float x = x0 + j * (gap + slot);
            float y = ChartY(c, s, j, stacked);
            Box(c, SourceColor(show, s), x, y, x + w, y, x + w, -0.5f, x, -0.5f, zf, d);
        }
        if (stacked) {
            w -= 0.001f;
            d -= kSetShrink;
            back -= kSetShrink;
            inset += kSetShrink;
        }
    }
}

void DrawAreas(DataContext& c) {
    const Show& show = c.show;
    int n = c.layout.count;
    bool stacked = show.placement == 1;
    float zf = kDataDepthUnits * c.u;
    float d = kDataFrontFraction * zf;
    if (AllSets(show) || stacked)
        d /= c.layout.setsWithData;
    float total = 0.75f + 0.0075001875f * show.barWidth;
    float inset = 0;
    for (int s = c.layout.first; s < c.layout.end && n >= 2; ++s) {
        if (!Drawn(c, s))
            continue;
        SelectTexture(c.r, SourceTexture(show, s));
        float x = (1 - total) * 0.5f - 0.5f + inset;
        for (int j = 0; j <= n - 2; ++j) {
            float y0 = ChartY(c, s, j, stacked);
            float y1 = ChartY(c, s, j + 1, stacked);
            float next = x + total / (n - 1) - inset;
            Box(c, SourceColor(show, s), x, y0, next, y1, next, -0.5f, x, -0.5f, zf, d);
            x = next;
        }
        if (stacked) {
            inset += kSetShrink;
            zf -= kSetShrink;
        } else if (AllSets(show)) {
            zf -= d;
        }
    }
}

void DrawLines(DataContext& c) {
    const Show& show = c.show;
    int n = c.layout.count;
    float zf = kDataDepthUnits * c.u;
    float d = kDataFrontFraction * zf;
    if (AllSets(show))
        d /= c.layout.setsWithData;
    float total = 0.75f + 0.0075001875f * show.barWidth;
    for (int s = c.layout.first; s < c.layout.end && n >= 2; ++s) {
        if (!Drawn(c, s))
            continue;
        SelectTexture(c.r, SourceTexture(show, s));
        float x = -0.5f + (1 - total) * 0.5f;
        for (int j = 0; j <= n - 2; ++j) {
            float y0 = ChartY(c, s, j, false);
            float y1 = ChartY(c, s, j + 1, false);
            float next = x + total / (n - 1);
            Box(c, SourceColor(show, s), x, y0, next, y1, next, y1 - 0.025f, x, y0 - 0.025f, zf, d);
            x = next;
        }
        if (AllSets(show))
            zf -= d;
    }
}

void DrawMarkers(DataContext& c) {
    const Show& show = c.show;
    int n = c.layout.count;
    float zf = kDataDepthUnits * c.u;
    float d = kDataFrontFraction * zf;
    if (AllSets(show))
        d /= c.layout.setsWithData;
    float q = show.barWidth * 0.013333334f / n;
    for (int s = c.layout.first; s < c.layout.end; ++s) {
        if (!Drawn(c, s))
            continue;
        SelectTexture(c.r, SourceTexture(show, s));
        float x = -0.5f - 0.5f * q;
        for (int j = 0; j < n; ++j) {
            float yb = -0.5f - 0.5f * q + AboveFloor(SourceValues(show, s)[j], show.dataMin) / c.range;
            float yt = yb + q;
            Box(c, SourceColor(show, s), x, yt, x + q, yt, x + q, yb, x, yb, zf, zf * 0.5f);
            if (n > 1)
                x += 1.0f / (n - 1);
        }
        if (show.placement == 0 && AllSets(show))
            zf -= d;
    }
}

void DrawPie(DataContext& c) {
    const Show& show = c.show;
    int n = c.layout.count;
    float ends[kValues] = {};
    // All values at or below dataMin leave nothing to divide: no slices.
    if (!PieSliceEnds(show, c.layout, ends))
        return;
    float t = 1.25f * c.u;
    float explode = show.barWidth * 0.0025f;
    SelectTexture(c.r, SourceTexture(show, 0));
    float a = 0;
    for (int j = 0; j < n; ++j) {
        uint32_t color = show.setColors[0];
        const FileSpec* texture = &show.setTextures[0];
        if (!show.animateData) {
            color = PieSliceColor(show, j);
            texture = &show.setTextures[j % kSets];
        }
        // A value with no share has no slice: not even its two side faces.
        if (ends[j] > a) {
            SelectTexture(c.r, texture);
            DrawWedge(c.r, MakeVertex(color, 0, 0, -0.5f * t, c.alpha), a, ends[j], 0.5f, t, explode);
        }
        a = ends[j];
    }
}

void WallsOf(Show& show, GLRenderer& r) {
    float d = show.barDepth * kWallDepthPerPoint;
    uint32_t color = show.wallsColor;
    if (show.seeBack) {
        ChartVertex p[4] = {MakeVertex(color, -kBoxHalfWidth, kBoxHalfHeight, 0, 1),
                            MakeVertex(color, kBoxHalfWidth, kBoxHalfHeight, 0, 1),
                            MakeVertex(color, kBoxHalfWidth, -kBoxHalfHeight, 0, 1),
                            MakeVertex(color, -kBoxHalfWidth, -kBoxHalfHeight, 0, 1)};
        DrawWall(r, p, (show.seeLeft ? 8 : 0) + (show.seeBottom ? 4 : 0));
    }
    if (show.seeLeft) {
        ChartVertex p[4] = {MakeVertex(color, -kBoxHalfWidth, kBoxHalfHeight, d, 1),
                            MakeVertex(color, -kBoxHalfWidth, kBoxHalfHeight, 0, 1),
                            MakeVertex(color, -kBoxHalfWidth, -kBoxHalfHeight, 0, 1),
                            MakeVertex(color, -kBoxHalfWidth, -kBoxHalfHeight, d, 1)};
        DrawWall(r, p, (show.seeBack ? 2 : 0) + (show.seeBottom ? 4 : 0));
    }
    if (show.seeBottom) {
        ChartVertex p[4] = {MakeVertex(color, -kBoxHalfWidth, -kBoxHalfHeight, d, 1),
                            MakeVertex(color, -kBoxHalfWidth, -kBoxHalfHeight, 0, 1),
                            MakeVertex(color, kBoxHalfWidth, -kBoxHalfHeight, 0, 1),
                            MakeVertex(color, kBoxHalfWidth, -kBoxHalfHeight, d, 1)};
        DrawWall(r, p, (show.seeBack ? 2 : 0) + (show.seeLeft ? 1 : 0));
    }
}

}  // namespace

uint32_t PieSliceColor(const Show& show, int j) {
    uint32_t color = show.setColors[j % kSets];
    if (j >= kSets) {
        uint32_t red = (color & 0xFF) / 2, green = ((color >> 8) & 0xFF) / 2, blue = ((color >> 16) & 0xFF) / 2;
        color = red | (green << 8) | (blue << 16);
    }
    return color;
}

DataLayout ComputeDataLayout(const Show& show) {
    DataLayout layout;
    for (int s = 0; s < kSets; ++s) {
        for (int j = 0; j < kValues; ++j) {
            if (show.values[s][j] != 0.0f) {
                layout.hasData[s] = true;
                layout.count = std::max(layout.count, j + 1);
            }
        }
        layout.setsWithData += layout.hasData[s] ? 1 : 0;
    }
    if (AllSets(show)) {
        layout.first = 0;
        layout.end = layout.setsWithData;
    } else {
        layout.first = std::min(show.showSet, kSets) - 1;
        layout.end = layout.first + 1;
    }
    return layout;
}

bool PieSliceEnds(const Show& show, const DataLayout& layout, float ends[kValues]) {
    const float* v = SourceValues(show, 0);
    int n = std::clamp(layout.count, 0, kValues);
    // In double: 32 shares of any float size add up without overflow.
    double shares[kValues] = {};
    double total = 0;
    for (int j = 0; j < n; ++j) {
        double share = static_cast<double>(v[j]) - static_cast<double>(show.dataMin);
        shares[j] = std::isfinite(share) && share > 0 ? share : 0.0;
        total += shares[j];
    }
    if (!(total > 0)) {
        return false;
    }
    // The last slice with a share ends the turn; those after it have none.
    int last = n - 1;
    while (last > 0 && shares[last] == 0) {
        --last;
    }
    double sum = 0;
    for (int j = 0; j < n; ++j) {
        sum += shares[j];
        ends[j] = j >= last ? 360.0f : static_cast<float>(std::min(360.0, sum / total * 360.0));
    }
    return true;
}

void DrawWalls(Show& show) {
    GLRenderer* r = ShowRenderer(show);
    if (!r || show.style == ChartStyle::Pie)
        return;
    SelectTexture(*r, &show.wallsTexture);
    WallsOf(show, *r);
    SelectTexture(*r, nullptr);
}

void DrawGrid(Show& show) {
    GLRenderer* r = ShowRenderer(show);
    if (!r || show.style == ChartStyle::Pie)
        return;
    int k = show.gridLines / 6;
    float d = show.barDepth * kWallDepthPerPoint;
    for (int i = 1; i < k; ++i) {
        float y = kBoxHalfHeight - static_cast<float>(i) / k;
        DrawEdge(*r, MakeVertex(show.gridColor, -kGridHalfWidth, y, kGridLift, 1),
                 MakeVertex(show.gridColor, kGridHalfWidth, y, kGridLift, 1), kGridLineWidth, nullptr);
        if (show.seeLeft) {
            DrawEdge(*r, MakeVertex(show.gridColor, -kGridHalfWidth, y, d, 1),
                     MakeVertex(show.gridColor, -kGridHalfWidth, y, 0, 1), kGridLineWidth, nullptr);
        }
    }
}

void DrawData(Show& show) {
    GLRenderer* r = ShowRenderer(show);
    if (!r)
        return;
    DataContext c{show, *r, ComputeDataLayout(show)};
    if (c.layout.count == 0 || c.layout.setsWithData == 0 || show.dataMax == show.dataMin)
        return;
    c.u = show.barDepth * kDataDepthPerPoint;
    c.alpha = show.visibility * kPercent;
    c.range = show.dataMax - show.dataMin;
    switch (show.style) {
        case ChartStyle::Bar:
            DrawBars(c);
            break;
        case ChartStyle::Area:
            DrawAreas(c);
            break;
        case ChartStyle::Line:
            DrawLines(c);
            break;
        case ChartStyle::Marker:
            DrawMarkers(c);
            break;
        case ChartStyle::Pie:
            DrawPie(c);
            break;
    }
    SelectTexture(*r, nullptr);
}
