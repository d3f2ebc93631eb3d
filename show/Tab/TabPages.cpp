// The pages of the property tabs: Style, Grids, Sets and Text.
#include "TabPages.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "Dialogs.h"
#include "Evaluate.h"
#include "OpenGL.h"
#include "PlatformWindows.h"
#include "TabControls.h"
#include "TabsWindow.h"
#include "Utilities.h"

namespace tabs {

namespace {

// Rows of the pages that the click table names.
enum StyleRow : int { kRowBar = 0, kRowPie = 4, kRowSeeVideo = 7, kRowChartWidth = 8, kRowChartHeight = 9 };
enum GridsRow : int {
    kRowGridColor = 0,
    kRowTickColor = 2,
    kRowWallColor = 5,
    kRowSeeBack = 6,
    kRowSeeLeft = 7,
    kRowSeeBottom = 8
};
enum SetsRow : int {
    kRowAside = 0,
    kRowStacked = 1,
    kRowAnimate = 4,
    kRowShowAll = 5,
    kRowShowLast = 9,
    kRowSetColour = 10,
    kRowDataMin = 14,
    kRowDataMax = 15
};
enum TextRow : int {
    kRowValuesColour = 0,
    kRowValuesFont = 1,
    kRowDecimals = 2,
    kRowPrefix = 3,
    kRowSuffix = 4,
    kRowTitleColour = 5,
    kRowTitleFont = 6
};

constexpr int32_t kConnectorRight = 64;  // right of the Sets page's connectors, from X
constexpr int kBracketPictureSize = 12;

int32_t RowTop(int row) {
    return kFirstRowTop + kRowHeight * row;
}

int32_t RowMiddle(int row) {
    return RowTop(row) + kRowHeight / 2 - 1;
}

int32_t SliderValue(const Show& show, int page, int row) {
    const int32_t* field = TabSliderField(const_cast<Show&>(show), page, row);
    return field ? *field : 0;
}

void DrawSliderRow(const Show& show, int page, int row, const char* label, int32_t x) {
    int scale = 100;
    TabSliderField(const_cast<Show&>(show), page, row, &scale);
    DrawSlider(label, x, RowTop(row), SliderValue(show, page, row), scale);
}

int DrawStyle(const Show& show, int32_t x) {
    const char* styles[] = {"Bar", "Area", "Line", "Marker", "Pie"};
    DrawLabel("Style", x, RowTop(0));
    for (int row = kRowBar; row <= kRowPie; ++row) {
        DrawRadio(styles[row], x, RowTop(row), static_cast<int>(show.style) == row, false);
    }
    DrawSliderRow(show, kPageStyle, 5, "Visibility", x);
    DrawSliderRow(show, kPageStyle, 6, "Lighting", x);
    DrawCheck("See Video?", x, RowTop(kRowSeeVideo), show.seeVideo != 0);
    DrawSliderRow(show, kPageStyle, kRowChartWidth, "Chart Width", x);
    DrawSliderRow(show, kPageStyle, kRowChartHeight, "|Height", x);
    DrawSliderRow(show, kPageStyle, 10, "Anti-Aliasing", x);
    return TabPageRows(kPageStyle);
}

int DrawGrids(const Show& show, int32_t x) {
    DrawSwatch("Grid Color", x, RowTop(kRowGridColor), show.gridColor, nullptr, false);
    DrawSliderRow(show, kPageGrids, 1, "|Lines", x);
    DrawSwatch("Tick Color", x, RowTop(kRowTickColor), show.tickColor, nullptr, false);
    DrawSliderRow(show, kPageGrids, 3, "|Lines", x);
    DrawSliderRow(show, kPageGrids, 4, "|Length", x);
    DrawSwatch("Wall Color", x, RowTop(kRowWallColor), show.wallsColor, &show.wallsTexture, false);
    DrawCheck("|See Back?", x, RowTop(kRowSeeBack), show.seeBack != 0);
    DrawCheck("|See Left?", x, RowTop(kRowSeeLeft), show.seeLeft != 0);
    DrawCheck("|See Bottom?", x, RowTop(kRowSeeBottom), show.seeBottom != 0);
    return TabPageRows(kPageGrids);
}

// The lines from the Animate Data? box to the Show Set group (seen only
// while data is animated) and the bracket beside the set buttons.
void DrawSetsConnectors(bool animated, int32_t x) {
    const uint32_t ink = animated ? kBlack : kPageColour;
    const int32_t right = x + kConnectorRight;
    const int32_t from = RowMiddle(kRowAnimate);
    const int32_t to = RowMiddle(kRowShowAll);
    DrawLine(ink, x + kControlGap + kBoxSize + 2, from, right, from, 1, kPenSolid);
    DrawLine(ink, right, from, right, to, 1, kPenSolid);
    DrawLine(ink, right, to, x + 52, to, 1, kPenSolid);
    FillTriangle(ink, x + 48, to, 3, 180);
    const int32_t top = RowMiddle(kRowShowAll + 1);
    const int32_t bottom = RowMiddle(kRowShowLast);
    const int32_t bracket = x + 40;
    DrawLine(kBlack, bracket - 6, top, bracket, top, 1, kPenSolid);
    DrawLine(kBlack, bracket, top, bracket, bottom, 1, kPenSolid);
    DrawLine(kBlack, bracket - 6, bottom, bracket, bottom, 1, kPenSolid);
    const int32_t middle = (top + bottom) / 2;
    DrawLine(kBlack, bracket, middle, bracket + 6, middle, 1, kPenSolid);
    const int32_t pictureTop = middle - kBracketPictureSize / 2;
    DrawResourceBitmap(
        Rect{bracket + 8, pictureTop, bracket + 8 + kBracketPictureSize, pictureTop + kBracketPictureSize},
        kPictureBracket, kRopCopy);
}

int DrawSets(const Show& show, int32_t x) {
    const bool animated = show.animateData != 0;
    DrawLabel("Placement", x, RowTop(kRowAside));
    DrawRadio("Aside", x, RowTop(kRowAside), show.placement == 0, false);
    DrawRadio("Stacked", x, RowTop(kRowStacked), show.placement == 1, false);
    DrawSliderRow(show, kPageSets, 2, "Width", x);
    DrawSliderRow(show, kPageSets, 3, "Depth", x);
    DrawCheck("Animate Data?", x, RowTop(kRowAnimate), animated);
    DrawLabel("Show Set", x, RowTop(kRowShowAll));
    const char* sets[] = {"All", "1", "2", "3", "4"};
    for (int row = kRowShowAll; row <= kRowShowLast; ++row) {
        DrawRadio(sets[row - kRowShowAll], x, RowTop(row), show.showSet == row - kRowShowAll,
                  animated && row == kRowShowAll);
    }
    const char* colourLabels[] = {"Color/Tex 1", "|2", "|3", "|4"};
    for (int set = 0; set < 4; ++set) {
        DrawSwatch(colourLabels[set], x, RowTop(kRowSetColour + set), show.setColors[set], &show.setTextures[set],
                   animated && set > 0);
    }
    DrawSetsConnectors(animated, x);
    char text[kDecimalTextSize];
    FieldText(show, kPageSets, kRowDataMin, text, sizeof(text));
    DrawField("Data Min", x, RowTop(kRowDataMin), text);
    FieldText(show, kPageSets, kRowDataMax, text, sizeof(text));
    DrawField("|Max", x, RowTop(kRowDataMax), text);
    return TabPageRows(kPageSets);
}

int DrawTextPage(const Show& show, int32_t x) {
    DrawFontSummary("Values Font", x, RowTop(kRowValuesColour), show.valuesFont);
    char text[kTextSlot];
    FieldText(show, kPageText, kRowDecimals, text, sizeof(text));
    DrawField("|Decimal Places", x, RowTop(kRowDecimals), text);
    DrawField("|Prefix", x, RowTop(kRowPrefix), show.prefix);
    DrawField("|Suffix", x, RowTop(kRowSuffix), show.suffix);
    DrawFontSummary("Title Font", x, RowTop(kRowTitleColour), show.titleFont);
    DrawSliderRow(show, kPageText, 7, "|Spacing", x);
    return TabPageRows(kPageText);
}

// ---------------------------------------------------------------- choosers

void ChooseColour(uint32_t& colour, FileSpec* texture, const char* title, const ClickPlace& place) {
    // The chooser changes the colour in place while the user drags, so that
    // the preview shows it at once; a signed view of the same field.
    RunColorChooser(place.chooserOwner, 0, place.chooserY, reinterpret_cast<int32_t*>(&colour), texture, title);
}

void ChooseFont(FontSpec& font, const ClickPlace& place) {
    FontChoice choice;
    choice.size = font.size;
    choice.flags = font.style;
    std::memcpy(choice.face, font.face, sizeof(choice.face) - 1);
    choice.face[sizeof(choice.face) - 1] = '\0';
    if (!ChooseFontDialog(place.fontOwner, choice)) {
        return;
    }
    font.size = choice.size;
    font.style = choice.flags;
    // The family fontconfig matches for the name chosen (the chooser may
    // list it with its foundry, "Nimbus Sans Narrow [urw]"): the face the
    // chart then draws is the one chosen.
    const std::string family = FontFamilyFor(choice.face);
    std::memset(font.face, 0, sizeof(font.face));
    std::snprintf(font.face, sizeof(font.face), "%s", family.c_str());
}

// ---------------------------------------------------------------- clicks

void ClickStyle(Show& show, int row) {
    if (row >= kRowBar && row <= kRowPie) {
        show.style = static_cast<ChartStyle>(row);
    } else if (row == kRowSeeVideo) {
        show.seeVideo = show.seeVideo ? 0 : 1;
    }
}

void ClickGrids(Show& show, int row, const ClickPlace& place) {
    switch (row) {
        case kRowGridColor:
            ChooseColour(show.gridColor, nullptr, "Choose Color for Grid", place);
            break;
        case kRowTickColor:
            ChooseColour(show.tickColor, nullptr, "Choose Color for Tick Marks", place);
            break;
        case kRowWallColor:
            ChooseColour(show.wallsColor, &show.wallsTexture, "Choose Color for Wall", place);
            break;
        case kRowSeeBack:
            show.seeBack = show.seeBack ? 0 : 1;
            break;
        case kRowSeeLeft:
            show.seeLeft = show.seeLeft ? 0 : 1;
            break;
        case kRowSeeBottom:
            show.seeBottom = show.seeBottom ? 0 : 1;
            break;
        default:
            break;
    }
}

void ClickShowSet(Show& show, int row) {
    const int set = row - kRowShowAll;
    show.current.dataSet = static_cast<float>(set);
    show.showSet = show.animateData ? std::max(set, 1) : set;
}

void ClickSets(Show& show, int row, const ClickPlace& place) {
    if (row == kRowAside || row == kRowStacked) {
        show.placement = row - kRowAside;
    } else if (row == kRowAnimate) {
        show.animateData = show.animateData ? 0 : 1;
        Evaluate(show, gCurrentFrame);
    } else if (row >= kRowShowAll && row <= kRowShowLast) {
        ClickShowSet(show, row);
    } else if (row >= kRowSetColour && row < kRowSetColour + 4) {
        const int set = row - kRowSetColour;
        if (set == 0 || !show.animateData) {
            char title[48];
            std::snprintf(title, sizeof(title), "Choose Color for Data Set %d", set + 1);
            ChooseColour(show.setColors[set], &show.setTextures[set], title, place);
        }
    }
}

void ClickText(Show& show, int row, const ClickPlace& place) {
    switch (row) {
        case kRowValuesColour:
            ChooseColour(show.valuesFont.color, nullptr, "Choose Color for Labels", place);
            break;
        case kRowValuesFont:
            ChooseFont(show.valuesFont, place);
            break;
        case kRowTitleColour:
            ChooseColour(show.titleFont.color, nullptr, "Choose Color for Title", place);
            break;
        case kRowTitleFont:
            ChooseFont(show.titleFont, place);
            break;
        default:
            break;
    }
}

}  // namespace

int DrawPage(const Show& show, int page, int32_t x) {
    switch (page) {
        case kPageStyle:
            return DrawStyle(show, x);
        case kPageGrids:
            return DrawGrids(show, x);
        case kPageSets:
            return DrawSets(show, x);
        case kPageText:
            return DrawTextPage(show, x);
        default:
            return 0;
    }
}

void ClickPage(Show& show, int page, int row, const ClickPlace& place) {
    switch (page) {
        case kPageStyle:
            ClickStyle(show, row);
            break;
        case kPageGrids:
            ClickGrids(show, row, place);
            break;
        case kPageSets:
            ClickSets(show, row, place);
            break;
        case kPageText:
            ClickText(show, row, place);
            break;
        default:
            break;
    }
}

void FieldText(const Show& show, int page, int row, char* out, int capacity) {
    out[0] = '\0';
    if (page == kPageSets && (row == kRowDataMin || row == kRowDataMax)) {
        char text[kDecimalTextSize];
        DecimalText(row == kRowDataMin ? show.dataMin : show.dataMax, text);
        std::snprintf(out, capacity, "%s", text);
    } else if (page == kPageText && row == kRowDecimals) {
        std::snprintf(out, capacity, "%d", show.decimalPlaces);
    } else if (page == kPageText && (row == kRowPrefix || row == kRowSuffix)) {
        std::snprintf(out, capacity, "%.*s", kTextSlot - 1, row == kRowPrefix ? show.prefix : show.suffix);
    }
}

void StoreFieldText(Show& show, int page, int row, const char* text) {
    if (page == kPageSets && (row == kRowDataMin || row == kRowDataMax)) {
        const double value = std::clamp(ParseDecimal(text), -double{FLT_MAX}, double{FLT_MAX});
        (row == kRowDataMin ? show.dataMin : show.dataMax) = static_cast<float>(value);
    } else if (page == kPageText && row == kRowDecimals) {
        const double places = std::trunc(ParseDecimal(text));
        show.decimalPlaces = static_cast<int32_t>(std::clamp(places, -2147483648.0, 2147483647.0));
    } else if (page == kPageText && (row == kRowPrefix || row == kRowSuffix)) {
        char* slot = row == kRowPrefix ? show.prefix : show.suffix;
        std::memset(slot, 0, kTextSlot);
        std::snprintf(slot, kTextSlot, "%s", text);
    }
}

}  // namespace tabs
