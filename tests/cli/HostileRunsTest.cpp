// tavrilo-render under hostile use: two runs writing one movie at once,
// signals in the middle of a join or a render, empty ranges, files that are
// no table, FIFOs, overflowing numbers and misleading names. Whatever
// happens, no good file is destroyed and no status says what did not happen.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

using RunResult = CommandRun;

std::string Program() {
    return ShellQuote(std::string(TAVRILO_BIN_DIR) + "/tavrilo-render");
}

std::string Text(const std::string& path) {
    std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// Runs a shell script in `folder` with a private settings folder; its exit
// status and what it printed.
RunResult RunScript(const TempFolder& folder, const std::string& script) {
    std::string command = "cd " + ShellQuote(folder.Path()) +
                          " && export XDG_CONFIG_HOME=" + ShellQuote(folder.Path()) + " && (" + script + ") >" +
                          ShellQuote(folder.File("out.txt")) + " 2>" + ShellQuote(folder.File("err.txt"));
    int status = std::system(command.c_str());
    RunResult run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = Text(folder.File("out.txt"));
    run.err = Text(folder.File("err.txt"));
    std::filesystem::remove(folder.File("out.txt"));
    std::filesystem::remove(folder.File("err.txt"));
    return run;
}

RunResult RunRender(const TempFolder& folder, const std::string& arguments) {
    return RunScript(folder, "timeout 60 " + Program() + " " + arguments);
}

bool Has(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
}

// Packets of the movie's video stream, and whether every one decodes
// without a word from the decoder; -1 when it cannot be read.
int GoodFrames(const std::string& path) {
    std::string count =
        "ffprobe -v error -count_packets -select_streams v:0 -show_entries "
        "stream=nb_read_packets -of csv=p=0 " +
        ShellQuote(path) + " 2>&1 && ffmpeg -v error -i " + ShellQuote(path) + " -f null - 2>&1";
    FILE* pipe = popen(count.c_str(), "r");
    if (!pipe) {
        return -1;
    }
    std::string said;
    char buffer[256];
    while (std::fgets(buffer, sizeof(buffer), pipe)) {
        said += buffer;
    }
    int status = pclose(pipe);
    char* end = nullptr;
    long packets = std::strtol(said.c_str(), &end, 10);
    bool clean = status == 0 && end && std::string(end) == "\n";
    return clean ? static_cast<int>(packets) : -1;
}

std::vector<std::string> Leftovers(const TempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        std::string name = entry.path().filename().string();
        if (Has(name, "~")) {
            names.push_back(name);
        }
    }
    return names;
}

// Two commands started together, each one's status and output in files
// a.* and b.*.
std::string Together(const std::string& a, const std::string& b) {
    return "(" + a + " >a.out 2>a.err; echo $? >a.status) & (" + b + " >b.out 2>b.err; echo $? >b.status) & wait";
}

struct Finished {
    int status = -1;
    std::string out;
    std::string err;
};

Finished Read(const TempFolder& folder, const std::string& name) {
    Finished f;
    f.status = std::atoi(Text(folder.File(name + ".status")).c_str());
    f.out = Text(folder.File(name + ".out"));
    f.err = Text(folder.File(name + ".err"));
    return f;
}

// What each of two writers of `movie` said is true of the file: one that
// says it made the movie did, one refused says so and why.
void CheckHonest(const Finished& run, const std::string& movie, const std::string& made) {
    if (run.status == 0) {
        EXPECT_TRUE(Has(run.out, made + ": " + movie)) << run.out << run.err;
    } else {
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_TRUE(Has(run.err, movie + " is being written by another run")) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
}

const char kSmallMovie[] = " --end 20 --size 64x48 --aa 0 --codec MJPG --no-fields";

}  // namespace

// Every round starts two renders of one movie at once: whichever way they
// meet, the movie is whole, a run that says "made" made it, the other one
// was refused by name, and no temporary is left. The first round holds the
// first run still (SIGSTOP) while the second starts, so that they surely
// meet.
TEST(HostileRuns, TwoRendersOfOneMovieNeverCorruptItNorLie) {
    TempFolder folder;
    const std::string render = Program() + " -o news.mov" + kSmallMovie;
    RunResult held = RunScript(folder, render +
                                           " >a.out 2>a.err & a=$!; "
                                           "for i in $(seq 500); do ls news.mov.making~* >/dev/null 2>&1 && break; "
                                           "sleep 0.01; done; kill -STOP $a; " +
                                           render +
                                           " >b.out 2>b.err; echo $? >b.status; kill -CONT $a; wait $a; "
                                           "echo $? >a.status");
    ASSERT_EQ(held.status, 0) << held.err;
    Finished first = Read(folder, "a");
    Finished second = Read(folder, "b");
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(second.status, 1);
    EXPECT_TRUE(Has(second.err, "news.mov.making~")) << second.err;  // the live writer's file, by name
    CheckHonest(first, "news.mov", "Movie file successfully made");
    CheckHonest(second, "news.mov", "Movie file successfully made");
    EXPECT_EQ(GoodFrames(folder.File("news.mov")), 20);

    const int kRounds = 12;
    int refused = 0;
    for (int round = 0; round < kRounds; ++round) {
        ASSERT_EQ(RunScript(folder, Together(render, render)).status, 0);
        Finished a = Read(folder, "a");
        Finished b = Read(folder, "b");
        CheckHonest(a, "news.mov", "Movie file successfully made");
        CheckHonest(b, "news.mov", "Movie file successfully made");
        EXPECT_TRUE(a.status == 0 || b.status == 0) << "round " << round << ": " << a.err << b.err;
        refused += (a.status != 0) + (b.status != 0);
        EXPECT_EQ(GoodFrames(folder.File("news.mov")), 20) << "round " << round;
        EXPECT_TRUE(Leftovers(folder).empty()) << "round " << round;
    }
    std::printf("two renders of one movie: %d of %d rounds met\n", refused, kRounds);
}

// The same for joins, and for a join and a render of one movie.
TEST(HostileRuns, TwoJoinsOfOneMovieNeverCorruptItNorLie) {
    TempFolder folder;
    const std::string parts = " --end 30 --size 160x120 --aa 0 --codec MJPG --no-fields";
    for (int part = 0; part < 3; ++part) {
        ASSERT_EQ(RunRender(folder, "-o seg.avi --part " + std::to_string(part) + "/3" + parts).status, 0);
    }
    const std::string join = Program() + " --join seg.avi seg.part0.avi seg.part1.avi seg.part2.avi";
    const std::string render = Program() + " -o seg.avi" + parts;
    const int kRounds = 12;
    for (int round = 0; round < kRounds; ++round) {
        bool withRender = round % 3 == 2;
        ASSERT_EQ(RunScript(folder, Together(join, withRender ? render : join)).status, 0);
        Finished a = Read(folder, "a");
        Finished b = Read(folder, "b");
        CheckHonest(a, "seg.avi", "Movie file successfully joined");
        CheckHonest(b, "seg.avi", withRender ? "Movie file successfully made" : "Movie file successfully joined");
        EXPECT_TRUE(a.status == 0 || b.status == 0) << "round " << round << ": " << a.err << b.err;
        EXPECT_EQ(GoodFrames(folder.File("seg.avi")), 30) << "round " << round;
        EXPECT_TRUE(Leftovers(folder).empty()) << "round " << round;
    }
}

// A signal in the middle of a join: the join stops, says so, removes its
// temporary and leaves the movie as it was. The test holds the folder's
// lock, so the join is surely still at work when the signal comes.
TEST(HostileRuns, AJoinStoppedBySignalReplacesNothingAndSaysSo) {
    TempFolder folder;
    for (int part = 0; part < 2; ++part) {
        ASSERT_EQ(RunRender(folder, "-o j.mov --part " + std::to_string(part) + "/2" + kSmallMovie).status, 0);
    }
    ASSERT_TRUE(WriteText(folder.File("j.mov"), "the movie of yesterday"));
    for (const std::string signal : {"INT", "TERM"}) {
        RunResult run = RunScript(
            folder,
            "(exec 9<.; flock 9; : >locked; for i in $(seq 1000); do [ -e release ] && break; sleep 0.01; done) & "
            "for i in $(seq 500); do [ -e locked ] && break; sleep 0.01; done; " +
                Program() +
                " --join j.mov j.part0.mov j.part1.mov & p=$!; "
                "for i in $(seq 500); do ls -l /proc/$p/fd 2>/dev/null | grep -q \"$(pwd)$\" && break; "
                "sleep 0.01; done; kill -" +
                signal + " $p; : >release; wait $p; s=$?; wait; rm -f locked release; exit $s");
        EXPECT_EQ(run.status, signal == "INT" ? 130 : 143) << run.err;
        EXPECT_EQ(run.err, "tavrilo-render: " + std::string(signal == "INT" ? "cancelled" : "stopped (SIGTERM)") +
                               ": the join was not finished; j.mov was left as it was\n");
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_EQ(Text(folder.File("j.mov")), "the movie of yesterday");
        EXPECT_TRUE(Leftovers(folder).empty());
    }
}

// SIGHUP (a closed terminal, a dropped remote session) stops a render as
// SIGTERM does: the frames so far are closed into the movie.
TEST(HostileRuns, HangupClosesTheMovieMadeSoFar) {
    TempFolder folder;
    // The signal comes once frames have reached the file (beyond the
    // writer's 32 KiB buffer), however busy the machine is.
    RunResult run = RunScript(folder, Program() +
                                          " -o long.avi --end 00:30:00:00 --size 32x24 --aa 0 --codec DIB & p=$!; "
                                          "for i in $(seq 2000); do [ \"$(cat long.avi.making~* 2>/dev/null | wc -c)\" "
                                          "-gt 100000 ] && break; sleep 0.01; done; kill -HUP $p; wait $p");
    EXPECT_EQ(run.status, 129) << run.err;
    EXPECT_TRUE(Has(run.err, "stopped (SIGHUP); long.avi holds ")) << run.err;
    EXPECT_GT(GoodFrames(folder.File("long.avi")), 0);
    EXPECT_TRUE(Leftovers(folder).empty());
}

TEST(HostileRuns, AnEmptyRangeKeepsThePreviousMovie) {
    TempFolder folder;
    ASSERT_EQ(RunRender(folder, std::string("-o keep.mov") + kSmallMovie).status, 0);
    const std::string before = Text(folder.File("keep.mov"));
    for (const std::string range : {"--start 100 --end 100", "--start 00:00:03:10 --end 310"}) {
        RunResult run = RunRender(folder, "-o keep.mov --size 64x48 " + range);
        EXPECT_EQ(run.status, 1) << range;
        EXPECT_EQ(run.err, "tavrilo-render: nothing to render: --end must come after --start\n") << range;
        EXPECT_EQ(Text(folder.File("keep.mov")), before) << range;
    }
    // A hold alone is a movie of one picture.
    RunResult held = RunRender(folder, "-o still.mov --size 32x24 --aa 0 --start 10 --end 10 --hold 5 --no-fields");
    EXPECT_EQ(held.status, 0) << held.err;
    EXPECT_EQ(GoodFrames(folder.File("still.mov")), 5);
}

// A data file must hold a table: an empty file, a movie or a program is
// refused as a stream is, alone and in a batch row.
TEST(HostileRuns, FilesThatHoldNoTableAreNotImported) {
    TempFolder folder;
    ASSERT_TRUE(WriteText(folder.File("empty.txt"), ""));
    ASSERT_EQ(RunRender(folder, std::string("-o movie.mov") + kSmallMovie).status, 0);
    std::filesystem::copy_file(std::string(TAVRILO_BIN_DIR) + "/tavrilo-render", folder.File("program"));
    ASSERT_TRUE(WriteText(folder.File("picture.png"), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));
    for (const std::string file : {"empty.txt", "movie.mov", "program", "picture.png"}) {
        RunResult run = RunRender(folder, "--data " + file + " --info");
        EXPECT_EQ(run.status, 1) << file;
        EXPECT_EQ(run.err.rfind("tavrilo-render: Can't use data file \"" + file + "\": ", 0), 0u) << run.err;
        EXPECT_TRUE(run.out.empty()) << file;
    }
    ASSERT_TRUE(WriteText(folder.File("jobs.tsv"), "\tmovie.mov\tout.mov\t--size 32x24 --end 3\n"));
    RunResult batch = RunRender(folder, "--batch jobs.tsv");
    EXPECT_EQ(batch.status, 1);
    EXPECT_EQ(batch.out, "batch jobs.tsv: 0 rows made, 1 failed\n");
    EXPECT_FALSE(std::filesystem::exists(folder.File("out.mov")));
    // A table still goes in, and a text cut at a NUL up to it.
    ASSERT_TRUE(WriteText(folder.File("t.txt"), std::string("\tNorth\r\nQ1\t5\r\n\0junk", 19)));
    RunResult table = RunRender(folder, "--new --data t.txt --info");
    EXPECT_EQ(table.status, 0) << table.err;
    EXPECT_TRUE(Has(table.out, "\"setNames\":[\"North\"")) << table.out;
}

TEST(HostileRuns, FifosEmptyNamesAndOutOfRangeNumbersAreRefused) {
    TempFolder folder;
    ASSERT_EQ(mkfifo(folder.File("pipe").c_str(), 0600), 0);
    struct Refusal {
        std::string arguments;
        std::string said;
    };
    for (const Refusal& r : std::vector<Refusal>{
             {"--batch pipe", "can't read the batch file \"pipe\": not a regular file"},
             {"--join j.mov pipe", "cannot read the segment pipe: not a regular file"},
             {"--batch ''", "--batch takes a file name, not \"\""},
             {"--join '' a.mov", "--join takes a file name, not \"\""},
             {"-o big.mov --end 3 --size 5000x100", "--size must be between 1x1 and 4096x4096"},
             {"-o slow.mov --end 3 --fps 0.0001", "--fps takes a frame rate from 0.001 to 60"},
             {"-o odd.mov --end 3 --size 64x33 --codec avc1 --fields", "H.264 codes fields only at an even height"},
         }) {
        RunResult run = RunRender(folder, r.arguments);
        EXPECT_EQ(run.status, 1) << r.arguments;
        EXPECT_EQ(run.err.rfind("tavrilo-render: " + r.said, 0), 0u) << r.arguments << ": " << run.err;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);  // the FIFO alone
    // The largest frame number is a frame like any other.
    RunResult last = RunRender(folder, "-o last.png --frame 2147483647 --size 16x16");
    EXPECT_EQ(last.status, 0) << last.err;
    EXPECT_GT(ReadBytes(folder.File("last.png")).size(), 8u);
}

// On the command line a file's kind is its last suffix: a folder or an
// earlier suffix that looks like a movie kind does not choose the writer.
TEST(HostileRuns, TheOutputsKindIsItsLastSuffix) {
    TempFolder folder;
    std::filesystem::create_directories(folder.File("my.movies"));
    std::filesystem::create_directories(folder.File("news.dps.d"));
    for (const std::string path : {"my.movies/x.avi", "news.dps.d/y.avi", "z.mov.avi"}) {
        RunResult run = RunRender(folder, "-o " + path + " --end 3 --size 32x24 --aa 0");
        ASSERT_EQ(run.status, 0) << path << ": " << run.err;
        std::string head = Text(folder.File(path)).substr(0, 12);
        EXPECT_EQ(head.substr(0, 4) + head.substr(8), "RIFFAVI ") << path;
    }
    for (int part = 0; part < 2; ++part) {
        ASSERT_EQ(
            RunRender(folder, "-o s.mov.avi --end 4 --size 32x24 --aa 0 --part " + std::to_string(part) + "/2").status,
            0);
    }
    RunResult join = RunRender(folder, "--join s.mov.avi s.mov.part0.avi s.mov.part1.avi");
    ASSERT_EQ(join.status, 0) << join.err;
    EXPECT_EQ(Text(folder.File("s.mov.avi")).substr(0, 4), "RIFF");
    EXPECT_EQ(GoodFrames(folder.File("s.mov.avi")), 4);
}

// Every value the user gave is shown escaped, and a failure is one line of
// the program's own (nothing from FFmpeg).
TEST(HostileRuns, MessagesShowValuesEscapedAndOnlyTheProgramSpeaks) {
    TempFolder folder;
    for (const std::string& arguments : {std::string("-o p.mov --part \"$(printf '1\\033[2J/2')\""),
                                         std::string("-o p.mov --field-order \"$(printf 'up\\tper')\""),
                                         std::string("--join out.mov \"$(printf 'seg\\033]0;x\\007.mov')\"")}) {
        RunResult run = RunRender(folder, arguments);
        EXPECT_EQ(run.status, 1) << arguments;
        EXPECT_EQ(run.err.find('\033'), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\t'), std::string::npos) << run.err;
        EXPECT_TRUE(Has(run.err, "\\x1b") || Has(run.err, "\\t")) << run.err;
    }
    for (int part = 0; part < 2; ++part) {
        ASSERT_EQ(RunRender(folder, "-o d.mov --part " + std::to_string(part) + "/2" + kSmallMovie).status, 0);
    }
    std::string segment = folder.File("d.part1.mov");
    std::vector<uint8_t> bytes = ReadBytes(segment);
    bytes.resize(bytes.size() / 2);  // its index gone
    ASSERT_TRUE(WriteBytes(segment, bytes));
    RunResult damaged = RunRender(folder, "--join d.mov d.part0.mov d.part1.mov");
    EXPECT_EQ(damaged.status, 1);
    EXPECT_EQ(damaged.err.rfind("tavrilo-render: ", 0), 0u) << damaged.err;
    EXPECT_EQ(damaged.err.find('\n'), damaged.err.size() - 1) << damaged.err;  // one line
    EXPECT_TRUE(Has(damaged.err, "d.part1.mov")) << damaged.err;
}
