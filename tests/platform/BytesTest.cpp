// Numbers stored in either byte order, and the file that closes itself.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "CrossPlatform.h"
#include "TestSupport.h"

TEST(Bytes, NumbersAreStoredInTheOrderAskedAndReadBack) {
    uint8_t bytes[6] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    WriteInteger(bytes + 1, 0x12345678, 4, false);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 6), (std::vector<uint8_t>{0xEE, 0x78, 0x56, 0x34, 0x12, 0xEE}));
    WriteInteger(bytes + 1, 0x12345678, 4, true);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 6), (std::vector<uint8_t>{0xEE, 0x12, 0x34, 0x56, 0x78, 0xEE}));
    EXPECT_EQ(ReadInteger(bytes + 1, 4, true), 0x12345678u);
    // Two bytes keep the low ones; nothing beyond them is touched.
    WriteInteger(bytes, 0xABCD1234, 2, true);
    EXPECT_EQ(bytes[0], 0x12);
    EXPECT_EQ(bytes[1], 0x34);
    EXPECT_EQ(bytes[2], 0x34);
    EXPECT_EQ(ReadInteger(bytes, 2, false), 0x3412u);
    WriteInteger(bytes, 7, 0, false);  // no bytes: nothing written
    EXPECT_EQ(bytes[0], 0x12);

    std::vector<uint8_t> out{1};
    AppendInteger(out, 0x0A0B0C0D, 4, true);
    AppendInteger(out, 0x0A0B0C0D, 2, false);
    EXPECT_EQ(out, (std::vector<uint8_t>{1, 0x0A, 0x0B, 0x0C, 0x0D, 0x0D, 0x0C}));
}

TEST(Bytes, AnOwnedFileClosesAndSaysWhetherClosingWorked) {
    TempFolder folder;
    const std::string path = folder.File("owned.bin");
    {
        OwnedFile file(std::fopen(path.c_str(), "wb"));
        ASSERT_TRUE(file);
        ASSERT_EQ(std::fputs("abc", file.get()), 1);
    }  // closed here, written
    {
        OwnedFile file(std::fopen(path.c_str(), "rb"));
        ASSERT_TRUE(file);
        char text[8] = {};
        EXPECT_EQ(std::fread(text, 1, sizeof(text), file.get()), 3u);
        EXPECT_TRUE(CloseOwnedFile(file));
        EXPECT_FALSE(file);
        EXPECT_FALSE(CloseOwnedFile(file));  // nothing left to close
    }
    // A write that cannot reach the device shows when it is closed.
    OwnedFile full(std::fopen("/dev/full", "wb"));
    if (full) {
        std::fputs("lost", full.get());
        EXPECT_FALSE(CloseOwnedFile(full));
    }
}
