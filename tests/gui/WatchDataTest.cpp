// Options, Watch Data File: the preview follows a data file, morphing from
// what it showed to each good table the file is rewritten with; a refused
// table is reported and changes nothing; choosing the item again stops.
// Time is the test's (the high-resolution counter), the watcher's answers
// are waited for with a bound.
#include <QMessageBox>
#include <chrono>
#include <cstdio>

#include "DataWatch.h"
#include "ProgramFixture.h"

namespace {

constexpr auto kBound = std::chrono::seconds(20);
constexpr int64_t kSecond = 1000000000;

int32_t WatchItemOptions(MainWindow& window, int command) {
    std::string text;
    int32_t options = -1;
    EXPECT_TRUE(GetMenuItemState(window.menu, command, text, options));
    return options;
}

// A checksum of the preview's picture, sampled.
uint64_t PreviewSum(PreviewWindow& preview) {
    const Rect client = GetClientRect(preview);
    uint64_t sum = 1469598103934665603ull;
    for (int y = 0; y < client.bottom; y += 2) {
        for (int x = 0; x < client.right; x += 2) {
            sum = (sum ^ PortPixel(WindowPort(preview), x, y)) * 1099511628211ull;
        }
    }
    return sum;
}

class WatchDataTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        SetHighResolutionCounter([this] { return now; });
        path = folder.File("results.txt");
    }
    void TearDown() override {
        SetHighResolutionCounter({});
        ProgramTest::TearDown();
    }
    void Tick() { SendEvent(&Window(), kMsgTimer, kWatchDataTimer, 0); }
    void Replace(const std::string& text) {
        ASSERT_TRUE(WriteText(path + ".new", text));
        ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0);
    }

    int64_t now = 100 * kSecond;
    TempFolder folder;
    std::string path;
};

}  // namespace

TEST_F(WatchDataTest, ThePreviewMorphsToEachGoodTableAndReportsARefusedOne) {
    ASSERT_TRUE(WriteText(path, "Poll\tYes\tNo\nNorth\t101\t102\nSouth\t103\t101\n"));
    WhenModal([this](QWidget* modal) { AnswerFileDialog(modal, path); });
    Choose(kCmdWatchData);
    ASSERT_TRUE(Window().WatchingData());
    EXPECT_EQ(WatchItemOptions(Window(), kCmdWatchData) & kMenuChecked, kMenuChecked);
    EXPECT_STREQ(TheShow().title, "Poll");
    EXPECT_STREQ(TheShow().labels[1], "South");
    EXPECT_FLOAT_EQ(TheShow().values[1][0], 102.0f);
    now += 2 * kSecond;
    Tick();  // the first table's morph is over
    const uint64_t before = PreviewSum(Preview());

    Replace("Final\tYes\tNo\nNorth\t104\t100\nSouth\t100\t104\n");
    ASSERT_TRUE(Window().Watch()->file.WaitForAnswers(1, kBound));
    Tick();
    // The show holds the new table at once; the preview starts from what
    // it showed and moves over a second.
    EXPECT_FLOAT_EQ(TheShow().values[0][0], 104.0f);
    EXPECT_STREQ(TheShow().title, "Final");
    EXPECT_TRUE(TheShow().modified);
    now += kSecond / 2;
    Tick();
    const uint64_t middle = PreviewSum(Preview());
    now += kSecond;
    Tick();
    Tick();
    const uint64_t after = PreviewSum(Preview());
    EXPECT_FALSE(Window().Watch()->morph.Running(static_cast<double>(now) / kSecond));
    Preview().Paint();  // the preview drawn the usual way, from the show
    EXPECT_EQ(PreviewSum(Preview()), after);
    EXPECT_NE(middle, before);
    EXPECT_NE(middle, after);

    Replace("Final\tYes\tNo\nNorth\t1\t2\nSou");  // half written
    ASSERT_TRUE(Window().Watch()->file.WaitForAnswers(2, kBound));
    QString message;
    WhenModal([&message](QWidget* box) {
        if (auto* shown = qobject_cast<QMessageBox*>(box)) {
            message = shown->text();
            shown->accept();
        }
    });
    Tick();
    EXPECT_NE(message.toStdString().find("not ended"), std::string::npos) << message.toStdString();
    EXPECT_FLOAT_EQ(TheShow().values[0][0], 104.0f);

    Choose(kCmdWatchData);  // stops watching
    EXPECT_FALSE(Window().WatchingData());
    EXPECT_EQ(WatchItemOptions(Window(), kCmdWatchData) & kMenuChecked, 0);
}

TEST_F(WatchDataTest, AFileThatIsNoTableIsNotWatched) {
    ASSERT_TRUE(WriteText(path, "just words"));
    QString message;
    WhenModal([&message](QWidget* box) {
        if (auto* shown = qobject_cast<QMessageBox*>(box)) {
            message = shown->text();
            shown->accept();
        }
    });
    EXPECT_FALSE(Window().WatchDataFile(path.c_str()));
    EXPECT_FALSE(Window().WatchingData());
    EXPECT_NE(message.toStdString().find("Can't watch data file"), std::string::npos) << message.toStdString();
}
