// Drawing into the current port and the interface fonts. Forward to the
// installed platform; no Qt here.
#pragma once

#include <cstdint>

#include "PlatformEvents.h"

class CDib;
struct DrawingPort;
struct PlatformFont;
using PlatformPort = DrawingPort*;

enum PenStyle : int { kPenSolid = 0, kPenDash = 1, kPenDot = 2 };
// Raster operations of DrawResourceBitmap.
enum : uint32_t { kRopCopy = 0x00CC0020, kRopAnd = 0x008800C6, kRopPaint = 0x00EE0086, kRopInvert = 0x00660046 };
// The five interface fonts made at start-up.
enum UiFontId : int { kUiFont8 = 0, kUiFont10 = 1, kUiFont12 = 2, kUiFont20 = 3, kUiFontBold13 = 4 };
enum BackMode : int { kBackTransparent = 1, kBackOpaque = 2 };
// Alignment of DrawText.
enum TextAlignment : int { kTextLeft = 0, kTextRight = 2, kTextCenter = 6 };

// The drawing calls (ports, shapes, resource pictures, pictures, pixels,
// the interface fonts and text), described in PlatformCalls.def.
#define PLATFORM_DRAWING(result, name, parameters, arguments) result name parameters;
#include "PlatformCalls.def"

// DrawLine between a rectangle's left-top and right-bottom corners.
void DrawLine(uint32_t colour, const Rect& rect, int penWidth, int penStyle);

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
