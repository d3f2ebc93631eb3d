// The pieces of the play-out that are pure: the frame deadlines over long
// runs, the play-out's position in the show, the command lines, the live
// destinations.
#include <gtest/gtest.h>

#include "LiveClock.h"
#include "LiveCommands.h"
#include "LiveStream.h"
#include "PlayoutTimeline.h"

TEST(FrameDeadline, IsExactForAnyFrameOfAnyLengthOfRun) {
    const ExactRate ntsc{30000, 1001};
    EXPECT_EQ(FrameDeadline(ntsc, 0), 0);
    EXPECT_EQ(FrameDeadline(ntsc, 1), 33366666);  // 1001/30000 s, rounded down
    EXPECT_EQ(FrameDeadline(ntsc, 3), 100100000);
    // Every 30000 frames are exactly 1001 seconds: no drift after a day, a
    // week or a year on air.
    for (int64_t blocks : {1LL, 86LL, 604LL, 31557LL}) {
        EXPECT_EQ(FrameDeadline(ntsc, blocks * 30000), blocks * 1001 * 1000000000LL) << blocks;
    }
    // Against 128-bit arithmetic, far into a run, and frame lengths differ
    // by rounding only.
    for (int64_t n : {29999LL, 1078920LL, 107892000LL, 2000000001LL}) {
        __int128 exact = static_cast<__int128>(n) * 1001 * 1000000000 / 30000;
        EXPECT_EQ(FrameDeadline(ntsc, n), static_cast<int64_t>(exact)) << n;
        int64_t length = FrameDeadline(ntsc, n + 1) - FrameDeadline(ntsc, n);
        EXPECT_TRUE(length == 33366666 || length == 33366667) << n;
    }
    EXPECT_EQ(FrameDeadline(ExactRate{2500, 100}, 25), 1000000000);
    EXPECT_EQ(FrameDeadline(ExactRate{0, 1}, 5), 0);
}

TEST(DrivenLiveClock, MovesOnlyWhenTold) {
    DrivenLiveClock clock;
    EXPECT_EQ(clock.Now(), 0);
    clock.SleepUntil(500);
    EXPECT_EQ(clock.Now(), 500);
    clock.SleepUntil(100);  // in the past: returns at once
    EXPECT_EQ(clock.Now(), 500);
    clock.Advance(25);
    EXPECT_EQ(clock.Now(), 525);
    EXPECT_FALSE(clock.RealTime());
}

TEST(PlayoutTimeline, PlaysFromTheFirstKeyAndHoldsTheLast) {
    PlayoutTimeline timeline;
    timeline.SetRange(10, 40, false);
    timeline.Goto(0, 10);
    timeline.Play(0);
    EXPECT_EQ(timeline.PositionAt(5), 15);
    EXPECT_EQ(timeline.PositionAt(5.5), 15.5);
    EXPECT_EQ(timeline.PositionAt(30), 40);
    EXPECT_EQ(timeline.PositionAt(500), 40);
    // PLAY at the end starts again from the first key.
    timeline.Play(600);
    EXPECT_EQ(timeline.PositionAt(601), 11);
}

TEST(PlayoutTimeline, GoesRoundWithLoop) {
    PlayoutTimeline timeline;
    timeline.SetRange(10, 40, true);
    timeline.Goto(0, 10);
    timeline.Play(0);
    EXPECT_EQ(timeline.PositionAt(30), 40);
    EXPECT_EQ(timeline.PositionAt(31), 10);  // 31 frames a round: 10 .. 40
    EXPECT_EQ(timeline.PositionAt(31 * 100 + 3), 13);
}

TEST(PlayoutTimeline, StopsGoesToAndMovesToAKeyEased) {
    PlayoutTimeline timeline;
    timeline.SetRange(0, 300, false);
    timeline.Goto(0, 0);
    timeline.Play(0);
    timeline.Stop(20);
    EXPECT_FALSE(timeline.Playing());
    EXPECT_EQ(timeline.PositionAt(50), 20);
    timeline.Goto(60, 150);
    EXPECT_EQ(timeline.PositionAt(70), 150);  // still stopped
    timeline.Play(80);
    EXPECT_EQ(timeline.PositionAt(90), 160);
    timeline.MoveTo(100, 0, 10);
    EXPECT_NEAR(timeline.PositionAt(100), 170, 1e-6);
    EXPECT_NEAR(timeline.PositionAt(105), 85, 0.01);  // half way at the middle
    EXPECT_GT(timeline.PositionAt(101), 165);         // eased: slow at first
    EXPECT_EQ(timeline.PositionAt(110), 0);
    EXPECT_EQ(timeline.PositionAt(400), 0);
    EXPECT_FALSE(timeline.Playing());
}

namespace {

LiveCommand Parsed(const std::string& line) {
    LiveCommand command;
    std::string error;
    EXPECT_TRUE(ParseLiveCommand(line, command, error)) << line << ": " << error;
    return command;
}

std::string Refused(const std::string& line) {
    LiveCommand command;
    std::string error;
    EXPECT_FALSE(ParseLiveCommand(line, command, error)) << line;
    return error;
}

}  // namespace

TEST(LiveCommands, ReadsEveryCommand) {
    EXPECT_EQ(Parsed("PLAY").kind, LiveCommandKind::Play);
    EXPECT_EQ(Parsed("stop\r").kind, LiveCommandKind::Stop);  // any case, a CR before the line break
    EXPECT_EQ(Parsed("STATUS").kind, LiveCommandKind::Status);
    EXPECT_EQ(Parsed("QUIT").kind, LiveCommandKind::Quit);
    EXPECT_EQ(Parsed("GOTO 00:00:10:00").text, "00:00:10:00");
    EXPECT_EQ(Parsed("GOTO 1000").text, "1000");
    EXPECT_EQ(Parsed("KEY 3").key, 3);
    LiveCommand row = Parsed("DATA \tYes\tNo");
    EXPECT_EQ(row.kind, LiveCommandKind::DataRow);
    EXPECT_EQ(row.text, "\tYes\tNo");  // the header's empty first cell is kept
    EXPECT_EQ(Parsed("DATA\tNorth\t1\t2").text, "North\t1\t2");
    EXPECT_EQ(Parsed("DATA END").kind, LiveCommandKind::DataEnd);
    EXPECT_EQ(Parsed("DATA END\t1").kind, LiveCommandKind::DataRow);  // a row whose label is END
    LiveCommand load = Parsed("LOAD SHOW /shows/my results.tvr");
    EXPECT_EQ(load.kind, LiveCommandKind::LoadShow);
    EXPECT_EQ(load.text, "/shows/my results.tvr");
}

TEST(LiveCommands, RefusesMalformedLines) {
    EXPECT_EQ(Refused("JUMP 3"), "unknown command \"JUMP\"");
    EXPECT_EQ(Refused(""), "empty line");
    EXPECT_EQ(Refused("PLAY now"), "PLAY takes nothing after it");
    EXPECT_EQ(Refused("GOTO"), "GOTO takes a timecode such as 00:00:10:00");
    EXPECT_EQ(Refused("GOTO 1:2:3:4:5"), "GOTO takes a timecode such as 00:00:10:00");
    EXPECT_EQ(Refused("GOTO 10s"), "GOTO takes a timecode such as 00:00:10:00");
    EXPECT_EQ(Refused("KEY 0"), "KEY takes a key number from 1, such as KEY 2");
    EXPECT_EQ(Refused("KEY two"), "KEY takes a key number from 1, such as KEY 2");
    EXPECT_EQ(Refused("KEY 99999"), "KEY takes a key number from 1, such as KEY 2");
    EXPECT_EQ(Refused("DATA"), "DATA takes a tab-separated row, or END");
    EXPECT_EQ(Refused("LOAD movie.mov"), "LOAD takes SHOW and a show file's path");
    EXPECT_EQ(Refused("LOAD SHOW"), "LOAD takes SHOW and a show file's path");
    EXPECT_EQ(Refused("\x1b[2J"), "unknown command \"?[2J\"");
}

TEST(LiveTarget, ChoosesTheMuxerByDestination) {
    LiveTarget target;
    std::string error;
    ASSERT_TRUE(ParseLiveTarget("udp://127.0.0.1:5000", target, error)) << error;
    EXPECT_EQ(target.muxer, "mpegts");
    EXPECT_EQ(target.url, "udp://127.0.0.1:5000?pkt_size=1316");
    ASSERT_TRUE(ParseLiveTarget("udp://239.0.0.1:5000?ttl=4&pkt_size=188", target, error));
    EXPECT_EQ(target.url, "udp://239.0.0.1:5000?ttl=4&pkt_size=188");
    ASSERT_TRUE(ParseLiveTarget("rtmp://localhost/live/key", target, error));
    EXPECT_EQ(target.muxer, "flv");
    ASSERT_TRUE(ParseLiveTarget("-", target, error));
    EXPECT_EQ(target.muxer, "nut");
    EXPECT_EQ(target.url, "pipe:1");
    ASSERT_TRUE(ParseLiveTarget("on:air.mkv", target, error));
    EXPECT_EQ(target.muxer, "matroska");
    EXPECT_EQ(target.url, "file:on:air.mkv");  // the colon is no protocol
    ASSERT_TRUE(ParseLiveTarget("record", target, error));
    EXPECT_EQ(target.muxer, "mpegts");
    if (LiveProtocolAvailable("srt")) {
        ASSERT_TRUE(ParseLiveTarget("srt://127.0.0.1:9000", target, error)) << error;
        EXPECT_EQ(target.muxer, "mpegts");
        EXPECT_EQ(target.url, "srt://127.0.0.1:9000?pkt_size=1316&linger=2");
    } else {
        EXPECT_FALSE(ParseLiveTarget("srt://127.0.0.1:9000", target, error));
        EXPECT_NE(error.find("libsrt"), std::string::npos);
    }
    EXPECT_FALSE(ParseLiveTarget("http://example/x", target, error));
    EXPECT_FALSE(ParseLiveTarget("udp://", target, error));
    EXPECT_FALSE(ParseLiveTarget("frame.png", target, error));
    EXPECT_FALSE(ParseLiveTarget("sound.wav", target, error));
}

TEST(LiveTarget, RefusesACodecTheContainerCannotCarry) {
    LiveStreamSpec spec;
    std::string error;
    ASSERT_TRUE(ParseLiveTarget("rtmp://localhost/live/key", spec.target, error));
    EXPECT_EQ(LiveCodecProblem(spec), "");  // H.264 in FLV
    spec.codec = "apch";
    EXPECT_NE(LiveCodecProblem(spec), "");
    spec.codec = "DIB ";
    EXPECT_NE(LiveCodecProblem(spec).find("cannot be streamed"), std::string::npos);
}
