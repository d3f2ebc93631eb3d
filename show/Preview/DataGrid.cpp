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
constexpr int kFieldHeight = 15;

void CopySlot(char* to, const char* from) {
    std::snprintf(to, kTextSlot, "%s", from);
}

void DrawGridFrame(const Rect& c) {
    DrawResourceBitmap(Rect{c.left, c.top, 0, 0}, kPictureTile, kRopCopy);
    DrawResourceBitmap(Rect{c.right - 128, c.top, 0, 0}, kPictureTile, kRopCopy);
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
    // The open editor follows its cell when the grid scrolls or resizes.
    PlaceCellEditor();
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
    OpenCellEditor(column, row);
}

Rect PreviewWindow::CellEditorRect(int column, int row) const {
    const Rect c = GetClientRect(*this);
    const int cw = (c.right - kStrip) / kGridColumns;
    const int top = kHeader + kRowHeight * (row - grid.firstRow);
    return Rect{cw * column, top, cw * column + cw + 1, top + kFieldHeight};
}

void PreviewWindow::OpenCellEditor(int column, int row) {
    grid.selectedColumn = column;
    grid.selectedRow = row;
    const Rect r = CellEditorRect(column, row);
    CreateTextField(grid.field, *this, r.left, r.top, r.right - r.left, r.bottom - r.top, kGridFieldId,
                    UiFont(kUiFont12));
    SetTextFieldText(grid.field, grid.cells[column][row], true);
    // Show the selected row and column in the captions at once.
    PortScope scope(*this);
    DrawGrid();
}

void PreviewWindow::PlaceCellEditor() {
    const int column = grid.selectedColumn;
    const int row = grid.selectedRow;
    if (!TextFieldExists(grid.field) || column < 0 || row < 0) {
        return;
    }
    // A cell scrolled out of sight hides its editor until it comes back.
    const bool visible = row >= grid.firstRow && row < grid.endRow;
    const Rect r = CellEditorRect(column, row);
    PlaceTextField(grid.field, r.left, r.top, r.right - r.left, r.bottom - r.top, visible);
}

bool PreviewWindow::CellEditorKey(uint32_t message, uintptr_t code) {
    // The character of a key the editor took goes with it.
    if (message == kMsgChar) {
        const bool taken = grid.takenCharacter != 0 && code == grid.takenCharacter;
        grid.takenCharacter = 0;
        return taken;
    }
    if (!TextFieldExists(grid.field) || (code != kKeyReturn && code != kKeyTab && code != kKeyEscape)) {
        return false;
    }
    grid.takenCharacter = static_cast<uint32_t>(code);
    GridFieldKey(static_cast<uint32_t>(code));
    return true;
}

void PreviewWindow::GridFieldKey(uint32_t key) {
    const int column = grid.selectedColumn;
    const int row = grid.selectedRow;
    if (!TextFieldExists(grid.field) || column < 0 || row < 0) {
        return;
    }
    if (key == kKeyEscape) {
        DestroyTextField(grid.field);  // the typing is abandoned
    } else {
        CommitEdit();
    }
    // Tab goes on to the next cell to the right, then the next row.
    const int next = row * kGridColumns + column + 1;
    if (key == kKeyTab && next < kGridRows * kGridColumns) {
        ScrollGridTo(next / kGridColumns);
        OpenCellEditor(next % kGridColumns, next / kGridColumns);
        return;
    }
    PortScope scope(*this);
    DrawGrid();
}

void PreviewWindow::ScrollGridTo(int row) {
    if (row < grid.firstRow) {
        grid.firstRow = row;
    } else if (grid.endRow != kGridRows && row >= grid.endRow) {
        grid.firstRow = std::min(kGridRows - 1, grid.firstRow + row - grid.endRow + 1);
    }
}
