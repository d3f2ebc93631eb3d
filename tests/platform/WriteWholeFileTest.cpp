// Writing a whole file through a temporary beside it: a failed write keeps
// the previous file and leaves nothing behind.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cerrno>
#include <csignal>
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

// Limits the size of files this process may write, so that writing more
// fails with EFBIG as on a full disk; restores the limit at the end.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    bool Active() const { return active_; }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
    bool active_ = false;
};

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
