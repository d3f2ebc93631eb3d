// tavrilo-render as scripts use it: run the program, read its output and
// exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "Doc.h"
#include "TestSupport.h"

namespace {

using RunResult = CommandRun;

// Runs tavrilo-render with a private settings folder; `shell` comes first
// on the command line (a limit, a timeout).
RunResult RunRender(const TempFolder& folder, const std::string& arguments, const std::string& shell = "") {
    std::string command = shell + (shell.empty() ? "" : " ") + "XDG_CONFIG_HOME=" + ShellQuote(folder.Path()) + " " +
                          ShellQuote(std::string(TAVRILO_BIN_DIR) + "/tavrilo-render") + " " + arguments;
    return RunCommand(command, folder.File("stderr.txt"));
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

// The command line reads the FrameRate setting as the program does: a value
// that is none of the three rates is NTSC.
TEST(Cli, UnknownFrameRateSettingIsNtsc) {
    for (const char* stored : {"0", "-2500", "2147483647", "fast"}) {
        TempFolder folder;
        ASSERT_TRUE(WriteText(folder.File("Tavrilo.ini"), std::string("[Tavrilo]\r\nFrameRate=") + stored + "\r\n"));
        RunResult run = RunRender(folder, "--new --eval 999999");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(Has(run.out, "{\"frame\":17980,")) << stored << ": " << run.out;
    }
    TempFolder folder;
    ASSERT_TRUE(WriteText(folder.File("Tavrilo.ini"), "[Tavrilo]\r\nFrameRate=2500\r\n"));
    RunResult pal = RunRender(folder, "--new --eval 999999");
    EXPECT_TRUE(Has(pal.out, "{\"frame\":15000,")) << pal.out;
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
    RunResult save = RunRender(folder, "--save " + ShellQuote(path));
    ASSERT_EQ(save.status, 0) << save.err;
    EXPECT_EQ(std::filesystem::file_size(path), 5921u + 56u * 3u);
    RunResult load = RunRender(folder, ShellQuote(path) + " --info");
    ASSERT_EQ(load.status, 0) << load.err;
    EXPECT_TRUE(Has(load.out, "\"title\":\"Regional Sales\""));
    EXPECT_TRUE(Has(load.out, "\"keyCount\":3"));
}

TEST(Cli, ImportsDataAndStreams) {
    TempFolder folder;
    std::string table = folder.File("table.txt");
    ASSERT_TRUE(WriteText(table, "\tAlpha\tBeta\r\nQ1\t1\t2\r\nQ2\t3\t4\r\n"));
    RunResult data = RunRender(folder, "--new --data " + ShellQuote(table) + " --info");
    ASSERT_EQ(data.status, 0) << data.err;
    EXPECT_TRUE(Has(data.out, "\"setNames\":[\"Alpha\",\"Beta\",\"Set 3\""));
    EXPECT_TRUE(Has(data.out, "\"labels\":[\"Q1\",\"Q2\",\"Label 3\""));

    std::string stream = folder.File("stream.txt");
    ASSERT_TRUE(WriteText(stream, "1\t2\n3\t4\n5\t6\n"));
    RunResult streamed = RunRender(folder, "--new --stream " + ShellQuote(stream) + " --interval 10 --eval 0,25");
    ASSERT_EQ(streamed.status, 0) << streamed.err;
    EXPECT_TRUE(Has(streamed.out, "\"currentValues\":[1,2,")) << streamed.out;
    EXPECT_TRUE(Has(streamed.out, "\"currentValues\":[5,6,")) << streamed.out;
}

// Texts are Windows-1252 bytes: 0x80 is the euro sign, 0x92 a curly quote.
TEST(Cli, InfoWritesWindows1252TextsAsTheirCharacters) {
    TempFolder folder;
    std::string table = folder.File("table.txt");
    ASSERT_TRUE(WriteText(table, "\t\x80 sales\r\nQ\x92s\t1\r\n"));
    RunResult data = RunRender(folder, "--new --data " + ShellQuote(table) + " --info");
    ASSERT_EQ(data.status, 0) << data.err;
    EXPECT_TRUE(Has(data.out, "\"setNames\":[\"\\u20ac sales\"")) << data.out;
    EXPECT_TRUE(Has(data.out, "\"labels\":[\"Q\\u2019s\"")) << data.out;
}

// Every refused file is told once, as "tavrilo-render: <message>", the
// message naming the file and the reason in words.
TEST(Cli, RefusedFilesAreNamedWithTheirReasonOnce) {
    TempFolder folder;
    std::string junk = folder.File("junk.bmp");
    ASSERT_TRUE(WriteText(junk, std::string(64, 'j')));
    RunResult picture =
        RunRender(folder, "--picture " + ShellQuote(junk) + " -o " + ShellQuote(folder.File("out.bmp")));
    EXPECT_EQ(picture.status, 1);
    EXPECT_EQ(picture.err, "tavrilo-render: Can't read image file \"" + junk +
                               "\": it is not a picture file the program reads (Windows bitmap, Targa, TIFF, "
                               "Photoshop, JPEG or PNG), or it is damaged\n");

    std::string stream = folder.File("words.txt");
    ASSERT_TRUE(WriteText(stream, "no\tnumbers\nat\tall\n"));
    RunResult words = RunRender(folder, "--stream " + ShellQuote(stream));
    EXPECT_EQ(words.status, 1);
    EXPECT_EQ(words.err, "tavrilo-render: Can't load stream file \"" + stream +
                             "\": the stream data hold no lines of tab-delimited numbers; the stream shown before is "
                             "kept\n");

    RunResult show = RunRender(folder, ShellQuote(junk) + " --info");
    EXPECT_EQ(show.status, 1);
    EXPECT_EQ(show.err, "tavrilo-render: Can't read show file \"" + junk + "\": it is not a show file\n");
}

TEST(Cli, ErrorsExitOneAndWriteNothing) {
    TempFolder folder;
    std::string out = folder.File("out.tvr");
    RunResult missing = RunRender(folder, ShellQuote(folder.File("nope.tvr")) + " --save " + ShellQuote(out));
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(Has(missing.err, "nope.tvr")) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(out));

    std::string garbage = folder.File("garbage.tvr");
    ASSERT_TRUE(WriteText(garbage, "this is not a show"));
    RunResult refused = RunRender(folder, ShellQuote(garbage) + " --save " + ShellQuote(out));
    EXPECT_EQ(refused.status, 1);
    EXPECT_FALSE(std::filesystem::exists(out));

    std::string stream = folder.File("stream.txt");
    ASSERT_TRUE(WriteText(stream, "1\t2\n3\t4\n"));
    RunResult badInterval =
        RunRender(folder, "--stream " + ShellQuote(stream) + " --interval 0 --save " + ShellQuote(out));
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
    RunResult good = RunRender(
        folder, "--picture " + ShellQuote(TestDataPath("pictures/jpeg_progressive.jpg")) + " -o " + ShellQuote(out));
    EXPECT_EQ(good.status, 0) << good.err;
    EXPECT_TRUE(std::filesystem::exists(out));

    std::string text = folder.File("notes.txt");
    ASSERT_TRUE(WriteText(text, "not a picture at all, just some words"));
    std::string refused = folder.File("refused.bmp");
    RunResult bad = RunRender(folder, "--picture " + ShellQuote(text) + " -o " + ShellQuote(refused));
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(Has(bad.err, "Can't read")) << bad.err;
    EXPECT_FALSE(std::filesystem::exists(refused));
}

TEST(Cli, RendersPicturesAndMovies) {
    TempFolder folder;
    RunResult pictures =
        RunRender(folder, "--new -o " + ShellQuote(folder.File("f##.bmp")) + " --start 0 --end 3 --size 64x48 --aa 0");
    ASSERT_EQ(pictures.status, 0) << pictures.err;
    for (const char* name : {"f00.bmp", "f01.bmp", "f02.bmp"}) {
        EXPECT_TRUE(std::filesystem::exists(folder.File(name))) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.File("f03.bmp")));

    std::string movie = folder.File("clip.mov");
    RunResult made = RunRender(folder, "-o " + ShellQuote(movie) + " --end 3 --size 720x486 --codec png --aa 0");
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_TRUE(Has(made.err + made.out, "Movie file successfully made"));
    EXPECT_GT(std::filesystem::file_size(movie), 0u);

    // Whole frames on request, although 720x486 at 29.97 (an interlaced
    // format) has fields by default, lower first; other sizes have none.
    // ffprobe reads QuickTime's interleaved lower-first fields as "bt".
    std::string progressive = folder.File("whole.mov");
    RunResult whole = RunRender(folder, "-o " + ShellQuote(progressive) + " --end 3 --size 720x486 --aa 0 --no-fields");
    ASSERT_EQ(whole.status, 0) << whole.err;
    std::string small = folder.File("small.mov");
    RunResult smallMade = RunRender(folder, "-o " + ShellQuote(small) + " --end 3 --size 96x64 --aa 0");
    ASSERT_EQ(smallMade.status, 0) << smallMade.err;
    std::string probe = "ffprobe -v error -select_streams v:0 -show_entries stream=field_order -of csv=p=0 ";
    FILE* pipe = popen(
        (probe + ShellQuote(progressive) + " && " + probe + ShellQuote(movie) + " && " + probe + ShellQuote(small))
            .c_str(),
        "r");
    ASSERT_NE(pipe, nullptr);
    char orders[64] = {};
    size_t count = fread(orders, 1, sizeof(orders) - 1, pipe);
    pclose(pipe);
    EXPECT_EQ(std::string(orders, count), "progressive\nbt\nprogressive\n");
}

TEST(Cli, BadOptionValuesAreRefusedInOneLine) {
    TempFolder folder;
    std::string out = ShellQuote(folder.File("out.avi"));
    for (std::string arguments :
         {"--quality abc", "--quality 1000", "--fps 29.97abc", "--fps 0", "--fps 61", "--start abc", "--end ''",
          "--hold 1:2:3:4:5", "--codec zzzz", "--codec apch", "--interval 10abc"}) {
        RunResult bad = RunRender(folder, "-o " + out + " --end 5 " + arguments);
        std::string option = arguments.substr(0, arguments.find(' '));
        EXPECT_EQ(bad.status, 1) << arguments;
        EXPECT_EQ(CountLines(bad.err), 1) << arguments << ": " << bad.err;
        EXPECT_EQ(bad.err.rfind("tavrilo-render: " + option, 0), 0u) << arguments << ": " << bad.err;
        EXPECT_TRUE(Has(bad.err, "see --help")) << bad.err;
        EXPECT_FALSE(std::filesystem::exists(folder.File("out.avi"))) << arguments;
    }
    // The value is named as given, control characters shown escaped.
    RunResult shown = RunRender(folder, "--quality \"$(printf '9\\033[2J')\"");
    EXPECT_TRUE(Has(shown.err, "\"9\\x1b[2J\"")) << shown.err;
    // Good values of each kind still pass.
    RunResult good = RunRender(folder, "-o " + out +
                                           " --size 32x24 --aa 0 --start 00:00:00:00 --end 3 --hold 0 --fps "
                                           "29.97 --quality 80 --codec MJPG --no-fields");
    EXPECT_EQ(good.status, 0) << good.err;
}

TEST(Cli, NothingIsSavedBeforeTheWholeRunIsChecked) {
    TempFolder folder;
    std::string show = folder.File("s.tvr");
    ASSERT_TRUE(WriteText(show, "the user's show"));
    for (const std::string& rest : {"-o " + ShellQuote(folder.File("a.avi")) + " --fps 0",
                                    "-o " + ShellQuote(folder.File("f##.png")) + " --start 10 --end 5"}) {
        RunResult run = RunRender(folder, "--save " + ShellQuote(show) + " " + rest);
        EXPECT_EQ(run.status, 1) << rest;
        auto bytes = ReadBytes(show);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "the user's show") << rest;
    }
    // A movie size the settings make impossible is found before saving too.
    ASSERT_TRUE(WriteText(folder.File("Tavrilo.ini"), "[Tavrilo]\r\nMovieWid=0\r\n"));
    RunResult sized = RunRender(folder, "--save " + ShellQuote(show) + " -o " + ShellQuote(folder.File("a.avi")));
    EXPECT_EQ(sized.status, 1);
    EXPECT_TRUE(Has(sized.err, "at least 1 pixel")) << sized.err;
    auto bytes = ReadBytes(show);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "the user's show");
}

TEST(Cli, PathsTooLongForAFileNameAreRefused) {
    TempFolder folder;
    std::string name = folder.File(std::string(300, 'n'));
    for (std::string option : {"--save", "--data", "-o"}) {
        RunResult run = RunRender(folder, option + " " + ShellQuote(name + (option == "-o" ? ".avi" : ".tvr")));
        EXPECT_EQ(run.status, 1) << option;
        EXPECT_TRUE(Has(run.err, "longer than 255 characters")) << run.err;
        EXPECT_TRUE(Has(run.err, std::string(300, 'n'))) << run.err;
    }
    RunResult show = RunRender(folder, ShellQuote(name + ".tvr") + " --info");
    EXPECT_EQ(show.status, 1);
    EXPECT_TRUE(Has(show.err, "longer than 255 characters")) << show.err;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);  // stderr.txt alone
}

TEST(Cli, FifosAndDevicesAreRefusedWithoutWaiting) {
    TempFolder folder;
    std::string fifo = folder.File("pipe.txt");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Without the check the program waits for ever on the FIFO.
    const std::string limit = "timeout 20 env";
    for (const std::string& arguments : {ShellQuote(fifo) + " --info", "--new --data " + ShellQuote(fifo),
                                         "--picture " + ShellQuote(fifo) + " -o " + ShellQuote(folder.File("p.bmp"))}) {
        RunResult run = RunRender(folder, arguments, limit);
        EXPECT_EQ(run.status, 1) << arguments << ": " << run.err;
        EXPECT_EQ(run.err.rfind("tavrilo-render: ", 0), 0u) << run.err;
        EXPECT_TRUE(Has(run.err, "pipe.txt")) << run.err;
    }
    RunResult save = RunRender(folder, "--save " + ShellQuote(fifo), limit);
    EXPECT_EQ(save.status, 1) << save.err;
    EXPECT_TRUE(Has(save.err, "not a regular file")) << save.err;
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));

    std::string device = folder.File("null.avi");
    ASSERT_EQ(symlink("/dev/null", device.c_str()), 0);
    RunResult movie = RunRender(folder, "-o " + ShellQuote(device) + " --end 2 --size 32x24", limit);
    EXPECT_EQ(movie.status, 1) << movie.err;
    EXPECT_TRUE(std::filesystem::is_symlink(device));
}

TEST(Cli, SavingThroughALinkWritesTheFileItNames) {
    TempFolder folder;
    std::filesystem::create_directories(folder.File("shows"));
    std::string target = folder.File("shows/real.tvr");
    std::string link = folder.File("link.tvr");
    ASSERT_TRUE(WriteText(target, "old"));
    ASSERT_EQ(symlink("shows/real.tvr", link.c_str()), 0);
    RunResult run = RunRender(folder, "--save " + ShellQuote(link));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::file_size(target), 5921u + 56u * 3u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.File("shows")), {}), 1);
}

TEST(Cli, AFailedMovieKeepsThePreviousFileAndSaysHowFarItGot) {
    TempFolder folder;
    std::string movie = folder.File("old.mov");
    ASSERT_TRUE(WriteText(movie, "last week's movie"));
    // 400 KiB may be written: the header and a few frames.
    RunResult run =
        RunRender(folder, "-o " + ShellQuote(movie) + " --end 60 --size 720x486 --no-fields", "ulimit -f 800;");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(Has(run.err, "File too large")) << run.err;
    EXPECT_TRUE(Has(run.err, "frames were written") || Has(run.err, "frame was written")) << run.err;
    auto bytes = ReadBytes(movie);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "last week's movie");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 2);  // and stderr.txt
}

TEST(Cli, TerminatingARenderClosesTheMovieMadeSoFar) {
    TempFolder folder;
    std::string movie = folder.File("long.avi");
    // Starts a long render, waits for its movie to hold frames (a movie
    // stopped before its first frame is not kept), stops it.
    std::string shell = "(XDG_CONFIG_HOME=" + ShellQuote(folder.Path()) + " " +
                        ShellQuote(std::string(TAVRILO_BIN_DIR) + "/tavrilo-render") + " -o " + ShellQuote(movie) +
                        " --end 00:30:00:00 --size 32x24 --aa 0 --codec DIB 2>/dev/null & pid=$!; "
                        "for i in $(seq 300); do s=$(stat -c %s " +
                        ShellQuote(movie + ".making~") +
                        "* 2>/dev/null | head -n 1); [ \"${s:-0}\" -gt 40000 ] && break; sleep 0.1; done; "
                        "kill -TERM $pid; wait $pid)";
    int status = std::system(shell.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 143);  // 128 + SIGTERM, as a shell reports it
    EXPECT_TRUE(std::filesystem::exists(movie));
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        EXPECT_EQ(entry.path().string().find(".making~"), std::string::npos) << entry.path();
    }
}

TEST(Cli, LoaderMessagesNameTheFileWithControlCharactersEscaped) {
    TempFolder folder;
    std::string table = folder.File("bad\nname.txt");  // not there
    RunResult run = RunRender(folder, "--new --data " + ShellQuote(table));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(CountLines(run.err), 1) << run.err;
    EXPECT_EQ(run.err.rfind("tavrilo-render: ", 0), 0u) << run.err;
    EXPECT_TRUE(Has(run.err, "bad\\nname.txt")) << run.err;
}

// What the core says while a step works is printed as it comes; the error of
// the step that failed is printed once, last, and gives the exit status.
TEST(Cli, AFailedStepPrintsItsErrorOnceLast) {
    TempFolder folder;
    std::string path = folder.File("pictured.tvr");
    std::string missing = folder.File("gone.bmp");
    {
        auto show = CreateShow();
        std::strcpy(show->background.name, missing.c_str());
        ASSERT_TRUE(SaveShowFile(*show, MakeFileSpec(path.c_str())));
    }
    std::string pictures = folder.File("no such folder/frame##.png");
    RunResult run = RunRender(folder, ShellQuote(path) + " -o " + ShellQuote(pictures) + " --start 0 --end 2");
    EXPECT_EQ(run.status, 1);
    ASSERT_EQ(CountLines(run.err), 2) << run.err;
    std::string first = run.err.substr(0, run.err.find('\n') + 1);
    std::string last = run.err.substr(first.size());
    // The show loads without its background and says so, naming both files.
    EXPECT_EQ(first, "tavrilo-render: Show file \"" + path +
                         "\" is loaded without its background: Can't read image file \"" + missing +
                         "\": No such file or directory\n");
    EXPECT_EQ(last, "tavrilo-render: cannot write " + folder.File("no such folder/frame00.png") +
                        ": No such file or directory\n");
}
