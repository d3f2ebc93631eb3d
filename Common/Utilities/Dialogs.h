// The program's own drawn dialogs: the value dialog (text, check box, radio,
// slider, colour and folder rows) and the colour and texture chooser, with
// the integer RGB/HLS arithmetic behind them. They draw into an existing
// window (as a rule the preview) and run their own modal loop through the
// platform layer. Used by Make Movie, the property tabs and the timeline.
#pragma once

#include <cstdint>

#include "CrossPlatform.h"

class PlatformWindow;

// Labels and values of the value dialog are 64-character slots.
constexpr int kDialogSlotSize = 64;
using DialogSlot = char[kDialogSlotSize];

// Value dialog results.
enum DialogResult : int { kDialogCancel = 0, kDialogOk = 1, kDialogApply = 2 };

// Runs the value dialog at (x, y) in the owner's client area (moved inside it
// as ValueDialogBox says). The first two characters of a label choose the
// item's kind ("@C" check box, "@D" check box greyed, which cannot be
// changed, "@R" radio, "@S" slider, "@L" colour, "@F" folder, anything else
// text); values are
// read and written in place. A negative itemCount means |itemCount| items
// and an Apply button. Returns kDialogOk, kDialogCancel or kDialogApply.
int RunValueDialog(PlatformWindow* owner, int x, int y, int itemCount, DialogSlot* labels, DialogSlot* values,
                   const char* title);

// The box the value dialog takes when asked for at (x, y) in the owner: as
// wide as its labels (and its title) need and as high as its rows, moved up
// and left as needed to lie inside the owner's client area.
Rect ValueDialogBox(PlatformWindow& owner, int x, int y, int itemCount, const DialogSlot* labels, const char* title);

// Runs the colour and texture chooser at (x, y), moved up and left as needed
// to lie inside the owner's client area (ColorChooserBox). The colour (0x00BBGGRR) is
// changed in place while the user drags; texture may be null, which disables
// Texture mode. Returns 1 for OK, 0 for Cancel (the opening colour restored).
int RunColorChooser(PlatformWindow* owner, int x, int y, int32_t* colour, FileSpec* texture, const char* title);

// Enter is OK and Esc Cancel in both dialogs.
// The box the chooser takes when asked for at (x, y) in the owner.
Rect ColorChooserBox(PlatformWindow& owner, int x, int y);

// The chooser's mode, kept between openings (HLS at start).
enum ColorChooserModes : int { kChooserRgb = 0, kChooserHls = 1, kChooserTexture = 2 };
int ColorChooserMode();
void SetColorChooserMode(int mode);

// Hue, luminance and saturation 0..240; red, green and blue 0..255.
void HlsToRgb(int hue, int luminance, int saturation, int& red, int& green, int& blue);
void RgbToHls(int red, int green, int blue, int& hue, int& luminance, int& saturation);
