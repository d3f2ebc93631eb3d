// Real-time playback on a clock the test drives: each reading of the
// high-resolution counter moves it on by a fixed step, so the frames shown
// are exact whatever the machine is doing. It follows the clock, any key
// stops it and is consumed, the transport stops it, and it ends by itself
// at the end.
#include <functional>

#include "ProgramFixture.h"
#include "Utilities.h"

namespace {

class PlaybackTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        MakeDemoShow(TheShow());  // keys up to frame 299
        ShowFrame(TheShow(), 0);
    }
    void TearDown() override {
        SetHighResolutionCounter({});
        ProgramTest::TearDown();
    }
    // The counter counts of one frame at the program's rate, as playback
    // works them out.
    int64_t FrameTicks() { return HighResolutionFrequency() * 100 / TheShow().frameRate; }
    // Each reading moves the clock on by `framesPerReading` frames; at the
    // reading number `atReading` (the first is number 1, when playback
    // starts) `action` runs once.
    void DriveClock(int64_t framesPerReading, int atReading, std::function<void()> action) {
        SetHighResolutionCounter([=, this, readings = 0, now = int64_t{0}]() mutable {
            now += framesPerReading * FrameTicks();
            if (++readings == atReading && action) {
                action();
            }
            return now;
        });
    }
    void PostKey(uint32_t key) { PostEvent(&Window(), kMsgKeyDown, key, 0); }
};

TEST_F(PlaybackTest, PlaysWithTheClockAndAnyKeyStopsIt) {
    // Three frames a reading; Home arrives during the tenth step.
    DriveClock(3, 11, [this] { PostKey(kKeyHome); });
    Press(Qt::Key_Space);
    EXPECT_EQ(Window().playback.direction, 0);
    // Home stopped playback and was not run as a command of its own.
    EXPECT_EQ(gCurrentFrame, 30);
    EXPECT_EQ(Window().playback.stepsDrawn, 10);
    EXPECT_EQ(Window().playback.framesShown, 10);
    EXPECT_EQ(Window().buttons[kButtonForward].state, ToolButton::kNormal);
}

TEST_F(PlaybackTest, SlowDrawingDropsFramesAndFastDrawingRepeatsThem) {
    DriveClock(1, 21, [this] { PostKey(kKeyK); });
    Press(Qt::Key_L);
    EXPECT_EQ(gCurrentFrame, 20);  // every frame shown once
    EXPECT_EQ(Window().playback.framesShown, 20);

    ShowFrame(TheShow(), 0);
    // Half a frame a reading: each frame is drawn twice.
    SetHighResolutionCounter([this, readings = 0, now = int64_t{0}]() mutable {
        now += FrameTicks() / 2 + 1;
        if (++readings == 21) {
            PostKey(kKeyK);
        }
        return now;
    });
    Press(Qt::Key_L);
    EXPECT_EQ(gCurrentFrame, 10);
    EXPECT_EQ(Window().playback.stepsDrawn, 20);
    EXPECT_EQ(Window().playback.framesShown, 10);
}

TEST_F(PlaybackTest, PalPlaysAtTwentyFiveFrames) {
    Choose(kCmdPal);
    ASSERT_EQ(TheShow().frameRate, 2500);
    // A second of the clock in one reading is 25 frames; K comes in the
    // fifth step, after the input the menu choice left queued.
    SetHighResolutionCounter([this, readings = 0, now = int64_t{0}]() mutable {
        now += HighResolutionFrequency();
        if (++readings == 6) {
            PostKey(kKeyK);
        }
        return now;
    });
    Press(Qt::Key_L);
    EXPECT_EQ(gCurrentFrame, 125);
}

TEST_F(PlaybackTest, ReverseFromTheStartStopsAtFrameZero) {
    DriveClock(1, 50, [this] { PostKey(kKeyK); });  // only if it failed to stop by itself
    Press(Qt::Key_R);
    EXPECT_EQ(gCurrentFrame, 0);
    EXPECT_EQ(Window().playback.direction, 0);
    EXPECT_LT(Window().playback.stepsDrawn, 5);
}

TEST_F(PlaybackTest, StartingAtTheEndStartsFromTheBeginning) {
    ShowFrame(TheShow(), 299);
    DriveClock(2, 6, [this] { PostKey(kKeyK); });
    Press(Qt::Key_P, Qt::ShiftModifier);
    EXPECT_EQ(gCurrentFrame, 10);
}

TEST_F(PlaybackTest, PlaysToTheEndAndStopsByItself) {
    TheShow().keys[2].frame = 15;                    // half a second
    DriveClock(1, 100, [this] { PostKey(kKeyK); });  // only if it failed to stop by itself
    Press(Qt::Key_Space);
    EXPECT_EQ(Window().playback.direction, 0);
    EXPECT_EQ(gCurrentFrame, 16);  // the first frame past the end stops it
    EXPECT_EQ(Window().playback.stepsDrawn, 17);
}

TEST_F(PlaybackTest, ATransportClickOnlyStops) {
    const Rect reverse = Window().buttons[kButtonReverse].rect;
    ASSERT_GT(reverse.right, 0);
    const intptr_t at = MakePointParam(reverse.left + 5, reverse.top + 5);
    DriveClock(1, 8, [this, at] { PostEvent(&Window(), kMsgLeftUp, kMouseLeft, at); });
    Press(Qt::Key_Space);
    const int32_t stoppedAt = gCurrentFrame;
    EXPECT_EQ(stoppedAt, 7);
    EXPECT_EQ(Window().playback.direction, 0);
    DispatchPending();
    EXPECT_EQ(gCurrentFrame, stoppedAt);  // no reverse play started
    EXPECT_EQ(Window().buttons[kButtonReverse].state, ToolButton::kNormal);
}

}  // namespace
