// The text of a frame: the value axis at the right of the chart, the
// category axis under it (or the pie's slice labels) and the title, with
// their tick marks, and the formatting of values.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "Draw.h"
#include "DrawInternal.h"
#include "OpenGL.h"

namespace {

constexpr float kDegree = 0.0174532f;

void Tick(GLRenderer& r, uint32_t color, float x0, float y0, float z0, float x1, float y1, float z1) {
    DrawEdge(r, MakeVertex(color, x0, y0, z0, 1.0f), MakeVertex(color, x1, y1, z1, 1.0f), 2.0f, nullptr);
}

void Label(GLRenderer& r, const Show& show, const char* text, float x, float y, float z, int alignment, float angle) {
    ChartFont font = ChartFontOf(show.valuesFont);
    DrawText3D(r, text, MakeVertex(font.color, x, y, z, 1.0f), font, alignment, angle);
}

// A text slot of the show as a terminated string.
std::string SlotText(const char* slot, size_t size) {
    return std::string(slot, strnlen(slot, size));
}

void PieLabels(GLRenderer& r, Show& show, const DataLayout& layout, float w) {
    float ends[32] = {};
    if (!PieSliceEnds(show, layout, ends)) {
        return;  // no slices, no labels
    }
    float h = show.barWidth * 0.0025f + 0.53f;
    float z = 0.625f * show.barDepth * 0.0033333334f;
    float a = 0;
    for (int i = 0; i < layout.count; ++i) {
        float b = ends[i];
        if (!(b > a)) {
            continue;  // a value with no share has no slice to name
        }
        float mid = a + 0.5f * (b - a);
        float theta = (360.0f - mid) * kDegree;
        float sn = std::sin(theta);
        float cs = std::cos(theta);
        Tick(r, show.tickColor, -h * sn, h * cs, z, -(h + w) * sn, (h + w) * cs, z);
        float reach = h + w + 0.03f;
        std::string text = SlotText(show.labels[i], kTextSlot);
        Label(r, show, text.c_str(), -reach * sn, reach * cs, z + 0.002f, mid > 180.0f ? kAlignEnd : kAlignStart, 0);
        a = b;
    }
}

void CategoryLabels(GLRenderer& r, Show& show, int m, float w) {
    float ts = show.valuesFont.size * 0.005f;
    float z0 = show.seeBottom ? show.barDepth * 0.005f + 0.03f : 0.0f;
    float width = show.style == ChartStyle::Marker ? std::trunc(133.33f / m) : static_cast<float>(show.barWidth);
    float x0 = 0;
    float step = 0;
    if (show.style == ChartStyle::Bar) {
        float slot = width * 0.01f / m;
        float gap = (1.5f - m * slot) / (m + 1);
        x0 = -0.75f + gap + 0.5f * slot;
        step = gap + slot;
    } else {
        float total = 0.0075001875f * width + 0.75f;
        x0 = -total / 2;
        step = m > 1 ? total / (m - 1) : 0.0f;
    }
    for (int i = 0; i < m; ++i) {
        float x = x0 + i * step;
        std::string text = SlotText(show.labels[i], kTextSlot);
        if (z0 != 0.0f) {
            Label(r, show, text.c_str(), x + 0.01f, -0.5f, z0 + w + 0.03f + 0.33f * ts, kAlignCenter, 270.0f);
            Tick(r, show.tickColor, x, -0.5f, z0, x, -0.5f, z0 + w);
        } else {
            Label(r, show, text.c_str(), x + 0.01f, -0.53f - w - 0.03f - 0.33f * ts, 0, kAlignCenter, 0);
            Tick(r, show.tickColor, x, -0.53f, 0, x, -0.53f - w, 0);
        }
    }
}

}  // namespace

std::string FormatValue(float value, int decimalPlaces, const char* prefix, const char* suffix) {
    int places = std::clamp(decimalPlaces, 0, 9);
    double power = std::pow(10.0, places);
    double magnitude = std::fabs(static_cast<double>(value));
    double scaled = places > 0 ? std::trunc(magnitude * power + 0.5) : std::trunc(magnitude);
    char text[128];
    if (!(scaled < 9.0e18)) {
        // Beyond what the whole and fractional parts can hold as integers.
        std::snprintf(text, sizeof(text), "%s%s%.0f", prefix ? prefix : "", value < 0 ? "-" : "", magnitude);
    } else {
        auto rounded = static_cast<long long>(scaled);
        auto unit = static_cast<long long>(power);
        const char* sign = value < 0 && rounded != 0 ? "-" : "";
        std::snprintf(text, sizeof(text), "%s%s%lld.%0*lld", prefix ? prefix : "", sign, rounded / unit, places,
                      places > 0 ? rounded % unit : 0LL);
        if (places == 0) {
            // "%0*lld" with no places still writes a digit: cut after the point.
            std::strchr(text + std::strlen(prefix ? prefix : ""), '.')[1] = '\0';
        }
        size_t length = std::strlen(text);
        while (length > 0 && text[length - 1] == '0')
            text[--length] = '\0';
        if (length > 0 && text[length - 1] == '.')
            text[--length] = '\0';
    }
    std::string result = text;
    if (suffix)
        result += suffix;
    return result;
}

void DrawValueAxis(Show& show) {
    GLRenderer* r = ShowRenderer(show);
    if (!r || show.style == ChartStyle::Pie || show.tickLength == 0)
        return;
    float ts = show.valuesFont.size * 0.005f;
    float tick = show.tickLength * 0.0016666667f;
    int k = show.gridLines / 6;
    float q = 0.99f / static_cast<float>(k);
    int every = show.tickLines / 10 < 9 ? 10 - show.tickLines / 10 : 1;
    float h = every * q;
    uint32_t color = show.tickColor;
    Tick(*r, color, 0.77f, 0.5f, 0, 0.77f, -0.5f, 0);
    Tick(*r, color, 0.77f, 0.5f, 0, 0.77f + tick, 0.5f, 0);
    Tick(*r, color, 0.77f, -0.5f, 0, 0.77f + tick, -0.5f, 0);
    std::string prefix = SlotText(show.prefix, kTextSlot);
    std::string suffix = SlotText(show.suffix, kTextSlot);
    std::string top = FormatValue(show.dataMax, show.decimalPlaces, prefix.c_str(), suffix.c_str());
    Label(*r, show, top.c_str(), 0.78f + tick, 0.5f - 0.33f * ts, 0, kAlignStart, 0);
    float inverse = 1.0f / h;
    int t = std::isfinite(inverse) && inverse < 1000.0f ? static_cast<int>(inverse) : 0;
    int number = t >= 2 ? t - 1 : 0;
    float valueStep = (show.dataMax - show.dataMin) / (number + 1);
    for (int i = number; i >= 1; --i) {
        float y = 0.5f - (number + 1 - i) * h;
        Tick(*r, color, 0.77f, y, 0, 0.77f + tick, y, 0);
        std::string text = FormatValue(show.dataMin + i * valueStep, show.decimalPlaces, nullptr, nullptr);
        Label(*r, show, text.c_str(), 0.78f + tick, y - 0.33f * ts, 0, kAlignStart, 0);
    }
    std::string bottom = FormatValue(show.dataMin, show.decimalPlaces, prefix.c_str(), suffix.c_str());
    Label(*r, show, bottom.c_str(), 0.78f + tick, -0.5f - 0.33f * ts, 0, kAlignStart, 0);
    SelectTexture(*r, nullptr);
}

void DrawCategoryAxis(Show& show) {
    GLRenderer* r = ShowRenderer(show);
    if (!r || show.tickLength == 0)
        return;
    DataLayout layout = ComputeDataLayout(show);
    float w = show.tickLength * 0.0025f;
    if (show.style == ChartStyle::Pie) {
        PieLabels(*r, show, layout, w);
    } else if (layout.count > 0) {
        CategoryLabels(*r, show, layout.count, w);
    }
    SelectTexture(*r, nullptr);
}

void DrawTitle(Show& show) {
    GLRenderer* r = ShowRenderer(show);
    if (!r || show.title[0] == '\0')
        return;
    ChartFont font = ChartFontOf(show.titleFont);
    float y = 0.5f + 0.01f * font.size * 0.01f * show.titleSpacing;
    std::string title = SlotText(show.title, kTextSlot);
    DrawText3D(*r, title.c_str(), MakeVertex(font.color, 0, y, 0, 1.0f), font, kAlignCenter, 0);
}
