// The play-out on a driven clock: every frame once, in order, with exact
// timestamps over a long run (read back from the stream with FFmpeg); a late
// frame replaced by the one before and counted; frames the outputs cannot
// take dropped, not waited for; key and fill locked together; fields.
#include <gtest/gtest.h>

#include <cstdio>

#include "LiveSupport.h"
#include "StreamProbe.h"

namespace {

// 90 kHz ticks of one frame at 30000/1001: MPEG-TS timestamps.
constexpr int64_t kTransportTicksPerFrame = 3003;

class PlayoutTest : public ::testing::Test {
protected:
    LiveShow live;
    Show& show = live.Get();
    DrivenLiveClock clock;
    TempFolder folder;
};

}  // namespace

TEST_F(PlayoutTest, ALongRunSendsEveryFrameOnceWithExactTimestamps) {
    constexpr int64_t kFrames = 1800;  // one minute at 29.97
    LivePlayoutConfig config = SmallConfig();
    StreamPair outputs;
    const std::string path = folder.File("minute.ts");
    ASSERT_TRUE(outputs.fill.Open(SpecFor(path, config))) << outputs.fill.Error();
    LivePlayout playout(show, clock, outputs, config);
    LiveOutcome outcome = playout.RunFrames(kFrames);
    ASSERT_FALSE(outcome.failed) << outcome.error;
    ASSERT_TRUE(outputs.fill.Close()) << outputs.fill.Error();
    EXPECT_EQ(playout.Counters().framesOut, kFrames);
    EXPECT_EQ(playout.Counters().late, 0);
    EXPECT_EQ(playout.Counters().dropped, 0);
    // The clock stood at each frame's time: the last one is 1799 x 1001/30000 s
    // after the first, to the nanosecond.
    EXPECT_EQ(clock.Now() - playout.Deadline(0), 1799LL * 1001 * 1000000000 / 30000);
    StreamFacts facts;
    ASSERT_TRUE(ProbeStream(path, facts));
    EXPECT_EQ(facts.format, "mpegts");
    EXPECT_EQ(facts.codec, "h264");
    EXPECT_EQ(facts.frameRate.num * 1001, facts.frameRate.den * 30000);
    ASSERT_EQ(facts.packets.size(), static_cast<size_t>(kFrames));
    std::string bad;
    EXPECT_TRUE(TimestampsStep(facts, kTransportTicksPerFrame, bad)) << bad;
    EXPECT_EQ(facts.decodedFrames, kFrames);
    EXPECT_EQ(facts.decodeErrors, 0);
    EXPECT_TRUE(facts.endedCleanly);
}

TEST_F(PlayoutTest, AReceiverOnALocalUdpPortGetsTheStream) {
    constexpr int64_t kFrames = 300;
    LivePlayoutConfig config = SmallConfig();
    UdpCatcher catcher;
    StreamPair outputs;
    ASSERT_TRUE(outputs.fill.Open(SpecFor("udp://127.0.0.1:" + std::to_string(catcher.Port()), config)))
        << outputs.fill.Error();
    LivePlayout playout(show, clock, outputs, config);
    ASSERT_FALSE(playout.RunFrames(kFrames).failed);
    ASSERT_TRUE(outputs.fill.Close());
    std::vector<uint8_t> received = catcher.Finish();
    // Seven transport packets a datagram.
    EXPECT_EQ(received.size() % 188, 0u);
    EXPECT_GT(catcher.Datagrams(), 0u);
    StreamFacts facts;
    ASSERT_TRUE(ProbeStreamBytes(received, "mpegts", facts));
    EXPECT_EQ(facts.width, 96);
    EXPECT_EQ(facts.height, 72);
    ASSERT_EQ(facts.packets.size(), static_cast<size_t>(kFrames));
    std::string bad;
    EXPECT_TRUE(TimestampsStep(facts, kTransportTicksPerFrame, bad)) << bad;
    EXPECT_TRUE(facts.packets[0].key);
    EXPECT_TRUE(facts.packets[30].key);  // a key frame every second for receivers that join late
    EXPECT_EQ(facts.decodedFrames, kFrames);
}

TEST_F(PlayoutTest, AFrameNotDrawnInTimeIsReplacedByThePreviousOneAndCounted) {
    LivePlayoutConfig config = SmallConfig();
    CatchOutputs outputs;
    LivePlayout playout(show, clock, outputs, config);
    // Frame 40 takes a frame and a half to draw.
    const int64_t slow = 50000000;
    playout.SetDrawObserver([&](double time, double, const Show&) {
        if (time == 40.0) {
            clock.Advance(slow);
        }
    });
    ASSERT_FALSE(playout.RunFrames(80).failed);
    EXPECT_EQ(playout.Counters().late, 1);
    ASSERT_EQ(outputs.indexes.size(), 80u);
    for (int64_t i = 0; i < 80; ++i) {
        ASSERT_EQ(outputs.indexes[i], i);  // every frame number, none delayed or left out
    }
    EXPECT_EQ(outputs.sums[40], outputs.sums[39]);
    EXPECT_NE(outputs.sums[41], outputs.sums[40]);
    EXPECT_NE(outputs.sums[39], outputs.sums[38]);
}

TEST_F(PlayoutTest, DrawingThatFallsBehindSkipsToAFrameItCanStillMake) {
    LivePlayoutConfig config = SmallConfig();
    CatchOutputs outputs;
    LivePlayout playout(show, clock, outputs, config);
    // From frame 20 on every drawing takes two and a half frames.
    std::vector<double> drawn;
    playout.SetDrawObserver([&](double time, double, const Show&) {
        drawn.push_back(time);
        if (time >= 20.0) {
            clock.Advance(83416666);
        }
    });
    ASSERT_FALSE(playout.RunFrames(60).failed);
    ASSERT_EQ(outputs.indexes.size(), 60u);
    // Each frame drawn is drawn for a time it can still make: fewer drawn,
    // the rest sent again, and the frame numbers still run without a gap.
    const int64_t late = playout.Counters().late;
    EXPECT_GT(late, 20);
    // Drawings that missed their time are few: the choice goes by the last
    // drawing times, which learn the new pace within a few frames. (The
    // first frame is drawn twice.)
    const int64_t wasted = playout.Counters().drawn - (60 - late) - 1;
    EXPECT_LE(wasted, 4);
    for (size_t i = 2; i < drawn.size(); ++i) {
        ASSERT_GT(drawn[i], drawn[i - 1]);
    }
}

TEST_F(PlayoutTest, FramesTheOutputsCannotTakeAreDroppedNotWaitedFor) {
    PacedDrivenClock paced;
    LivePlayoutConfig config = SmallConfig();
    CatchOutputs outputs;
    LivePlayout playout(show, paced, outputs, config);
    playout.SetDrawObserver([&](double time, double, const Show&) { outputs.room = !(time >= 10 && time < 13); });
    ASSERT_FALSE(playout.RunFrames(30).failed);
    EXPECT_EQ(playout.Counters().dropped, 3);
    EXPECT_EQ(playout.Counters().framesOut, 27);
    EXPECT_EQ(std::count(outputs.indexes.begin(), outputs.indexes.end(), 10), 0);
    EXPECT_EQ(outputs.indexes.back(), 29);
}

TEST_F(PlayoutTest, KeyAndFillLeaveFrameLockedWithTheKeyWhiteWhereTheChartIs) {
    LivePlayoutConfig config = SmallConfig();
    config.alpha = true;
    StreamPair outputs;
    const std::string fillPath = folder.File("fill.ts");
    const std::string keyPath = folder.File("key.ts");
    ASSERT_TRUE(outputs.fill.Open(SpecFor(fillPath, config)));
    ASSERT_TRUE(outputs.key.Open(SpecFor(keyPath, config)));
    LivePlayout playout(show, clock, outputs, config);
    ASSERT_FALSE(playout.RunFrames(45).failed);
    ASSERT_TRUE(outputs.fill.Close());
    ASSERT_TRUE(outputs.key.Close());
    StreamFacts fill;
    StreamFacts key;
    int dark = 0;
    int bright = 0;
    ASSERT_TRUE(ProbeStream(fillPath, fill));
    ASSERT_TRUE(ProbeStream(keyPath, key, [&](int index, const AVFrame& frame) {
        if (index != 20) {
            return;
        }
        for (int y = 0; y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x) {
                int luma = frame.data[0][y * frame.linesize[0] + x];
                dark += luma < 30;
                bright += luma > 220;
            }
        }
    }));
    ASSERT_EQ(fill.packets.size(), 45u);
    ASSERT_EQ(key.packets.size(), fill.packets.size());
    for (size_t i = 0; i < fill.packets.size(); ++i) {
        ASSERT_EQ(key.packets[i].pts, fill.packets[i].pts) << i;
    }
    EXPECT_GT(dark, 0);    // where the chart is not
    EXPECT_GT(bright, 0);  // where it is
}

TEST_F(PlayoutTest, FieldsAreDrawnHalfAFrameApart) {
    LivePlayoutConfig config = SmallConfig();
    config.fields = true;
    CatchOutputs outputs;
    LivePlayout playout(show, clock, outputs, config);
    std::vector<std::pair<double, double>> drawn;
    playout.SetDrawObserver([&](double time, double position, const Show&) { drawn.emplace_back(time, position); });
    ASSERT_FALSE(playout.RunFrames(5).failed);
    // Frame 0 twice (the first is not sent), then 1 to 4: each at n and n + 0.5.
    ASSERT_EQ(drawn.size(), 12u);
    for (size_t i = 4; i < drawn.size(); i += 2) {
        EXPECT_EQ(drawn[i + 1].first, drawn[i].first + 0.5);
        EXPECT_EQ(drawn[i + 1].second, drawn[i].second + 0.5);
    }
}

namespace {

// The summed difference of line `a` of one picture and line `b` of another
// (lines counted from the top).
int64_t LineDifference(const CDib& one, int a, const CDib& other, int b) {
    const uint8_t* x = one.Row(one.Height() - 1 - a);
    const uint8_t* y = other.Row(other.Height() - 1 - b);
    int64_t sum = 0;
    for (int i = 0; i < one.Width() * 3; ++i) {
        sum += std::abs(static_cast<int>(x[i]) - static_cast<int>(y[i]));
    }
    return sum;
}

}  // namespace

TEST_F(PlayoutTest, FieldsDrawnAtHalfHeightSampleTheirOwnLines) {
    show.keyCount = 1;  // a still chart: both fields show the same moment
    LivePlayoutConfig config = SmallConfig();
    config.width = 320;
    config.height = 240;
    CatchOutputs whole;
    {
        LivePlayout playout(show, clock, whole, config);
        ASSERT_FALSE(playout.RunFrames(2).failed);
    }
    config.fields = true;
    for (bool lowerFirst : {true, false}) {
        config.lowerFieldFirst = lowerFirst;
        CatchOutputs fields;
        LivePlayout playout(show, clock, fields, config);
        ASSERT_FALSE(playout.RunFrames(2).failed);
        // Each line of the woven frame is closer to the same line of the
        // whole frame than to the line next to it (the other field's).
        int64_t own = 0;
        int64_t next = 0;
        for (int line = 1; line + 1 < config.height; ++line) {
            own += LineDifference(fields.last, line, whole.last, line);
            next += LineDifference(fields.last, line, whole.last, line % 2 == 0 ? line + 1 : line - 1);
        }
        EXPECT_LT(own * 2, next) << "lower first: " << lowerFirst;
    }
}
