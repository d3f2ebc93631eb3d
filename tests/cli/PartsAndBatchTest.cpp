// tavrilo-render on a cluster: --part, --join and --batch as array tasks
// use them. Parts are rendered by the chart renderer itself and must come
// out as a single run's frames; a batch goes on past bad rows.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "Batch.h"
#include "Options.h"
#include "TestSupport.h"

namespace {

bool Parse(std::vector<std::string> args, RenderOptions& options, std::string& error) {
    args.insert(args.begin(), "tavrilo-render");
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    options = RenderOptions();
    return ParseRenderOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

std::string ParseError(std::vector<std::string> args) {
    RenderOptions options;
    std::string error;
    EXPECT_FALSE(Parse(args, options, error));
    return error;
}

// Runs tavrilo-render in `folder` with a private settings folder; the exit
// status, standard error appended to `err`.
int RunRender(const TempFolder& folder, const std::string& arguments, std::string* err = nullptr) {
    std::string errPath = folder.File("stderr.txt");
    std::string command = "cd '" + folder.Path() + "' && XDG_CONFIG_HOME='" + folder.Path() + "' '" + TAVRILO_BIN_DIR +
                          "/tavrilo-render' " + arguments + " >/dev/null 2>'" + errPath + "'";
    int status = std::system(command.c_str());
    if (err) {
        std::vector<uint8_t> bytes = ReadBytes(errPath);
        err->assign(bytes.begin(), bytes.end());
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Sequence(int frame) {
    char name[32];
    std::snprintf(name, sizeof(name), "f%04d.png", frame);
    return name;
}

}  // namespace

TEST(PartOptions, PartJoinAndBatchAreCheckedWithTheirValues) {
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"-o", "out.mov", "--part", "3/4"}, options, error)) << error;
    EXPECT_EQ(*options.part, 3);
    EXPECT_EQ(options.parts, 4);
    ASSERT_TRUE(Parse({"--join", "out.mov", "out.part1.mov", "out.part0.mov"}, options, error)) << error;
    EXPECT_EQ(options.joinPath, "out.mov");
    EXPECT_EQ(options.segments, (std::vector<std::string>{"out.part1.mov", "out.part0.mov"}));
    ASSERT_TRUE(Parse({"--batch", "jobs.tsv", "--part=0/2", "--size", "64x48"}, options, error)) << error;
    EXPECT_EQ(options.batchPath, "jobs.tsv");

    for (const char* bad : {"4/4", "-1/4", "1/0", "x", "1/", "/4", "1/4/5", "1.5/4"}) {
        EXPECT_EQ(ParseError({"-o", "out.mov", "--part", bad}),
                  std::string("--part takes K/N, part K (from 0) of N, such as 0/4, not \"") + bad + "\"");
    }
    EXPECT_EQ(ParseError({"--part", "0/2"}), "--part needs -o OUT.mov, OUT.avi or a picture sequence NAME####.png");
    EXPECT_NE(ParseError({"-o", "out.dps", "--part", "0/2"}).find("not \"out.dps\""), std::string::npos);
    EXPECT_NE(ParseError({"-o", "one.png", "--part", "0/2"}).find("not \"one.png\""), std::string::npos);
    EXPECT_EQ(ParseError({"--join", "out.mov"}),
              "--join needs the segments after the movie: --join OUT.mov OUT.part*.mov");
    EXPECT_NE(ParseError({"--join", "out.mov", "a.mov", "-o", "b.mov"}).find("--join takes only"), std::string::npos);
    EXPECT_EQ(ParseError({"--join", "out.dps", "a.dps"}), "--join makes a .mov or .avi movie, not \"out.dps\"");
    EXPECT_EQ(ParseError({"--batch", "jobs.tsv", "-o", "x.mov"}),
              "--batch takes the shows, data and outputs from its rows; -o cannot be given with it");
    EXPECT_NE(ParseError({"show.tvr", "--batch", "jobs.tsv"}).find("a show file cannot"), std::string::npos);
}

TEST(Batch, PartRunsEveryNthRowAndGoesOnPastBadRows) {
    TempFolder folder;
    std::string jobs = folder.File("jobs.tsv");
    ASSERT_TRUE(WriteText(jobs,
                          "# show\tdata\toutput\toptions\n"
                          "\t\tr0.mov\t--size 20x10\n"   // row 0
                          "a.tvr\td.txt\tr1.mov\n"       // row 1
                          "\n"                           //
                          "\t\t\t--aa 5\n"               // row 2: no output
                          "\t\tr3.mov\t--fps \"29.97\n"  // row 3: open quote
                          "\t\tr4.mov\t--part 1/2\n"     // row 4: not in a row
                          "\t\tr5.mov\t--bogus\n"        // row 5: unknown option
                          "\t\tr6.mov\t--end 12\r\n"));  // row 6
    std::vector<BatchRow> rows;
    std::string error;
    ASSERT_TRUE(ReadBatchRows(jobs, rows, error)) << error;
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[1].show, "a.tvr");
    EXPECT_EQ(rows[1].data, "d.txt");
    EXPECT_EQ(rows[6].line, 9);
    EXPECT_EQ(rows[6].options, (std::vector<std::string>{"--end", "12"}));

    const std::vector<std::string> common = {"--size", "64x48", "--aa", "0"};
    struct Expect {
        int part;
        std::vector<std::string> rendered;
        int status;
        std::vector<std::string> complaints;
    };
    for (const Expect& e :
         {Expect{0, {"r0.mov", "r6.mov"}, 1, {"row 3 (line 6): a quote"}},
          Expect{1, {"r1.mov"}, 1, {"row 1 (line 3) failed: r1.mov", "row 4 (line 7): the options"}},
          Expect{2, {}, 1, {"row 2 (line 5): no output", "row 5 (line 8): unknown option --bogus"}}}) {
        RenderOptions options;
        options.batchPath = jobs;
        options.part = e.part;
        options.parts = 3;
        std::vector<std::string> rendered;
        testing::internal::CaptureStderr();
        int status = RunBatch(options, common, [&rendered](const RenderOptions& row) {
            rendered.push_back(row.outPath.substr(row.outPath.rfind('/') + 1));
            EXPECT_EQ(*row.antiAliasing, 0);
            if (row.outPath == "r0.mov") {
                EXPECT_EQ(*row.width, 20);  // the row's own options win
            } else {
                EXPECT_EQ(*row.width, 64);
            }
            return row.showPath == "a.tvr" ? 1 : 0;
        });
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(rendered, e.rendered) << "part " << e.part;
        EXPECT_EQ(status, e.status) << "part " << e.part;
        for (const std::string& complaint : e.complaints) {
            EXPECT_NE(err.find(jobs + " " + complaint), std::string::npos) << err;
        }
    }
}

TEST(Batch, SignalEndsTheBatchAndAMissingTableIsRefused) {
    TempFolder folder;
    std::string jobs = folder.File("jobs.tsv");
    ASSERT_TRUE(WriteText(jobs, "\t\ta.mov\n\t\tb.mov\n"));
    RenderOptions options;
    options.batchPath = jobs;
    int runs = 0;
    EXPECT_EQ(RunBatch(options, {}, [&runs](const RenderOptions&) { return ++runs == 1 ? 143 : 0; }), 143);
    EXPECT_EQ(runs, 1);
    options.batchPath = folder.File("none.tsv");
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunBatch(options, {}, [](const RenderOptions&) { return 0; }), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("can't read the batch file"), std::string::npos);
}

// The renderer carries state from frame to frame; parts prime it, so their
// pictures are the single run's, byte for byte.
TEST(RenderParts, PictureSequencePartsAreTheSingleRunsPictures) {
    TempFolder whole;
    TempFolder parts;
    const std::string range = " --size 96x72 --aa 25 --start 3 --end 13";
    ASSERT_EQ(RunRender(whole, "-o 'f####.png'" + range), 0);
    for (int part = 0; part < 3; ++part) {
        ASSERT_EQ(RunRender(parts, "-o 'f####.png' --part " + std::to_string(part) + "/3" + range), 0);
    }
    std::string err;
    EXPECT_EQ(RunRender(parts, "-o 'g####.png' --part 11/12" + range, &err), 0) << err;
    for (int frame = 0; frame < 20; ++frame) {
        std::vector<uint8_t> expected = ReadBytes(whole.File(Sequence(frame)));
        EXPECT_EQ(expected.empty(), frame < 3 || frame >= 13) << frame;
        EXPECT_EQ(ReadBytes(parts.File(Sequence(frame))), expected) << "frame " << frame;
    }
}

TEST(RenderParts, MoviePartsJoinToTheSingleRunsFile) {
    TempFolder folder;
    const std::string options = " --size 64x48 --aa 25 --codec apch --end 10 --hold 2 --reverse --fields";
    ASSERT_EQ(RunRender(folder, "-o single.mov" + options), 0);
    for (int part = 0; part < 4; ++part) {
        ASSERT_EQ(RunRender(folder, "-o parts.mov --part " + std::to_string(part) + "/4" + options), 0);
    }
    std::string err;
    EXPECT_EQ(RunRender(folder, "--join parts.mov parts.part0.mov parts.part1.mov parts.part3.mov", &err), 1);
    EXPECT_EQ(err, "tavrilo-render: part 2/4 is missing: parts.part2.mov\n");
    EXPECT_TRUE(ReadBytes(folder.File("parts.mov")).empty());
    ASSERT_EQ(
        RunRender(folder, "--join parts.mov parts.part3.mov parts.part1.mov parts.part2.mov parts.part0.mov", &err), 0)
        << err;
    std::vector<uint8_t> single = ReadBytes(folder.File("single.mov"));
    EXPECT_FALSE(single.empty());
    EXPECT_EQ(ReadBytes(folder.File("parts.mov")), single);
}

// A table saved by an editor that starts it with a UTF-8 byte-order mark
// reads as without; a word in the options column that is no option (an
// extra column, a show in the wrong place) and an option a row may not give
// are errors of that row; the table's name is shown escaped.
TEST(Batch, RowsAreReadStrictlyAndNamedEscaped) {
    TempFolder folder;
    std::string jobs = folder.File("jobs\033[2J.tsv");
    ASSERT_TRUE(WriteText(jobs,
                          "\xEF\xBB\xBFshow.tvr\t\tr0.mov\t--aa 5\n"  // row 0
                          "\t\tr1.mov\t--size 20x10\textra.tvr\n"     // row 1: an extra column
                          "\t\tr2.mov\t--picture in.jpg\n"            // row 2
                          "\t\tr3.mov\t--bench\n"                     // row 3
                          "\t\tr4.mov\t--size\t20x10 --end=5\n"));    // row 4: tabs inside the options
    std::vector<BatchRow> rows;
    std::string error;
    ASSERT_TRUE(ReadBatchRows(jobs, rows, error)) << error;
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].show, "show.tvr");
    RenderOptions options;
    options.batchPath = jobs;
    std::vector<std::string> rendered;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    int status = RunBatch(options, {}, [&rendered](const RenderOptions& row) {
        rendered.push_back(row.outPath);
        return 0;
    });
    std::string err = testing::internal::GetCapturedStderr();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, 1);
    EXPECT_EQ(rendered, (std::vector<std::string>{"r0.mov", "r4.mov"}));
    const std::string shown = folder.File("jobs\\x1b[2J.tsv");
    EXPECT_NE(err.find(shown + " row 1 (line 2): \"extra.tvr\" in the options column is not an option"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find(shown + " row 2 (line 3): the options column cannot hold --picture"), std::string::npos) << err;
    EXPECT_NE(err.find(shown + " row 3 (line 4): the options column cannot hold --bench"), std::string::npos) << err;
    EXPECT_EQ(err.find('\033'), std::string::npos) << err;
    EXPECT_EQ(out, "batch " + shown + ": 2 rows made, 3 failed\n");

    EXPECT_NE(ParseError({"--batch", "jobs.tsv", "--bench"}).find("--bench cannot be given with it"),
              std::string::npos);
    EXPECT_NE(ParseError({"--batch", "jobs.tsv", "--picture", "a.jpg"}).find("--picture cannot be given with it"),
              std::string::npos);
    EXPECT_EQ(ParseError({"--batch", ""}), "--batch takes a file name, not \"\"");
    options.batchPath = folder.File("missing\n.tsv");
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunBatch(options, {}, [](const RenderOptions&) { return 0; }), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "tavrilo-render: can't read the batch file \"" +
                                                          folder.File("missing\\n.tsv") +
                                                          "\": No such file or directory\n");
}
