// The property tabs: every page's controls through the queue (radio groups,
// check boxes, slider drags and their limits, the number and text fields
// with their commit rules), the tab strip, Animate Data's grey swatches and
// connector, and the font chooser.
#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <fstream>
#include <memory>

#include "Dialogs.h"
#include "Evaluate.h"
#include "OpenGL.h"
#include "ProgramFixture.h"
#include "TabControls.h"

namespace {

class TabsTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_NE(Window().Tabs(), nullptr);
        TheShow().modified = 0;
    }
    TabsWindow& Tabs() { return *Window().Tabs(); }
    int X() { return GetClientRect(Tabs()).right / 2; }
    int RowY(int row) { return kFirstRowTop + kRowHeight * row + 8; }
    QPoint At(int x, int y) {
        QWidget* widget = WidgetOf(Tabs());
        return widget->mapTo(widget->window(), QPoint(x, y));
    }
    void Press(int x, int y) {
        QTest::mousePress(HandleOf(Tabs()), Qt::LeftButton, Qt::NoModifier, At(x, y));
        DispatchPending();
    }
    void MoveTo(int x, int y) {
        QTest::mouseMove(HandleOf(Tabs()), At(x, y));
        DispatchPending();
    }
    void Release(int x, int y) {
        QTest::mouseRelease(HandleOf(Tabs()), Qt::LeftButton, Qt::NoModifier, At(x, y));
        DispatchPending();
    }
    void Click(int x, int y) {
        Press(x, y);
        Release(x, y);
    }
    void ClickRow(int row) { Click(X() + 14, RowY(row)); }
    void ShowPage(int page) {
        Click(Tabs().tabWidth * page + 10, 8);
        ASSERT_EQ(Tabs().currentPage, page);
    }
    QLineEdit* Field() { return WidgetOf(Tabs())->findChild<QLineEdit*>(); }
    void Type(const char* text) {
        QLineEdit* field = Field();
        ASSERT_NE(field, nullptr);
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }
    uint32_t PixelAt(int x, int y) { return PortPixel(WindowPort(Tabs()), x, y); }
};

TEST(TabRows, RowsSlidersAndFieldsOfEachPage) {
    EXPECT_EQ(TabRowAt(36), 0);
    EXPECT_EQ(TabRowAt(53), 0);
    EXPECT_EQ(TabRowAt(54), 1);
    EXPECT_EQ(TabRowAt(30), kNoRow);  // between the tabs and the first row
    EXPECT_EQ(TabPageRows(kPageStyle), 11);
    EXPECT_EQ(TabPageRows(kPageSets), 16);
    Show show;
    int scale = 0;
    EXPECT_EQ(TabSliderField(show, kPageStyle, 6, &scale), &show.lighting);
    EXPECT_EQ(scale, 3);
    EXPECT_EQ(TabSliderField(show, kPageGrids, 3, &scale), &show.tickLines);
    EXPECT_EQ(scale, 16);
    EXPECT_EQ(TabSliderField(show, kPageText, 7), &show.titleSpacing);
    EXPECT_EQ(TabSliderField(show, kPageStyle, 7), nullptr);
    EXPECT_TRUE(IsTabFieldRow(kPageSets, 15));
    EXPECT_TRUE(IsTabFieldRow(kPageText, 4));
    EXPECT_FALSE(IsTabFieldRow(kPageText, 5));
    EXPECT_TRUE(TabClickModifies(kPageText, 6));
    EXPECT_FALSE(TabClickModifies(kPageText, 7));  // the Spacing slider
    EXPECT_EQ(SliderValueAt(100, 100), 0);
    EXPECT_EQ(SliderValueAt(108 + 31, 100), 50);
    EXPECT_EQ(SliderValueAt(400, 100), 100);
}

TEST(TabControls, FontSummaryAndTextureName) {
    FontSpec font{};
    font.size = 12.7f;
    font.style = kFontBold | kFontUnderline;
    std::snprintf(font.face, sizeof(font.face), "Arial");
    char text[64];
    tabs::FontSummaryText(font, text, sizeof(text));
    EXPECT_STREQ(text, "Arial 12BU");
    const FileSpec texture = MakeFileSpec("/pictures/wood.grain.tga");
    tabs::TextureName(texture, text, sizeof(text));
    EXPECT_STREQ(text, "wood");
}

TEST_F(TabsTest, SitsLeftOfThePreviewAtItsHeight) {
    const Rect t = GetWindowRect(Tabs());
    const Rect p = GetWindowRect(Preview());
    EXPECT_EQ(t.right, p.left - 8);
    EXPECT_EQ(t.top, p.top);
    EXPECT_EQ(t.bottom, p.bottom);
    EXPECT_EQ(Tabs().tabWidth, (t.right - t.left - 4) / 4);
}

TEST_F(TabsTest, StylePageRadiosCheckBoxAndModifiedMark) {
    ClickRow(2);
    EXPECT_EQ(TheShow().style, ChartStyle::Line);
    EXPECT_TRUE(TheShow().modified);
    ClickRow(4);
    EXPECT_EQ(TheShow().style, ChartStyle::Pie);
    ClickRow(7);
    EXPECT_EQ(TheShow().seeVideo, 1);
    ClickRow(7);
    EXPECT_EQ(TheShow().seeVideo, 0);
    // The selected radio's dot is black, the others are empty.
    EXPECT_EQ(PixelAt(X() + 13, RowY(4) - 1), 0x000000u);
    EXPECT_NE(PixelAt(X() + 13, RowY(0) - 1), 0x000000u);
}

TEST_F(TabsTest, SliderDragsFollowThePointerWithinTheTrack) {
    Press(X() + 20, RowY(5));  // Visibility
    MoveTo(X() - 50, RowY(5));
    EXPECT_EQ(TheShow().visibility, 0);
    MoveTo(X() + 300, RowY(7));  // the row does not matter once dragging
    EXPECT_EQ(TheShow().visibility, 100);
    MoveTo(X() + 8 + 31, RowY(5));
    EXPECT_EQ(TheShow().visibility, 50);
    Release(X() + 8 + 31, RowY(5));
    MoveTo(X() + 8, RowY(5));
    EXPECT_EQ(TheShow().visibility, 50);  // released: no drag
    Press(X() + 20, RowY(8));             // Chart Width also sizes the live key
    MoveTo(X() + 8 + 62, RowY(8));
    EXPECT_EQ(TheShow().chartWidth, 100);
    MoveTo(X() + 8 + 31, RowY(8));
    EXPECT_FLOAT_EQ(TheShow().current.width, 0.75f);
    // A release over the preview ends the drag through CancelDrag.
    ClickAt(Preview(), 50, 50);
    EXPECT_EQ(Window().Tabs()->draggedSlider, kNoRow);
    const int32_t width = TheShow().chartWidth;
    MoveTo(X() + 8, RowY(8));
    EXPECT_EQ(TheShow().chartWidth, width);
    // A press off the sliders starts nothing.
    Press(X() + 20, RowY(7));
    EXPECT_EQ(Window().Tabs()->draggedSlider, kNoRow);
    Release(X() + 20, RowY(7));
}

TEST_F(TabsTest, GridsPageChecksAndSliders) {
    ShowPage(kPageGrids);
    ClickRow(6);
    EXPECT_EQ(TheShow().seeBack, 0);
    ClickRow(7);
    EXPECT_EQ(TheShow().seeLeft, 1);
    ClickRow(8);
    EXPECT_EQ(TheShow().seeBottom, 0);
    Press(X() + 20, RowY(3));  // tick lines
    MoveTo(X() + 8 + 62, RowY(3));
    Release(X() + 8 + 62, RowY(3));
    EXPECT_EQ(TheShow().tickLines, 100);
    EXPECT_EQ(TheShow().gridLines, 25);
}

TEST_F(TabsTest, AnimateDataGreysTheSetSwatchesAndShowsOne) {
    ShowPage(kPageSets);
    ClickRow(1);
    EXPECT_EQ(TheShow().placement, 1);
    ClickRow(7);  // set 2
    EXPECT_EQ(TheShow().showSet, 2);
    EXPECT_FLOAT_EQ(TheShow().current.dataSet, 2.0f);
    ClickRow(5);  // All
    EXPECT_EQ(TheShow().showSet, 0);
    const int swatchX = X() + 13;
    EXPECT_NE(PixelAt(swatchX, RowY(11)), tabs::kDisabledColour);
    EXPECT_NE(PixelAt(X() + 64, RowY(4) + 6), tabs::kBlack);  // connector unseen
    ClickRow(4);
    EXPECT_EQ(TheShow().animateData, 1);
    for (int row : {11, 12, 13}) {
        EXPECT_EQ(PixelAt(swatchX, RowY(row)), tabs::kDisabledColour) << row;
    }
    EXPECT_NE(PixelAt(swatchX, RowY(10)), tabs::kDisabledColour);
    EXPECT_EQ(PixelAt(X() + 64, RowY(4) + 6), tabs::kBlack);
    ClickRow(5);  // All shows set 1 while data is animated
    EXPECT_EQ(TheShow().showSet, 1);
    EXPECT_FLOAT_EQ(TheShow().current.dataSet, 0.0f);
}

TEST_F(TabsTest, DataMinAndMaxAreTypedAndCommittedByTheNextClick) {
    ShowPage(kPageSets);
    ClickRow(14);
    ASSERT_NE(Field(), nullptr);
    EXPECT_EQ(Field()->text().toStdString(), "100");
    EXPECT_EQ(Tabs().editedRow, 14);
    Type("12.5");
    ClickRow(15);  // stores Min and opens Max
    EXPECT_FLOAT_EQ(TheShow().dataMin, 12.5f);
    EXPECT_TRUE(TheShow().modified);
    ASSERT_NE(Field(), nullptr);
    EXPECT_EQ(Field()->text().toStdString(), "104");
    Type("abc");
    Click(X() - 30, RowY(2));                  // the Width slider's row: no drag without a move
    EXPECT_FLOAT_EQ(TheShow().dataMax, 0.0f);  // not a number: 0
    EXPECT_EQ(Field(), nullptr);
    EXPECT_EQ(Tabs().editedRow, kNoRow);
}

// Keys typed in a field are the field's: Enter stores it (and sets no key,
// moves no time), Tab stores it and goes on to the page's next field, Esc
// leaves the value as it was.
TEST_F(TabsTest, EnterTabAndEscInAFieldCommitMoveOnAndAbandon) {
    ShowFrame(TheShow(), 100);
    ShowPage(kPageSets);
    ClickRow(14);
    Type("50");
    QTest::keyClick(Field(), Qt::Key_Return);
    DispatchPending();
    EXPECT_FLOAT_EQ(TheShow().dataMin, 50.0f);
    EXPECT_EQ(TheShow().keyCount, 1);
    EXPECT_EQ(gCurrentFrame, 100);
    EXPECT_EQ(Field(), nullptr);
    EXPECT_EQ(Tabs().editedRow, kNoRow);

    ClickRow(14);
    Type("60");
    QTest::keyClick(Field(), Qt::Key_Tab);
    DispatchPending();
    EXPECT_FLOAT_EQ(TheShow().dataMin, 60.0f);
    ASSERT_NE(Field(), nullptr);
    EXPECT_EQ(Tabs().editedRow, 15);
    EXPECT_EQ(Field()->text().toStdString(), "104");
    Type("99");
    QTest::keyClick(Field(), Qt::Key_Escape);
    DispatchPending();
    EXPECT_FLOAT_EQ(TheShow().dataMax, 104.0f);
    EXPECT_EQ(Field(), nullptr);
    EXPECT_EQ(gCurrentFrame, 100);
    EXPECT_EQ(TheShow().keyCount, 1);

    // Tab from the last field of the Text page goes round to the first.
    ShowPage(kPageText);
    ClickRow(4);
    Type("%");
    QTest::keyClick(Field(), Qt::Key_Tab);
    DispatchPending();
    EXPECT_STREQ(TheShow().suffix, "%");
    EXPECT_EQ(Tabs().editedRow, 2);
    // Without a field open, Enter is the program's key again.
    QTest::keyClick(Field(), Qt::Key_Escape);
    DispatchPending();
    QTest::keyClick(HandleOf(Tabs()), Qt::Key_Return);
    DispatchPending();
    EXPECT_EQ(TheShow().keyCount, 2);
}

TEST_F(TabsTest, TextPageDecimalsPrefixSuffixAndTabSwitchCommits) {
    ShowPage(kPageText);
    ClickRow(2);
    EXPECT_EQ(Field()->text().toStdString(), "2");
    Type("3.9");
    ClickRow(3);
    EXPECT_EQ(TheShow().decimalPlaces, 3);
    Type("$");
    ClickRow(4);
    EXPECT_STREQ(TheShow().prefix, "$");
    Type(std::string(80, 'm').c_str());
    Click(Tabs().tabWidth * 0 + 10, 8);  // the tab strip: commits, then switches
    EXPECT_EQ(Tabs().currentPage, kPageStyle);
    EXPECT_EQ(std::string(TheShow().suffix), std::string(63, 'm'));
    EXPECT_EQ(Field(), nullptr);
    // Saving commits an open field too.
    ShowPage(kPageText);
    ClickRow(4);
    Type("%");
    Window().CommitEditors();
    EXPECT_STREQ(TheShow().suffix, "%");
}

// The colour chooser opens over the preview at the panel's pointer height.
class TabsChooserTest : public TabsTest {
protected:
    void SetUp() override {
        TabsTest::SetUp();
        SetColorChooserMode(kChooserHls);
        // A chooser that waits longer than a test gives it fails the test.
        watchdog_ = std::make_unique<QTimer>();
        watchdog_->setSingleShot(true);
        QObject::connect(watchdog_.get(), &QTimer::timeout, [this]() {
            QWidget* modal = QApplication::activeModalWidget();
            ADD_FAILURE() << "the chooser was still open" << (modal ? " under a modal dialog" : "");
            if (modal) {
                QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
            }
            PostEvent(&Preview(), kMsgKeyDown, kKeyEscape, 0);
        });
        watchdog_->start(8000);
    }
    void TearDown() override {
        watchdog_.reset();
        SetColorChooserMode(kChooserHls);
        TabsTest::TearDown();
    }
    std::unique_ptr<QTimer> watchdog_;
    void PostClick(int x, int y) {
        PostEvent(&Preview(), kMsgLeftDown, kMouseLeft, MakePointParam(x, y));
        PostEvent(&Preview(), kMsgLeftUp, 0, MakePointParam(x, y));
    }
    // Where the chooser opened from `row` stands: at the row's height,
    // moved up as far as the preview needs.
    Rect ChooserAt(int row) { return ColorChooserBox(Preview(), 0, RowY(row)); }
    // Grey 128 from the grey ramp, then OK, for a chooser opened from `row`.
    void PostGreyAndOk(int row) {
        const Rect box = ChooserAt(row);
        PostClick(box.left + kChooserCentre, box.top + 40 + 120);
        PostOk(row);
    }
    void PostOk(int row) {
        const Rect box = ChooserAt(row);
        PostClick(box.left + kChooserCentre + 75, box.top + 210);
    }
    void ReleaseOnRow(int row) {
        SendEvent(&Tabs(), kMsgLeftUp, 0, MakePointParam(X() + 14, RowY(row)));
        DispatchPending();
    }
    static constexpr int kChooserCentre = 115;
};

TEST_F(TabsChooserTest, SwatchesRunTheChooserOverThePreview) {
    ShowPage(kPageGrids);
    PostGreyAndOk(0);
    ReleaseOnRow(0);
    EXPECT_EQ(TheShow().gridColor, 0x808080u);
    EXPECT_TRUE(TheShow().modified);
    EXPECT_EQ(PixelAt(X() + 13, RowY(0)), 0x808080u);
    ShowPage(kPageText);
    PostGreyAndOk(5);
    ReleaseOnRow(5);  // the title font's colour
    EXPECT_EQ(TheShow().titleFont.color, 0x808080u);
}

// At 1024 x 768 with a 16:9 preview the chooser of set 4 would reach below
// the preview: it opens moved up, wholly inside, and its OK takes the colour.
TEST_F(TabsChooserTest, EverySetColourIsChosenAt1024x768InSixteenByNine) {
    MoveWindowTo(Window(), 0, 0, 1024, 768, true);
    DispatchPending();
    Choose(kCmdAspect169);
    DispatchPending();
    ShowPage(kPageSets);
    const Rect preview = GetClientRect(Preview());
    for (int set = 0; set < 4; ++set) {
        SCOPED_TRACE(set);
        const int row = 10 + set;
        const Rect box = ChooserAt(row);
        EXPECT_GE(box.top, 0);
        EXPECT_LE(box.bottom, preview.bottom);
        EXPECT_LE(box.right, preview.right);
        PostGreyAndOk(row);
        ReleaseOnRow(row);
        EXPECT_EQ(TheShow().setColors[set], 0x808080u);
        TheShow().setColors[set] = 0x0000FFu;
    }
    EXPECT_GT(RowY(13) + 230, preview.bottom) << "set 4's row is low enough to need the move";
    // Enter answers OK as well.
    PostClick(ChooserAt(13).left + kChooserCentre, ChooserAt(13).top + 40 + 120);
    PostEvent(&Preview(), kMsgKeyDown, kKeyReturn, 0);
    ReleaseOnRow(13);
    EXPECT_EQ(TheShow().setColors[3], 0x808080u);
}

TEST_F(TabsChooserTest, AWallTextureIsChosenAndNamedBesideTheSwatch) {
    TempFolder folder;
    const std::string picture = folder.File("oak.grain.tga");
    {
        // A 2 x 2 uncompressed 24-bit Targa: the preview draws the wall with it.
        std::ofstream file(picture, std::ios::binary);
        const unsigned char header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0};
        file.write(reinterpret_cast<const char*>(header), sizeof(header));
        const std::string pixels(12, '\x60');
        file.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    }
    ShowPage(kPageGrids);
    SetColorChooserMode(kChooserTexture);
    WhenModal([this, picture](QWidget* modal) {
        // Typed into the name field as a user would: selecting the file
        // before the dialog has listed its folder is not always taken.
        AnswerFileDialog(modal, picture);
        PostOk(5);
    });
    PostClick(ChooserAt(5).left + kChooserCentre - 54, ChooserAt(5).top + 40 + 98);  // the texture box
    ReleaseOnRow(5);
    EXPECT_STREQ(TheShow().wallsTexture.name, picture.c_str());
    const Rect nameBox{X() + 24, RowY(5) - 5, X() + 94, RowY(5) + 9};
    EXPECT_GT(CountOtherPixels(WindowPort(Tabs()), nameBox, tabs::kPageColour), 20);
}

TEST_F(TabsChooserTest, AnimatedDataLeavesSetsTwoToFourAlone) {
    ShowPage(kPageSets);
    ClickRow(4);
    ASSERT_EQ(TheShow().animateData, 1);
    const uint32_t second = TheShow().setColors[1];
    PostGreyAndOk(11);  // would set grey if a chooser opened
    ReleaseOnRow(11);
    EXPECT_EQ(TheShow().setColors[1], second);
    PostGreyAndOk(10);  // set 1 still chooses
    ReleaseOnRow(10);
    EXPECT_EQ(TheShow().setColors[0], 0x808080u);
}

TEST_F(TabsTest, FontRowOpensTheFontChooser) {
    ShowPage(kPageText);
    WhenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<QFontDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        QFont font(QStringLiteral("Liberation Serif"));
        font.setPixelSize(20);
        font.setBold(true);
        dialog->setCurrentFont(font);
        dialog->accept();
    });
    ClickRow(6);  // the title font's "Spec" row
    EXPECT_STREQ(TheShow().titleFont.face, "Liberation Serif");
    EXPECT_EQ(TheShow().titleFont.style & kFontBold, kFontBold);
    EXPECT_TRUE(TheShow().modified);
}

// The font chooser lists a family that two foundries make with the foundry
// ("Nimbus Sans Narrow [urw]"): the show stores the family fontconfig
// matches, and the chart measures and draws that narrow face, not a wide
// fallback.
TEST_F(TabsTest, TheFontChosenIsTheFontDrawn) {
    ShowPage(kPageText);
    WhenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<QFontDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        QFont font(QStringLiteral("Nimbus Sans Narrow [urw]"));
        font.setPixelSize(20);
        dialog->setCurrentFont(font);
        dialog->accept();
    });
    ClickRow(6);  // the title font's "Spec" row
    EXPECT_STREQ(TheShow().titleFont.face, "Nimbus Sans Narrow");
    ASSERT_NE(TheShow().renderer, nullptr);
    ChartFont drawn{};
    std::snprintf(drawn.face, sizeof(drawn.face), "%s", TheShow().titleFont.face);
    drawn.size = 12.0f;
    ChartFont wide = drawn;
    std::snprintf(wide.face, sizeof(wide.face), "DejaVu Sans");
    ChartFont narrow = drawn;
    std::snprintf(narrow.face, sizeof(narrow.face), "Nimbus Sans Narrow");
    GLRenderer& r = *TheShow().renderer;
    EXPECT_FLOAT_EQ(TextWidth3D(r, "Regional Sales", drawn), TextWidth3D(r, "Regional Sales", narrow));
    EXPECT_LT(TextWidth3D(r, "Regional Sales", drawn), 0.9f * TextWidth3D(r, "Regional Sales", wide));
    EXPECT_NE(MatchFontFile(TheShow().titleFont.face, 0, nullptr).find("NimbusSansNarrow"), std::string::npos);
}

}  // namespace
