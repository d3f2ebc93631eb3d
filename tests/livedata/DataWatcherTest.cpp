// The data watcher on real files: a table written in place or renamed into
// place arrives whole; a half-written, unreadable, oversized or other-shape
// table is refused with one message and nothing is delivered. Waits are on
// the watcher's own answers, bounded.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "DataWatcher.h"
#include "TestSupport.h"

namespace {

constexpr auto kBound = std::chrono::seconds(20);

const char kFirst[] = "\tA\tB\nx\t1\t2\ny\t3\t4\n";

class WatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = folder.File("data.txt");
        ASSERT_TRUE(WriteText(path, kFirst));
        LiveDataUpdate first;
        std::string error;
        ASSERT_TRUE(ReadLiveDataFile(path, LiveDataKind::Table, first, error)) << error;
        ASSERT_TRUE(gate.Admit(first, error));
        ASSERT_TRUE(watcher.Start(
            path, LiveDataKind::Table, &gate,
            [this](LiveDataUpdate&& update) {
                std::lock_guard<std::mutex> hold(lock);
                delivered.push_back(std::move(update));
                changed.notify_all();
            },
            [this](const std::string& message) {
                std::lock_guard<std::mutex> hold(lock);
                messages.push_back(message);
                changed.notify_all();
            },
            error))
            << error;
    }
    void TearDown() override { watcher.Stop(); }

    // Waits until the watcher has answered `count` changes in all.
    bool WaitForAnswers(size_t count) {
        std::unique_lock<std::mutex> hold(lock);
        return changed.wait_for(hold, kBound, [&] { return delivered.size() + messages.size() >= count; });
    }

    // Writes the file through a new name renamed over it, as careful
    // writers do.
    void Replace(const std::string& text) {
        std::string temporary = folder.File("data.tmp");
        ASSERT_TRUE(WriteText(temporary, text));
        ASSERT_EQ(std::rename(temporary.c_str(), path.c_str()), 0);
    }

    TempFolder folder;
    std::string path;
    LiveDataGate gate;
    DataWatcher watcher;
    std::mutex lock;
    std::condition_variable changed;
    std::vector<LiveDataUpdate> delivered;
    std::vector<std::string> messages;
};

}  // namespace

TEST_F(WatcherTest, DeliversATableWrittenInPlaceOrRenamedIntoPlace) {
    ASSERT_TRUE(WriteText(path, "\tA\tB\nx\t10\t20\ny\t30\t40\n"));
    ASSERT_TRUE(WaitForAnswers(1));
    Replace("Votes\tA\tB\nx\t5\t6\ny\t7\t8\n");
    ASSERT_TRUE(WaitForAnswers(2));
    ASSERT_EQ(messages.size(), 0u) << messages[0];
    ASSERT_EQ(delivered.size(), 2u);
    EXPECT_FLOAT_EQ(delivered[0].table.Value(1, 1), 40.0f);
    EXPECT_EQ(delivered[1].table.title, "Votes");
    EXPECT_FLOAT_EQ(delivered[1].table.Value(0, 0), 5.0f);
    EXPECT_EQ(delivered[1].source, path);
}

TEST_F(WatcherTest, RefusesHalfWrittenBadAndOtherShapeTablesWithOneMessageEach) {
    ASSERT_TRUE(WriteText(path, "\tA\tB\nx\t10\t20\ny\t3"));  // cut off in its last row
    ASSERT_TRUE(WaitForAnswers(1));
    ASSERT_TRUE(WriteText(path, "\tA\tB\nx\t10\t20\ny\t3\tz\n"));
    ASSERT_TRUE(WaitForAnswers(2));
    Replace("\tA\tB\nx\t10\t20\n");  // a row short: another shape
    ASSERT_TRUE(WaitForAnswers(3));
    ASSERT_TRUE(WriteText(path, std::string(kLiveTableFileLimit + 1, '1')));
    ASSERT_TRUE(WaitForAnswers(4));
    EXPECT_TRUE(delivered.empty());
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_NE(messages[0].find("not ended"), std::string::npos) << messages[0];
    EXPECT_NE(messages[1].find("\"z\" is not a number"), std::string::npos) << messages[1];
    EXPECT_NE(messages[2].find("another shape"), std::string::npos) << messages[2];
    EXPECT_NE(messages[3].find("larger than 32768 bytes"), std::string::npos) << messages[3];
    for (const std::string& message : messages) {
        EXPECT_NE(message.find("the chart keeps its data"), std::string::npos);
    }
    // A good table afterwards gets through.
    ASSERT_TRUE(WriteText(path, "\tA\tB\nx\t1\t1\ny\t1\t1\n"));
    ASSERT_TRUE(WaitForAnswers(5));
    EXPECT_EQ(delivered.size(), 1u);
}

TEST_F(WatcherTest, AFileThatCannotBeReadIsRefused) {
    if (geteuid() == 0) {
        // Permissions do not stop root: an unreadable file is a folder here.
        std::string error;
        LiveDataUpdate update;
        EXPECT_FALSE(ReadLiveDataFile(folder.Path(), LiveDataKind::Table, update, error));
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
        return;
    }
    ASSERT_TRUE(WriteText(path, kFirst));
    ASSERT_TRUE(WaitForAnswers(1));
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    LiveDataUpdate update;
    std::string error;
    EXPECT_FALSE(ReadLiveDataFile(path, LiveDataKind::Table, update, error));
}

TEST(LiveDataMailbox, KeepsOnlyTheNewestUpdate) {
    LiveDataMailbox mailbox;
    LiveDataUpdate update;
    EXPECT_FALSE(mailbox.TryTake(update));
    LiveDataUpdate first;
    first.source = "first";
    LiveDataUpdate second;
    second.source = "second";
    mailbox.Put(first);
    mailbox.Put(second);
    ASSERT_TRUE(mailbox.TryTake(update));
    EXPECT_EQ(update.source, "second");
    EXPECT_FALSE(mailbox.TryTake(update));
}

TEST(DataWatcherStart, RefusesAFolderItCannotWatch) {
    DataWatcher watcher;
    std::string error;
    EXPECT_FALSE(watcher.Start(
        "/no/such/folder/data.txt", LiveDataKind::Table, nullptr, [](LiveDataUpdate&&) {}, [](const std::string&) {},
        error));
    EXPECT_NE(error.find("cannot watch the folder"), std::string::npos) << error;
}

TEST_F(WatcherTest, SaysSoWhenTheFolderGoes) {
    ASSERT_EQ(std::remove(path.c_str()), 0);
    ASSERT_EQ(rmdir(folder.Path().c_str()), 0);
    ASSERT_TRUE(WaitForAnswers(1));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("its folder is gone"), std::string::npos) << messages[0];
}
