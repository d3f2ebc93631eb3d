// The drawn controls of the property tabs. Each draws one control whose
// anchor is (x, y) (x the page's control column, y the row's top) from the
// value it is given, and returns the height it takes. Drawing changes no
// state of the program.
#pragma once

#include <cstdint>

#include "CrossPlatform.h"
#include "InterfaceColors.h"
#include "ShowRecord.h"

namespace tabs {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kPageColour = 0xC0C0C0;  // light grey: page, slider frame
constexpr uint32_t kDisabledColour = 0x808080;
constexpr uint32_t kSliderTrack = 0x606060;
constexpr uint32_t kOtherTab = 0xA0A0A0;

constexpr int32_t kLabelGap = 8;     // labels end this far left of the anchor
constexpr int32_t kControlGap = 8;   // controls start this far right of it
constexpr int32_t kBoxSize = 11;     // radio, check box and swatch
constexpr int32_t kFieldWidth = 70;  // number and text fields, slider track
constexpr int32_t kFieldHeight = 15;
constexpr int32_t kFontRowsHeight = 36;
constexpr int32_t kRowHeightPixels = 18;

// A label: "|Lines" is an item in the normal font, "Grid Color" a heading
// in the bold font; both right-aligned at x - 8.
void DrawLabel(const char* label, int32_t x, int32_t y);
int DrawRadio(const char* label, int32_t x, int32_t y, bool selected, bool disabled);
int DrawCheck(const char* label, int32_t x, int32_t y, bool checked);
int DrawSlider(const char* label, int32_t x, int32_t y, int32_t value, int scale);
int DrawField(const char* label, int32_t x, int32_t y, const char* text);
// A colour swatch; with a texture (non-empty name) also the texture's name.
int DrawSwatch(const char* label, int32_t x, int32_t y, uint32_t colour, const FileSpec* texture, bool disabled);
int DrawFontSummary(const char* label, int32_t x, int32_t y, const FontSpec& font);

// "Arial 12 BI": face, size truncated, then B, I and U for the style flags.
void FontSummaryText(const FontSpec& font, char* out, int capacity);
// A texture's file name without folder and extension ("" for none).
void TextureName(const FileSpec& texture, char* out, int capacity);

}  // namespace tabs
