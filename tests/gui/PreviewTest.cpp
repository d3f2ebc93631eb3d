// The preview: spin and move drags through the queue, the tool-strip
// read-outs that follow them, and the data grid's editing and scrolling.
#include <QLineEdit>
#include <cstring>

#include "DemoShow.h"
#include "ProgramFixture.h"
#include "Utilities.h"

namespace {

class PreviewTest : public ProgramTest {
protected:
    void Press(int x, int y) {
        QTest::mousePress(HandleOf(Preview()), Qt::LeftButton, Qt::NoModifier, ClientToWindow(Preview(), x, y));
        DispatchPending();
    }
    void MoveTo(int x, int y) {
        QTest::mouseMove(HandleOf(Preview()), ClientToWindow(Preview(), x, y));
        DispatchPending();
    }
    void Release(int x, int y) {
        QTest::mouseRelease(HandleOf(Preview()), Qt::LeftButton, Qt::NoModifier, ClientToWindow(Preview(), x, y));
        DispatchPending();
    }
    int CellWidth() { return (GetClientRect(Preview()).right - 24) / 5; }
    // Clicks the middle of a grid cell on the screen's row `line`.
    void ClickCell(int column, int line) { ClickAt(Preview(), CellWidth() * column + 10, 19 + 14 * line + 6); }
    QLineEdit* Field() { return WidgetOf(Preview())->findChild<QLineEdit*>(); }
    void Type(const char* text) {
        QLineEdit* field = Field();
        ASSERT_NE(field, nullptr);
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }
};

// Whether the text drawn in the 12-pixel font at (x, y) over `background`
// is exactly what the main window's port holds there.
bool PortShowsText(PlatformWindow& window, const char* text, int x, int y, uint32_t background, bool opaque) {
    PlatformWindow scratch;
    if (!CreatePlatformWindow(scratch, nullptr, kWindowUnlisted)) {
        return false;
    }
    MoveWindowTo(scratch, 0, 0, 400, 100, false);
    ProcessPendingEvents();
    int width = 0;
    {
        PortScope scope(scratch);
        FillRect(background, Rect{0, 0, 400, 100});
        SelectFont(UiFont(kUiFont12), background, opaque ? kBackOpaque : kBackTransparent);
        width = TextWidth(text);
        DrawText(0, text, 10, 10, kTextLeft);
        SelectFont(nullptr, -1, -1);
    }
    bool same = width > 0;
    for (int dy = 0; dy < 14 && same; ++dy) {
        for (int dx = 0; dx < width && same; ++dx) {
            same = PortPixel(WindowPort(scratch), 10 + dx, 10 + dy) == PortPixel(WindowPort(window), x + dx, y + dy);
        }
    }
    DestroyPlatformWindow(scratch);
    return same;
}

TEST_F(PreviewTest, SpinDragFollowsThePointerAndClamps) {
    ASSERT_EQ(Preview().mode, PreviewMode::SpinChart);
    Press(200, 100);
    MoveTo(260, 130);
    EXPECT_FLOAT_EQ(TheShow().current.spin, 30.0f);
    EXPECT_FLOAT_EQ(TheShow().current.tilt, 15.0f);
    MoveTo(700, 100);
    EXPECT_FLOAT_EQ(TheShow().current.spin, 90.0f);
    MoveTo(-400, -100);
    EXPECT_FLOAT_EQ(TheShow().current.spin, -90.0f);
    EXPECT_FLOAT_EQ(TheShow().current.tilt, 0.0f);  // a bar chart tilts 0..90
    Release(-400, -100);
    MoveTo(300, 300);  // no drag any more
    EXPECT_FLOAT_EQ(TheShow().current.spin, -90.0f);
    const Rect& e = Window().previewEdges;
    const int panelLeft = (GetWindowRect(Window()).right - GetWindowRect(Window()).left) / 30;
    EXPECT_TRUE(PortShowsText(Window(), "-90,0", panelLeft + 40, e.bottom + 8 + 40, 0xC0C0C0, false));
}

TEST_F(PreviewTest, PieChartsTiltBothWays) {
    TheShow().style = ChartStyle::Pie;
    Press(100, 300);
    MoveTo(100, 0);
    EXPECT_FLOAT_EQ(TheShow().current.tilt, -90.0f);
    Release(100, 0);
}

TEST_F(PreviewTest, MoveDragKeepsThePointUnderThePointer) {
    ClickModeMark(0);
    ASSERT_EQ(Preview().mode, PreviewMode::MoveChart);
    const Rect client = GetClientRect(Preview());
    TheShow().current.x = 0.0f;
    TheShow().current.y = 0.0f;
    Press(100, 200);
    MoveTo(100 + client.right / 2, 200 - client.bottom / 4);
    EXPECT_NEAR(TheShow().current.x, 0.5, 0.002);
    EXPECT_NEAR(TheShow().current.y, 0.25, 0.004);
    Release(100 + client.right / 2, 200 - client.bottom / 4);
    TheShow().current.x = 0.5f;
    TheShow().current.y = 0.25f;
    Preview().Paint();
    const Rect& e = Window().previewEdges;
    const int panelLeft = (GetWindowRect(Window()).right - GetWindowRect(Window()).left) / 30;
    EXPECT_TRUE(PortShowsText(Window(), "500,250", panelLeft + 40, e.bottom + 8 + 6, 0xC0C0C0, false));
    EXPECT_TRUE(PortShowsText(Window(), "100,100", panelLeft + 40, e.bottom + 8 + 23, 0xC0C0C0, false));
}

TEST_F(PreviewTest, ReleaseInTheMainWindowCancelsThePreviewDrag) {
    Press(200, 100);
    EXPECT_NE(Preview().anchorX, kNoAnchor);
    SendEvent(&Window(), kMsgLeftUp, 0, MakePointParam(5, 5));
    EXPECT_EQ(Preview().anchorX, kNoAnchor);
}

TEST_F(PreviewTest, FrameCounterShowsTheTimecode) {
    ShowFrame(TheShow(), 45);
    const Rect box = Window().counterBox;
    const std::string text = TimecodeText(45, false, TheShow().frameRate);
    SelectFont(UiFont(kUiFont12), -1, -1);
    const int width = TextWidth(text.c_str());
    SelectFont(nullptr, -1, -1);
    EXPECT_TRUE(PortShowsText(Window(), text.c_str(), RectCenterX(box) - width / 2, box.bottom - 17, 0xFFFFFF, true));
}

TEST_F(PreviewTest, GridEditsReachTheShowAndSurviveAModeSwitch) {
    ClickModeMark(2);
    ASSERT_EQ(Preview().mode, PreviewMode::EditData);
    EXPECT_STREQ(Preview().grid.cells[1][1], "100.5");
    ClickCell(1, 1);
    ASSERT_NE(Field(), nullptr);
    EXPECT_EQ(Preview().grid.selectedColumn, 1);
    EXPECT_EQ(Preview().grid.selectedRow, 1);
    EXPECT_EQ(Field()->text().toStdString(), "100.5");
    Type("42.25");
    ClickCell(0, 0);  // commits the value, opens the title
    EXPECT_STREQ(Preview().grid.cells[1][1], "42.25");
    Type("Quarterly");
    ClickCell(1, 3);
    Type("");
    ClickModeMark(1);  // back to spinning: the grid is written into the show
    EXPECT_EQ(Field(), nullptr);
    EXPECT_FLOAT_EQ(TheShow().values[0][0], 42.25f);
    EXPECT_STREQ(TheShow().title, "Quarterly");
    EXPECT_FLOAT_EQ(TheShow().values[0][2], 0.0f);  // an empty cell is 0
    EXPECT_EQ(TheShow().modified, 1);
    ClickModeMark(2);
    EXPECT_STREQ(Preview().grid.cells[1][1], "42.25");
    EXPECT_STREQ(Preview().grid.cells[1][3], "");
    EXPECT_STREQ(Preview().grid.cells[0][0], "Quarterly");
}

TEST_F(PreviewTest, SavingFromTheGridSavesWhatWasTyped) {
    TempFolder folder;
    const std::string path = folder.File("typed.tvr");
    TheShow().showFile = MakeFileSpec(path.c_str());
    ClickModeMark(2);
    ClickCell(2, 4);
    Type("77.5");
    // Ctrl+S typed while the cell is being edited reaches the main window.
    QTest::keyClick(Field(), Qt::Key_S, Qt::ControlModifier);
    DispatchPending();
    EXPECT_TRUE(Preview().EditingData());
    const std::vector<uint8_t> bytes = ReadBytes(path);
    auto saved = CreateShow();
    ASSERT_TRUE(ReadShowImage(*saved, bytes.data(), static_cast<long>(bytes.size()), false));
    EXPECT_FLOAT_EQ(saved->values[1][3], 77.5f);
    EXPECT_EQ(TheShow().modified, 0);
}

TEST_F(PreviewTest, ClosingFromTheGridAsksAboutTypedData) {
    ClickModeMark(2);
    ClickCell(1, 1);
    Type("5");
    bool asked = false;
    WhenModal([&asked](QWidget* modal) {
        asked = true;
        QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
    });
    SendEvent(&Window(), kMsgClose, 0, 0);
    EXPECT_TRUE(asked);
    EXPECT_FLOAT_EQ(TheShow().values[0][0], 5.0f);
}

TEST_F(PreviewTest, EnteringAndLeavingTheGridKeepsEveryValue) {
    TheShow().values[1][4] = -0.25f;
    TheShow().values[2][7] = 2.01f;
    TheShow().values[3][31] = 1234.5678f;
    ClickModeMark(2);
    ClickModeMark(1);
    EXPECT_FLOAT_EQ(TheShow().values[1][4], -0.25f);
    EXPECT_FLOAT_EQ(TheShow().values[2][7], 2.01f);
    EXPECT_NEAR(TheShow().values[3][31], 1234.568f, 0.0005);
    EXPECT_EQ(TheShow().modified, 1);  // 1234.5678 was rounded to thousandths
}

TEST_F(PreviewTest, ScrolledGridOpensTheRowUnderTheClick) {
    ClickModeMark(2);
    Preview().grid.firstRow = 3;
    Preview().Paint();
    ClickCell(2, 0);
    EXPECT_EQ(Preview().grid.selectedRow, 3);
    EXPECT_EQ(Preview().grid.selectedColumn, 2);
    EXPECT_EQ(TextFieldRect(Preview().grid.field).top, 19);
    // The up mark in the row-number strip scrolls back one row.
    const Rect client = GetClientRect(Preview());
    ClickAt(Preview(), client.right - 12, 8);
    EXPECT_EQ(Preview().grid.firstRow, 2);
    EXPECT_NE(Field(), nullptr);  // a scroll click leaves the edit open
}

TEST_F(PreviewTest, EnterTabAndEscStayWithTheCellEditor) {
    ShowFrame(TheShow(), 45);
    const int keys = TheShow().keyCount;
    ClickModeMark(2);
    ClickCell(1, 1);
    Type("42");
    QTest::keyClick(Field(), Qt::Key_Return);
    DispatchPending();
    EXPECT_STREQ(Preview().grid.cells[1][1], "42");  // committed to the cell
    EXPECT_EQ(Field(), nullptr);
    EXPECT_EQ(TheShow().keyCount, keys);  // no key was planted
    EXPECT_EQ(gCurrentFrame, 45);         // and the frame stayed

    // Tab commits and opens the next cell to the right, then the next row.
    ClickCell(3, 1);
    Type("7");
    QTest::keyClick(Field(), Qt::Key_Tab);
    DispatchPending();
    EXPECT_STREQ(Preview().grid.cells[3][1], "7");
    ASSERT_NE(Field(), nullptr);
    EXPECT_EQ(Preview().grid.selectedColumn, 4);
    Type("8");
    QTest::keyClick(Field(), Qt::Key_Tab);
    DispatchPending();
    EXPECT_STREQ(Preview().grid.cells[4][1], "8");
    EXPECT_EQ(Preview().grid.selectedColumn, 0);
    EXPECT_EQ(Preview().grid.selectedRow, 2);
    ASSERT_NE(Field(), nullptr);
    EXPECT_EQ(Field()->text().toStdString(), Preview().grid.cells[0][2]);
    EXPECT_EQ(gCurrentFrame, 45);  // Tab did not jump to a key

    // Esc abandons what was typed.
    const std::string before = Preview().grid.cells[0][2];
    Type("thrown away");
    QTest::keyClick(Field(), Qt::Key_Escape);
    DispatchPending();
    EXPECT_EQ(Field(), nullptr);
    EXPECT_EQ(Preview().grid.cells[0][2], before);
    EXPECT_TRUE(Preview().EditingData());
}

TEST_F(PreviewTest, TheChartShowsTypedDataAsSoonAsTheGridIsLeft) {
    TheShow().animateData = 1;
    ShowFrame(TheShow(), 0);
    ClickModeMark(2);
    ClickCell(1, 1);
    for (const char* value : {"11", "12", "13"}) {
        Type(value);
        QTest::keyClick(Field(), Qt::Key_Tab);
        DispatchPending();
    }
    Type("14");
    ClickModeMark(1);
    float shown[kCategories];
    std::memcpy(shown, TheShow().currentValues, sizeof(shown));
    Evaluate(TheShow(), gCurrentFrame);  // what stepping the frame would show
    EXPECT_EQ(std::memcmp(shown, TheShow().currentValues, sizeof(shown)), 0);
    EXPECT_TRUE(shown[0] == 11.0f || shown[0] == 12.0f || shown[0] == 13.0f || shown[0] == 14.0f) << shown[0];
}

TEST_F(PreviewTest, TheOpenEditorFollowsItsCellWhenTheGridScrollsOrResizes) {
    ClickModeMark(2);
    Preview().grid.firstRow = 3;
    Preview().Paint();
    ClickCell(2, 1);  // row 4
    ASSERT_EQ(Preview().grid.selectedRow, 4);
    const Rect client = GetClientRect(Preview());
    ClickAt(Preview(), client.right - 12, 8);  // scrolls up one row
    EXPECT_EQ(Preview().grid.firstRow, 2);
    EXPECT_EQ(TextFieldRect(Preview().grid.field).top, 19 + 14 * 2);

    const Rect main = GetWindowRect(Window());
    MoveWindowTo(Window(), Rect{main.left, main.top, main.right + 200, main.bottom + 150}, true);
    ProcessPendingEvents();
    DispatchPending();
    const int cw = (GetClientRect(Preview()).right - 24) / 5;
    ASSERT_GT(cw, CellWidth() - 1);
    const Rect field = TextFieldRect(Preview().grid.field);
    EXPECT_EQ(field.left, cw * 2);
    EXPECT_EQ(field.right - field.left, cw + 1);
    EXPECT_EQ(field.top, 19 + 14 * 2);
}

TEST(GridText, ValuesShowAsShortDecimals) {
    char text[64];
    GridValueText(0.0f, text);
    EXPECT_STREQ(text, "");
    GridValueText(2.5f, text);
    EXPECT_STREQ(text, "2.5");
    GridValueText(3.0f, text);
    EXPECT_STREQ(text, "3");
    GridValueText(-0.25f, text);
    EXPECT_STREQ(text, "-0.25");
    GridValueText(2.01f, text);
    EXPECT_STREQ(text, "2.01");
}

}  // namespace

namespace {

// The preview's picture of a frame is the same whether the frame is reached
// by stepping from the one before or by a jump from far away.
TEST_F(PreviewTest, AFrameLooksTheSameAfterAJumpAsInSequence) {
    MakeDemoShow(TheShow());
    auto picture = [this]() {
        const Rect client = GetClientRect(Preview());
        std::vector<uint32_t> pixels;
        for (int y = 0; y < client.bottom; y += 2) {
            for (int x = 0; x < client.right; x += 2) {
                pixels.push_back(PortPixel(WindowPort(Preview()), x, y));
            }
        }
        return pixels;
    };
    ShowFrame(TheShow(), 139);
    ShowFrame(TheShow(), 140);
    const std::vector<uint32_t> stepped = picture();
    ShowFrame(TheShow(), 290);
    ShowFrame(TheShow(), 140);
    EXPECT_EQ(picture(), stepped);
    ShowFrame(TheShow(), 141);
    EXPECT_NE(picture(), stepped);
}

}  // namespace
