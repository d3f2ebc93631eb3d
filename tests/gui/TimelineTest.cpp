// The timeline: its scale and coordinates, scrubbing, dragging keys (kept
// sorted, removed at the start, brought back by Undo), HOLD segments, the
// selection the Edit menu follows, and the key options' items.
#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

#include "Dialogs.h"
#include "ProgramFixture.h"
#include "Utilities.h"

namespace {

constexpr uint32_t kCyan = 0xFFFF00;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kBlack = 0x000000;

class TimelineTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_NE(Window().Timeline(), nullptr);
        ASSERT_EQ(Time().timeScale, 30);  // NTSC: one division is a second
    }
    TimelineWindow& Time() { return *Window().Timeline(); }
    QPoint At(int x, int y) {
        QWidget* widget = WidgetOf(Time());
        return widget->mapTo(widget->window(), QPoint(x, y));
    }
    void Press(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(HandleOf(Time()), button, Qt::NoModifier, At(x, y));
        DispatchPending();
    }
    void MoveTo(int x, int y) {
        QTest::mouseMove(HandleOf(Time()), At(x, y));
        DispatchPending();
    }
    void Release(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseRelease(HandleOf(Time()), button, Qt::NoModifier, At(x, y));
        DispatchPending();
    }
    void Drag(int fromX, int toX) {
        Press(fromX, 22);
        MoveTo((fromX + toX) / 2, 22);
        MoveTo(toX, 22);
        Release(toX, 22);
    }
    // Keys at 0, step, 2 step and 3 step with different spins.
    void FourKeys(int32_t step = 30) {
        Show& show = TheShow();
        for (int k = 0; k < 4; ++k) {
            show.keys[k] = KeyFrame{};
            show.keys[k].width = show.keys[k].height = 1.0f;
            show.keys[k].spin = 10.0f * k;
            show.keys[k].frame = step * k;
        }
        show.keyCount = 4;
        ShowFrame(show, 0);
        DispatchPending();
    }
    std::vector<int32_t> Frames() {
        std::vector<int32_t> frames;
        for (int k = 0; k < TheShow().keyCount; ++k) {
            frames.push_back(TheShow().keys[k].frame);
        }
        return frames;
    }
    int32_t MenuState(int command) {
        std::string text;
        int32_t options = -1;
        GetMenuItemState(Window().menu, command, text, options);
        return options;
    }
    // Pixels close to a colour (drawing is anti-aliased) inside an area.
    int CountNear(const Rect& area, uint32_t colour) {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                const uint32_t pixel = PortPixel(WindowPort(Time()), x, y);
                int distance = 0;
                for (int shift : {0, 8, 16}) {
                    distance += std::abs(static_cast<int>((pixel >> shift) & 0xFF) -
                                         static_cast<int>((colour >> shift) & 0xFF));
                }
                count += distance < 160 ? 1 : 0;
            }
        }
        return count;
    }
    // Dark pixels on the key track between two content x.
    int BlackOnTrack(int from, int to) { return CountNear(Rect{from, kTrackTop + 1, to, kTrackBottom - 1}, kBlack); }
};

// Set KeyFrame Options as it opens over the preview for a right click at
// timeline x `px`: its corner and the widest label.
struct OptionsPlace {
    int a = 0;
    int b = 0;
    int w = 0;
    int RowY(int item) const { return b + 36 + 20 * item + 8; }
    int FieldX() const { return a + w + 20; }
};

class KeyOptionsTest : public TimelineTest {
protected:
    // Where the options of key `keyIndex` at `frame` open for a right click
    // at timeline x `px`: asked for there, moved inside the preview.
    OptionsPlace Place(int px, int keyIndex, int32_t frame) {
        OptionsPlace place;
        const Rect own = GetWindowRect(Time());
        const Rect view = GetWindowRect(Preview());
        char labels[kKeyOptionItems][64];
        char values[kKeyOptionItems][64];
        KeyOptionItems(KeyFrame{}, labels, values);
        const Rect box =
            ValueDialogBox(Preview(), std::max(8, own.left - view.left + px - 250), RectHeight(view) - 320,
                           kKeyOptionItems, labels, KeyOptionsTitle(keyIndex, frame, TheShow().frameRate).c_str());
        place.a = box.left;
        place.b = box.top;
        SelectFont(UiFont(kUiFont10), -1, kBackTransparent);
        for (const auto& label : labels) {
            place.w = std::max(place.w, TextWidth(label));
        }
        SelectFont(nullptr, -1, -1);
        return place;
    }
    void PostPress(int x, int y) {
        PostEvent(&Preview(), kMsgLeftDown, kMouseLeft, MakePointParam(x, y));
        PostEvent(&Preview(), kMsgLeftUp, 0, MakePointParam(x, y));
    }
    void PostKey(uint32_t key) { PostEvent(&Preview(), kMsgKeyDown, key, 0); }
    void RightClickAt(int x) {
        SendEvent(&Time(), kMsgRightUp, 0, MakePointParam(x, 22));
        DispatchPending();
    }
};

TEST_F(KeyOptionsTest, TheDialogStoresSpinAndSlowsWithOneUndoStep) {
    FourKeys();
    const int x = FrameX(60, 30);
    const OptionsPlace place = Place(x, 2, 60);
    ASSERT_GT(place.b, 0);
    PostPress(place.FieldX(), place.RowY(4));  // Spin
    QWidget* preview = WidgetOf(Preview());
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [this, poll, preview, place]() {
        QLineEdit* field = preview->findChild<QLineEdit*>();
        if (!field || !field->isVisible()) {
            QTimer::singleShot(10, *poll);
            return;
        }
        QTest::keyClicks(field, "45");
        PostPress(place.FieldX(), place.RowY(8));  // slows: In
        PostKey(kKeyReturn);
    };
    QTimer::singleShot(10, *poll);
    const int undoBefore = TheShow().undoCount;
    RightClickAt(x);
    const KeyFrame& key = TheShow().keys[2];
    EXPECT_FLOAT_EQ(key.spin, 45.0f);
    EXPECT_FLOAT_EQ(key.slow, 2000.0f);
    EXPECT_FLOAT_EQ(key.width, 1.0f);
    EXPECT_EQ(key.frame, 60);
    EXPECT_EQ(TheShow().undoCount, undoBefore + 1);
    EXPECT_EQ(gCurrentFrame, 60);
    Choose(kCmdUndo);
    EXPECT_FLOAT_EQ(TheShow().keys[2].spin, 20.0f);
    EXPECT_FLOAT_EQ(TheShow().keys[2].slow, 0.0f);
    // Cancelled: nothing changes and nothing is recorded.
    PostPress(place.FieldX(), place.RowY(10));
    PostKey(kKeyEscape);
    RightClickAt(x);
    EXPECT_FLOAT_EQ(TheShow().keys[2].slow, 0.0f);
    EXPECT_EQ(TheShow().undoCount, undoBefore);
}

TEST_F(KeyOptionsTest, TheFirstKeyOpensItsOptionsToo) {
    FourKeys();
    const OptionsPlace place = Place(10, 0, 0);
    PostPress(place.FieldX(), place.RowY(10));  // slows: None
    PostPress(place.FieldX(), place.RowY(6));   // Data Set: opens the field
    QWidget* preview = WidgetOf(Preview());
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [this, poll, preview]() {
        QLineEdit* field = preview->findChild<QLineEdit*>();
        if (!field || !field->isVisible()) {
            QTimer::singleShot(10, *poll);
            return;
        }
        QTest::keyClicks(field, "3");
        PostKey(kKeyReturn);
    };
    QTimer::singleShot(10, *poll);
    RightClickAt(10);
    EXPECT_FLOAT_EQ(TheShow().keys[0].slow, 4000.0f);
    EXPECT_FLOAT_EQ(TheShow().keys[0].dataSet, 3.0f);
    EXPECT_EQ(TheShow().keys[0].frame, 0);
    EXPECT_EQ(TheShow().showSet, 3);  // evaluated at the frame clicked
}

TEST(TimelineScale, FramesAndPixelsAtEachScale) {
    EXPECT_EQ(FrameX(0, 30), 4);
    EXPECT_EQ(FrameX(90, 30), 184);
    EXPECT_EQ(FrameAtX(184, 30), 90);
    EXPECT_EQ(FrameAtX(3, 30), 0);  // left of the time line: the start
    EXPECT_EQ(FrameAtX(5, 30), 0);
    EXPECT_EQ(FrameX(7, 5), 88);
    EXPECT_EQ(FrameAtX(88, 5), 7);
    EXPECT_EQ(ChooseTimeScale(89, 0, kRateNtsc), 5);
    EXPECT_EQ(ChooseTimeScale(90, 0, kRateNtsc), 10);
    EXPECT_EQ(ChooseTimeScale(240, 0, kRateNtsc), 30);
    EXPECT_EQ(ChooseTimeScale(10, 24, kRateNtsc), 24);  // a configured scale wins
    EXPECT_EQ(ChooseTimeScale(1000, 0, kRatePal), 25);
    EXPECT_EQ(TimelineExtent(300, 30), 604);
    EXPECT_EQ(TimelineExtent(17982, 30), 32700);  // ten minutes end the line early
    EXPECT_EQ(DropDeleteFrame(30), 5);
    EXPECT_EQ(DropDeleteFrame(5), 2);
}

TEST_F(TimelineTest, SitsUnderThePreviewWithItsExtent) {
    const Rect t = GetWindowRect(Time());
    const Rect p = GetWindowRect(Preview());
    EXPECT_GT(t.top, p.bottom);
    EXPECT_EQ(t.right, p.right);
    EXPECT_EQ(t.right - t.left, p.right - p.left);
    EXPECT_EQ(Time().extent, TimelineExtent(TheShow().lengthFrames, 30));
    // The track is cyan and the first key's mark sits at its start.
    EXPECT_GT(CountPixels(WindowPort(Time()), Rect{40, 15, 60, 29}, kCyan), 100);
    EXPECT_EQ(TheShow().selectedKey, 0);
}

TEST_F(TimelineTest, ScrubbingEvaluatesTheFrameUnderThePointer) {
    FourKeys();
    Press(114, 40);  // the lower ruler, frame 55
    MoveTo(154, 40);
    EXPECT_EQ(gCurrentFrame, 75);
    EXPECT_GT(TheShow().current.spin, 20.0f);
    EXPECT_LT(TheShow().current.spin, 30.0f);
    Release(134, 40);
    EXPECT_EQ(gCurrentFrame, 65);
    MoveTo(300, 40);  // the scrub ended with the release
    EXPECT_EQ(gCurrentFrame, 65);
    // A plain click moves time too; the red cursor is drawn there.
    Press(204, 8);
    Release(204, 8);
    EXPECT_EQ(gCurrentFrame, 100);
    EXPECT_GT(CountPixels(WindowPort(Time()), Rect{203, 6, 206, 40}, kRed), 20);
}

TEST_F(TimelineTest, DraggingAKeyKeepsTheListSortedAndUndoMovesItBack) {
    FourKeys();
    const KeyFrame third = TheShow().keys[3];
    Drag(184, 84);  // key 3 from frame 90 to frame 40
    EXPECT_EQ(Frames(), (std::vector<int32_t>{0, 30, 40, 60}));
    EXPECT_FLOAT_EQ(TheShow().keys[2].spin, 30.0f);
    EXPECT_EQ(gCurrentFrame, 40);
    EXPECT_TRUE(TheShow().modified);
    Choose(kCmdUndo);
    EXPECT_EQ(Frames(), (std::vector<int32_t>{0, 30, 60, 90}));
    EXPECT_EQ(std::memcmp(&TheShow().keys[3], &third, sizeof(third)), 0);
    EXPECT_FLOAT_EQ(TheShow().keys[2].spin, 20.0f);  // the key it passed is untouched
    Choose(kCmdRedo);
    EXPECT_EQ(Frames(), (std::vector<int32_t>{0, 30, 40, 60}));
    // The first key stays where it is.
    Drag(10, 150);
    EXPECT_EQ(TheShow().keys[0].frame, 0);
    EXPECT_EQ(TheShow().keyCount, 4);
}

TEST_F(TimelineTest, AKeyDroppedAtTheStartIsRemovedAndUndoBringsItBack) {
    FourKeys();
    const KeyFrame third = TheShow().keys[3];
    Drag(184, 8);  // frame 2, under the half-division limit of 5
    EXPECT_EQ(Frames(), (std::vector<int32_t>{0, 30, 60}));
    Choose(kCmdUndo);
    EXPECT_EQ(Frames(), (std::vector<int32_t>{0, 30, 60, 90}));
    EXPECT_EQ(std::memcmp(&TheShow().keys[3], &third, sizeof(third)), 0);
    Drag(184, 20);  // frame 8 keeps it, sorted into place
    EXPECT_EQ(Frames(), (std::vector<int32_t>{0, 8, 30, 60}));
}

TEST_F(TimelineTest, HoldShowsBetweenIdenticalKeysUntilOneValueChanges) {
    FourKeys(60);
    const int from = FrameX(60, 30) + 8;
    const int to = FrameX(120, 30) - 8;
    EXPECT_EQ(BlackOnTrack(from, to), 0);
    TheShow().keys[2] = TheShow().keys[1];
    TheShow().keys[2].frame = 120;
    ShowFrame(TheShow(), 0);
    EXPECT_GT(BlackOnTrack(from, to), 30);  // the text and its lines
    TheShow().keys[2].tilt = 5.0f;
    ShowFrame(TheShow(), 0);
    EXPECT_EQ(BlackOnTrack(from, to), 0);
    // The easing does not count: a hold with different slows still holds.
    TheShow().keys[2].tilt = 0.0f;
    TheShow().keys[2].slow = 3000.0f;
    EXPECT_TRUE(KeysHold(TheShow().keys[1], TheShow().keys[2]));
}

TEST_F(TimelineTest, CrowdedKeysGetARedRing) {
    FourKeys();
    const Rect around{FrameX(60, 30) - 14, kMarkTop - 7, FrameX(60, 30) + 14, kMarkTop + kMarkSize + 7};
    EXPECT_EQ(CountNear(around, kRed), 0);
    TheShow().keys[3].frame = 61;
    ShowFrame(TheShow(), 0);
    EXPECT_GT(CountNear(around, kRed), 20);
}

TEST_F(TimelineTest, TheCursorSelectsAKeyForTheEditMenu) {
    FourKeys();
    EXPECT_EQ(TheShow().selectedKey, 0);
    EXPECT_EQ(MenuState(kCmdCut), kMenuGreyed);
    EXPECT_EQ(MenuState(kCmdCopy), 0);
    ShowFrame(TheShow(), 45);  // between keys
    EXPECT_EQ(TheShow().selectedKey, -1);
    EXPECT_EQ(MenuState(kCmdCopy), kMenuGreyed);
    ShowFrame(TheShow(), 60);
    EXPECT_EQ(TheShow().selectedKey, 2);
    EXPECT_EQ(MenuState(kCmdCut), 0);
    EXPECT_EQ(MenuState(kCmdDelete), 0);
    Choose(kCmdCopy);
    EXPECT_EQ(TheShow().clipKey.frame, 60);
    EXPECT_EQ(MenuState(kCmdPaste), 0);
    Choose(kCmdCut);
    EXPECT_EQ(Frames(), (std::vector<int32_t>{0, 30, 90}));
    ShowFrame(TheShow(), 90);
    EXPECT_EQ(TheShow().selectedKey, 2);
    Choose(kCmdPaste);  // the clip's spin onto the selected key at 90
    EXPECT_FLOAT_EQ(TheShow().keys[2].spin, 20.0f);
    EXPECT_EQ(TheShow().keys[2].frame, 90);
    Choose(kCmdDelete);
    EXPECT_EQ(Frames(), (std::vector<int32_t>{0, 30}));
    Choose(kCmdUndo);
    EXPECT_EQ(Frames(), (std::vector<int32_t>{0, 30, 90}));
}

TEST_F(TimelineTest, PlaybackAndEvaluationScrollToTheCurrentFrame) {
    const Rect client = GetClientRect(Time());
    ShowFrame(TheShow(), 3000);
    const int scroll = GetHorizontalScroll(Time());
    EXPECT_GT(FrameX(3000, 30), scroll);
    EXPECT_LT(FrameX(3000, 30), scroll + client.right);
    ShowFrame(TheShow(), 0);
    EXPECT_EQ(GetHorizontalScroll(Time()), 0);
}

TEST_F(TimelineTest, ALongerLoadedShowLengthensTheTimeLine) {
    TheShow().lengthFrames = 300;
    ShowFrame(TheShow(), 0);
    EXPECT_EQ(Time().extent, 604);
    const int previewWidth = RectWidth(GetWindowRect(Preview()));
    EXPECT_EQ(RectWidth(GetWindowRect(Time())), std::min(previewWidth, 603));
    TheShow().lengthFrames = 17980;
    ShowFrame(TheShow(), 0);
    EXPECT_EQ(Time().extent, kMaxExtent);
    EXPECT_EQ(RectWidth(GetWindowRect(Time())), RectWidth(GetWindowRect(Preview())));
}

TEST(KeyOptions, ValuesBeyondTheRangeShowItsEndsAndASlowBeyondTheCodesIsNone) {
    KeyFrame key{};
    key.x = 1e9f;  // x 1000 is beyond the 32-bit range
    key.width = -1e12f;
    key.spin = std::nanf("");
    key.slow = 1e12f;
    char labels[kKeyOptionItems][64];
    char values[kKeyOptionItems][64];
    KeyOptionItems(key, labels, values);
    EXPECT_STREQ(values[0], "2147483647");
    EXPECT_STREQ(values[2], "-2147483648");
    EXPECT_STREQ(values[4], "2147483647");  // not a number shows as the largest
    EXPECT_STREQ(values[10], "1");          // evaluated straight through: None
    EXPECT_STREQ(values[7], "");
    key.slow = -1e12f;  // automatic
    KeyOptionItems(key, labels, values);
    EXPECT_STREQ(values[7], "1");
    EXPECT_STREQ(values[10], "");
}

TEST(KeyOptions, TheTitleNamesTheKeyByNumberAndTimecode) {
    EXPECT_EQ(KeyOptionsTitle(2, 60, kRateNtsc), "Set KeyFrame Options - Key 3 at 00:00:02:00");
    EXPECT_EQ(KeyOptionsTitle(0, 0, kRateNtsc), "Set KeyFrame Options - Key 1 at 00:00:00:00");
    EXPECT_EQ(KeyOptionsTitle(0, 50, kRatePal), "Set KeyFrame Options - Key 1 at 00:00:02:00");
}

TEST(KeyOptions, ItemsShowTheKeyAndReadBack) {
    KeyFrame key{};
    key.x = 0.25f;
    key.y = -0.5f;
    key.width = 1.2f;
    key.height = 0.8f;
    key.spin = 33.9f;
    key.tilt = -12.0f;
    key.dataSet = 2.0f;
    key.slow = 0.0f;
    char labels[kKeyOptionItems][64];
    char values[kKeyOptionItems][64];
    KeyOptionItems(key, labels, values);
    EXPECT_STREQ(labels[0], "Horizontal Position");
    EXPECT_STREQ(labels[7], "@RSlows|In & Out");
    EXPECT_STREQ(values[0], "250");
    EXPECT_STREQ(values[1], "-500");
    EXPECT_STREQ(values[2], "120");
    EXPECT_STREQ(values[4], "33");
    EXPECT_STREQ(values[6], "2");
    EXPECT_STREQ(values[7], "1");  // automatic easing shows In & Out
    EXPECT_STREQ(values[8], "");
    key.slow = 4000.0f;
    KeyOptionItems(key, labels, values);
    EXPECT_STREQ(values[10], "1");
    EXPECT_STREQ(values[7], "");

    std::snprintf(values[0], 64, "-125");
    std::snprintf(values[5], 64, "45deg");
    std::snprintf(values[6], 64, "x");
    values[10][0] = '\0';
    std::snprintf(values[8], 64, "1");  // In
    ReadKeyOptions(values, key);
    EXPECT_FLOAT_EQ(key.x, -0.125f);
    EXPECT_FLOAT_EQ(key.tilt, 45.0f);
    EXPECT_FLOAT_EQ(key.dataSet, 0.0f);
    EXPECT_FLOAT_EQ(key.slow, 2000.0f);
    for (auto& value : values) {
        value[0] = '\0';
    }
    key.slow = 3000.0f;
    ReadKeyOptions(values, key);  // no slows chosen: unchanged
    EXPECT_FLOAT_EQ(key.slow, 3000.0f);
}

}  // namespace
