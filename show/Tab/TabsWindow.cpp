// The property tabs window: creation, layout beside the preview, the tab
// strip, slider drags, the text field and clicks on the pages.
#include "TabsWindow.h"

#include <algorithm>

#include "Evaluate.h"
#include "TabControls.h"
#include "TabPages.h"
#include "Utilities.h"

namespace {

constexpr int kTabs = 4;
constexpr const char* kTabCaptions[kTabs] = {"Style", "Grids", "Sets", "Text"};
constexpr int kPageRows[kTabs] = {11, 9, 16, 8};
constexpr int32_t kTabHeight = 24;
constexpr int32_t kTabCorner = 12;
constexpr int32_t kTabGap = 2;
constexpr int32_t kCaptionTop = 2;
constexpr int32_t kPageTop = 18;
constexpr int32_t kPreviewGap = 8;
constexpr int32_t kSliderGroove = 62;
constexpr int kFieldCapacity = 64;

}  // namespace

// ---------------------------------------------------------------- rows

int TabRowAt(int32_t y) {
    return y < kFirstRowTop ? kNoRow : (y - kFirstRowTop) / kRowHeight;
}

int TabPageRows(int page) {
    return page >= 0 && page < kTabs ? kPageRows[page] : 0;
}

int32_t* TabSliderField(Show& show, int page, int row, int* scale) {
    struct Slider {
        int page;
        int row;
        int32_t Show::*field;
        int scale;
    };
    static constexpr Slider kSliders[] = {
        {kPageStyle, 5, &Show::visibility, 100},  {kPageStyle, 6, &Show::lighting, 3},
        {kPageStyle, 8, &Show::chartWidth, 100},  {kPageStyle, 9, &Show::chartHeight, 100},
        {kPageStyle, 10, &Show::antiAliasing, 4}, {kPageGrids, 1, &Show::gridLines, 16},
        {kPageGrids, 3, &Show::tickLines, 16},    {kPageGrids, 4, &Show::tickLength, 100},
        {kPageSets, 2, &Show::barWidth, 100},     {kPageSets, 3, &Show::barDepth, 100},
        {kPageText, 7, &Show::titleSpacing, 100},
    };
    for (const Slider& s : kSliders) {
        if (s.page == page && s.row == row) {
            if (scale) {
                *scale = s.scale;
            }
            return &(show.*s.field);
        }
    }
    return nullptr;
}

bool IsTabFieldRow(int page, int row) {
    return (page == kPageSets && (row == 14 || row == 15)) || (page == kPageText && row >= 2 && row <= 4);
}

bool TabClickModifies(int page, int row) {
    // Every row but the Spacing slider's (clicks on the Grids page count up
    // to row 9, one below its last).
    const int last[kTabs] = {10, 9, 15, 6};
    return page >= 0 && page < kTabs && row >= 0 && row <= last[page];
}

int32_t SliderValueAt(int32_t pointerX, int32_t anchorX) {
    return std::clamp((pointerX - tabs::kControlGap - anchorX) * 100 / kSliderGroove, 0, 100);
}

// ---------------------------------------------------------------- life

TabsWindow::~TabsWindow() {
    Destroy();
}

bool TabsWindow::Create(PlatformWindow& parentWindow, TabsOwner* editorOwner, PlatformWindow* previewWindow) {
    parent = &parentWindow;
    owner = editorOwner;
    preview = previewWindow;
    currentPage = kPageStyle;
    editedRow = kNoRow;
    liveUpdate = 1;
    if (!CreatePlatformWindow(*this, parent, kWindowPopup)) {
        return false;
    }
    field = PlatformEdit{};
    ShowPlatformWindow(*this, kWindowShown);
    Layout();
    return true;
}

void TabsWindow::Destroy() {
    DestroyTextField(field);
    if (native) {
        DestroyPlatformWindow(*this);
    }
}

void TabsWindow::Layout() {
    Rect r{0, 0, 640, 480};
    if (parent && parent->native && preview && preview->native) {
        const Rect p = GetWindowRect(*parent);
        const Rect v = GetWindowRect(*preview);
        r = Rect{p.left + (p.right - p.left) / 30, v.top, v.left - kPreviewGap, v.bottom};
    }
    tabWidth = (r.right - r.left - 4) / kTabs;
    MoveWindowTo(*this, r, true);
}

int32_t TabsWindow::AnchorX() const {
    return GetClientRect(*this).right / 2;
}

// ---------------------------------------------------------------- painting

void TabsWindow::DrawTabs() {
    const Rect client = GetClientRect(*this);
    SelectFont(UiFont(kUiFont12), -1, kBackTransparent);
    for (int tab = 0; tab < kTabs; ++tab) {
        const int32_t left = tab * (tabWidth + kTabGap);
        const Rect r{left, 0, tab == kTabs - 1 ? client.right : left + tabWidth, kTabHeight};
        const bool selected = tab == currentPage;
        FillRoundRect(selected ? tabs::kPageColour : tabs::kOtherTab, r, kTabCorner);
        FrameRoundRect(tabs::kBlack, r, kTabCorner, 1, kPenSolid);
        DrawText(selected ? tabs::kBlack : tabs::kWhite, kTabCaptions[tab], RectCenterX(r), kCaptionTop, kTextCenter);
    }
    SelectFont(nullptr, -1, -1);
    const Rect page{0, kPageTop, client.right, client.bottom};
    FillRect(tabs::kPageColour, page);
    FrameRect(tabs::kBlack, page, 1, kPenSolid);
    const int32_t left = currentPage * (tabWidth + kTabGap);
    const int32_t right = currentPage == kTabs - 1 ? client.right - 1 : left + tabWidth - 1;
    DrawLine(tabs::kPageColour, left + 1, kPageTop, right, kPageTop, 1, kPenSolid);
}

void TabsWindow::Paint() {
    if (!native) {
        return;
    }
    PortScope scope(*this);
    const Rect client = GetClientRect(*this);
    TileResourceBitmap(Rect{0, 0, client.right, kTabHeight}, kPictureTile);
    DrawTabs();
    RedrawPage();
}

int TabsWindow::RedrawPage() {
    if (!native || !gShow) {
        return 0;
    }
    PortScope scope(*this);
    const Rect client = GetClientRect(*this);
    const int rows = TabPageRows(currentPage);
    // The controls' area is cleared first: controls draw over what was there.
    FillRect(tabs::kPageColour, Rect{1, kFirstRowTop - 2, client.right - 1, client.bottom - 1});
    tabs::DrawPage(*gShow, currentPage, AnchorX());
    const int32_t x = AnchorX();
    DrawLine(tabs::kBlack, x, kFirstRowTop, x, kFirstRowTop + kRowHeight * rows, 1, kPenSolid);
    return rows;
}

void TabsWindow::RepaintPreview() {
    if (owner) {
        owner->RepaintPreview();
    }
}

// ---------------------------------------------------------------- messages

intptr_t TabsWindow::OwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case kMsgLeftDown:
            LeftDown(PointParamX(lParam), PointParamY(lParam));
            return 1;
        case kMsgMouseMove:
            MouseMove(PointParamX(lParam), PointParamY(lParam));
            return 1;
        case kMsgLeftUp:
            LeftUp(PointParamX(lParam), PointParamY(lParam));
            return 1;
        case kCancelDrag:
            draggedSlider = kNoRow;
            return 1;
        case kMsgCommand:
        case kMsgRightUp:
            return 1;
        default:
            return 0;
    }
}

// ---------------------------------------------------------------- slider drag

void TabsWindow::LeftDown(int32_t x, int32_t y) {
    (void)x;
    const int row = TabRowAt(y);
    if (gShow && y >= kTabStripBottom && TabSliderField(*gShow, currentPage, row)) {
        draggedSlider = row;
    }
}

void TabsWindow::MouseMove(int32_t x, int32_t y) {
    (void)y;
    if (draggedSlider == kNoRow || !gShow) {
        return;
    }
    Show& show = *gShow;
    int32_t* field = TabSliderField(show, currentPage, draggedSlider);
    if (!field) {
        return;
    }
    const int32_t value = SliderValueAt(x, AnchorX());
    *field = value;
    if (currentPage == kPageStyle && field == &show.chartWidth) {
        show.current.width = static_cast<float>(0.5 + 0.005 * value);
    } else if (currentPage == kPageStyle && field == &show.chartHeight) {
        show.current.height = static_cast<float>(0.5 + 0.005 * value);
    }
    RedrawPage();
    if (liveUpdate) {
        RepaintPreview();
    }
}

// ---------------------------------------------------------------- text field

void TabsWindow::OpenField(int row) {
    if (!gShow || !IsTabFieldRow(currentPage, row)) {
        return;
    }
    DestroyTextField(field);
    const int32_t x = AnchorX() + tabs::kControlGap;
    if (!CreateTextField(field, *this, x, kFirstRowTop + 1 + kRowHeight * row, tabs::kFieldWidth, tabs::kFieldHeight,
                         kTabFieldId, UiFont(kUiFont12))) {
        return;
    }
    char text[kFieldCapacity];
    tabs::FieldText(*gShow, currentPage, row, text, sizeof(text));
    SetTextFieldText(field, text, true);
    ShowTextField(field);
    FocusTextField(field);
    editedRow = row;
}

void TabsWindow::CommitField() {
    if (editedRow == kNoRow) {
        return;
    }
    char text[kFieldCapacity] = {};
    GetTextFieldText(field, text, sizeof(text));
    DestroyTextField(field);
    if (gShow) {
        tabs::StoreFieldText(*gShow, currentPage, editedRow, text);
        gShow->modified = 1;
    }
    editedRow = kNoRow;
    RepaintPreview();
}

void TabsWindow::AbandonField() {
    if (editedRow == kNoRow) {
        return;
    }
    DestroyTextField(field);
    editedRow = kNoRow;
}

namespace {

// The page's field row after `row`, round to the first.
int NextFieldRow(int page, int row) {
    const int rows = TabPageRows(page);
    for (int step = 1; step <= rows; ++step) {
        const int next = (row + step) % rows;
        if (IsTabFieldRow(page, next)) {
            return next;
        }
    }
    return row;
}

}  // namespace

bool TabsWindow::FieldKey(uint32_t message, uintptr_t code) {
    if (message == kMsgChar) {
        const bool taken = takenCharacter_ != 0 && code == takenCharacter_;
        takenCharacter_ = 0;
        return taken;
    }
    if (editedRow == kNoRow || (code != kKeyReturn && code != kKeyTab && code != kKeyEscape)) {
        return false;
    }
    takenCharacter_ = static_cast<uint32_t>(code);
    const int row = editedRow;
    if (code == kKeyEscape) {
        AbandonField();
    } else {
        CommitField();
    }
    RedrawPage();
    if (code == kKeyTab) {
        OpenField(NextFieldRow(currentPage, row));
    }
    return true;
}

// ---------------------------------------------------------------- release

void TabsWindow::LeftUp(int32_t x, int32_t y) {
    draggedSlider = kNoRow;
    if (owner) {
        owner->CancelOtherDrags(this);
    }
    CommitField();
    const int row = TabRowAt(y);
    if (y >= kTabStripBottom && IsTabFieldRow(currentPage, row)) {
        OpenField(row);
    }
    if (y < kTabStripBottom) {
        currentPage = std::clamp(tabWidth > 0 ? x / tabWidth : 0, 0, kTabs - 1);
        Paint();
        RepaintPreview();
        return;
    }
    ClickRow(row, y);
}

void TabsWindow::ClickRow(int row, int32_t y) {
    if (!gShow || row == kNoRow) {
        return;
    }
    Show& show = *gShow;
    if (!TabSliderField(show, currentPage, row) && !IsTabFieldRow(currentPage, row)) {
        tabs::ClickPlace place;
        place.chooserOwner = preview;
        place.chooserY = y;
        place.fontOwner = this;
        tabs::ClickPage(show, currentPage, row, place);
    }
    if (TabClickModifies(currentPage, row)) {
        show.modified = 1;
    }
    RedrawPage();
    RepaintPreview();
}
