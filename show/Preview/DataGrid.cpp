// The data grid of the preview: five columns (labels and sets A-D) by 33
// rows (names and the 32 categories), drawn by the program, edited through
// one text field over the selected cell.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "InterfaceColors.h"
#include "PreviewWindow.h"
#include "Utilities.h"

namespace {

constexpr int kHeader = 19;
constexpr int kRowHeight = 14;
constexpr int kStrip = 24;
constexpr int kBackgroundTile = 113;

void CopySlot(char* to, const char* from) {
    std::snprintf(to, kTextSlot, "%s", from);
}

void DrawGridFrame(const Rect& c) {
    DrawResourceBitmap(Rect{c.left, c.top, 0, 0}, kBackgroundTile, kRopCopy);
    DrawResourceBitmap(Rect{c.right - 128, c.top, 0, 0}, kBackgroundTile, kRopCopy);
    const Rect strip{c.right - 25, c.top + 12, c.right + 1, c.bottom};
    FillRect(kInterfaceMidGrey, strip);
    FrameRect(kInterfaceBlack, strip, 1, kPenSolid);
    const Rect band{c.left, c.top, c.right - 1, c.top + kHeader};
    FillRoundRect(kInterfaceMidGrey, band, 12);
    FrameRoundRect(kInterfaceBlack, band, 12, 1, kPenSolid);
    FillRect(kInterfaceMidGrey, Rect{c.left + 1, c.top + 12, c.right - 2, c.top + 20});
    DrawLine(kInterfaceBlack, 0, c.top + 12, 0, c.top + 24, 1, kPenSolid);
    DrawLine(kInterfaceBlack, c.right - 1, c.top + 12, c.right - 1, c.bottom, 1, kPenSolid);
}

}  // namespace

void GridValueText(float value, char* out) {
    if (value == 0.0f) {
        out[0] = '\0';
        return;
    }
    DecimalText(value, out);
}

void PreviewWindow::LoadGrid(const Show& show) {
    CopySlot(grid.cells[0][0], show.title);
    for (int set = 1; set < kGridColumns; ++set) {
        CopySlot(grid.cells[set][0], show.setNames[set - 1]);
    }
    for (int row = 1; row < kGridRows; ++row) {
        CopySlot(grid.cells[0][row], show.labels[row - 1]);
        for (int set = 1; set < kGridColumns; ++set) {
            char text[kDecimalTextSize] = {};
            GridValueText(show.values[set - 1][row - 1], text);
            CopySlot(grid.cells[set][row], text);
        }
    }
}

void PreviewWindow::StoreGrid(Show& show) const {
    bool changed = false;
    auto putText = [&changed](char* slot, const char* text) {
        if (std::strncmp(slot, text, kTextSlot) != 0) {
            CopySlot(slot, text);
            changed = true;
        }
    };
    putText(show.title, grid.cells[0][0]);
    for (int set = 1; set < kGridColumns; ++set) {
        putText(show.setNames[set - 1], grid.cells[set][0]);
    }
    for (int row = 1; row < kGridRows; ++row) {
        putText(show.labels[row - 1], grid.cells[0][row]);
        for (int set = 1; set < kGridColumns; ++set) {
            const float value = static_cast<float>(ParseDecimal(grid.cells[set][row]));
            float& stored = show.values[set - 1][row - 1];
            if (stored != value) {
                stored = value;
                changed = true;
            }
        }
    }
    // Typed data is a change like any other: the show asks to be saved.
    if (changed) {
        show.modified = 1;
    }
}

void PreviewWindow::CommitEdit() {
    const int column = grid.selectedColumn;
    const int row = grid.selectedRow;
    if (TextFieldExists(grid.field) && column >= 0 && column < kGridColumns && row >= 0 && row < kGridRows) {
        GetTextFieldText(grid.field, grid.cells[column][row], kTextSlot);
    }
    DestroyTextField(grid.field);
}

void PreviewWindow::DrawGrid() {
    const Rect c = GetClientRect(*this);
    const int cw = (c.right - kStrip) / kGridColumns;
    DrawGridFrame(c);
    SelectFont(UiFont(kUiFont8), -1, kBackTransparent);
    if (grid.firstRow == 0) {
        DrawText(grid.selectedRow == 0 ? kInterfaceYellow : kInterfaceWhite, "Label", c.right - 13, c.top + 20,
                 kTextCenter);
    } else {
        FillTriangle(kInterfaceVeryLightGrey, c.right - 13, c.top + 10, 3, 90);
    }
    SelectFont(nullptr, -1, -1);
    SelectFont(UiFont(kUiFont12), -1, kBackTransparent);
    const char* captions[kGridColumns] = {"Label", "A", "B", "C", "D"};
    for (int n = 0; n < kGridColumns; ++n) {
        DrawText(grid.selectedColumn == n ? kInterfaceYellow : kInterfaceWhite, captions[n], c.left + n * cw + cw / 2,
                 c.top + 2, kTextCenter);
    }
    grid.endRow = kGridRows;
    for (int i = std::max(1, grid.firstRow); i < kGridRows; ++i) {
        const int y = c.top + kHeader + kRowHeight * (i - grid.firstRow);
        if (y > c.bottom - 28) {
            FillTriangle(kInterfaceVeryLightGrey, c.right - 12, y + 7, 3, 270);
            grid.endRow = i;
            break;
        }
        char number[16];
        std::snprintf(number, sizeof(number), "%d", i);
        DrawText(grid.selectedRow == i ? kInterfaceYellow : kInterfaceWhite, number, c.right - 12, y, kTextCenter);
    }
    const Rect cells{c.left, c.top + 18, c.right - kStrip, c.bottom};
    FillRect(kInterfaceWhite, cells);
    FrameRect(kInterfaceBlack, cells, 1, kPenSolid);
    for (int n = 1; n < kGridColumns; ++n) {
        DrawLine(kInterfaceLineGrey, c.left + n * cw, c.top + kHeader, c.left + n * cw, c.bottom, 1, kPenSolid);
    }
    for (int n = 1; n <= kGridRows - grid.firstRow; ++n) {
        const int y = c.top + kHeader + kRowHeight * n;
        DrawLine(kInterfaceLineGrey, c.left, y, c.right - kStrip - 1, y, 1, kPenSolid);
    }
    const TextMeasure measure = [](const char* text) { return TextWidth(text); };
    for (int n = 0; n < kGridColumns; ++n) {
        for (int k = grid.firstRow; k < kGridRows; ++k) {
            char text[kTextSlot];
            CopySlot(text, grid.cells[n][k]);
            ShortenToWidth(text, cw - 12, "...", measure, kTextSlot);
            DrawText(kInterfaceBlack, text, c.left + n * cw + 6, c.top + kHeader + kRowHeight * (k - grid.firstRow),
                     kTextLeft);
        }
    }
    SelectFont(nullptr, -1, -1);
}

void PreviewWindow::GridClick(int32_t x, int32_t y) {
    const Rect c = GetClientRect(*this);
    const int cw = std::max(1, (c.right - kStrip) / kGridColumns);
    if (c.right - kStrip < x && x < c.right && c.top < y && y < c.bottom) {
        if (grid.firstRow > 0 && y < c.top + 18) {
            grid.firstRow = std::max(0, grid.firstRow - 1);
            Paint();
        }
        if (grid.endRow != kGridRows && y > c.top + kHeader + kRowHeight * (grid.endRow - grid.firstRow)) {
            grid.firstRow = std::min(kGridRows - 1, grid.firstRow + 1);
            Paint();
        }
        return;
    }
    if (grid.selectedColumn >= 0 || grid.selectedRow >= 0) {
        CommitEdit();
    }
    {
        PortScope scope(*this);
        DrawGrid();
    }
    const int quotient = (y - kHeader) / kRowHeight;
    const int row = grid.firstRow + quotient;
    const int column = x / cw;
    if (quotient == -1 || row < 0 || row >= kGridRows || column < 0 || column >= kGridColumns) {
        grid.selectedColumn = grid.selectedRow = -1;
        return;
    }
    grid.selectedColumn = column;
    grid.selectedRow = row;
    CreateTextField(grid.field, *this, cw * column, kHeader + kRowHeight * (row - grid.firstRow), cw + 1, 15,
                    kGridFieldId, UiFont(kUiFont12));
    SetTextFieldText(grid.field, grid.cells[column][row], true);
    // Show the selected row and column in the captions at once.
    PortScope scope(*this);
    DrawGrid();
}
