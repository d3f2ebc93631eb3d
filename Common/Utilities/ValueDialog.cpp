// The value dialog: a titled box of rows (text, check box, radio, slider,
// colour and folder items) drawn into the owner window, with OK, Cancel and
// an optional Apply button, running its own loop on the platform's queue.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "DialogParts.h"
#include "Dialogs.h"
#include "Utilities.h"

namespace {

using namespace dialog;

enum class ItemKind { Text, Check, GreyedCheck, Radio, Slider, Colour, Folder };

// Layout in pixels, from the dialog's left and top.
constexpr int kRowTop = 36;        // first item row
constexpr int kRowHeight = 20;     // one item row
constexpr int kTitleMargin = 24;   // box width beyond its title
constexpr int kFieldHeight = 16;   // a field within its row
constexpr int kBoxExtra = 78;      // box height beyond the rows
constexpr int kLabelGap = 12;      // label column's right edge, after the widest label
constexpr int kFieldGap = 16;      // field column's left edge, after the widest label
constexpr int kRadioTextGap = 30;  // radio label, after the widest label
constexpr int kButtonWidth = 60;
constexpr int kButtonHeight = 16;
constexpr int kButtonCorner = 10;
constexpr int kApplyZone = 80;     // Apply answers presses left of a + 80
constexpr int kSliderNumber = 19;  // room right of a slider for its number
constexpr int kSliderSpan = 34;    // label width not covered by the slider
constexpr int kTextFieldId = 123456;
constexpr const char* kFolderFilter = "All Files (*.*)|*.*|";
constexpr const char* kFolderExtension = ".bmp";
constexpr const char* kChooseColourTitle = "Choose Color";
constexpr int kOpen = -1;  // the dialog's result while it runs

struct ValueDialog {
    PlatformWindow* owner = nullptr;
    int a = 0;
    int b = 0;
    int n = 0;
    bool apply = false;
    DialogSlot* labels = nullptr;
    DialogSlot* values = nullptr;
    const char* title = "";
    int w = 0;      // the widest label, prefix included
    int width = 0;  // the box: two label widths, or wider for a long title
    PlatformEdit field;
    int editing = -1;   // the item whose text field is open
    int dragging = -1;  // the slider being dragged
    int result = kOpen;
};

ItemKind KindOf(const char* label) {
    if (label[0] != '@') {
        return ItemKind::Text;
    }
    switch (label[1]) {
        case 'C':
            return ItemKind::Check;
        case 'D':
            return ItemKind::GreyedCheck;
        case 'R':
            return ItemKind::Radio;
        case 'S':
            return ItemKind::Slider;
        case 'L':
            return ItemKind::Colour;
        case 'F':
            return ItemKind::Folder;
        default:
            return ItemKind::Text;
    }
}

// The label as shown: without its two-character prefix.
const char* ShownLabel(const char* label) {
    return KindOf(label) == ItemKind::Text ? label : label + 2;
}

// A radio label's caption (before "|") and own label (after it).
void SplitRadioLabel(const char* label, std::string& caption, std::string& own) {
    const char* text = label + 2;
    const char* bar = std::strchr(text, '|');
    caption = bar ? std::string(text, bar) : std::string();
    own = bar ? bar + 1 : text;
}

// A colour value that is not a number is black.
int32_t ColourValue(const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return end == text ? 0 : static_cast<int32_t>(value);
}

bool Marked(const char* value) {
    return value[0] != '\0';
}

void SetValue(DialogSlot& slot, const char* text) {
    std::snprintf(slot, kDialogSlotSize, "%s", text);
}

// ---------------------------------------------------------------- layout

int BoxWidth(int widestLabel, int titleWidth) {
    return std::max(2 * widestLabel + 16, titleWidth + kTitleMargin);
}

int BoxHeight(int rows) {
    return kRowHeight * rows + kBoxExtra;
}

Rect BoxRect(const ValueDialog& d) {
    return Rect{d.a, d.b, d.a + d.width, d.b + BoxHeight(d.n)};
}

int RowTop(const ValueDialog& d, int row) {
    return d.b + kRowTop + kRowHeight * row;
}

Rect FieldRect(const ValueDialog& d, int item) {
    const int top = RowTop(d, item);
    return Rect{d.a + d.w + kFieldGap, top, d.a + 2 * d.w + 8, top + kFieldHeight};
}

Rect ButtonRect(int x, int top) {
    return Rect{x, top, x + kButtonWidth, top + kButtonHeight};
}

int OkCancelLeft(const ValueDialog& d) {
    return d.a + d.width - 68;
}

int RadioCount(const ValueDialog& d) {
    int count = 0;
    for (int k = 0; k < d.n; ++k) {
        count += KindOf(d.labels[k]) == ItemKind::Radio ? 1 : 0;
    }
    return count;
}

// The slider value for a pointer x: 0..100, the limits when there is no
// usable slider width.
int SliderValueAt(const ValueDialog& d, int px) {
    const double span = d.w - kSliderSpan;
    const double offset = px - (d.a + d.w) - kFieldGap;
    double f = span > 0 ? offset / span : (offset > 0 ? 1.0 : 0.0);
    f = std::clamp(f, 0.0, 1.0);
    return static_cast<int>(f * 100);
}

// ---------------------------------------------------------------- drawing

void DrawTitle(const ValueDialog& d) {
    FillRoundRect(kBlack, Rect{d.a + 8, d.b + 8, d.a + d.width - 8, d.b + 24}, 4);
    DrawText(kWhite, d.title, d.a + d.width / 2, d.b + 9, kTextCenter);
}

// The caption bracket left of a radio group's marks.
void DrawRadioBracket(const ValueDialog& d, const Rect& f, const std::string& caption) {
    const int r = RadioCount(d);
    const int left = f.left - TextWidth(caption.c_str());
    const int fb = f.bottom;
    const int gapTop = fb + 10 * (r - 1) - 16;
    const int gapBottom = fb + 10 * (r - 1);
    const int bottom = fb + 20 * (r - 1) - 8;
    DrawLine(kBlack, left, fb - 8, left, gapTop, 1, kPenSolid);
    DrawLine(kBlack, left, gapBottom, left, bottom, 1, kPenSolid);
    DrawLine(kBlack, left, fb - 8, f.left - 8, fb - 8, 1, kPenSolid);
    DrawLine(kBlack, left, bottom, f.left - 8, bottom, 1, kPenSolid);
    DrawText(kBlack, caption.c_str(), left, gapBottom - 14, kTextCenter);
}

void DrawRadioItem(const ValueDialog& d, int item, const Rect& f, bool& bracketDrawn) {
    std::string caption;
    std::string own;
    SplitRadioLabel(d.labels[item], caption, own);
    DrawRadioMark(kBlack, Rect{f.left, f.bottom - 12, f.left + 9, f.bottom - 3}, Marked(d.values[item]));
    DrawText(kBlack, own.c_str(), d.a + d.w + kRadioTextGap, f.bottom - 14, kTextLeft);
    if (!caption.empty() && !bracketDrawn) {
        DrawRadioBracket(d, f, caption);
        bracketDrawn = true;
    }
}

void DrawFolderItem(const ValueDialog& d, int item, const Rect& f) {
    FillRect(kFolderGrey, f);
    FrameRect(kBlack, f, 1, kPenSolid);
    char path[kDialogSlotSize];
    SetValue(path, d.values[item]);
    ShortenToWidth(
        path, (f.right - f.left) - 9, "...", [](const char* text) { return TextWidth(text); }, kDialogSlotSize);
    DrawText(kBlack, path, f.left + 4, f.bottom - 14, kTextLeft);
}

void DrawItem(const ValueDialog& d, int item, bool& bracketDrawn) {
    const Rect f = FieldRect(d, item);
    const char* label = d.labels[item];
    const char* value = d.values[item];
    const ItemKind kind = KindOf(label);
    if (kind != ItemKind::Radio) {
        const uint32_t ink = kind == ItemKind::GreyedCheck ? kDisabledGrey : kBlack;
        DrawText(ink, ShownLabel(label), d.a + d.w + kLabelGap, f.bottom - 14, kTextRight);
    }
    switch (kind) {
        case ItemKind::Text:
            FillRect(kWhite, f);
            FrameRect(kBlack, f, 1, kPenSolid);
            DrawText(kBlack, value, f.left + 4, f.bottom - 14, kTextLeft);
            break;
        case ItemKind::Check:
            DrawCheckBox(kWhite, Rect{f.left, f.bottom - 14, f.left + 12, f.bottom - 2}, Marked(value));
            break;
        case ItemKind::GreyedCheck:
            DrawCheckBox(kLightGrey, Rect{f.left, f.bottom - 14, f.left + 12, f.bottom - 2}, Marked(value));
            break;
        case ItemKind::Radio:
            DrawRadioItem(d, item, f, bracketDrawn);
            break;
        case ItemKind::Slider:
            DrawPercentSlider(kLightGrey, kTrackGrey, Rect{f.left, f.top + 5, f.right - kSliderNumber, f.bottom},
                              std::atoi(value), 100, true);
            break;
        case ItemKind::Colour:
            FillRect(static_cast<uint32_t>(ColourValue(value)), f);
            FrameRect(kBlack, f, 1, kPenSolid);
            break;
        case ItemKind::Folder:
            DrawFolderItem(d, item, f);
            break;
    }
}

void DrawButton(int x, int top, const char* word) {
    FrameRoundRect(kBlack, ButtonRect(x, top), kButtonCorner, 1, kPenSolid);
    DrawText(kBlack, word, x + kButtonWidth / 2, top + 2, kTextCenter);
}

void DrawValueDialog(const ValueDialog& d) {
    PortScope port(*d.owner);
    FontScope font(kUiFont10);
    DrawBox(BoxRect(d));
    DrawTitle(d);
    bool bracketDrawn = false;
    for (int k = 0; k < d.n; ++k) {
        DrawItem(d, k, bracketDrawn);
    }
    DrawButton(OkCancelLeft(d), RowTop(d, d.n), "OK");
    DrawButton(OkCancelLeft(d), RowTop(d, d.n + 1), "Cancel");
    if (d.apply) {
        DrawButton(d.a + 8, RowTop(d, d.n + 1), "Apply");
    }
}

// ---------------------------------------------------------------- behaviour

// Stores an open text field's text into its item and closes the field.
void CloseTextField(ValueDialog& d) {
    if (TextFieldExists(d.field)) {
        if (d.editing >= 0) {
            GetTextFieldText(d.field, d.values[d.editing], kDialogSlotSize);
        }
        DestroyTextField(d.field);
    }
    d.editing = -1;
}

void Close(ValueDialog& d, int result) {
    CloseTextField(d);
    d.result = result;
}

void OpenTextField(ValueDialog& d, int item) {
    DrawValueDialog(d);
    if (CreateTextField(d.field, *d.owner, d.a + d.w + 15, RowTop(d, item), d.w - 8, 20, kTextFieldId,
                        UiFont(kUiFont10))) {
        SetTextFieldText(d.field, d.values[item], true);
        FocusTextField(d.field);
        d.editing = item;
    }
}

void ChooseColourItem(ValueDialog& d, int item) {
    int32_t colour = ColourValue(d.values[item]);
    RunColorChooser(d.owner, d.a, d.b, &colour, nullptr, kChooseColourTitle);
    std::snprintf(d.values[item], kDialogSlotSize, "%ld", static_cast<long>(colour));
}

void ChooseFolderItem(ValueDialog& d, int item) {
    FileSpec file{};
    const std::string start = d.values[item];
    if (ChooseFileToOpen(d.owner, file, kFolderFilter, ShownLabel(d.labels[item]), start.c_str(), kFolderExtension)) {
        SetValue(d.values[item], FolderOf(file.name).c_str());
    }
}

void PressItem(ValueDialog& d, int item, int px) {
    switch (KindOf(d.labels[item])) {
        case ItemKind::Radio:
            for (int k = 0; k < d.n; ++k) {
                if (KindOf(d.labels[k]) == ItemKind::Radio) {
                    d.values[k][0] = '\0';
                }
            }
            SetValue(d.values[item], "1");
            break;
        case ItemKind::Check:
            SetValue(d.values[item], Marked(d.values[item]) ? "" : "1");
            break;
        case ItemKind::GreyedCheck:
            break;  // offered where it can be used only
        case ItemKind::Slider:
            d.dragging = item;
            std::snprintf(d.values[item], kDialogSlotSize, "%d", SliderValueAt(d, px));
            break;
        case ItemKind::Colour:
            ChooseColourItem(d, item);
            break;
        case ItemKind::Folder:
            ChooseFolderItem(d, item);
            break;
        case ItemKind::Text:
            OpenTextField(d, item);
            return;
    }
    DrawValueDialog(d);
}

bool Inside(const Rect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

void PressInOwner(ValueDialog& d, int px, int py) {
    CloseTextField(d);
    const int row = (py - d.b - kRowTop) / kRowHeight;
    if (row < 0) {
        DrawValueDialog(d);  // the text that was open shows as stored
        return;
    }
    if (!Inside(BoxRect(d), px, py)) {
        Close(d, kDialogCancel);
    } else if (row >= d.n) {
        if (d.apply && px < d.a + kApplyZone) {
            Close(d, kDialogApply);
        } else {
            Close(d, row == d.n ? kDialogOk : kDialogCancel);
        }
    } else if (px > d.a + d.w + kLabelGap) {
        PressItem(d, row, px);
    } else {
        DrawValueDialog(d);  // the text that was open shows as stored
    }
}

void DragSlider(ValueDialog& d, int px) {
    std::snprintf(d.values[d.dragging], kDialogSlotSize, "%d", SliderValueAt(d, px));
    DrawValueDialog(d);
}

void HandleKey(ValueDialog& d, uintptr_t key) {
    if (key == kKeyEscape) {
        Close(d, kDialogCancel);
    } else if (key == kKeyReturn) {
        Close(d, kDialogOk);
    }
}

void HandleEvent(ValueDialog& d, const PlatformEvent& e) {
    const int px = PointParamX(e.lParam);
    const int py = PointParamY(e.lParam);
    switch (e.message) {
        case kMsgLeftDown:
        case kMsgLeftDouble:
            if (e.window != d.owner) {
                Close(d, kDialogCancel);
            } else {
                PressInOwner(d, px, py);
            }
            break;
        case kMsgLeftUp:
            d.dragging = -1;
            break;
        case kMsgMouseMove:
            if (d.dragging >= 0 && e.window == d.owner) {
                DragSlider(d, px);
            }
            break;
        case kMsgKeyDown:
            HandleKey(d, e.wParam);
            break;
        case kMsgRightDown:
        case kMsgRightUp:
        case kMsgKeyUp:
        case kMsgChar:
        case kMsgCommand:
            break;  // no other command runs while the dialog is open
        default:
            if (EndsDialog(e)) {
                Close(d, kDialogCancel);
                break;
            }
            DispatchEvent(e);  // paints, sizes, timers
            if (e.window == d.owner && e.message == kMsgPaint) {
                DrawValueDialog(d);
            }
            break;
    }
}

int WidestLabel(int count, const DialogSlot* labels) {
    FontScope font(kUiFont10);
    int widest = 0;
    for (int k = 0; k < count; ++k) {
        widest = std::max(widest, TextWidth(labels[k]));
    }
    return widest;
}

int TitleWidth(const char* title) {
    FontScope font(kUiFont10);
    return TextWidth(title);
}

}  // namespace

Rect ValueDialogBox(PlatformWindow& owner, int x, int y, int itemCount, const DialogSlot* labels, const char* title) {
    const int count = std::abs(itemCount);
    int width = 0;
    {
        PortScope port(owner);
        width = BoxWidth(labels ? WidestLabel(count, labels) : 0, TitleWidth(title ? title : ""));
    }
    const int height = BoxHeight(count);
    PlaceInside(owner, width, height, x, y);
    return Rect{x, y, x + width, y + height};
}

int RunValueDialog(PlatformWindow* owner, int x, int y, int itemCount, DialogSlot* labels, DialogSlot* values,
                   const char* title) {
    if (!owner || !labels || !values) {
        return kDialogCancel;
    }
    ValueDialog d;
    d.owner = owner;
    d.n = std::abs(itemCount);
    d.apply = itemCount < 0;
    d.labels = labels;
    d.values = values;
    d.title = title ? title : "";
    {
        PortScope port(*owner);
        d.w = WidestLabel(d.n, labels);
    }
    const Rect box = ValueDialogBox(*owner, x, y, itemCount, labels, d.title);
    d.a = box.left;
    d.b = box.top;
    d.width = box.right - box.left;
    DrawValueDialog(d);
    while (d.result == kOpen) {
        PlatformEvent event;
        if (!WaitEvent(event)) {
            Close(d, kDialogCancel);  // the program is quitting
            break;
        }
        HandleEvent(d, event);
    }
    return d.result;
}
