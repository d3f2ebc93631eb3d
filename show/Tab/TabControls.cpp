// Drawing of the property tabs' controls.
#include "TabControls.h"

#include <cstdio>
#include <cstring>

#include "PlatformWindows.h"
#include "Utilities.h"

namespace tabs {

namespace {

constexpr int32_t kBoxTop = 3;
constexpr int32_t kItemTextX = 24;  // radio labels and texture names
constexpr int32_t kTextureBoxHeight = 14;
constexpr int32_t kFontBoxWidth = 95;

Rect BoxAt(int32_t x, int32_t y) {
    return Rect{x + kControlGap, y + kBoxTop, x + kControlGap + kBoxSize, y + kBoxTop + kBoxSize};
}

void LabelIn(uint32_t colour, const char* label, int32_t x, int32_t y) {
    const bool item = label[0] == '|';
    SelectFont(UiFont(item ? kUiFont12 : kUiFontBold13), -1, kBackTransparent);
    char text[kTextSlot + 1];
    std::snprintf(text, sizeof(text), "%s", label);
    if (item) {
        text[0] = ' ';
    }
    DrawText(colour, text, x - kLabelGap, y, kTextRight);
    SelectFont(nullptr, -1, -1);
}

}  // namespace

void DrawLabel(const char* label, int32_t x, int32_t y) {
    LabelIn(kBlack, label, x, y);
}

int DrawRadio(const char* label, int32_t x, int32_t y, bool selected, bool disabled) {
    const uint32_t ink = disabled ? kDisabledColour : kBlack;
    const Rect box = BoxAt(x, y);
    FillOval(kPageColour, box);
    DrawRadioMark(ink, box, selected && !disabled);
    SelectFont(UiFont(kUiFont12), -1, kBackTransparent);
    DrawText(ink, label, x + kItemTextX, y + 1, kTextLeft);
    SelectFont(nullptr, -1, -1);
    return kRowHeightPixels;
}

int DrawCheck(const char* label, int32_t x, int32_t y, bool checked) {
    LabelIn(kBlack, label, x, y);
    DrawCheckBox(kWhite, BoxAt(x, y), checked);
    return kRowHeightPixels;
}

int DrawSlider(const char* label, int32_t x, int32_t y, int32_t value, int scale) {
    LabelIn(kBlack, label, x, y);
    const Rect track{x + kControlGap, y + kBoxTop, x + kControlGap + kFieldWidth, y + kBoxTop + kBoxSize};
    SelectFont(UiFont(kUiFont12), -1, kBackTransparent);
    DrawPercentSlider(kPageColour, kSliderTrack, track, value, scale, true);
    SelectFont(nullptr, -1, -1);
    return kRowHeightPixels;
}

int DrawField(const char* label, int32_t x, int32_t y, const char* text) {
    LabelIn(kBlack, label, x, y + 1);
    const Rect box{x + kControlGap, y + 1, x + kControlGap + kFieldWidth, y + 1 + kFieldHeight};
    FillRect(kWhite, box);
    FrameRect(kBlack, box, 1, kPenSolid);
    SelectFont(UiFont(kUiFont12), -1, kBackTransparent);
    char shown[kTextSlot];
    std::snprintf(shown, sizeof(shown), "%s", text);
    ShortenToWidth(shown, kFieldWidth - 6, "", TextWidth, sizeof(shown));
    DrawText(kBlack, shown, x + 12, y + 1, kTextLeft);
    SelectFont(nullptr, -1, -1);
    return kRowHeightPixels;
}

void TextureName(const FileSpec& texture, char* out, int capacity) {
    char name[sizeof(texture.name) + 1] = {};
    std::memcpy(name, texture.name, sizeof(texture.name));
    FileNameOfPath(name);
    char* dot = std::strchr(name, '.');
    if (dot) {
        *dot = '\0';
    }
    std::snprintf(out, capacity, "%s", name);
}

int DrawSwatch(const char* label, int32_t x, int32_t y, uint32_t colour, const FileSpec* texture, bool disabled) {
    const uint32_t ink = disabled ? kDisabledColour : kBlack;
    LabelIn(ink, label, x, y);
    const Rect box = BoxAt(x, y);
    FillRect(disabled ? kDisabledColour : colour, box);
    FrameRect(ink, box, 1, kPenSolid);
    char name[kTextSlot] = {};
    if (texture) {
        TextureName(*texture, name, sizeof(name));
    }
    if (name[0]) {
        const Rect nameBox{x + kItemTextX, y + kBoxTop, x + kItemTextX + kFieldWidth, y + kBoxTop + kTextureBoxHeight};
        FillRect(kPageColour, nameBox);
        SelectFont(UiFont(kUiFont12), -1, kBackTransparent);
        ShortenToWidth(name, kFieldWidth, "...", TextWidth, sizeof(name));
        DrawText(ink, name, x + kItemTextX, y + 1, kTextLeft);
        SelectFont(nullptr, -1, -1);
    }
    return kRowHeightPixels;
}

namespace {

// " 12BU": the size truncated, then B, I and U for the style flags.
void FontSizeText(const FontSpec& font, char* out, int capacity) {
    std::snprintf(out, capacity, " %d%s%s%s", static_cast<int>(font.size), (font.style & kFontBold) ? "B" : "",
                  (font.style & kFontItalic) ? "I" : "", (font.style & kFontUnderline) ? "U" : "");
}

}  // namespace

void FontSummaryText(const FontSpec& font, char* out, int capacity) {
    char face[sizeof(font.face) + 1] = {};
    std::memcpy(face, font.face, sizeof(font.face));
    char size[48];
    FontSizeText(font, size, sizeof(size));
    std::snprintf(out, capacity, "%s%s", face, size);
}

int DrawFontSummary(const char* label, int32_t x, int32_t y, const FontSpec& font) {
    LabelIn(kBlack, label, x, y);
    const Rect box = BoxAt(x, y);
    FillRect(font.color, box);
    FrameRect(kBlack, box, 1, kPenSolid);
    LabelIn(kBlack, "Spec", x, y + 19);
    const Rect summaryBox{x + kControlGap, y + 18, x + kControlGap + kFontBoxWidth, y + kFontRowsHeight};
    FillRect(kPageColour, summaryBox);
    // A long face name gives way to the size and style.
    char size[48];
    FontSizeText(font, size, sizeof(size));
    char summary[sizeof(font.face) + sizeof(size)] = {};
    std::memcpy(summary, font.face, sizeof(font.face) - 1);
    SelectFont(UiFont(kUiFont12), -1, kBackTransparent);
    ShortenToWidth(summary, kFontBoxWidth - TextWidth(size), "...", TextWidth, sizeof(font.face));
    std::strncat(summary, size, sizeof(summary) - std::strlen(summary) - 1);
    DrawText(kBlack, summary, x + kControlGap, y + 19, kTextLeft);
    SelectFont(nullptr, -1, -1);
    return kFontRowsHeight;
}

}  // namespace tabs
