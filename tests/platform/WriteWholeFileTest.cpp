// Writing a whole file through a temporary beside it: a failed write keeps
// the previous file and leaves nothing behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "CrossPlatform.h"
#include "TestSupport.h"

namespace {

size_t EntriesIn(const std::string& folder) {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++count;
    }
    return count;
}

}  // namespace

TEST(WriteWholeFile, ReplacesTheFileWhenEverythingIsWritten) {
    TempFolder folder;
    std::string path = folder.File("show.tvr");
    ASSERT_TRUE(WriteText(path, "old contents"));
    ASSERT_TRUE(WriteWholeFile(path.c_str(), "new", 3));
    std::vector<uint8_t> bytes = ReadBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "new");
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);
    ASSERT_TRUE(WriteWholeFile(path.c_str(), nullptr, 0));
    EXPECT_TRUE(ReadBytes(path).empty());
}

TEST(WriteWholeFile, MissingFolderFailsWithoutCreatingAnything) {
    TempFolder folder;
    std::string path = folder.File("no-such-folder/show.tvr");
    errno = 0;
    EXPECT_FALSE(WriteWholeFile(path.c_str(), "abc", 3));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(EntriesIn(folder.Path()), 0u);
}

TEST(WriteWholeFile, ShortWriteKeepsThePreviousFile) {
    TempFolder folder;
    std::string path = folder.File("show.tvr");
    ASSERT_TRUE(WriteText(path, "previous"));
    std::string big(64 * 1024, 'n');
    bool written = true;
    {
        FileSizeLimit limit(1000);
        ASSERT_TRUE(limit.Active());
        written = WriteWholeFile(path.c_str(), big.data(), static_cast<long>(big.size()));
    }
    EXPECT_FALSE(written);
    std::vector<uint8_t> bytes = ReadBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "previous");
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);  // no temporary file left
}

TEST(WriteWholeFile, FailedRenameKeepsTheTargetAndRemovesTheTemporary) {
    TempFolder folder;
    std::string target = folder.File("target");
    std::filesystem::create_directories(target + "/inside");  // a non-empty folder cannot be replaced
    EXPECT_FALSE(WriteWholeFile(target.c_str(), "abc", 3));
    EXPECT_TRUE(std::filesystem::is_directory(target + "/inside"));
    EXPECT_EQ(EntriesIn(folder.Path()), 1u);
}

TEST(WriteWholeFile, RefusesBadArguments) {
    TempFolder folder;
    std::string path = folder.File("x");
    EXPECT_FALSE(WriteWholeFile(nullptr, "a", 1));
    EXPECT_FALSE(WriteWholeFile("", "a", 1));
    EXPECT_FALSE(WriteWholeFile(path.c_str(), "a", -1));
    EXPECT_FALSE(WriteWholeFile(path.c_str(), nullptr, 5));
    EXPECT_EQ(EntriesIn(folder.Path()), 0u);
}

TEST(WriteWholeFile, ThroughALinkWritesTheFileItNamesAndKeepsTheLink) {
    TempFolder folder;
    std::filesystem::create_directories(folder.File("real"));
    std::string target = folder.File("real/show.tvr");
    std::string link = folder.File("show.tvr");
    ASSERT_TRUE(WriteText(target, "old"));
    ASSERT_EQ(symlink("real/show.tvr", link.c_str()), 0);
    ASSERT_TRUE(WriteWholeFile(link.c_str(), "new", 3));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    std::vector<uint8_t> bytes = ReadBytes(target);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "new");
    EXPECT_EQ(EntriesIn(folder.Path()), 2u);  // the link and the folder
    EXPECT_EQ(EntriesIn(folder.File("real")), 1u);

    // A link to a file not made yet makes that file.
    std::string dangling = folder.File("later.tvr");
    ASSERT_EQ(symlink("real/later.tvr", dangling.c_str()), 0);
    ASSERT_TRUE(WriteWholeFile(dangling.c_str(), "x", 1));
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_TRUE(std::filesystem::is_regular_file(folder.File("real/later.tvr")));
}

TEST(WriteWholeFile, AFifoOrALinkToADeviceIsRefusedAndKept) {
    TempFolder folder;
    std::string fifo = folder.File("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    errno = 0;
    EXPECT_FALSE(WriteWholeFile(fifo.c_str(), "abc", 3));
    EXPECT_EQ(errno, kNotRegularFile);
    EXPECT_STREQ(FileErrorText(errno), "not a regular file");
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    std::string device = folder.File("null");
    ASSERT_EQ(symlink("/dev/null", device.c_str()), 0);
    EXPECT_FALSE(WriteWholeFile(device.c_str(), "abc", 3));
    EXPECT_TRUE(std::filesystem::is_symlink(device));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    EXPECT_EQ(EntriesIn(folder.Path()), 2u);
}
