// tavrilo-render as scripts use it: run the program, read its output and
// exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "TestSupport.h"

namespace {

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

// Runs tavrilo-render with a private settings folder.
RunResult RunRender(const TempFolder& folder, const std::string& arguments) {
    std::string errPath = folder.File("stderr.txt");
    std::string command = "XDG_CONFIG_HOME=" + Quote(folder.Path()) + " " +
                          Quote(std::string(TAVRILO_BIN_DIR) + "/tavrilo-render") + " " + arguments + " 2>" +
                          Quote(errPath);
    RunResult run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return run;
    }
    char buffer[4096];
    size_t count = 0;
    while ((count = fread(buffer, 1, sizeof(buffer), pipe)) > 0) {
        run.out.append(buffer, count);
    }
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    auto bytes = ReadBytes(errPath);
    run.err.assign(bytes.begin(), bytes.end());
    return run;
}

int CountLines(const std::string& text) {
    int lines = 0;
    for (char c : text) {
        lines += c == '\n';
    }
    return lines;
}

bool Has(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
}

}  // namespace

TEST(Cli, DemoAndNewShowInfo) {
    TempFolder folder;
    RunResult demo = RunRender(folder, "--info");
    ASSERT_EQ(demo.status, 0) << demo.err;
    EXPECT_TRUE(Has(demo.out, "\"title\":\"Regional Sales\""));
    EXPECT_TRUE(Has(demo.out, "\"keyCount\":3"));
    EXPECT_TRUE(Has(demo.out, "\"animateData\":1"));
    EXPECT_EQ(CountLines(demo.out), 1);

    RunResult fresh = RunRender(folder, "--new --info");
    ASSERT_EQ(fresh.status, 0) << fresh.err;
    EXPECT_TRUE(Has(fresh.out, "\"setNames\":[\"Set 1\",\"Set 2\""));
    EXPECT_TRUE(Has(fresh.out, "\"keyCount\":1"));
    EXPECT_TRUE(Has(fresh.out, "\"wallsColor\":16711680"));
}

TEST(Cli, EvalClampsFramesAtEachRate) {
    TempFolder folder;
    RunResult ntsc = RunRender(folder, "--new --eval -5,15,999999");
    ASSERT_EQ(ntsc.status, 0) << ntsc.err;
    EXPECT_EQ(CountLines(ntsc.out), 3);
    EXPECT_EQ(ntsc.out.rfind("{\"frame\":0,", 0), 0u);
    EXPECT_TRUE(Has(ntsc.out, "{\"frame\":15,"));
    EXPECT_TRUE(Has(ntsc.out, "{\"frame\":17980,"));
    EXPECT_TRUE(Has(ntsc.out, "\"chartWidth\":100"));

    RunResult pal = RunRender(folder, "--new --rate pal --eval 999999");
    ASSERT_EQ(pal.status, 0) << pal.err;
    EXPECT_TRUE(Has(pal.out, "{\"frame\":15000,"));

    RunResult film = RunRender(folder, "--new --rate=film --eval 999999");
    EXPECT_TRUE(Has(film.out, "{\"frame\":14380,"));
}

TEST(Cli, DemoMorphsFromFirstToSecondSet) {
    TempFolder folder;
    RunResult run = RunRender(folder, "--eval 0,299");
    ASSERT_EQ(run.status, 0) << run.err;
    // North's figures at the first key, South's at the last.
    EXPECT_TRUE(Has(run.out, "\"currentValues\":[12,18.5,25")) << run.out;
    EXPECT_TRUE(Has(run.out, "\"currentValues\":[20,15,28.5")) << run.out;
    EXPECT_TRUE(Has(run.out, "\"spin\":-30"));
    EXPECT_TRUE(Has(run.out, "\"spin\":30"));
}

TEST(Cli, SaveAndLoadBack) {
    TempFolder folder;
    std::string path = folder.File("demo.tvr");
    RunResult save = RunRender(folder, "--save " + Quote(path));
    ASSERT_EQ(save.status, 0) << save.err;
    EXPECT_EQ(std::filesystem::file_size(path), 5921u + 56u * 3u);
    RunResult load = RunRender(folder, Quote(path) + " --info");
    ASSERT_EQ(load.status, 0) << load.err;
    EXPECT_TRUE(Has(load.out, "\"title\":\"Regional Sales\""));
    EXPECT_TRUE(Has(load.out, "\"keyCount\":3"));
}

TEST(Cli, ImportsDataAndStreams) {
    TempFolder folder;
    std::string table = folder.File("table.txt");
    ASSERT_TRUE(WriteText(table, "\tAlpha\tBeta\r\nQ1\t1\t2\r\nQ2\t3\t4\r\n"));
    RunResult data = RunRender(folder, "--new --data " + Quote(table) + " --info");
    ASSERT_EQ(data.status, 0) << data.err;
    EXPECT_TRUE(Has(data.out, "\"setNames\":[\"Alpha\",\"Beta\",\"Set 3\""));
    EXPECT_TRUE(Has(data.out, "\"labels\":[\"Q1\",\"Q2\",\"Label 3\""));

    std::string stream = folder.File("stream.txt");
    ASSERT_TRUE(WriteText(stream, "1\t2\n3\t4\n5\t6\n"));
    RunResult streamed = RunRender(folder, "--new --stream " + Quote(stream) + " --interval 10 --eval 0,25");
    ASSERT_EQ(streamed.status, 0) << streamed.err;
    EXPECT_TRUE(Has(streamed.out, "\"currentValues\":[1,2,")) << streamed.out;
    EXPECT_TRUE(Has(streamed.out, "\"currentValues\":[5,6,")) << streamed.out;
}

TEST(Cli, ErrorsExitOneAndWriteNothing) {
    TempFolder folder;
    std::string out = folder.File("out.tvr");
    RunResult missing = RunRender(folder, Quote(folder.File("nope.tvr")) + " --save " + Quote(out));
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(Has(missing.err, "nope.tvr")) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(out));

    std::string garbage = folder.File("garbage.tvr");
    ASSERT_TRUE(WriteText(garbage, "this is not a show"));
    RunResult refused = RunRender(folder, Quote(garbage) + " --save " + Quote(out));
    EXPECT_EQ(refused.status, 1);
    EXPECT_FALSE(std::filesystem::exists(out));

    std::string stream = folder.File("stream.txt");
    ASSERT_TRUE(WriteText(stream, "1\t2\n3\t4\n"));
    RunResult badInterval = RunRender(folder, "--stream " + Quote(stream) + " --interval 0 --save " + Quote(out));
    EXPECT_EQ(badInterval.status, 1);
    EXPECT_FALSE(std::filesystem::exists(out));

    for (const char* arguments : {"--bogus", "--rate secam", "--eval 1,x", "--size 0x10", "--aa 101", "--aspect 5:4",
                                  "-o out.gif", "a.tvr b.tvr", "--new a.tvr", "--frame"}) {
        RunResult bad = RunRender(folder, arguments);
        EXPECT_EQ(bad.status, 1) << arguments;
        EXPECT_EQ(bad.err.rfind("tavrilo-render: ", 0), 0u) << arguments << ": " << bad.err;
        EXPECT_TRUE(bad.out.empty()) << arguments;
    }
}

TEST(Cli, PictureCheckReadsAndRefuses) {
    TempFolder folder;
    std::string out = folder.File("out.tga");
    RunResult good =
        RunRender(folder, "--picture " + Quote(TestDataPath("pictures/jpeg_progressive.jpg")) + " -o " + Quote(out));
    EXPECT_EQ(good.status, 0) << good.err;
    EXPECT_TRUE(std::filesystem::exists(out));

    std::string text = folder.File("notes.txt");
    ASSERT_TRUE(WriteText(text, "not a picture at all, just some words"));
    std::string refused = folder.File("refused.bmp");
    RunResult bad = RunRender(folder, "--picture " + Quote(text) + " -o " + Quote(refused));
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(Has(bad.err, "Can't read")) << bad.err;
    EXPECT_FALSE(std::filesystem::exists(refused));
}

TEST(Cli, RendersPicturesAndMovies) {
    TempFolder folder;
    RunResult pictures =
        RunRender(folder, "--new -o " + Quote(folder.File("f##.bmp")) + " --start 0 --end 3 --size 64x48 --aa 0");
    ASSERT_EQ(pictures.status, 0) << pictures.err;
    for (const char* name : {"f00.bmp", "f01.bmp", "f02.bmp"}) {
        EXPECT_TRUE(std::filesystem::exists(folder.File(name))) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.File("f03.bmp")));

    std::string movie = folder.File("clip.mov");
    RunResult made = RunRender(folder, "-o " + Quote(movie) + " --end 5 --size 96x64 --codec png --aa 0");
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_TRUE(Has(made.err + made.out, "Movie file successfully made"));
    EXPECT_GT(std::filesystem::file_size(movie), 0u);

    // Whole frames on request, although the settings' default renders fields.
    std::string progressive = folder.File("whole.mov");
    RunResult whole = RunRender(folder, "-o " + Quote(progressive) + " --end 3 --size 96x64 --aa 0 --no-fields");
    ASSERT_EQ(whole.status, 0) << whole.err;
    std::string probe = "ffprobe -v error -select_streams v:0 -show_entries stream=field_order -of csv=p=0 ";
    FILE* pipe = popen((probe + Quote(progressive) + " && " + probe + Quote(movie)).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char orders[64] = {};
    size_t count = fread(orders, 1, sizeof(orders) - 1, pipe);
    pclose(pipe);
    EXPECT_EQ(std::string(orders, count), "progressive\ntt\n");
}
