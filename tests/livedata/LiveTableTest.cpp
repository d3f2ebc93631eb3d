// Live tables: what a whole table must be to reach the chart, how it fills
// the show, the shape every later update keeps, and stream files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Doc.h"
#include "LiveTable.h"
#include "TestSupport.h"

using namespace std::string_literals;

namespace {

const char kTable[] =
    "Results\tYes\tNo\n"
    "North\t12.5\t7\n"
    "South\t3\t-4e1\n";

std::string Refusal(const std::string& text) {
    LiveTable table;
    std::string error;
    EXPECT_FALSE(ParseLiveTable(text, table, error)) << text;
    return error;
}

}  // namespace

TEST(LiveTable, ReadsNamesLabelsValuesAndTitle) {
    LiveTable table;
    std::string error;
    ASSERT_TRUE(ParseLiveTable(kTable, table, error)) << error;
    EXPECT_EQ(table.shape, (LiveDataShape{2, 2}));
    EXPECT_EQ(table.title, "Results");
    EXPECT_EQ(table.setNames[1], "No");
    EXPECT_EQ(table.labels[1], "South");
    EXPECT_FLOAT_EQ(table.Value(0, 0), 12.5f);
    EXPECT_FLOAT_EQ(table.Value(1, 1), -40.0f);
    // CR LF lines, an empty top-left cell (no title) and an empty value (0)
    // are fine; so is a blank line at the end.
    ASSERT_TRUE(ParseLiveTable("\tA\r\nx\t\r\ny\t 5 \r\n", table, error)) << error;
    EXPECT_EQ(table.shape, (LiveDataShape{2, 1}));
    EXPECT_EQ(table.title, "");
    EXPECT_FLOAT_EQ(table.Value(0, 0), 0.0f);
    EXPECT_FLOAT_EQ(table.Value(1, 0), 5.0f);
    ASSERT_TRUE(ParseLiveTable("\tA\nx\t1\n\n", table, error)) << error;
    EXPECT_EQ(table.shape, (LiveDataShape{1, 1}));
}

TEST(LiveTable, RefusesWhatIsNotACompleteTable) {
    EXPECT_NE(Refusal("").find("empty"), std::string::npos);
    EXPECT_NE(Refusal("\tA\tB").find("no line break"), std::string::npos);
    // Cut off in the middle of its last row: still being written.
    EXPECT_NE(Refusal("\tA\tB\nx\t1\t2\ny\t3").find("not ended"), std::string::npos);
    EXPECT_NE(Refusal("\tA\tB\n").find("at least one row"), std::string::npos);
    EXPECT_NE(Refusal("\tA\tB\nx\t1\n").find("line 2 has 2 cells, the first line 3"), std::string::npos);
    EXPECT_NE(Refusal("\tA\nx\t12a\n").find("line 2, cell 2: \"12a\" is not a number"), std::string::npos);
    EXPECT_NE(Refusal("\tA\nx\tnan\n").find("not a number"), std::string::npos);
    EXPECT_NE(Refusal("\tA\nx\t1e999\n").find("not a number"), std::string::npos);
    EXPECT_NE(Refusal("\ta\tb\tc\td\te\nx\t1\t2\t3\t4\t5\n").find("1 to 4"), std::string::npos);
    EXPECT_NE(Refusal("\tA\nx\t1\0\n"s).find("not text"), std::string::npos);
    std::string tall = "\tA\n";
    for (int i = 0; i < 33; ++i) {
        tall += "r\t1\n";
    }
    EXPECT_NE(Refusal(tall).find("33 rows"), std::string::npos);
}

TEST(LiveTable, FillsTheWholeDataAreaAndKeepsTheTitleWhenNoneIsGiven) {
    ScopedSettings settings;
    auto show = CreateShow();
    MakeDemoShow(*show);
    std::strcpy(show->title, "Kept");
    LiveTable table;
    std::string error;
    ASSERT_TRUE(ParseLiveTable("\tOnly\nOne\t9\n", table, error)) << error;
    ApplyLiveTable(*show, table);
    EXPECT_STREQ(show->title, "Kept");
    EXPECT_STREQ(show->setNames[0], "Only");
    EXPECT_STREQ(show->setNames[1], "");
    EXPECT_STREQ(show->labels[0], "One");
    EXPECT_STREQ(show->labels[1], "");
    EXPECT_FLOAT_EQ(show->values[0][0], 9.0f);
    // What the demo's data had beyond the table is cleared, not left over.
    for (int set = 0; set < 4; ++set) {
        for (int row = 0; row < 32; ++row) {
            if (set != 0 || row != 0) {
                ASSERT_EQ(show->values[set][row], 0.0f) << set << "," << row;
            }
        }
    }
    ASSERT_TRUE(ParseLiveTable(std::string(kTable), table, error));
    ApplyLiveTable(*show, table);
    EXPECT_STREQ(show->title, "Results");
    DestroyShow(*show);
}

TEST(LiveTable, TheFirstUpdateFixesTheShape) {
    LiveDataGate gate;
    LiveDataUpdate first;
    std::string error;
    ASSERT_TRUE(ParseLiveData(LiveDataKind::Table, kTable, first, error));
    ASSERT_TRUE(gate.Admit(first, error));
    LiveDataUpdate same;
    ASSERT_TRUE(ParseLiveData(LiveDataKind::Table, "\tX\tY\na\t1\t2\nb\t3\t4\n", same, error));
    EXPECT_TRUE(gate.Admit(same, error));
    LiveDataUpdate wider;
    ASSERT_TRUE(ParseLiveData(LiveDataKind::Table, "\tX\tY\tZ\na\t1\t2\t3\nb\t3\t4\t5\n", wider, error));
    EXPECT_FALSE(gate.Admit(wider, error));
    EXPECT_NE(error.find("2 rows of 3 sets where the chart has 2 rows of 2 sets"), std::string::npos) << error;
    LiveDataUpdate stream;
    ASSERT_TRUE(ParseLiveData(LiveDataKind::Stream, "1\t2\n3\t4\n", stream, error));
    EXPECT_FALSE(gate.Admit(stream, error));
}

TEST(LiveStreamFile, ChecksItsLinesAndCountsItsColumns) {
    LiveDataShape shape;
    std::string error;
    ASSERT_TRUE(CheckLiveStream("1\t2\t3\n4\n\n9\tx\n", shape, error)) << error;  // stops at the empty line
    EXPECT_EQ(shape.columns, 3);
    EXPECT_FALSE(CheckLiveStream("1\t2\n3\t", shape, error));
    EXPECT_NE(error.find("not ended"), std::string::npos);
    EXPECT_FALSE(CheckLiveStream("1\t2\n3\tb\n", shape, error));
    EXPECT_NE(error.find("line 2, cell 2"), std::string::npos);
    EXPECT_FALSE(CheckLiveStream("1\t2\t3\t4\t5\n", shape, error));
}

TEST(LiveStreamFile, LoadsWithoutAKeyOrMovingTheCurrentFrame) {
    ScopedSettings settings;
    auto show = CreateShow();
    MakeDemoShow(*show);
    gCurrentFrame = 77;
    const int keys = show->keyCount;
    ASSERT_TRUE(ApplyLiveStream(*show, "5\t6\n7\t8\n", 10.0f));
    EXPECT_EQ(gCurrentFrame, 77);
    EXPECT_EQ(show->keyCount, keys);
    EXPECT_EQ(show->streamColumns, 2);
    EXPECT_EQ(show->streamLastRow, 1);
    // A refused update says why and leaves the stream and the frame alone.
    EXPECT_EQ(ApplyLiveStream(*show, "no\tnumbers\n", 10.0f).Message(),
              "The stream data hold no lines of tab-delimited numbers; the stream shown before is kept");
    EXPECT_EQ(ApplyLiveStream(*show, "1\n2\n", 0.0f).Message(),
              "The interval between stream data must be more than 0 frames");
    EXPECT_EQ(show->streamLastRow, 1);
    EXPECT_EQ(gCurrentFrame, 77);
    gCurrentFrame = 0;
    DestroyShow(*show);
}
