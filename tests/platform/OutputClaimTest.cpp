// Claims on outputs: a temporary of the writer's own, a second live writer
// refused at once by name, a dead writer's temporary not taken for a live
// one, and temporaries that never collide.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "CrossPlatform.h"
#include "OutputClaim.h"
#include "TestSupport.h"

namespace {

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Text(const std::string& path) {
    std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(OutputClaim, ASecondLiveWriterIsRefusedByNameUntilTheFirstEnds) {
    TempFolder folder;
    const std::string movie = folder.File("show.mov");
    ASSERT_TRUE(WriteText(movie, "last week's movie"));
    OutputClaim first;
    std::string error;
    ASSERT_TRUE(first.Claim(movie, "making", error)) << error;
    EXPECT_EQ(first.Target(), movie);
    EXPECT_EQ(first.Temporary(), movie + ".making~" + std::to_string(getpid()));
    ASSERT_TRUE(WriteText(first.Temporary(), "this week's movie"));

    // A render and a join of the same movie exclude each other as well.
    for (const char* purpose : {"making", "joining"}) {
        OutputClaim second;
        EXPECT_FALSE(second.Claim(movie, purpose, error));
        EXPECT_EQ(error, movie + " is being written by another run (its temporary file " + first.Temporary() +
                             " is open): wait for that run to end, or write to another file");
        EXPECT_FALSE(second.Held());
    }
    EXPECT_EQ(Names(folder.Path()),
              (std::vector<std::string>{"show.mov", "show.mov.making~" + std::to_string(getpid())}));
    EXPECT_EQ(Text(movie), "last week's movie");

    ASSERT_TRUE(first.Commit(error)) << error;
    EXPECT_EQ(Text(movie), "this week's movie");
    EXPECT_EQ(Names(folder.Path()), (std::vector<std::string>{"show.mov"}));
    OutputClaim next;
    EXPECT_TRUE(next.Claim(movie, "joining", error)) << error;
    next.Release();
    EXPECT_EQ(Names(folder.Path()), (std::vector<std::string>{"show.mov"}));
    // Other files of the folder, even with similar names, are no claims.
    ASSERT_TRUE(WriteText(folder.File("show.mov.part0.mov"), "x"));
    ASSERT_TRUE(WriteText(folder.File("show.movie.making~1"), "x"));
    EXPECT_TRUE(next.Claim(movie, "making", error)) << error;
}

// A killed writer's lock dies with it: its temporary is no live writer and
// is cleared away by the next claim.
TEST(OutputClaim, AKilledWritersTemporaryIsNotALiveWriter) {
    TempFolder folder;
    const std::string movie = folder.File("show.avi");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        OutputClaim claim;
        std::string error;
        _exit(claim.Claim(movie, "making", error) ? (pause(), 0) : 1);
    }
    const std::string left = movie + ".making~" + std::to_string(child);
    for (int i = 0; i < 500 && !std::filesystem::exists(left); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(std::filesystem::exists(left));
    OutputClaim refused;
    std::string error;
    EXPECT_FALSE(refused.Claim(movie, "joining", error));
    EXPECT_NE(error.find(left), std::string::npos) << error;

    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(std::filesystem::exists(left));  // what a killed run leaves
    ASSERT_TRUE(WriteText(movie + ".joining~", "an older version's temporary"));
    OutputClaim claim;
    ASSERT_TRUE(claim.Claim(movie, "joining", error)) << error;
    EXPECT_FALSE(std::filesystem::exists(left));
    EXPECT_FALSE(std::filesystem::exists(movie + ".joining~"));
    claim.Release();
    EXPECT_TRUE(Names(folder.Path()).empty());
}

TEST(OutputClaim, ALinkIsClaimedAsTheFileItNamesAndAFolderIsRefused) {
    TempFolder folder;
    std::filesystem::create_directory(folder.File("movies"));
    const std::string link = folder.File("link.mov");
    ASSERT_EQ(symlink("movies/real.mov", link.c_str()), 0);
    OutputClaim claim;
    std::string error;
    ASSERT_TRUE(claim.Claim(link, "joining", error)) << error;
    EXPECT_EQ(claim.Target(), folder.File("movies/real.mov"));
    ASSERT_TRUE(WriteText(claim.Temporary(), "joined"));
    ASSERT_TRUE(claim.Commit(error)) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(Text(link), "joined");

    OutputClaim folderClaim;
    EXPECT_FALSE(folderClaim.Claim(folder.File("movies"), "making", error));
    EXPECT_EQ(error, "cannot write " + folder.File("movies") + ": " + FileErrorText(EISDIR));
    EXPECT_FALSE(folderClaim.Claim(folder.File("none/x.mov"), "making", error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

// Temporaries are created exclusively: a name already taken (a stale file,
// a link an attacker planted) is never written through.
TEST(OutputClaim, TemporariesNeverReuseAnExistingName) {
    TempFolder folder;
    const std::string target = folder.File("show.tvr");
    const std::string taken = target + ".saving~" + std::to_string(getpid());
    ASSERT_TRUE(WriteText(folder.File("elsewhere"), "keep"));
    ASSERT_EQ(symlink("elsewhere", taken.c_str()), 0);
    ASSERT_EQ(symlink("elsewhere", (target + ".saving~").c_str()), 0);
    std::string name;
    int fd = CreateTemporaryBeside(target, "saving", name);
    ASSERT_GE(fd, 0);
    close(fd);
    EXPECT_EQ(name, taken + "-1");
    ASSERT_TRUE(WriteWholeFile(target.c_str(), "new", 3));
    EXPECT_EQ(Text(folder.File("elsewhere")), "keep");
    EXPECT_EQ(Text(target), "new");
}
