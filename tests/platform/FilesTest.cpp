// Opening files: only regular files are read, without ever blocking on a
// FIFO, and a path is never cut to fit a file name slot.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "CrossPlatform.h"
#include "HeadlessPlatform.h"
#include "TestSupport.h"

TEST(OpenFile, ReadsRegularFilesOnly) {
    TempFolder folder;
    std::string text = folder.File("data.txt");
    ASSERT_TRUE(WriteText(text, "1\t2\n"));
    PlatformFile file;
    ASSERT_TRUE(OpenFile(file, MakeFileSpec(text.c_str()), kFileRead));
    char bytes[8] = {};
    EXPECT_EQ(ReadFile(file, bytes, sizeof(bytes)), 4);
    CloseFile(file);

    // A FIFO with a writer would open and then wait for data for ever.
    std::string fifo = folder.File("pipe.txt");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    int writer = open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    errno = 0;
    EXPECT_FALSE(OpenFile(file, MakeFileSpec(fifo.c_str()), kFileRead));
    EXPECT_EQ(errno, kNotRegularFile);
    close(writer);
    // Nobody writes to this one: opening must not wait either.
    EXPECT_FALSE(OpenFile(file, MakeFileSpec(fifo.c_str()), kFileRead));
    EXPECT_FALSE(OpenFile(file, MakeFileSpec("/dev/zero"), kFileRead));
    EXPECT_FALSE(OpenFile(file, MakeFileSpec(folder.Path().c_str()), kFileRead));
    EXPECT_FALSE(IsRegularFile(fifo.c_str()));
    EXPECT_FALSE(IsRegularFile("/dev/null"));
    EXPECT_TRUE(IsRegularFile(text.c_str()));
}

TEST(OpenFile, NamesAreNeverCut) {
    TempFolder folder;
    std::string longest = folder.Path() + "/";
    longest += std::string(static_cast<size_t>(kMaxPathLength) - longest.size(), 'a');
    EXPECT_TRUE(PathFits(longest.c_str()));
    EXPECT_FALSE(PathFits((longest + "b").c_str()));
    char text[600] = {};
    PathTooLongText((longest + "b").c_str(), text, sizeof(text));
    EXPECT_NE(std::strstr(text, (longest + "b").c_str()), nullptr) << text;

    // A stored name that fills its whole slot has lost its end.
    ASSERT_TRUE(WriteText(longest.substr(0, 250), "x"));
    FileSpec full{};
    std::memset(full.name, 'a', sizeof(full.name));
    std::memcpy(full.name, longest.c_str(), 250);
    EXPECT_FALSE(NameFits(full));
    PlatformFile file;
    EXPECT_FALSE(OpenFile(file, full, kFileRead));
    EXPECT_TRUE(NameFits(MakeFileSpec(longest.c_str())));
}

// A result is ok or one message; notes come first when the desktop shows it.
TEST(Result, FailureNamesTheFileAndShowFailureTellsNotesThenTheMessage) {
    Result ok;
    EXPECT_TRUE(ok);
    EXPECT_TRUE(ok.Message().empty());
    Result failed = FileFailure("Can't read show file", "a \"b\".tvr", "the file is cut short");
    EXPECT_FALSE(failed);
    EXPECT_EQ(failed.Message(), "Can't read show file \"a \"b\".tvr\": the file is cut short");

    HeadlessPlatform recorder;
    recorder.state.quiet = true;
    PlatformScope installed(recorder);
    ShowFailure(ok);
    EXPECT_TRUE(recorder.state.messages.empty());
    ok.AddNote("first");
    failed.AddNote("before");
    ShowFailure(ok);
    ShowFailure(failed);
    EXPECT_EQ(recorder.state.messages, (std::vector<std::string>{"first", "before", failed.Message()}));
    // A note does not make a result fail.
    EXPECT_TRUE(ok);
}

TEST(SpecName, TakesTheWholeSlotWhenANameFillsIt) {
    FileSpec spec{};
    std::memset(spec.name, 'x', sizeof(spec.name));
    EXPECT_EQ(SpecName(spec), std::string(sizeof(spec.name), 'x'));
    EXPECT_EQ(SpecName(MakeFileSpec("/tmp/a.bmp")), "/tmp/a.bmp");
}
