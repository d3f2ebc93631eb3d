// Real-time playback: it follows the clock, any key stops it and is
// consumed, the transport stops it, and it ends by itself at the end.
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <chrono>

#include "ProgramFixture.h"
#include "Utilities.h"

namespace {

class PlaybackTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        MakeDemoShow(TheShow());  // keys up to frame 299
        Evaluate(TheShow(), 0, true);
    }
    // Presses `stopKey` after `ms` milliseconds of playback.
    void StopWithKeyAfter(int ms, Qt::Key stopKey) {
        // The window may be gone when playback ended before the key.
        QPointer<QWindow> handle = HandleOf(Window());
        QTimer::singleShot(ms, [handle, stopKey]() {
            if (handle) {
                QTest::keyClick(handle, stopKey);
            }
        });
    }
    double Seconds(std::chrono::steady_clock::time_point start) {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
};

TEST_F(PlaybackTest, PlaysWithTheClockAndAnyKeyStopsIt) {
    StopWithKeyAfter(500, Qt::Key_Home);
    const auto start = std::chrono::steady_clock::now();
    Press(Qt::Key_Space);
    const double seconds = Seconds(start);
    EXPECT_EQ(Window().playback.direction, 0);
    // Home stopped playback and was not run as a command of its own.
    const int expected = static_cast<int>(seconds * 29.97);
    EXPECT_GT(gCurrentFrame, 5);
    EXPECT_LE(gCurrentFrame, expected + 1);
    EXPECT_GE(gCurrentFrame, expected - 10);  // one slow drawing step under load
    EXPECT_GE(Window().playback.stepsDrawn, Window().playback.framesShown);
    EXPECT_EQ(Window().buttons[kButtonForward].state, ToolButton::kNormal);
}

TEST_F(PlaybackTest, PalPlaysAtTwentyFiveFrames) {
    Choose(kCmdPal);
    StopWithKeyAfter(400, Qt::Key_K);
    const auto start = std::chrono::steady_clock::now();
    Press(Qt::Key_L);
    const int expected = static_cast<int>(Seconds(start) * 25.0);
    EXPECT_LE(gCurrentFrame, expected + 1);
    EXPECT_GE(gCurrentFrame, expected - 10);  // one slow drawing step under load
}

TEST_F(PlaybackTest, ReverseFromTheStartStopsAtFrameZero) {
    StopWithKeyAfter(3000, Qt::Key_K);  // only if it failed to stop by itself
    const auto start = std::chrono::steady_clock::now();
    Press(Qt::Key_R);
    EXPECT_LT(Seconds(start), 1.0);
    EXPECT_EQ(gCurrentFrame, 0);
    EXPECT_EQ(Window().playback.direction, 0);
}

TEST_F(PlaybackTest, StartingAtTheEndStartsFromTheBeginning) {
    Evaluate(TheShow(), 299, true);
    StopWithKeyAfter(300, Qt::Key_K);
    Press(Qt::Key_P, Qt::ShiftModifier);
    EXPECT_GT(gCurrentFrame, 0);
    EXPECT_LT(gCurrentFrame, 40);
}

TEST_F(PlaybackTest, PlaysToTheEndAndStopsByItself) {
    TheShow().keys[2].frame = 15;  // half a second
    StopWithKeyAfter(4000, Qt::Key_K);
    const auto start = std::chrono::steady_clock::now();
    Press(Qt::Key_Space);
    EXPECT_LT(Seconds(start), 2.0);
    EXPECT_GE(gCurrentFrame, 15);
    EXPECT_LE(gCurrentFrame, 18);
}

TEST_F(PlaybackTest, ATransportClickOnlyStops) {
    const Rect reverse = Window().buttons[kButtonReverse].rect;
    ASSERT_GT(reverse.right, 0);
    QWindow* handle = HandleOf(Window());
    const QPoint at = ClientToWindow(Window(), reverse.left + 5, reverse.top + 5);
    QTimer::singleShot(300, [handle, at]() { QTest::mouseClick(handle, Qt::LeftButton, Qt::NoModifier, at); });
    Press(Qt::Key_Space);
    const int32_t stoppedAt = gCurrentFrame;
    EXPECT_GT(stoppedAt, 0);
    EXPECT_EQ(Window().playback.direction, 0);
    DispatchPending();
    EXPECT_EQ(gCurrentFrame, stoppedAt);  // no reverse play started
    EXPECT_EQ(Window().buttons[kButtonReverse].state, ToolButton::kNormal);
}

}  // namespace
