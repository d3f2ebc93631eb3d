// The four pages of the property tabs: which control stands on each row,
// how a page is drawn from the show, and what a click on a row does.
#pragma once

#include <cstdint>

#include "ShowRecord.h"

class PlatformWindow;

namespace tabs {

// Where choosers open and which windows own them.
struct ClickPlace {
    PlatformWindow* chooserOwner = nullptr;  // the preview: colour chooser
    int32_t chooserY = 0;                    // the pointer's y in the panel
    PlatformWindow* fontOwner = nullptr;     // the panel: font chooser
};

// Draws page `page` with its control column at x; the page's rows.
int DrawPage(const Show& show, int page, int32_t x);
// Acts on a click on a row of a page (sliders and fields excluded).
void ClickPage(Show& show, int page, int row, const ClickPlace& place);

// The field row's text as the field opens with it.
void FieldText(const Show& show, int page, int row, char* out, int capacity);
// Stores typed text into the field row's field.
void StoreFieldText(Show& show, int page, int row, const char* text);

}  // namespace tabs
