// The Qt platform layer: plain helpers, the message queue and its loops,
// key translation, menus, drawing into ports, the text field and dialogs.
#include <QAbstractButton>
#include <QApplication>
#include <QFontDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "CDib.h"
#include "GuiSupport.h"

// The layer's own entry for queueing a message with a key-press number.
void QueueEvent(PlatformWindow* window, uint32_t message, uintptr_t wParam, intptr_t lParam, uint32_t keyPress);

namespace {

class TestWindow : public PlatformWindow {
public:
    intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        received.push_back(message);
        lastW = wParam;
        return 1;
    }
    std::vector<uint32_t> received;
    uintptr_t lastW = 0;
};

class PlatformTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        ASSERT_TRUE(CreatePlatformWindow(window_, nullptr, kWindowOverlapped));
        MoveWindowTo(window_, 10, 10, 330, 250, true);
        ShowAndActivate(window_);
        TakeAll();
    }
    void TearDown() override {
        DestroyPlatformWindow(window_);
        GuiTest::TearDown();
    }
    std::vector<PlatformEvent> KeyMessages() {
        std::vector<PlatformEvent> keys;
        for (const PlatformEvent& e : TakeAll()) {
            const bool modifier = e.message == kMsgKeyDown && (e.wParam == kKeyShift || e.wParam == kKeyControl);
            if ((e.message == kMsgKeyDown || e.message == kMsgChar) && !modifier) {
                keys.push_back(e);
            }
        }
        return keys;
    }
    TestWindow window_;
};

TEST(PlatformText, MenuLabelsShowTheirShortcut) {
    EXPECT_EQ(MenuItemText("Load Show/O"), "Load Show\tCtrl+O");
    EXPECT_EQ(MenuItemText("Delete"), "Delete");
    EXPECT_EQ(MenuItemText("Odd/"), "Odd\tCtrl+");
    EXPECT_EQ(MenuItemText(nullptr), "");
}

TEST(PlatformText, FiltersBecomeToolkitFilters) {
    EXPECT_EQ(ConvertFileFilter("Tab Delimited Files (*.txt)|*.txt|All Files (*.*)|*.*|"),
              "Tab Delimited Files (*.txt);;All Files (*)");
    EXPECT_EQ(ConvertFileFilter("Tavrilo Files (*.tvr)|*.tvr"), "Tavrilo Files (*.tvr)");
    EXPECT_EQ(ConvertFileFilter("All Graphics|*.bmp;*.tga|"), "All Graphics (*.bmp *.tga)");
    EXPECT_EQ(ConvertFileFilter("AVI Files (*.avi)|*.avi|All Files *.*|*.*||"), "AVI Files (*.avi);;All Files *.* (*)");
    EXPECT_EQ(ConvertFileFilter(""), "");
}

TEST(PlatformText, MessagesFontSizesAndFolders) {
    EXPECT_EQ(MessageText("Disk full", 28), "Disk full  [ 28 ]");
    EXPECT_EQ(MessageText("Done", kNoNumber), "Done");
    EXPECT_EQ(PointsToHeight(12.0f), 16);
    EXPECT_EQ(PointsToHeight(10.0f), 13);
    EXPECT_FLOAT_EQ(HeightToPoints(-16), 12.0f);
    EXPECT_FLOAT_EQ(HeightToPoints(13), 10.0f);
    EXPECT_EQ(TrimFolder("/home/me/"), "/home/me");
    EXPECT_EQ(TrimFolder("/"), "/");
}

TEST_F(PlatformTest, PeekTakesInputAndLeavesOtherMessagesQueued) {
    PostEvent(&window_, kMsgSize, 0, MakePointParam(10, 20));
    PostEvent(&window_, kCancelDrag, 0, 0);
    PostEvent(&window_, kMsgCommand, 2005, 0);
    PlatformEvent event;
    ASSERT_TRUE(PeekEvent(event));
    EXPECT_EQ(event.message, kMsgCommand);
    EXPECT_EQ(event.wParam, 2005u);
    EXPECT_FALSE(PeekEvent(event));
    EXPECT_EQ(PendingEventCount(), 2);
    ASSERT_TRUE(WaitEvent(event));
    EXPECT_EQ(event.message, kMsgSize);
    EXPECT_EQ(PointParamX(event.lParam), 10);
    EXPECT_EQ(PointParamY(event.lParam), 20);
}

TEST_F(PlatformTest, QuitComesLastAndEndsTheLoopWithItsCode) {
    PostQuit(7);
    PostEvent(&window_, kMsgCommand, 1, 0);
    PlatformEvent event;
    ASSERT_TRUE(WaitEvent(event));
    EXPECT_EQ(event.message, kMsgCommand);
    EXPECT_FALSE(WaitEvent(event));
    EXPECT_EQ(RunMessageLoop(true), 7);
    EXPECT_EQ(PendingEventCount(), 0);
}

TEST_F(PlatformTest, MainLoopDispatchesOnlyListedWindows) {
    TestWindow hidden;
    ASSERT_TRUE(CreatePlatformWindow(hidden, nullptr, kWindowUnlisted));
    EXPECT_FALSE(IsListedWindow(&hidden));
    EXPECT_TRUE(IsListedWindow(&window_));
    PostEvent(&hidden, kMsgCommand, 1, 0);
    PostEvent(&window_, kMsgCommand, 2, 0);
    PostQuit(0);
    RunMessageLoop(true);
    EXPECT_TRUE(hidden.received.empty());
    ASSERT_EQ(window_.received.size(), 1u);
    EXPECT_EQ(window_.lastW, 2u);
    DestroyPlatformWindow(hidden);
}

TEST_F(PlatformTest, MessagesOfADestroyedWindowAreDropped) {
    auto* doomed = new TestWindow;
    ASSERT_TRUE(CreatePlatformWindow(*doomed, nullptr, 0));
    PostEvent(doomed, kMsgCommand, 1, 0);
    const int listed = ListedWindowCount();
    delete doomed;
    EXPECT_EQ(ListedWindowCount(), listed - 1);
    EXPECT_EQ(PendingEventCount(), 0);
}

TEST_F(PlatformTest, KeysCarryVirtualCodesAndCharacters) {
    QTest::keyClick(HandleOf(window_), Qt::Key_L);
    auto keys = KeyMessages();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].message, kMsgKeyDown);
    EXPECT_EQ(keys[0].wParam, 76u);
    EXPECT_EQ(keys[1].message, kMsgChar);
    EXPECT_EQ(keys[1].wParam, 108u);
    EXPECT_EQ(keys[0].keyPress, keys[1].keyPress);

    QTest::keyClick(HandleOf(window_), Qt::Key_S, Qt::ControlModifier);
    keys = KeyMessages();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].wParam, 83u);
    EXPECT_EQ(keys[1].wParam, 19u);  // Ctrl+S

    QTest::keyClick(HandleOf(window_), Qt::Key_Delete);
    keys = KeyMessages();
    ASSERT_EQ(keys.size(), 1u);  // no character for Delete
    EXPECT_EQ(keys[0].wParam, 46u);

    QTest::keyClick(HandleOf(window_), Qt::Key_F1);
    keys = KeyMessages();
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].wParam, 112u);
}

TEST_F(PlatformTest, KeypadAndPunctuationKeys) {
    QTest::keyClick(HandleOf(window_), Qt::Key_0, Qt::KeypadModifier);
    auto keys = KeyMessages();
    ASSERT_GE(keys.size(), 1u);
    EXPECT_EQ(keys[0].wParam, 96u);
    QTest::keyClick(HandleOf(window_), Qt::Key_Plus, Qt::KeypadModifier);
    keys = KeyMessages();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].wParam, 107u);
    EXPECT_EQ(keys[1].wParam, 43u);
    QTest::keyClick(HandleOf(window_), Qt::Key_NumberSign, Qt::ShiftModifier);
    keys = KeyMessages();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].wParam, 51u);
    EXPECT_EQ(keys[1].wParam, 35u);
    QTest::keyClick(HandleOf(window_), Qt::Key_Tab);
    keys = KeyMessages();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[1].wParam, 9u);
}

TEST_F(PlatformTest, PeekRemovesAKeyWithItsCharacter) {
    QTest::keyClick(HandleOf(window_), Qt::Key_K);
    QTest::keyClick(HandleOf(window_), Qt::Key_J);
    PlatformEvent event;
    ASSERT_TRUE(PeekEvent(event));
    EXPECT_EQ(event.message, kMsgKeyDown);
    EXPECT_EQ(event.wParam, 75u);
    ASSERT_TRUE(PeekEvent(event));
    EXPECT_EQ(event.message, kMsgKeyUp);  // the K's release; its character went with it
    ASSERT_TRUE(PeekEvent(event));
    EXPECT_EQ(event.wParam, 74u);
}

TEST_F(PlatformTest, DrainKeysDropsPiledUpRepeatsOnly) {
    struct Drainer : PlatformWindow {
        intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
            seen.push_back(static_cast<uint32_t>(wParam));
            DrainKeys();
            return 1;
        }
        std::vector<uint32_t> seen;
    } drainer;
    ASSERT_TRUE(CreatePlatformWindow(drainer, nullptr, 0));
    // A held "+" repeated while the first press was handled: the repeats
    // go, the first press's own character and a new key stay.
    QueueEvent(&drainer, kMsgKeyDown, 187, 1, 900001);
    QueueEvent(&drainer, kMsgChar, 43, 1, 900001);
    QueueEvent(&drainer, kMsgKeyDown, 187, 1 | kKeyRepeatBit, 900002);
    QueueEvent(&drainer, kMsgChar, 43, 1, 900002);
    QueueEvent(&drainer, kMsgKeyDown, 187, 1 | kKeyRepeatBit, 900003);
    QueueEvent(&drainer, kMsgChar, 43, 1, 900003);
    QueueEvent(&drainer, kMsgKeyDown, 65, 1, 900004);
    QueueEvent(&drainer, kMsgChar, 97, 1, 900004);
    DispatchPending();
    EXPECT_EQ(drainer.seen, (std::vector<uint32_t>{187, 43, 65, 97}));
    DestroyPlatformWindow(drainer);
}

TEST_F(PlatformTest, MouseMessagesUseClientCoordinatesAndCoalesce) {
    QTest::mouseMove(HandleOf(window_), QPoint(40, 50));
    QTest::mouseMove(HandleOf(window_), QPoint(41, 52));
    QTest::mousePress(HandleOf(window_), Qt::LeftButton, Qt::NoModifier, QPoint(41, 52));
    QTest::mouseRelease(HandleOf(window_), Qt::LeftButton, Qt::NoModifier, QPoint(41, 52));
    std::vector<PlatformEvent> mouse;
    for (const PlatformEvent& e : TakeAll()) {
        if (e.message >= kMsgMouseMove && e.message <= kMsgRightUp) {
            mouse.push_back(e);
        }
    }
    ASSERT_EQ(mouse.size(), 3u);
    EXPECT_EQ(mouse[0].message, kMsgMouseMove);
    EXPECT_EQ(PointParamX(mouse[0].lParam), 41);
    EXPECT_EQ(PointParamY(mouse[0].lParam), 52);
    EXPECT_EQ(mouse[1].message, kMsgLeftDown);
    EXPECT_EQ(mouse[1].wParam & kMouseLeft, kMouseLeft);
    EXPECT_EQ(mouse[2].message, kMsgLeftUp);
}

TEST_F(PlatformTest, CloseBoxPostsCloseAndKeepsTheWindow) {
    WidgetOf(window_)->close();
    auto events = TakeAll();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().message, kMsgClose);
    EXPECT_TRUE(IsWindowVisible(window_));
}

TEST_F(PlatformTest, MenusShowShortcutsStatesAndPostCommands) {
    PlatformMenu menu;
    ASSERT_TRUE(CreateMenuBar(menu, window_));
    AddMenu(menu, "File", 0);
    AddMenuItem(menu, 2004, "Load Show/O", 0);
    AddMenuItem(menu, kMenuSeparator, "", 0);
    AddMenuItem(menu, 1015, "NTSC", kMenuChecked);
    AddMenu(menu, "Edit", 0);
    AddMenuItem(menu, 9004, "Undo/Z", kMenuGreyed);
    EXPECT_EQ(MenuTitles(menu), (std::vector<std::string>{"File", "Edit"}));
    EXPECT_EQ(MenuCommands(menu, 0), (std::vector<int>{2004, kMenuSeparator, 1015}));
    std::string text;
    int32_t options = 0;
    ASSERT_TRUE(GetMenuItemState(menu, 2004, text, options));
    EXPECT_EQ(text, "Load Show\tCtrl+O");
    EXPECT_EQ(options, 0);
    ASSERT_TRUE(GetMenuItemState(menu, 1015, text, options));
    EXPECT_EQ(options, kMenuChecked);
    CheckMenuItem(menu, 1015, false);
    ASSERT_TRUE(GetMenuItemState(menu, 1015, text, options));
    EXPECT_EQ(options, 0);
    EXPECT_FALSE(ChooseMenuItem(menu, 9004));  // greyed
    SetMenuItemState(menu, 9004, 0);
    ASSERT_TRUE(GetMenuItemState(menu, 9004, text, options));
    EXPECT_EQ(text, "Undo\tCtrl+Z");
    EXPECT_TRUE(ChooseMenuItem(menu, 9004));
    auto events = TakeAll();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().message, kMsgCommand);
    EXPECT_EQ(events.back().wParam, 9004u);
    EXPECT_EQ(GetClientRect(window_).bottom + MenuBarHeight(), WidgetOf(window_)->height());
}

TEST_F(PlatformTest, ShapesLandInThePort) {
    PortScope scope(window_);
    PlatformPort port = GetPort();
    ASSERT_NE(port, nullptr);
    FillRect(0x0000FF, Rect{0, 0, 20, 10});  // red
    EXPECT_EQ(PortPixel(port, 0, 0), 0x0000FFu);
    EXPECT_EQ(PortPixel(port, 19, 9), 0x0000FFu);
    EXPECT_NE(PortPixel(port, 20, 9), 0x0000FFu);
    EXPECT_EQ(CountPixels(port, Rect{0, 0, 20, 10}, 0x0000FF), 200);

    FillRect(0xFFFFFF, Rect{30, 0, 60, 20});
    FrameRect(0, Rect{30, 0, 60, 20}, 1, kPenSolid);
    EXPECT_EQ(PortPixel(port, 30, 0), 0u);
    EXPECT_EQ(PortPixel(port, 59, 19), 0u);
    EXPECT_EQ(PortPixel(port, 31, 1), 0xFFFFFFu);

    const Rect ring{70, 0, 110, 30};
    FillRect(0x808080, ring);
    InvertOval(ring, 1, kPenSolid);
    EXPECT_GT(CountOtherPixels(port, ring, 0x808080), 20);
    InvertOval(ring, 1, kPenSolid);
    EXPECT_EQ(CountOtherPixels(port, ring, 0x808080), 0);

    FillRect(0xFFFFFF, Rect{0, 40, 40, 80});
    FillTriangle(0, 20, 60, 5, 270);  // apex down
    EXPECT_EQ(PortPixel(port, 20, 63), 0u);
    EXPECT_EQ(PortPixel(port, 20, 56), 0xFFFFFFu);
}

TEST_F(PlatformTest, TextIsDrawnAndMeasured) {
    PortScope scope(window_);
    FillRect(0xFFFFFF, Rect{0, 0, 200, 40});
    SelectFont(UiFont(kUiFont12), -1, kBackTransparent);
    const int width = TextWidth("Pos 500,250");
    EXPECT_GT(width, 30);
    EXPECT_EQ(TextWidth(""), 0);
    EXPECT_EQ(TextWidth(nullptr), 0);
    DrawText(0, "Pos 500,250", 100, 5, kTextRight);
    EXPECT_GT(CountOtherPixels(GetPort(), Rect{100 - width, 5, 100, 20}, 0xFFFFFF), 20);
    EXPECT_EQ(CountOtherPixels(GetPort(), Rect{101, 0, 200, 40}, 0xFFFFFF), 0);
    SelectFont(UiFont(kUiFont20), -1, -1);
    EXPECT_GT(TextWidth("Pos 500,250"), width);
    SelectFont(nullptr, -1, -1);
    EXPECT_EQ(TextWidth("Pos 500,250"), width);
}

// A slider's number stands on its own box, at least a line of the font
// high: none of its digits spills out of the box onto what lies around, even
// beside a track lower than the font (the tabs' 12-pixel font by an
// 11-pixel track).
TEST_F(PlatformTest, SliderNumbersStayInsideTheirBox) {
    PortScope scope(window_);
    PlatformPort port = GetPort();
    const uint32_t white = 0xFFFFFF;
    const uint32_t track = 0x808080;
    for (int font : {kUiFont10, kUiFont12, kUiFont20}) {
        SCOPED_TRACE(font);
        FillRect(white, Rect{0, 0, 200, 60});
        SelectFont(UiFont(font), -1, kBackTransparent);
        const Rect slider{10, 20, 80, 31};
        DrawPercentSlider(0, track, slider, 100, 100, true);
        const int numberRight = slider.right + TextWidth("100") + 6;
        int digits = 0;
        for (int y = 0; y < 60; ++y) {
            for (int x = slider.right; x < numberRight; ++x) {
                const uint32_t pixel = PortPixel(port, x, y);
                digits += pixel != white && pixel != track ? 1 : 0;
                // Outside the box only the white page shows.
                if (pixel != white && pixel != track) {
                    const bool boxAbove = PortPixel(port, x, y - 1) != white;
                    const bool boxBelow = PortPixel(port, x, y + 1) != white;
                    EXPECT_TRUE(boxAbove && boxBelow) << "a digit at " << x << "," << y << " touches the page";
                }
            }
        }
        EXPECT_GT(digits, 10);
        SelectFont(nullptr, -1, -1);
    }
}

// On a screen of device pixel ratio 2 the window's port holds the screen's
// pixels: text and lines are drawn at twice the detail, not drawn at the
// client size and enlarged (which would leave every 2 x 2 block one colour).
TEST_F(PlatformTest, PortsAreSharpAtDevicePixelRatioTwo) {
    QWidget* widget = WidgetOf(window_);
    if (widget->devicePixelRatioF() < 2.0) {
        GTEST_SKIP() << "runs with QT_SCALE_FACTOR=2";
    }
    {
        PortScope scope(window_);
        FillRect(0xFFFFFF, Rect{0, 0, 200, 40});
        SelectFont(UiFont(kUiFont12), -1, kBackTransparent);
        DrawText(0, "Visibility 100", 4, 4, kTextLeft);
        SelectFont(nullptr, -1, -1);
        EXPECT_EQ(PortPixel(GetPort(), 150, 30), 0xFFFFFFu);  // client coordinates
    }
    QApplication::processEvents();
    const QImage shown =
        widget->grab(QRect(ClientToWindow(window_, 0, 0) - widget->mapTo(widget->window(), QPoint()), QSize(120, 24)))
            .toImage();
    ASSERT_EQ(shown.width(), 240);
    int mixedBlocks = 0;
    for (int y = 0; y + 1 < shown.height(); y += 2) {
        for (int x = 0; x + 1 < shown.width(); x += 2) {
            const QRgb a = shown.pixel(x, y);
            mixedBlocks += a != shown.pixel(x + 1, y) || a != shown.pixel(x, y + 1) ? 1 : 0;
        }
    }
    EXPECT_GT(mixedBlocks, 30);
}

TEST_F(PlatformTest, ResourcePicturesAndMasks) {
    PortScope scope(window_);
    int w = 0;
    int h = 0;
    for (int id : {102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112}) {
        ASSERT_TRUE(ResourceBitmapSize(id, w, h)) << id;
        EXPECT_EQ(w, 19);
        EXPECT_EQ(h, 19);
    }
    ASSERT_TRUE(ResourceBitmapSize(113, w, h));
    EXPECT_EQ(w, 128);
    EXPECT_FALSE(ResourceBitmapSize(999, w, h));
    FillRect(0x00FF00, Rect{0, 0, 40, 40});
    EXPECT_TRUE(DrawResourceBitmap(Rect{5, 5, 0, 0}, 102, kRopCopy));
    EXPECT_EQ(PortPixel(GetPort(), 4, 4), 0x00FF00u);
    EXPECT_NE(PortPixel(GetPort(), 14, 14), 0x00FF00u);
    EXPECT_EQ(PortPixel(GetPort(), 24, 24), 0x00FF00u);

    CDib mask;
    ASSERT_TRUE(LoadResourceMask(mask, 133));
    EXPECT_EQ(mask.BitsPerPixel(), 24);
    const uint8_t* corner = mask.Row(0);
    EXPECT_EQ(corner[0], 255);  // the frame is set
    const uint8_t* inside = mask.Row(mask.Height() / 2) + 3 * 10;
    EXPECT_EQ(inside[0], 0);
    EXPECT_FALSE(LoadResourceMask(mask, 998));
}

TEST_F(PlatformTest, PicturesAreDrawnRightWayUp) {
    CDib picture(4, 2, 24);
    uint8_t* bottom = picture.Row(0);
    uint8_t* top = picture.Row(1);
    for (int x = 0; x < 4; ++x) {
        bottom[3 * x + 2] = 255;  // red bottom row
        top[3 * x] = 255;         // blue top row
    }
    PortScope scope(window_);
    DrawImage(picture, 50, 50);
    EXPECT_EQ(PortPixel(GetPort(), 50, 50), 0xFF0000u);
    EXPECT_EQ(PortPixel(GetPort(), 53, 51), 0x0000FFu);
}

TEST_F(PlatformTest, TextFieldTakesTypingAndLeavesTheTable) {
    PlatformEdit field;
    const int listed = ListedWindowCount();
    ASSERT_TRUE(CreateTextField(field, window_, 10, 20, 80, 15, 123456, UiFont(kUiFont12)));
    EXPECT_EQ(ListedWindowCount(), listed + 1);
    SetTextFieldText(field, "Sales", true);
    QLineEdit* edit = WidgetOf(window_)->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, "Costs");
    char text[64];
    EXPECT_EQ(GetTextFieldText(field, text, sizeof(text)), 5);
    EXPECT_STREQ(text, "Costs");
    char small[4];
    EXPECT_EQ(GetTextFieldText(field, small, sizeof(small)), 3);
    EXPECT_STREQ(small, "Cos");
    const Rect r = TextFieldRect(field);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    // Return typed into the field reaches the window as a key-down.
    QTest::keyClick(edit, Qt::Key_Return);
    bool sawReturn = false;
    for (const PlatformEvent& e : TakeAll()) {
        sawReturn |= e.message == kMsgKeyDown && e.wParam == kKeyReturn;
    }
    EXPECT_TRUE(sawReturn);
    DestroyTextField(field);
    EXPECT_FALSE(TextFieldExists(field));
    EXPECT_EQ(ListedWindowCount(), listed);
}

// Show texts are Windows-1252: "\x80" is the euro sign on screen, a typed
// euro sign or curly quote becomes its Windows-1252 byte, and a character
// the code page lacks becomes "?".
TEST_F(PlatformTest, TextIsWindows1252) {
    PlatformEdit field;
    ASSERT_TRUE(CreateTextField(field, window_, 10, 20, 80, 15, 123457, UiFont(kUiFont12)));
    SetTextFieldText(field, "\x80\x99 caf\xE9", true);
    QLineEdit* edit = WidgetOf(window_)->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), QString::fromUtf8("\u20AC\u2122 caf\u00E9"));
    edit->setText(QString::fromUtf8("\u20AC5 \u2019\u2013\u4E00"));
    char text[64];
    EXPECT_EQ(GetTextFieldText(field, text, sizeof(text)), 6);
    EXPECT_STREQ(text,
                 "\x80"
                 "5 \x92\x96?");
    DestroyTextField(field);
    TakeAll();

    PortScope scope(window_);
    FillRect(0xFFFFFF, Rect{0, 0, 200, 40});
    SelectFont(UiFont(kUiFont20), -1, kBackTransparent);
    EXPECT_GT(TextWidth("\x80"), 5);
    DrawText(0, "\x80\x80\x80", 10, 5, 0);
    EXPECT_GT(CountOtherPixels(GetPort(), Rect{10, 5, 10 + TextWidth("\x80\x80\x80"), 30}, 0xFFFFFF), 20);
    SelectFont(nullptr, -1, -1);
}

TEST_F(PlatformTest, MessageBoxShowsTheNumberWithAnEmptyCaption) {
    QString shown;
    QString caption = QStringLiteral("unset");
    WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box) {
            shown = box->text();
            caption = box->windowTitle();
            box->accept();
        }
    });
    ShowMessage("Can't write file", 28);
    EXPECT_EQ(shown.toStdString(), "Can't write file  [ 28 ]");
    EXPECT_TRUE(caption.trimmed().isEmpty());
}

TEST_F(PlatformTest, QuestionsAnswerYesNoCancel) {
    WhenModal([](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            box->button(QMessageBox::No)->click();
        }
    });
    EXPECT_EQ(AskYesNoCancel("Save?", "New Show"), 0);
    WhenModal([](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            box->button(QMessageBox::Cancel)->click();
        }
    });
    EXPECT_EQ(AskYesNoCancel("Save?", "New Show"), -1);
    WhenModal([](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            box->button(QMessageBox::Yes)->click();
        }
    });
    EXPECT_TRUE(AskYesNo("Save?", "Exit Application"));
}

TEST_F(PlatformTest, TextPromptReturnsTheFieldEitherWay) {
    WhenModal([](QWidget* modal) {
        auto* field = modal->findChild<QLineEdit*>();
        field->setText(QStringLiteral("12.5"));
        QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
    });
    char text[81] = "30";
    AskText(text, "Load Stream", "Type interval between data (in frames):", "");
    EXPECT_STREQ(text, "12.5");
}

TEST_F(PlatformTest, FontChooserConvertsSizesAndKeepsUnderline) {
    WhenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<QFontDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        QFont chosen(QStringLiteral("Liberation Sans"));
        chosen.setStyleName(QStringLiteral("Bold"));
        chosen.setPointSize(18);
        chosen.setBold(true);
        chosen.setItalic(false);
        dialog->setCurrentFont(chosen);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    FontChoice choice;
    choice.size = 12.0f;
    choice.flags = kFontItalic | kFontUnderline;
    std::snprintf(choice.face, sizeof(choice.face), "Arial");
    ASSERT_TRUE(ChooseFontDialog(&window_, choice));
    EXPECT_FLOAT_EQ(choice.size, 18.0f);  // 18 pt -> height 24 -> 18 pt
    EXPECT_EQ(choice.flags, kFontBold | kFontUnderline);
    EXPECT_GT(std::strlen(choice.face), 0u);
    WhenModal([](QWidget* modal) { QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection); });
    FontChoice unchanged = choice;
    EXPECT_FALSE(ChooseFontDialog(&window_, choice));
    EXPECT_FLOAT_EQ(choice.size, unchanged.size);
}

TEST_F(PlatformTest, ScrollBarsFollowTheSharedScrollBehaviour) {
    TestWindow scrolled;
    ASSERT_TRUE(CreatePlatformWindow(scrolled, nullptr, kWindowHScroll));
    MoveWindowTo(scrolled, 0, 0, 300, 200, false);
    ShowAndActivate(scrolled);
    SetScrollRanges(scrolled, 2000, 0, 250, 0, true);
    ShowScrollBars(scrolled, true, false);
    EXPECT_LT(GetClientRect(scrolled).bottom, 200);  // the bar takes its height
    SetHorizontalScroll(scrolled, 50, true);
    EXPECT_EQ(HandleScroll(scrolled, kMsgHScroll, kScrollLineForward, 10), 60);
    EXPECT_EQ(HandleScroll(scrolled, kMsgHScroll, kScrollLineBack, 25), 35);
    const int page = GetClientRect(scrolled).right;
    EXPECT_EQ(HandleScroll(scrolled, kMsgHScroll, kScrollPageForward, 0), 35 + page);
    EXPECT_EQ(HandleScroll(scrolled, kMsgHScroll, kScrollThumbTrack | (700u << 16), 0), 700);
    EXPECT_EQ(HandleScroll(scrolled, kMsgHScroll, kScrollLineBack, 5000), 0);  // kept in range
    DestroyPlatformWindow(scrolled);
}

}  // namespace
