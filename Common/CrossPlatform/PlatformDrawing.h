// Drawing into the current port and the interface fonts. Forward to the
// installed platform; no Qt here.
#pragma once

#include <cstdint>

#include "PlatformEvents.h"

class CDib;

// ---------------------------------------------------------------- drawing

struct DrawingPort;
using PlatformPort = DrawingPort*;

PlatformPort GetPort();
void SetPort(PlatformPort port);
// The port of a window: its backing picture.
PlatformPort WindowPort(PlatformWindow& window);
// Makes the window's port current for the lifetime of the object.
class PortScope {
public:
    explicit PortScope(PlatformWindow& window) : previous_(GetPort()) { SetPort(WindowPort(window)); }
    ~PortScope() { SetPort(previous_); }
    PortScope(const PortScope&) = delete;
    PortScope& operator=(const PortScope&) = delete;

private:
    PlatformPort previous_;
};

enum PenStyle : int { kPenSolid = 0, kPenDash = 1, kPenDot = 2 };

void FrameRect(uint32_t colour, const Rect& rect, int penWidth, int penStyle);
void FillRect(uint32_t colour, const Rect& rect);
void DrawLine(uint32_t colour, const Rect& rect, int penWidth, int penStyle);
void DrawLine(uint32_t colour, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int penWidth, int penStyle);
void FrameRoundRect(uint32_t colour, const Rect& rect, int corner, int penWidth, int penStyle);
void FillRoundRect(uint32_t colour, const Rect& rect, int corner);
void FrameOval(uint32_t colour, const Rect& rect, int penWidth, int penStyle);
void FillOval(uint32_t colour, const Rect& rect);
void InvertOval(const Rect& rect, int penWidth, int penStyle);
// Direction 0, 90, 180 or 270: the apex points right, up, left or down.
void FillTriangle(uint32_t colour, int32_t x, int32_t y, int size, int direction);
void DrawBevel(uint32_t lightColour, uint32_t darkColour, const Rect& rect, int penWidth);
void DrawRadioMark(uint32_t colour, const Rect& rect, bool selected);
void DrawCheckBox(uint32_t colour, const Rect& rect, bool checked);
void DrawPercentSlider(uint32_t frameColour, uint32_t trackColour, const Rect& rect, int value, int scale,
                       bool showNumber);
// Raster operations of DrawResourceBitmap.
enum : uint32_t { kRopCopy = 0x00CC0020, kRopAnd = 0x008800C6, kRopPaint = 0x00EE0086, kRopInvert = 0x00660046 };
// Copies a picture resource to the rectangle's left-top corner at its own size.
bool DrawResourceBitmap(const Rect& rect, int bitmapId, uint32_t rasterOp);
// Fills an area with copies of a picture resource laid from the port's
// origin, as repeated DrawResourceBitmap calls at multiples of its size would.
bool TileResourceBitmap(const Rect& area, int bitmapId);
// Width and height of a picture resource; false when there is none.
bool ResourceBitmapSize(int bitmapId, int& width, int& height);
// Draws a picture at its own size with its top-left corner at (x, y).
void DrawImage(const CDib& image, int32_t x, int32_t y);
// The colour (0x00BBGGRR) of a port pixel; 0 outside.
uint32_t PortPixel(PlatformPort port, int32_t x, int32_t y);
// The port's size.
void PortSize(PlatformPort port, int& width, int& height);

// ---------------------------------------------------------------- text

struct PlatformFont;
// The five interface fonts made at start-up.
enum UiFontId : int { kUiFont8 = 0, kUiFont10 = 1, kUiFont12 = 2, kUiFont20 = 3, kUiFontBold13 = 4 };
PlatformFont* UiFont(int which);
// A font like the start-up ones: a pixel height and FontFlags; "Serif" in
// the family asks for a serif face.
PlatformFont* CreateUiFont(const char* familyName, int size, int32_t flags);
void DeleteUiFont(PlatformFont* font);
enum BackMode : int { kBackTransparent = 1, kBackOpaque = 2 };
// Selects the font for DrawText and TextWidth (null restores the previous
// one); -1 leaves the background colour or mode unchanged.
void SelectFont(PlatformFont* font, int64_t backColour, int backMode);
// Alignment: 0 left, 2 right, 6 centre; y is the top of the text.
enum TextAlignment : int { kTextLeft = 0, kTextRight = 2, kTextCenter = 6 };
void DrawText(uint32_t colour, const char* text, int32_t x, int32_t y, int alignment);
int TextWidth(const char* text);
