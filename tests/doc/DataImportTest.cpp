// Data import: line separators, splitting, numbers, the table layout with a
// start cell, stream data, and the commands that read files and the clipboard.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "Doc.h"
#include "HeadlessPlatform.h"
#include "TestSupport.h"

namespace {

// Views with an open data grid, as the desktop's: the grid writes itself
// into the show when it closes around a replacement and reloads after it.
class GridViews : public FrameViews {
public:
    void FrameChanged() override { ++repaints; }
    bool GridCell(int& c, int& r) const override {
        c = editing ? column : 0;
        r = editing ? row : 0;
        return editing;
    }
    void ShowReplaced(const std::function<void()>& replace) override {
        if (!editing) {
            replace();
            return;
        }
        calls.push_back(std::string("off:") + gShow->labels[0]);
        std::strcpy(gShow->setNames[3], "from grid");
        replace();
        calls.push_back(std::string("on:") + gShow->labels[0]);
    }
    bool editing = true;
    int column = 0;
    int row = 0;
    int repaints = 0;
    std::vector<std::string> calls;
};

class DataImportTest : public ::testing::Test {
protected:
    DataImportTest() : show_(CreateShow()), show(*show_) { gShow = show_.get(); }
    ~DataImportTest() override {
        show.views = nullptr;
        gShow = nullptr;
        gCurrentFrame = 0;
    }
    std::string Path(const std::string& name) const { return settings_.Folder().File(name); }
    std::vector<std::string>& Messages() { return Headless().messages; }

    ScopedSettings settings_;
    std::unique_ptr<Show> show_;
    Show& show;
};

}  // namespace

TEST(DataText, LineSeparatorIsTheFirstKindFound) {
    EXPECT_EQ(LineSeparator("a\r\nb\n\rc"), "\n\r");  // LF CR wins over CR LF
    EXPECT_EQ(LineSeparator("a\r\nb"), "\r\n");
    EXPECT_EQ(LineSeparator("a\rb\nc"), "\r");
    EXPECT_EQ(LineSeparator("a\nb"), "\n");
    EXPECT_EQ(LineSeparator("a\tb"), "");
    EXPECT_EQ(LineSeparator(""), "");
}

TEST(DataText, CellNumbersReadTheLeadingNumber) {
    EXPECT_EQ(CellNumber(""), 0.0);
    EXPECT_EQ(CellNumber("12"), 12.0);
    EXPECT_EQ(CellNumber("  -3.5e2xyz"), -350.0);
    EXPECT_EQ(CellNumber("+7"), 7.0);
    EXPECT_EQ(CellNumber(".5"), 0.5);
    EXPECT_EQ(CellNumber("5."), 5.0);
    EXPECT_EQ(CellNumber("1e"), 1.0);
    EXPECT_EQ(CellNumber("2E+1"), 20.0);
    EXPECT_EQ(CellNumber("1,5"), 1.0);
    EXPECT_EQ(CellNumber("abc"), 0.0);
    EXPECT_EQ(CellNumber("-"), 0.0);
    EXPECT_EQ(CellNumber("."), 0.0);
    EXPECT_EQ(CellNumber("nan"), 0.0);
    EXPECT_EQ(CellNumber("inf"), 0.0);
    EXPECT_EQ(CellNumber("0x10"), 0.0);
    EXPECT_EQ(CellNumber(std::string(300, '0') + "42"), 42.0);
    // The cell ends where the view ends, not at the next digit in memory.
    std::string_view cell = std::string_view("12345").substr(0, 2);
    EXPECT_EQ(CellNumber(cell), 12.0);
    EXPECT_TRUE(std::isinf(CellNumber("1e999")));
}

TEST_F(DataImportTest, SmallTableFillsNamesLabelsAndValues) {
    gCurrentFrame = 12;
    ImportTable(show, "\tA\tB\r\nJan\t1\t2\r\nFeb\t3\t4\r\n", 0, 0);
    EXPECT_STREQ(show.setNames[0], "A");
    EXPECT_STREQ(show.setNames[1], "B");
    EXPECT_STREQ(show.setNames[2], "Set 3");
    EXPECT_STREQ(show.labels[0], "Jan");
    EXPECT_STREQ(show.labels[1], "Feb");
    EXPECT_STREQ(show.labels[2], "Label 3");
    EXPECT_EQ(show.values[0][0], 1.0f);
    EXPECT_EQ(show.values[0][1], 3.0f);
    EXPECT_EQ(show.values[1][0], 2.0f);
    EXPECT_EQ(show.values[1][1], 4.0f);
    EXPECT_EQ(show.values[0][2], 103.5f);  // not reached
    EXPECT_EQ(show.modified, 0);
    EXPECT_EQ(gCurrentFrame, 12);  // not evaluated
}

TEST_F(DataImportTest, TextWithoutLineBreakChangesNothing) {
    ImportTable(show, "\tA\tB", 0, 0);
    ImportTable(show, "", 0, 0);
    EXPECT_STREQ(show.setNames[0], "Set 1");
    EXPECT_EQ(show.values[0][0], 100.5f);
}

TEST_F(DataImportTest, MixedBreaksSplitAtLfCr) {
    ImportTable(show, "x\tA\n\rL1\t5\r\n", 0, 0);
    EXPECT_STREQ(show.setNames[0], "A");
    EXPECT_STREQ(show.labels[0], "L1");
    EXPECT_EQ(show.values[0][0], 5.0f);  // "5\r\n" reads as 5
}

TEST_F(DataImportTest, LargeTablesAreCutToTheLayout) {
    std::string text;
    for (int row = 0; row < 40; ++row) {
        for (int column = 0; column < 8; ++column) {
            text += std::to_string(row * 10 + column) + (column < 7 ? "\t" : "\n");
        }
    }
    ImportTable(show, text, 0, 0);
    EXPECT_STREQ(show.setNames[3], "4");
    EXPECT_STREQ(show.setNames[4], "Set 5");
    EXPECT_STREQ(show.labels[31], "320");
    EXPECT_STREQ(show.labels[32], "");
    EXPECT_EQ(show.values[3][31], 324.0f);
    EXPECT_EQ(show.values[4][0], 0.0f);
    EXPECT_EQ(show.values[0][32], 0.0f);
}

TEST_F(DataImportTest, EmptyCellsAndShortRows) {
    ImportTable(show, "\t\t\r\nJan\t\t7\r\nFeb\t9\r\n", 0, 0);
    EXPECT_STREQ(show.setNames[0], "");
    EXPECT_STREQ(show.setNames[1], "Set 2");  // no cell reached it
    EXPECT_EQ(show.values[0][0], 0.0f);       // empty value cell
    EXPECT_EQ(show.values[1][0], 7.0f);
    EXPECT_EQ(show.values[0][1], 9.0f);
    EXPECT_EQ(show.values[1][1], 104.0f);  // right of a short row: unchanged
}

TEST_F(DataImportTest, StartCellMovesTheBlock) {
    ImportTable(show, "a\tb\tc\n1\t2\t3\n4\t5\t6\n7\t8\t9\n", 0, 30);
    EXPECT_STREQ(show.labels[29], "a");
    EXPECT_EQ(show.values[0][29], 0.0f);  // "b" is no number
    EXPECT_STREQ(show.labels[30], "1");
    EXPECT_EQ(show.values[1][30], 3.0f);
    EXPECT_EQ(show.values[1][31], 6.0f);
    EXPECT_STREQ(show.labels[32], "");  // the fourth line is beyond row 32

    ImportTable(show, "N\tM\n10\t11\n", 3, 0);
    EXPECT_STREQ(show.setNames[2], "N");
    EXPECT_STREQ(show.setNames[3], "M");
    EXPECT_EQ(show.values[2][0], 10.0f);
    EXPECT_EQ(show.values[3][0], 11.0f);

    ImportTable(show, "ignored\tZ\n", 0, 0);  // (0, 0) is skipped
    EXPECT_STREQ(show.setNames[0], "Z");
    EXPECT_STREQ(show.title, "");

    ImportTable(show, "9\t9\n9\t9\n", 5, 0);  // outside: nothing
    ImportTable(show, "9\t9\n9\t9\n", -1, 0);
    ImportTable(show, "9\t9\n9\t9\n", 0, 33);
    ImportTable(show, "9\t9\n9\t9\n", 0, -2);
    EXPECT_STREQ(show.setNames[0], "Z");
    EXPECT_EQ(show.values[0][0], 100.5f);
}

TEST_F(DataImportTest, TextsKeepAtMost63Characters) {
    std::string forty(40, 'f');
    std::string hundred(100, 'h');
    ImportTable(show, "\t" + hundred + "\n" + forty + "\n" + hundred + "\n", 0, 0);
    EXPECT_EQ(std::string(show.setNames[0]), std::string(63, 'h'));
    EXPECT_EQ(std::string(show.labels[0]), forty);
    EXPECT_EQ(std::string(show.labels[1]), std::string(63, 'h'));
    EXPECT_EQ(show.labels[1][63], '\0');
}

TEST_F(DataImportTest, StreamRowsCarryMissingCellsAndStopAtEmptyLine) {
    show.streamValues = {9, 9, 9};
    ASSERT_TRUE(LoadStream(show, "1\t2\n3\n\n5\t6\n", 30.0f, false));
    EXPECT_EQ(show.streamColumns, 2);
    EXPECT_EQ(show.streamLastRow, 1);
    EXPECT_EQ(show.streamValues, (std::vector<float>{1, 2, 3, 2}));
    EXPECT_EQ(show.animateData, 1);
    EXPECT_EQ(show.streamInterval, 30.0f);
    EXPECT_EQ(show.values[0][0], 1.0f);
    EXPECT_EQ(show.values[0][1], 1.0f);
    EXPECT_EQ(show.values[0][2], 0.0f);
    EXPECT_EQ(show.values[1][0], 0.0f);
    EXPECT_EQ(show.keyCount, 1);  // no key asked for
    EXPECT_EQ(gCurrentFrame, 0);
    EXPECT_EQ(show.currentValues[0], 1.0f);
    EXPECT_EQ(show.currentValues[1], 2.0f);
}

TEST_F(DataImportTest, StreamOfTenRowsMakesKeyAtTheEnd) {
    std::string text;
    for (int i = 0; i < 10; ++i) {
        text += std::to_string(i * 10) + "\r\n";
    }
    gCurrentFrame = 55;
    ASSERT_TRUE(LoadStream(show, text, 30.0f, true));
    EXPECT_EQ(show.streamColumns, 1);
    EXPECT_EQ(show.streamLastRow, 9);
    ASSERT_EQ(show.keyCount, 2);
    EXPECT_EQ(show.keys[1].frame, 270);
    EXPECT_EQ(show.animateData, 1);
    EXPECT_EQ(gCurrentFrame, 0);
    Evaluate(show, 95);
    EXPECT_EQ(show.currentValues[0], 30.0f);
    Evaluate(show, 1000);
    EXPECT_EQ(show.currentValues[0], 90.0f);
}

TEST_F(DataImportTest, StreamColumnsAndLinesAreCapped) {
    std::string text;
    for (int i = 0; i < 32005; ++i) {
        text += std::to_string(i) + "\t1\t2\t3\t4\t5\n";
    }
    ASSERT_TRUE(LoadStream(show, text, 1.0f, false));
    EXPECT_EQ(show.streamColumns, 4);
    EXPECT_EQ(show.streamLastRow, 31999);
    ASSERT_EQ(show.streamValues.size(), 32000u * 4);
    EXPECT_EQ(show.streamValues[31999 * 4], 31999.0f);
    EXPECT_EQ(show.streamValues[31999 * 4 + 3], 3.0f);
}

TEST_F(DataImportTest, StreamIntervalMustBePositive) {
    ASSERT_TRUE(LoadStream(show, "4\n5\n", 10.0f, false));
    show.values[2][3] = 77.0f;
    show.animateData = 0;
    for (float interval : {0.0f, -30.0f, std::nanf("")}) {
        Messages().clear();
        Result loaded = LoadStream(show, "1\t2\n3\t4\n", interval, true);
        EXPECT_FALSE(loaded);
        EXPECT_EQ(loaded.Message(), "The interval between stream data must be more than 0 frames");
        EXPECT_TRUE(Messages().empty());
        EXPECT_EQ(show.streamColumns, 1);
        EXPECT_EQ(show.streamValues, (std::vector<float>{4, 5}));
        EXPECT_EQ(show.values[2][3], 77.0f);
        EXPECT_EQ(show.animateData, 0);
        EXPECT_EQ(show.keyCount, 1);
    }
}

// A stream text that cannot be used is refused before anything changes:
// the stream loaded before goes on being shown, with one message.
TEST_F(DataImportTest, UnusableStreamKeepsThePreviousStream) {
    ASSERT_TRUE(LoadStream(show, "4\n5\n", 10.0f, false));
    show.values[2][3] = 77.0f;
    for (const char* text : {"1\t2", "\n1\t2\n", "", "GIF89a\tpicture\nno\tnumbers\n"}) {
        SCOPED_TRACE(text);
        Messages().clear();
        Result loaded = LoadStream(show, text, 10.0f, true);
        EXPECT_EQ(loaded.Message(),
                  "The stream data hold no lines of tab-delimited numbers; the stream shown before is kept");
        EXPECT_TRUE(Messages().empty());
        EXPECT_EQ(show.streamColumns, 1);
        EXPECT_EQ(show.streamValues, (std::vector<float>{4, 5}));
        EXPECT_EQ(show.streamInterval, 10.0f);
        EXPECT_EQ(show.values[2][3], 77.0f);
        EXPECT_EQ(show.keyCount, 1);
    }
}

// A data file without a line break holds no table: it is refused with its
// name and the show's data and modified mark stay.
TEST_F(DataImportTest, DataFileWithoutLinesIsRefusedByName) {
    std::string path = Path("one-line.txt");
    ASSERT_TRUE(WriteText(path, "North\tSouth"));
    show.values[0][0] = 12.0f;
    show.modified = 0;
    Messages().clear();
    Result loaded = LoadDataFileCommand(show, MakeFileSpec(path.c_str()));
    EXPECT_FALSE(loaded);
    EXPECT_EQ(loaded.Message(), "Can't use data file \"" + path +
                                    "\": it holds no lines of tab-delimited data; the show's data stay as they were");
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(show.values[0][0], 12.0f);
    EXPECT_EQ(show.modified, 0);
}

TEST_F(DataImportTest, HugeIntervalKeepsTheKeyInsideTheShow) {
    ASSERT_TRUE(LoadStream(show, "1\n2\n3\n", 3e38f, true));
    ASSERT_EQ(show.keyCount, 2);
    EXPECT_GT(show.keys[1].frame, 0);
    EXPECT_LE(show.keys[1].frame, show.lengthFrames);
}

TEST_F(DataImportTest, DataFileCommand) {
    std::string path = Path("data.txt");
    ASSERT_TRUE(WriteText(path, "\tNorth\r\nQ1\t5.5\r\n"));
    EXPECT_TRUE(LoadDataFileCommand(show, MakeFileSpec(path.c_str())));
    EXPECT_STREQ(show.setNames[0], "North");
    EXPECT_EQ(show.values[0][0], 5.5f);

    std::string missing = Path("missing.txt");
    EXPECT_EQ(LoadDataFileCommand(show, MakeFileSpec(missing.c_str())).Message(),
              "Can't read data file \"" + missing + "\": " + FileErrorText(ENOENT));
    EXPECT_TRUE(Messages().empty());
    EXPECT_STREQ(show.setNames[0], "North");
}

TEST_F(DataImportTest, DataFileIsReadUpTo32768BytesAndItsFirstNul) {
    std::string text = "\tA\n";
    text += std::string(32768 - text.size() - 1, 'x') + "\n";
    text += "L\t1\n";  // beyond the bytes read
    std::string path = Path("big.txt");
    ASSERT_TRUE(WriteText(path, text));
    ASSERT_TRUE(LoadDataFileCommand(show, MakeFileSpec(path.c_str())));
    EXPECT_STREQ(show.setNames[0], "A");
    EXPECT_STREQ(show.labels[1], "Label 2");

    std::string withNul("\tB\n\0\tC\n", 7);
    ASSERT_TRUE(WriteText(path, withNul));
    ASSERT_TRUE(LoadDataFileCommand(show, MakeFileSpec(path.c_str())));
    EXPECT_STREQ(show.setNames[0], "B");
    EXPECT_STREQ(show.labels[0], std::string(63, 'x').c_str());  // unchanged
}

TEST_F(DataImportTest, ClipboardCommand) {
    EXPECT_FALSE(GetDataFromClipboardCommand(show));
    Headless().clipboard = "\tClip\n";
    EXPECT_TRUE(GetDataFromClipboardCommand(show));
    EXPECT_STREQ(show.setNames[0], "Clip");
    // Only the first 32700 bytes are taken.
    std::string text = "\tFirst\n" + std::string(32700 - 7 - 1, 'y') + "\nZ\t3\n";
    Headless().clipboard = text;
    EXPECT_TRUE(GetDataFromClipboardCommand(show));
    EXPECT_STREQ(show.setNames[0], "First");
    EXPECT_STREQ(show.labels[1], "Label 2");
}

TEST_F(DataImportTest, ImportIntoTheGridAtItsSelectedCell) {
    GridViews preview;
    preview.column = 2;
    preview.row = 3;
    show.views = &preview;
    ImportTableCommand(show, "7\t8\n");
    EXPECT_EQ(show.values[1][2], 7.0f);
    EXPECT_EQ(show.values[2][2], 8.0f);
    EXPECT_STREQ(show.setNames[3], "from grid");  // the grid was written first
    ASSERT_EQ(preview.calls.size(), 2u);
    EXPECT_EQ(preview.calls[0], "off:Label 1");
    EXPECT_TRUE(preview.editing);
    EXPECT_GE(preview.repaints, 1);

    preview.editing = false;
    ImportTableCommand(show, "\tS\n");
    EXPECT_STREQ(show.setNames[0], "S");
    EXPECT_EQ(preview.calls.size(), 2u);
}

TEST_F(DataImportTest, StreamFileCommand) {
    std::string path = Path("stream.txt");
    ASSERT_TRUE(WriteText(path, "1\t2\r\n3\t4\r\n5\t6\r\n"));
    EXPECT_TRUE(LoadStreamFileCommand(show, MakeFileSpec(path.c_str()), "15"));
    EXPECT_EQ(show.streamInterval, 15.0f);
    EXPECT_EQ(show.streamLastRow, 2);
    ASSERT_EQ(show.keyCount, 2);
    EXPECT_EQ(show.keys[1].frame, 30);

    Messages().clear();
    // A refused stream names the file and says why.
    EXPECT_EQ(LoadStreamFileCommand(show, MakeFileSpec(path.c_str()), "zero").Message(),
              "Can't load stream file \"" + path + "\": the interval between stream data must be more than 0 frames");
    EXPECT_EQ(show.streamLastRow, 2);
    const std::string words = Path("words.txt");
    ASSERT_TRUE(WriteText(words, "no\tnumbers\nat\tall\n"));
    EXPECT_EQ(LoadStreamFileCommand(show, MakeFileSpec(words.c_str()), "30").Message(),
              "Can't load stream file \"" + words +
                  "\": the stream data hold no lines of tab-delimited numbers; the stream shown before is kept");
    EXPECT_EQ(show.streamLastRow, 2);

    std::string missing = Path("none.txt");
    EXPECT_EQ(LoadStreamFileCommand(show, MakeFileSpec(missing.c_str()), "30").Message(),
              "Can't read stream file \"" + missing + "\": " + FileErrorText(ENOENT));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(show.streamColumns, 2);
}

// A table or stream brought in changes the show: New, Load and Exit must ask
// before throwing it away.
TEST_F(DataImportTest, ImportedDataMarksTheShowModified) {
    std::string path = Path("table.txt");
    ASSERT_TRUE(WriteText(path, "\tNorth\r\nQ1\t5.5\r\n"));
    show.modified = 0;
    ASSERT_TRUE(LoadDataFileCommand(show, MakeFileSpec(path.c_str())));
    EXPECT_EQ(show.modified, 1);

    show.modified = 0;
    Headless().clipboard = "\tClip\n";
    ASSERT_TRUE(GetDataFromClipboardCommand(show));
    EXPECT_EQ(show.modified, 1);

    show.modified = 0;
    std::string stream = Path("stream.txt");
    ASSERT_TRUE(WriteText(stream, "1\t2\r\n3\t4\r\n"));
    ASSERT_TRUE(LoadStreamFileCommand(show, MakeFileSpec(stream.c_str()), "10"));
    EXPECT_EQ(show.modified, 1);

    // Nothing read, nothing changed.
    show.modified = 0;
    EXPECT_FALSE(LoadDataFileCommand(show, MakeFileSpec(Path("missing.txt").c_str())));
    EXPECT_EQ(show.modified, 0);
}

// What a table holds beyond 32 categories and 4 sets is counted and named
// (the command line warns with it); empty cells and lines are not data.
TEST(TableBeyondShow, CountsAndNamesTheRowsAndColumnsLeftOut) {
    std::string table = "\tA\tB\tC\tD\tE\tF\tG\r\n";
    for (int row = 1; row <= 35; ++row) {
        table += "R" + std::to_string(row) + (row == 2 ? "\t1\t2\t3\t4\t5\t6\t7" : "\t1") + "\r\n";
    }
    TableLeftOut left = TableBeyondShow(table);
    EXPECT_EQ(left.categories, 3);
    EXPECT_EQ(left.firstCategory, "R33");
    EXPECT_EQ(left.lastCategory, "R35");
    EXPECT_EQ(left.sets, 3);
    EXPECT_EQ(left.firstSet, "E");
    EXPECT_EQ(left.lastSet, "G");
    EXPECT_TRUE(left.Any());

    // 32 rows and 4 sets, with trailing tabs, blank lines and a row of
    // empty cells after them: nothing is left out.
    std::string fits = "\tA\tB\tC\tD\t\t\n";
    for (int row = 1; row <= 32; ++row) {
        fits += "R" + std::to_string(row) + "\t1\t2\t3\t4\t\n";
    }
    fits += "\n\t\t \t\n\n";
    EXPECT_FALSE(TableBeyondShow(fits).Any());
    EXPECT_FALSE(TableBeyondShow("no line break").Any());

    // A fifth value without a set name still is a set left out.
    TableLeftOut unnamed = TableBeyondShow("\tA\nR1\t1\t2\t3\t4\t5\n");
    EXPECT_EQ(unnamed.sets, 1);
    EXPECT_EQ(unnamed.firstSet, "");
}
