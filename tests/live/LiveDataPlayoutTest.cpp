// Live data and commands in the play-out, on a driven clock: a data file
// replaced mid-run, and the chart drawn from then on (read back as the
// renderer's own values), half-written and bad tables refused with the old
// values kept; PLAY, STOP, GOTO, KEY, DATA, LOAD SHOW, STATUS and QUIT as
// the frames see them.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "LiveSupport.h"
#include "Utilities.h"

namespace {

constexpr auto kBound = std::chrono::seconds(20);

struct Drawn {
    double position = 0;
    float first = 0;   // values[0][0] as drawn
    float second = 0;  // values[0][1]
    std::string label;
    std::string title;
};

class LiveDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = folder.File("votes.txt");
        ASSERT_TRUE(WriteText(path, "Votes\tYes\nNorth\t100\nSouth\t200\n"));
        std::string error;
        ASSERT_TRUE(ReadLiveDataFile(path, LiveDataKind::Table, first, error)) << error;
        ASSERT_TRUE(gate.Admit(first, error));
        ApplyLiveTable(show, first.table);
    }

    // Starts watching, handing updates to the play-out and noting every
    // answer of the watcher.
    void Watch(LivePlayout& playout) {
        std::string error;
        ASSERT_TRUE(watcher.Start(
            path, LiveDataKind::Table, &gate,
            [&](LiveDataUpdate&& update) {
                playout.Data().Put(std::move(update));
                Note();
            },
            [&](const std::string& message) {
                messages.push_back(message);
                Note();
            },
            error));
    }
    void Note() {
        std::lock_guard<std::mutex> hold(lock);
        ++answers;
        changed.notify_all();
    }
    // Writes the file (renamed into place or written in place) and waits
    // for the watcher to answer.
    void WriteAndWait(const std::string& text, bool inPlace) {
        int before = 0;
        {
            std::lock_guard<std::mutex> hold(lock);
            before = answers;
        }
        if (inPlace) {
            ASSERT_TRUE(WriteText(path, text));
        } else {
            ASSERT_TRUE(WriteText(path + ".new", text));
            ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0);
        }
        std::unique_lock<std::mutex> hold(lock);
        ASSERT_TRUE(changed.wait_for(hold, kBound, [&] { return answers > before; }));
    }
    void Record(LivePlayout& playout) {
        playout.SetDrawObserver([&](double time, double position, const Show& s) {
            drawn[time] = Drawn{position, s.values[0][0], s.values[0][1], s.labels[0], s.title};
        });
    }

    LiveShow live;
    Show& show = live.Get();
    DrivenLiveClock clock;
    TempFolder folder;
    std::string path;
    LiveDataGate gate;
    LiveDataUpdate first;
    DataWatcher watcher;
    std::mutex lock;
    std::condition_variable changed;
    int answers = 0;
    std::vector<std::string> messages;
    std::map<double, Drawn> drawn;
    CatchOutputs outputs;
};

}  // namespace

TEST_F(LiveDataTest, AReplacedDataFileMorphsTheChartToTheNewValues) {
    LivePlayout playout(show, clock, outputs, SmallConfig());  // a morph of 10 frames
    Record(playout);
    Watch(playout);
    playout.SetDrawObserver([&](double time, double position, const Show& s) {
        drawn[time] = Drawn{position, s.values[0][0], s.values[0][1], s.labels[0], s.title};
        if (time == 20.0) {
            WriteAndWait("Turnout\tYes\nEast\t300\nWest\t0\n", false);
        }
        if (time == 40.0) {
            WriteAndWait("Turnout\tYes\nEast\t999\nWe", true);  // half written
        }
        if (time == 45.0) {
            WriteAndWait("Turnout\tYes\nEast\t999\nWest\tlots\n", true);  // not a number
        }
    });
    ASSERT_FALSE(playout.RunFrames(60).failed);
    watcher.Stop();
    // Up to the frame the update reached, the old values; then from the
    // drawn values to the new ones, eased, over 10 frames.
    EXPECT_EQ(drawn[20.0].first, 100.0f);
    EXPECT_EQ(drawn[21.0].first, 100.0f);
    EXPECT_EQ(drawn[21.0].label, "East");  // labels and title change at once
    EXPECT_EQ(drawn[21.0].title, "Turnout");
    for (double t = 22.0; t < 31.0; t += 1.0) {
        EXPECT_GT(drawn[t].first, drawn[t - 1].first) << t;
        EXPECT_LT(drawn[t].first, 300.0f) << t;
        EXPECT_LT(drawn[t].second, drawn[t - 1].second) << t;
    }
    EXPECT_NEAR(drawn[26.0].first, 200.0f, 0.1f);  // half way at the middle
    for (double t = 31.0; t < 60.0; t += 1.0) {
        ASSERT_EQ(drawn[t].first, 300.0f) << t;  // the new values, and the refused tables changed nothing
        ASSERT_EQ(drawn[t].second, 0.0f) << t;
    }
    EXPECT_EQ(playout.Counters().dataVersion, 1);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find("not ended"), std::string::npos) << messages[0];
    EXPECT_NE(messages[1].find("\"lots\" is not a number"), std::string::npos) << messages[1];
    EXPECT_EQ(playout.Counters().late, 0);  // an update never makes a frame late
}

TEST_F(LiveDataTest, CommandsActBetweenFramesAndAreAnswered) {
    // A second show to load: the demo with its keys moved.
    const std::string other = folder.File("other.tvr");
    {
        LiveShow second;
        second.Get().keys[0].frame = 60;
        ASSERT_TRUE(SaveShowFile(second.Get(), MakeFileSpec(other.c_str())));
        gShow = &show;
    }
    LivePlayout playout(show, clock, outputs, SmallConfig());
    Record(playout);
    std::vector<std::pair<int, std::string>> answered;
    playout.SetAnswer([&](int client, const std::string& line) { answered.emplace_back(client, line); });
    auto submit = [&](const std::string& line, int client = 1) {
        LiveRequest request;
        request.client = client;
        std::string error;
        ASSERT_TRUE(ParseLiveCommand(line, request.command, error)) << line << ": " << error;
        if (request.command.kind == LiveCommandKind::LoadShow) {
            FILE* file = std::fopen(request.command.text.c_str(), "rb");
            ASSERT_NE(file, nullptr);
            request.showImage.resize(kShowFileReadLimit);
            request.showImage.resize(std::fread(request.showImage.data(), 1, request.showImage.size(), file));
            std::fclose(file);
        }
        if (request.command.kind == LiveCommandKind::DataEnd) {
            std::string error2;
            ASSERT_TRUE(ParseLiveData(LiveDataKind::Table, "T\tYes\nUp\t7\nDown\t8\n", request.data, error2));
        }
        playout.Submit(std::move(request));
    };
    playout.SetStopCheck([&] {
        const int64_t out = playout.Counters().framesOut;
        if (out == 10)
            submit("STOP");
        if (out == 20)
            submit("PLAY");
        if (out == 30)
            submit("GOTO 00:00:05:00");
        if (out == 40)
            submit("KEY 3");
        if (out == 60)
            submit("STATUS", 7);
        if (out == 61)
            submit("KEY 9");
        if (out == 62)
            submit("DATA END");
        if (out == 75)
            submit("LOAD SHOW " + other);
        if (out == 90)
            submit("QUIT");
        return false;
    });
    LiveOutcome outcome = playout.RunFrames(1000);
    ASSERT_TRUE(outcome.quit);
    EXPECT_LT(playout.Counters().framesOut, 100);
    // Each command acts on the next frame drawn. STOP holds the frame, PLAY
    // goes on from it.
    EXPECT_EQ(drawn[10.0].position, drawn[9.0].position + 1.0);
    EXPECT_EQ(drawn[19.0].position, drawn[10.0].position);
    EXPECT_EQ(drawn[21.0].position, drawn[20.0].position + 1.0);
    EXPECT_EQ(drawn[20.0].position, drawn[19.0].position);
    // GOTO cuts to 5 seconds (frame 150 at 29.97) and plays on.
    EXPECT_EQ(drawn[30.0].position, 150.0);
    EXPECT_EQ(drawn[35.0].position, 155.0);
    // KEY 3 moves to the third key's frame over the morph (10 frames), eased.
    const double keyFrame = show.keys[2].frame;
    EXPECT_GT(drawn[45.0].position, drawn[41.0].position);
    EXPECT_LT(drawn[45.0].position, keyFrame);
    EXPECT_EQ(drawn[52.0].position, keyFrame);
    EXPECT_EQ(drawn[58.0].position, keyFrame);
    // DATA END puts the table in; LOAD SHOW plays the new show from its
    // first key with the live data kept.
    EXPECT_GT(drawn[66.0].first, 7.0f);  // morphing
    EXPECT_EQ(drawn[74.0].first, 7.0f);
    EXPECT_EQ(drawn[75.0].position, 60.0);  // the loaded show's first key
    EXPECT_EQ(drawn[77.0].position, 62.0);
    EXPECT_EQ(drawn[77.0].first, 7.0f);
    EXPECT_EQ(drawn[77.0].label, "Up");
    ASSERT_EQ(answered.size(), 9u);
    EXPECT_EQ(answered[0].second.rfind("OK stopped at ", 0), 0u) << answered[0].second;
    EXPECT_EQ(answered[1].second.rfind("OK playing from ", 0), 0u) << answered[1].second;
    EXPECT_EQ(answered[2].second, "OK at 00:00:05:00, playing");
    EXPECT_EQ(answered[3].second, "OK moving to key 3 at " + TimecodeText(show.keys[2].frame, true, show.frameRate));
    EXPECT_EQ(answered[4].first, 7);
    EXPECT_EQ(answered[4].second.rfind("OK frame ", 0), 0u) << answered[4].second;
    EXPECT_NE(answered[4].second.find(" late 0 dropped 0 data 0 stopped"), std::string::npos) << answered[4].second;
    EXPECT_EQ(answered[5].second, "ERR there is no key 9: the show has 3 keys");
    EXPECT_EQ(answered[6].second, "OK data version 1");
    EXPECT_EQ(answered[7].second.rfind("OK loaded " + other, 0), 0u) << answered[7].second;
    EXPECT_EQ(answered[8].second, "OK ending the stream");
}

TEST(LiveStreamData, AWatchedStreamFileMorphsTheShownRow) {
    LiveShow live;
    Show& show = live.Get();
    TempFolder folder;
    const std::string path = folder.File("rows.txt");
    ASSERT_TRUE(WriteText(path, "10\t20\n30\t40\n"));
    LiveDataGate gate;
    LiveDataUpdate first;
    std::string error;
    ASSERT_TRUE(ReadLiveDataFile(path, LiveDataKind::Stream, first, error)) << error;
    ASSERT_TRUE(gate.Admit(first, error));
    ASSERT_TRUE(ApplyLiveStream(show, first.streamText, 1000.0f));  // row 0 for the whole run
    DrivenLiveClock clock;
    CatchOutputs outputs;
    LivePlayoutConfig config = SmallConfig();
    config.streamInterval = 1000.0f;
    LivePlayout playout(show, clock, outputs, config);
    std::map<double, float> shown;
    playout.SetDrawObserver([&](double time, double, const Show& s) {
        shown[time] = s.currentValues[0];
        if (time == 5.0) {
            LiveDataUpdate update;
            ASSERT_TRUE(ParseLiveData(LiveDataKind::Stream, "50\t60\n70\t80\n", update, error));
            ASSERT_TRUE(gate.Admit(update, error));
            playout.Data().Put(update);
        }
    });
    ASSERT_FALSE(playout.RunFrames(25).failed);
    EXPECT_EQ(shown[6.0], 10.0f);
    EXPECT_GT(shown[10.0], 10.0f);
    EXPECT_LT(shown[10.0], 50.0f);
    EXPECT_EQ(shown[16.0], 50.0f);
    EXPECT_EQ(show.streamColumns, 2);
}
