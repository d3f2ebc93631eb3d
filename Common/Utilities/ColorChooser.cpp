// The colour and texture chooser: three sliders in RGB or HLS, a swatch,
// the mode radios, the texture box, a grey and a hue ramp, drawn into the
// owner window and run on the platform's queue. The mode is kept between
// openings. In Texture mode the sliders show and drag red, green and blue.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "DialogParts.h"
#include "Dialogs.h"
#include "Settings.h"
#include "SettingsKeys.h"
#include "Utilities.h"

namespace {

using namespace dialog;

// Layout in pixels, from the chooser's left and top.
constexpr int kBoxSize = 230;
constexpr int kContentTop = 40;  // ty - b
constexpr int kRowOrigin = 22;   // rows are counted from b + 22
constexpr int kRowHeight = 18;
constexpr int kSliderWidth = 70;
constexpr int kSliderHeight = 11;
constexpr int kSliderUnits = 35;   // pointer pixels per 100 slider units
constexpr int kNumberHeight = 16;  // a slider's number box: a line of the 10-pixel font and a margin
constexpr int kNumberAbove = 2;    // how far it reaches above the slider
constexpr int kRampCells = 32;
constexpr int kRampCellWidth = 8;
constexpr int kRampCellHeight = 19;
constexpr int kRadioSize = 11;
constexpr int kTextureNameWidth = 80;
constexpr int kButtonBandTop = 200;  // the buttons answer b + 200 < y < b + 220
constexpr int kButtonBandBottom = 220;
constexpr int kHlsScale = 240;
constexpr int kRgbScale = 255;
constexpr int kOpen = -1;

// Rows of the pointer.
constexpr int kLastSliderRow = 3;
constexpr int kFirstModeRow = 4;
constexpr int kTextureRow = 6;
constexpr int kGreyRampRow = 7;
constexpr int kHueRampRow = 8;

constexpr const char* kPictureTitle = "Choose Texture";
constexpr const char* kPictureExtension = ".tga";
constexpr const char* kPictureFilter =
    "All Graphics Files|*.bmp;*.tga;*.tif;*.jpg;*.psd;*.png"
    "|BMP Files (*.bmp)|*.bmp|Targa Files (*.tga)|*.tga|TIFF Files (*.tif)|*.tif"
    "|PNG Files (*.png)|*.png"
    "|Photoshop Files (*.psd)|*.psd"
    "|Jpeg Files (*.jpg)|*.jpg"
    "|All Files (*.*)|*.*|";

int gChooserMode = kChooserHls;

struct Chooser {
    PlatformWindow* owner = nullptr;
    int a = 0;
    int b = 0;
    int cx = 0;  // the centre line
    int ty = 0;  // the top of the contents
    int32_t* colour = nullptr;
    int32_t opening = 0;
    FileSpec* texture = nullptr;
    const char* title = "";
    int mode = kChooserHls;  // the mode shown: the kept one, HLS for Texture without a texture
    int dragging = -1;       // the slider being dragged
    bool pressed = false;    // a press came since the chooser opened
    int result = kOpen;
};

int Red(int32_t c) {
    return c & 0xFF;
}
int Green(int32_t c) {
    return (c >> 8) & 0xFF;
}
int Blue(int32_t c) {
    return (c >> 16) & 0xFF;
}
int32_t MakeColour(int red, int green, int blue) {
    return red | (green << 8) | (blue << 16);
}

bool HlsShown(const Chooser& d) {
    return d.mode == kChooserHls;
}

// The three slider values and their scale in the current mode.
void Components(const Chooser& d, int values[3], int& scale) {
    const int32_t c = *d.colour;
    if (HlsShown(d)) {
        RgbToHls(Red(c), Green(c), Blue(c), values[0], values[1], values[2]);
        scale = kHlsScale;
    } else {
        values[0] = Red(c);
        values[1] = Green(c);
        values[2] = Blue(c);
        scale = kRgbScale;
    }
}

// The texture's file name without folder and extension, or "None".
std::string TextureName(const FileSpec* texture) {
    if (!texture || texture->name[0] == '\0') {
        return "None";
    }
    std::string name(texture->name, strnlen(texture->name, sizeof(texture->name)));
    const size_t slash = name.find_last_of("/\\:");
    if (slash != std::string::npos) {
        name.erase(0, slash + 1);
    }
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name;
}

Rect BoxRect(const Chooser& d) {
    return Rect{d.a, d.b, d.a + kBoxSize, d.b + kBoxSize};
}

// ---------------------------------------------------------------- drawing

void DrawFrame(const Chooser& d) {
    DrawBox(BoxRect(d));
    FillRoundRect(kBlack, Rect{d.a + 4, d.b + 4, d.a + 226, d.b + 24}, 4);
    FontScope font(kUiFont10);
    DrawText(kWhite, d.title, d.cx, d.b + 6, kTextCenter);
}

// The component itself beside its slider, in the slider's own style (the
// slider's percentage would show 198 for a channel of 200), on a box a line
// of the 10-pixel font high so that no digit is cut off.
void DrawComponentNumber(const Rect& slider, int value) {
    char text[16];
    std::snprintf(text, sizeof(text), "%d", value);
    FillRect(kTrackGrey, Rect{slider.right, slider.top - kNumberAbove, slider.right + TextWidth("100") + 6,
                              slider.top - kNumberAbove + kNumberHeight});
    DrawText(kBlack, text, slider.right + 3, slider.top - kNumberAbove + 2, kTextLeft);
}

void DrawSliders(const Chooser& d) {
    static const char* const kHlsNames[3] = {"Hue", "Luminance", "Saturation"};
    static const char* const kRgbNames[3] = {"Red", "Green", "Blue"};
    int values[3];
    int scale = kRgbScale;
    Components(d, values, scale);
    const char* const* names = HlsShown(d) ? kHlsNames : kRgbNames;
    {
        FontScope bold(kUiFontBold13);
        for (int i = 0; i < 3; ++i) {
            DrawText(kBlack, names[i], d.cx - 8, d.ty + kRowHeight * i, kTextRight);
        }
    }
    FontScope font(kUiFont10);
    for (int i = 0; i < 3; ++i) {
        const int top = d.ty + kRowHeight * i + 3;
        const Rect slider{d.cx + 8, top, d.cx + 8 + kSliderWidth, top + kSliderHeight};
        DrawPercentSlider(kLightGrey, kTrackGrey, slider, values[i] * 100 / scale, scale, false);
        DrawComponentNumber(slider, values[i]);
    }
}

void DrawModes(const Chooser& d) {
    static const char* const kModeNames[3] = {"RGB", "HLS", "Texture"};
    FontScope font(kUiFont10);
    for (int mode = 0; mode < 3; ++mode) {
        const int top = d.ty + 57 + kRowHeight * mode;
        const Rect mark{d.cx + 8, top, d.cx + 8 + kRadioSize, top + kRadioSize};
        const bool usable = mode != kChooserTexture || d.texture;
        const uint32_t ink = usable ? kBlack : kDisabledGrey;
        FillOval(kLightGrey, mark);
        DrawRadioMark(ink, mark, d.mode == mode);
        DrawText(ink, kModeNames[mode], d.cx + 24, top - 1, kTextLeft);
    }
}

void DrawTextureBox(const Chooser& d) {
    const Rect box{d.cx - 100, d.ty + 90, d.cx - 8, d.ty + 106};
    const uint32_t ink = d.mode == kChooserTexture && d.texture ? kBlack : kDisabledGrey;
    FillRect(kLightGrey, box);
    FrameRoundRect(ink, box, 8, 1, kPenSolid);
    FontScope font(kUiFont10);
    char name[kDialogSlotSize];
    std::snprintf(name, sizeof(name), "%s", TextureName(d.texture).c_str());
    ShortenToWidth(
        name, kTextureNameWidth, "...", [](const char* text) { return TextWidth(text); }, sizeof(name));
    DrawText(ink, name, d.cx - 54, d.ty + 92, kTextCenter);
}

int RampCellLeft(const Chooser& d, int cell) {
    return d.cx - 100 + static_cast<int>(6.25 * cell);
}

void DrawRamps(const Chooser& d) {
    for (int i = 0; i < kRampCells; ++i) {
        const int x = RampCellLeft(d, i);
        const int grey = 8 * i;
        FillRect(static_cast<uint32_t>(MakeColour(grey, grey, grey)),
                 Rect{x, d.ty + 111, x + kRampCellWidth, d.ty + 111 + kRampCellHeight});
        int red = 0;
        int green = 0;
        int blue = 0;
        HlsToRgb(static_cast<int>(7.5 * i), 120, 240, red, green, blue);
        FillRect(static_cast<uint32_t>(MakeColour(red, green, blue)),
                 Rect{x, d.ty + 129, x + kRampCellWidth, d.ty + 129 + kRampCellHeight});
    }
}

void DrawButtons(const Chooser& d) {
    FontScope font(kUiFont10);
    FrameRoundRect(kBlack, Rect{d.cx - 30, d.ty + 166, d.cx + 40, d.ty + 181}, 8, 1, kPenSolid);
    DrawText(kBlack, "Cancel", d.cx + 5, d.ty + 167, kTextCenter);
    FrameRoundRect(kBlack, Rect{d.cx + 50, d.ty + 166, d.cx + 100, d.ty + 181}, 8, 1, kPenSolid);
    DrawText(kBlack, "OK", d.cx + 75, d.ty + 167, kTextCenter);
}

void DrawContents(const Chooser& d) {
    PortScope port(*d.owner);
    FillRect(kLightGrey, Rect{d.a + 1, d.b + 25, d.a + kBoxSize - 1, d.b + kBoxSize - 1});
    DrawSliders(d);
    const Rect swatch{d.cx - 40, d.ty + 58, d.cx - 8, d.ty + 86};
    FillRect(static_cast<uint32_t>(*d.colour), swatch);
    FrameRect(kBlack, swatch, 1, kPenSolid);
    DrawModes(d);
    DrawTextureBox(d);
    DrawRamps(d);
    DrawButtons(d);
}

void DrawChooser(const Chooser& d) {
    {
        PortScope port(*d.owner);
        DrawFrame(d);
    }
    DrawContents(d);
}

// ---------------------------------------------------------------- behaviour

int RowAt(const Chooser& d, int py) {
    const int row = (py - d.b - kRowOrigin) / kRowHeight;
    return row > 0 ? row : 0;
}

// Puts a dragged value into the slider's component.
void SetComponent(Chooser& d, int slider, int value) {
    const int32_t c = *d.colour;
    int parts[3] = {Red(c), Green(c), Blue(c)};
    if (HlsShown(d)) {
        int hls[3];
        RgbToHls(parts[0], parts[1], parts[2], hls[0], hls[1], hls[2]);
        hls[slider] = value;
        HlsToRgb(hls[0], hls[1], hls[2], parts[0], parts[1], parts[2]);
    } else {
        parts[slider] = value;
    }
    *d.colour = MakeColour(parts[0], parts[1], parts[2]);
}

void Drag(Chooser& d, int px) {
    const int limit = HlsShown(d) ? kHlsScale : kRgbScale;
    const int value = std::clamp((px - d.cx) * 100 / kSliderUnits, 0, limit);
    SetComponent(d, d.dragging, value);
    DrawContents(d);
}

void ChoosePicture(Chooser& d) {
    const std::string folder = ReadSettingString(kSettingTextureFolder, "");
    ReadSettingInt(kSettingTextureVrefnum, 0);  // volumes and directory numbers do not place a folder here
    ReadSettingInt(kSettingTextureParId, 0);
    FileSpec file{};
    if (ChooseFileToOpen(d.owner, file, kPictureFilter, kPictureTitle, folder.c_str(), kPictureExtension)) {
        *d.texture = file;
        WriteSettingString(kSettingTextureFolder, FolderOf(file.name).c_str());
        WriteSettingInt(kSettingTextureVrefnum, file.volume);
        WriteSettingInt(kSettingTextureParId, file.parentId);
    } else {
        d.texture->name[0] = '\0';  // the surface loses its texture
    }
    DrawChooser(d);
}

void Finish(Chooser& d, int result) {
    if (result == 0) {
        *d.colour = d.opening;
    }
    d.result = result;
}

void SetMode(Chooser& d, int mode) {
    if (!d.texture && mode == kChooserTexture) {
        mode = kChooserHls;
    }
    d.mode = mode;
    gChooserMode = mode;
}

// What a left release at (px, py) in the owner does.
void Release(Chooser& d, int px, int py) {
    const int row = RowAt(d, py);
    const bool inBand = py > d.b + kButtonBandTop && py < d.b + kButtonBandBottom;
    const Rect box = BoxRect(d);
    if (px < box.left || px >= box.right || py < box.top || py >= box.bottom) {
        Finish(d, 0);
    } else if (inBand && px > d.cx + 50 && px < d.cx + 100) {
        Finish(d, 1);
    } else if (inBand && px > d.cx - 30 && px < d.cx + 40) {
        Finish(d, 0);
    } else if (row >= kFirstModeRow && row <= kTextureRow && px > d.cx && px < d.cx + 20) {
        SetMode(d, row - kFirstModeRow);
    } else if (row == kTextureRow && px < d.cx && d.mode == kChooserTexture && d.texture) {
        ChoosePicture(d);
    } else if (row == kGreyRampRow) {
        const int grey = std::clamp(((px - d.cx) * 128 + 12800) / 100, 0, 255);
        *d.colour = MakeColour(grey, grey, grey);
    } else if (row == kHueRampRow) {
        const int hue = std::min(((px - d.cx) * 12 + 1200) / 10, 255);
        int red = 0;
        int green = 0;
        int blue = 0;
        HlsToRgb(hue, 120, 240, red, green, blue);
        *d.colour = MakeColour(red, green, blue);
    }
    if (d.result == kOpen) {
        DrawContents(d);
    }
}

void HandleEvent(Chooser& d, const PlatformEvent& e) {
    const int px = PointParamX(e.lParam);
    const int py = PointParamY(e.lParam);
    switch (e.message) {
        case kMsgLeftDown:
            d.pressed = true;
            if (e.window == d.owner && RowAt(d, py) <= kLastSliderRow) {
                d.dragging = std::max(RowAt(d, py) - 1, 0);
            }
            break;
        case kMsgMouseMove:
            if (d.dragging >= 0 && e.window == d.owner) {
                Drag(d, px);
            }
            break;
        case kMsgLeftUp:
            d.dragging = -1;
            if (!d.pressed) {
                // The release of the press that opened the chooser (from a
                // colour row) is no click in it.
            } else if (e.window != d.owner) {
                Finish(d, 0);
            } else {
                Release(d, px, py);
            }
            break;
        case kMsgKeyDown:
            if (e.wParam == kKeyEscape) {
                Finish(d, 0);
            } else if (e.wParam == kKeyReturn) {
                Finish(d, 1);
            }
            break;
        case kMsgLeftDouble:
        case kMsgRightDown:
        case kMsgRightUp:
        case kMsgKeyUp:
        case kMsgChar:
        case kMsgCommand:
            break;  // no other command runs while the chooser is open
        default:
            if (EndsDialog(e)) {
                Finish(d, 0);
                break;
            }
            DispatchEvent(e);  // paints, sizes, timers
            if (e.window == d.owner && e.message == kMsgPaint) {
                DrawChooser(d);
            }
            break;
    }
}

}  // namespace

int ColorChooserMode() {
    return gChooserMode;
}

void SetColorChooserMode(int mode) {
    gChooserMode = std::clamp(mode, static_cast<int>(kChooserRgb), static_cast<int>(kChooserTexture));
}

Rect ColorChooserBox(PlatformWindow& owner, int x, int y) {
    PlaceInside(owner, kBoxSize, kBoxSize, x, y);
    return Rect{x, y, x + kBoxSize, y + kBoxSize};
}

int RunColorChooser(PlatformWindow* owner, int x, int y, int32_t* colour, FileSpec* texture, const char* title) {
    if (!owner || !colour) {
        return 0;
    }
    const Rect box = ColorChooserBox(*owner, x, y);
    x = box.left;
    y = box.top;
    Chooser d;
    d.owner = owner;
    d.a = x;
    d.b = y;
    d.cx = x + kBoxSize / 2;
    d.ty = y + kContentTop;
    d.colour = colour;
    d.opening = *colour;
    d.texture = texture;
    d.title = title ? title : "";
    d.mode = !texture && gChooserMode == kChooserTexture ? kChooserHls : gChooserMode;
    DrawChooser(d);
    while (d.result == kOpen) {
        PlatformEvent event;
        if (!WaitEvent(event)) {
            Finish(d, 0);  // the program is quitting
            break;
        }
        HandleEvent(d, event);
    }
    PortScope port(*owner);
    FillRect(kLightGrey, Rect{d.a - 1, d.b - 1, d.a + kBoxSize + 1, d.b + kBoxSize + 1});
    return d.result;
}
