// tavrilo-render says what it made, and refuses what would do nothing or
// not what was typed: the frame of a picture, a range that runs backwards,
// --frame without a picture, data beyond what a show holds, the key movie.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "TavriloVersion.h"
#include "TestSupport.h"

namespace {

using Outcome = CommandRun;

// Runs tavrilo-render in `folder` (where it writes), with settings there.
Outcome Render(const TempFolder& folder, const std::string& arguments) {
    std::string command = "cd '" + folder.Path() + "' && XDG_CONFIG_HOME='" + folder.Path() + "' '" + TAVRILO_BIN_DIR +
                          "/tavrilo-render' " + arguments;
    return RunCommand(command, folder.File("stderr.txt"));
}

bool Exists(const TempFolder& folder, const std::string& name) {
    return std::filesystem::exists(folder.File(name));
}

// A table of `rows` categories and `sets` sets, labels "L1"... and names "S1"...
std::string Table(int rows, int sets) {
    std::string text;
    for (int set = 1; set <= sets; ++set) {
        text += "\tS" + std::to_string(set);
    }
    text += "\n";
    for (int row = 1; row <= rows; ++row) {
        text += "L" + std::to_string(row);
        for (int set = 1; set <= sets; ++set) {
            text += "\t" + std::to_string(row * 10 + set);
        }
        text += "\n";
    }
    return text;
}

}  // namespace

TEST(SaysWhatItDid, APictureNamesItsFrame) {
    TempFolder folder;
    Outcome first = Render(folder, "-o x.png --size 64x48");
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, "Picture made: x.png (frame 0; --frame N renders another)\n");
    EXPECT_TRUE(Exists(folder, "x.png"));
    Outcome chosen = Render(folder, "-o y.bmp --frame 150 --size 64x48");
    ASSERT_EQ(chosen.status, 0) << chosen.err;
    EXPECT_EQ(chosen.out, "Picture made: y.bmp (frame 150)\n");
}

TEST(SaysWhatItDid, ASequenceNamesItsFirstAndLastPicture) {
    TempFolder folder;
    Outcome run = Render(folder, "-o s###.png --start 0 --end 5 --size 64x48");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Pictures made: s000.png to s004.png (frames 0 to 4, 5 pictures)\n");
    EXPECT_TRUE(Exists(folder, "s004.png"));
    EXPECT_FALSE(Exists(folder, "s005.png"));
    Outcome part = Render(folder, "-o p###.png --start 0 --end 5 --size 64x48 --part 1/2");
    ASSERT_EQ(part.status, 0) << part.err;
    EXPECT_EQ(part.out, "Pictures made: p002.png to p004.png (frames 2 to 4, 3 pictures)\n");
}

TEST(SaysWhatItDid, OptionsThatWouldBeIgnoredAreRefused) {
    TempFolder folder;
    const std::pair<const char*, const char*> refused[] = {
        {"--frame 3", "--frame needs -o OUT.png"},
        {"--frame 3 -o m.mov", "--frame needs -o OUT.png"},
        {"--frame 3 -o s##.png", "--frame names one picture"},
        {"--start 10 -o x.png", "--start picks the frames of a movie or of a numbered sequence"},
        {"--end 10 -o x.tga", "--end picks the frames of a movie or of a numbered sequence"},
    };
    for (const auto& [arguments, reason] : refused) {
        Outcome run = Render(folder, arguments);
        EXPECT_EQ(run.status, 1) << arguments;
        EXPECT_NE(run.err.find(reason), std::string::npos) << arguments << ": " << run.err;
    }
    EXPECT_FALSE(Exists(folder, "m.mov"));
    EXPECT_FALSE(Exists(folder, "x.png"));
}

TEST(SaysWhatItDid, AnEndBeforeTheStartIsRefused) {
    TempFolder folder;
    // "200" is 2 seconds (frame 60), "100" one second (frame 30).
    for (const char* output : {"m.mov", "m.avi", "s##.png"}) {
        Outcome run = Render(folder, std::string("-o ") + output + " --start 200 --end 100");
        EXPECT_EQ(run.status, 1) << output;
        EXPECT_EQ(run.err, "tavrilo-render: --end (frame 30) comes before --start (frame 60)\n") << output;
    }
    // The demo show's last key is frame 299.
    Outcome late = Render(folder, "-o m.mov --start 00:00:20:00");
    EXPECT_EQ(late.status, 1);
    EXPECT_NE(late.err.find("the end, the last keyframe (frame 299), comes before --start (frame 600)"),
              std::string::npos)
        << late.err;
    EXPECT_FALSE(Exists(folder, "m.mov"));
    EXPECT_FALSE(Exists(folder, "m.avi"));
    EXPECT_FALSE(Exists(folder, "s60.png"));
}

TEST(SaysWhatItDid, TheKeyMovieIsNamedBesideTheFill) {
    TempFolder folder;
    Outcome run = Render(folder, "-o k.mov --codec ap4h --alpha --key --end 3 --size 64x48");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Movie files successfully made: k.mov and k-key.mov (3 frames)\n"), std::string::npos)
        << run.out;
    EXPECT_TRUE(Exists(folder, "k.mov"));
    EXPECT_TRUE(Exists(folder, "k-key.mov"));
}

TEST(SaysWhatItDid, DataBeyondTheShowIsNamedInOneWarning) {
    TempFolder folder;
    ASSERT_TRUE(WriteText(folder.File("big.txt"), Table(40, 6)));
    Outcome big = Render(folder, "--new --data big.txt --info");
    ASSERT_EQ(big.status, 0) << big.err;
    EXPECT_EQ(big.err,
              "tavrilo-render: warning: big.txt: a show takes 32 categories and 4 sets; left out categories 33 to "
              "40 (\"L33\" to \"L40\"), sets 5 to 6 (\"S5\" to \"S6\")\n");
    EXPECT_NE(big.out.find("\"setNames\":[\"S1\",\"S2\",\"S3\",\"S4\","), std::string::npos);
    EXPECT_EQ(big.out.find("\"S5\""), std::string::npos);
    EXPECT_EQ(big.out.find("\"L33\""), std::string::npos);

    ASSERT_TRUE(WriteText(folder.File("one.txt"), Table(33, 4)));
    Outcome one = Render(folder, "--new --data one.txt");
    EXPECT_EQ(one.err,
              "tavrilo-render: warning: one.txt: a show takes 32 categories and 4 sets; left out category 33 "
              "(\"L33\")\n");

    ASSERT_TRUE(WriteText(folder.File("fits.txt"), Table(32, 4) + "\n\n\t\t\t\t\t\n"));
    Outcome fits = Render(folder, "--new --data fits.txt");
    EXPECT_EQ(fits.status, 0);
    EXPECT_EQ(fits.err, "");

    // Only the first 32768 bytes of a data file are read.
    ASSERT_TRUE(WriteText(folder.File("long.txt"), Table(4, 4) + std::string(40000, ' ') + "\n"));
    Outcome longer = Render(folder, "--new --data long.txt");
    EXPECT_NE(longer.err.find("left out everything after byte 32768\n"), std::string::npos) << longer.err;
}

TEST(SaysWhatItDid, VersionComesFromTheProject) {
    TempFolder folder;
    Outcome version = Render(folder, "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("tavrilo-render (Tavrilo) ") + TAVRILO_VERSION + "\n");
    Outcome info = Render(folder, "--info");
    EXPECT_EQ(info.out.rfind(std::string("{\"program\":\"tavrilo-render ") + TAVRILO_VERSION + "\",", 0), 0u)
        << info.out.substr(0, 80);
}
