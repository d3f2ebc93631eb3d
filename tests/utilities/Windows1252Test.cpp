// The Windows-1252 table: the row 0x80-0x9F, the bytes that are Latin-1 and
// the way back, with what the code page lacks.
#include <gtest/gtest.h>

#include "Windows1252.h"

TEST(Windows1252, BytesToUnicode) {
    EXPECT_EQ(Windows1252ToUnicode(0x41), U'A');
    EXPECT_EQ(Windows1252ToUnicode(0x80), U'\u20AC');  // euro sign
    EXPECT_EQ(Windows1252ToUnicode(0x85), U'\u2026');  // ellipsis
    EXPECT_EQ(Windows1252ToUnicode(0x92), U'\u2019');  // right single quote
    EXPECT_EQ(Windows1252ToUnicode(0x96), U'\u2013');  // en dash
    EXPECT_EQ(Windows1252ToUnicode(0x99), U'\u2122');  // trade mark
    EXPECT_EQ(Windows1252ToUnicode(0x9F), U'\u0178');
    EXPECT_EQ(Windows1252ToUnicode(0x81), U'\u0081');  // undefined: kept
    EXPECT_EQ(Windows1252ToUnicode(0xA0), U'\u00A0');
    EXPECT_EQ(Windows1252ToUnicode(0xE9), U'\u00E9');
    EXPECT_EQ(Windows1252ToUnicode(0xFF), U'\u00FF');
}

TEST(Windows1252, EveryByteComesBack) {
    for (int byte = 0; byte < 256; ++byte) {
        EXPECT_EQ(UnicodeToWindows1252(Windows1252ToUnicode(static_cast<uint8_t>(byte))), byte) << byte;
    }
    EXPECT_EQ(UnicodeToWindows1252(U'\u0080'), -1);  // a control the code page replaced by the euro
    EXPECT_EQ(UnicodeToWindows1252(U'\u0100'), -1);
    EXPECT_EQ(UnicodeToWindows1252(U'\u4E00'), -1);
    EXPECT_EQ(UnicodeToWindows1252(U'\U0001F600'), -1);
}
