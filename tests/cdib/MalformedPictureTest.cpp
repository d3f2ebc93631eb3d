// Headers written inside the tests: zero and huge sizes, truncated files,
// offsets past the end. No reader may read or write outside its bounds
// (the fuzz targets check that under the sanitizers); here the results.
#include <gtest/gtest.h>

#include <cstring>

#include "PictureReaders.h"
#include "PictureTestSupport.h"

namespace {

std::vector<uint8_t> Bitmap(int width, int height, int bits, size_t pixelBytes) {
    std::vector<uint8_t> bytes(54 + pixelBytes, 0x77);
    std::memset(bytes.data(), 0, 54);
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(bytes, 2, static_cast<uint32_t>(bytes.size()));
    Put32(bytes, 10, 54);
    Put32(bytes, 14, 40);
    Put32(bytes, 18, static_cast<uint32_t>(width));
    Put32(bytes, 22, static_cast<uint32_t>(height));
    Put16(bytes, 26, 1);
    Put16(bytes, 28, static_cast<uint32_t>(bits));
    return bytes;
}

std::vector<uint8_t> Targa(int width, int height, int depth, int type, size_t pixelBytes) {
    std::vector<uint8_t> bytes(18 + pixelBytes, 0x77);
    std::memset(bytes.data(), 0, 18);
    bytes[2] = static_cast<uint8_t>(type);
    Put16(bytes, 12, static_cast<uint32_t>(width));
    Put16(bytes, 14, static_cast<uint32_t>(height));
    bytes[16] = static_cast<uint8_t>(depth);
    return bytes;
}

// A little- or big-endian TIFF: header, then a directory of the given
// entries (tag, type, count, value) at byte 8, then `tail`.
struct Entry {
    uint32_t tag, type, count, value;
};
std::vector<uint8_t> Tiff(bool bigEndian, const std::vector<Entry>& entries, size_t tail) {
    std::vector<uint8_t> bytes(8 + 2 + 12 * entries.size() + 4 + tail, 0x77);
    bytes[0] = bytes[1] = bigEndian ? 'M' : 'I';
    Put16(bytes, 2, 42, bigEndian);
    Put32(bytes, 4, 8, bigEndian);
    Put16(bytes, 8, static_cast<uint32_t>(entries.size()), bigEndian);
    for (size_t i = 0; i < entries.size(); ++i) {
        size_t at = 10 + 12 * i;
        Put16(bytes, at, entries[i].tag, bigEndian);
        Put16(bytes, at + 2, entries[i].type, bigEndian);
        Put32(bytes, at + 4, entries[i].count, bigEndian);
        if (entries[i].type == 3 && entries[i].count <= 2) {
            Put32(bytes, at + 8, 0, bigEndian);
            Put16(bytes, at + 8, entries[i].value, bigEndian);
        } else {
            Put32(bytes, at + 8, entries[i].value, bigEndian);
        }
    }
    return bytes;
}

// A Photoshop header (no colour data, resources or layers) then the
// compression word; `data` follows.
std::vector<uint8_t> Photoshop(int channels, uint32_t width, uint32_t height, int mode, int compression,
                               const std::vector<uint8_t>& data) {
    std::vector<uint8_t> bytes(30 + 4 + 4 + 2, 0);
    std::memcpy(bytes.data(), "8BPS", 4);
    Put16(bytes, 4, 1, true);
    Put16(bytes, 12, static_cast<uint32_t>(channels), true);
    Put32(bytes, 14, height, true);
    Put32(bytes, 18, width, true);
    Put16(bytes, 22, 8, true);
    Put16(bytes, 24, static_cast<uint32_t>(mode), true);
    Put16(bytes, 38, static_cast<uint32_t>(compression), true);
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

class Malformed : public ::testing::Test {
protected:
    int Read(const std::vector<uint8_t>& bytes) { return ReadBytesAsPicture(folder, bytes, dib); }
    TempFolder folder;
    CDib dib;
};

}  // namespace

TEST_F(Malformed, BitmapSizes) {
    EXPECT_EQ(Read(Bitmap(0, 3, 24, 64)), kDibUnreadable);
    EXPECT_EQ(Read(Bitmap(3, 0, 24, 64)), kDibUnreadable);
    EXPECT_EQ(Read(Bitmap(-3, 3, 24, 64)), kDibUnreadable);
    EXPECT_EQ(Read(Bitmap(9000, 3, 24, 64)), kDibTooLarge);
    EXPECT_EQ(Read(Bitmap(3, -9000, 24, 64)), kDibTooLarge);
    EXPECT_EQ(Read(Bitmap(3, INT32_MIN, 24, 64)), kDibTooLarge);
    EXPECT_EQ(Read(Bitmap(3, 3, 12, 64)), kDibUnreadable);
    EXPECT_EQ(Read(Bitmap(3, 3, 64, 64)), kDibUnreadable);
}

TEST_F(Malformed, BitmapTruncationAndOffsets) {
    std::vector<uint8_t> header = Bitmap(4, 4, 24, 0);
    header.resize(30);
    EXPECT_EQ(Read(header), kDibUnreadable);

    std::vector<uint8_t> pastEnd = Bitmap(4, 4, 24, 16);
    Put32(pastEnd, 10, 5000);
    EXPECT_EQ(Read(pastEnd), kDibUnreadable);

    // Two of four rows present: the other two stay black.
    ASSERT_EQ(Read(Bitmap(4, 4, 24, 2 * 12)), kDibReadOk);
    EXPECT_EQ(dib.Row(1)[0], 0x77);
    EXPECT_EQ(dib.Row(2)[0], 0);
    EXPECT_EQ(dib.Row(3)[11], 0);
}

// Bit fields: masks follow the 40-byte header; pixels after them.
std::vector<uint8_t> MaskedBitmap(int bits, uint32_t compression, std::initializer_list<uint32_t> masks,
                                  size_t pixelBytes) {
    std::vector<uint8_t> bytes = Bitmap(2, 2, bits, 4 * masks.size() + pixelBytes);
    Put32(bytes, 30, compression);
    size_t at = 54;
    for (uint32_t mask : masks) {
        Put32(bytes, at, mask);
        at += 4;
    }
    Put32(bytes, 10, static_cast<uint32_t>(at));
    return bytes;
}

TEST_F(Malformed, BitmapMasksThatSayNothingSureAreRefused) {
    EXPECT_EQ(Read(MaskedBitmap(32, 3, {0xFF0000, 0xFF00, 0xFF}, 16)), kDibReadOk);
    EXPECT_EQ(dib.BitsPerPixel(), 24);
    EXPECT_EQ(Read(MaskedBitmap(32, 3, {0, 0xFF00, 0xFF}, 16)), kDibUnreadable);         // no red
    EXPECT_EQ(Read(MaskedBitmap(32, 3, {0xF0F000, 0xFF00, 0xFF}, 16)), kDibUnreadable);  // two runs
    EXPECT_EQ(Read(MaskedBitmap(16, 3, {0x1F0000, 0x7E0, 0x1F}, 8)), kDibUnreadable);    // beyond 16 bits
    EXPECT_EQ(Read(MaskedBitmap(16, 6, {0xF00, 0xF0, 0xF, 0xFF}, 8)), kDibUnreadable);   // alpha over blue
    EXPECT_EQ(Read(MaskedBitmap(24, 3, {0xFF0000, 0xFF00, 0xFF}, 16)), kDibUnreadable);  // masks of 24 bits
    // Masks cut off by the end of the file.
    std::vector<uint8_t> cut = MaskedBitmap(32, 3, {0xFF0000, 0xFF00, 0xFF}, 0);
    Put32(cut, 10, 70);
    cut.resize(60);
    EXPECT_EQ(Read(cut), kDibUnreadable);
    // Run-length data and JPEG or PNG pictures inside a bitmap stay refused.
    for (uint32_t compression : {1u, 2u, 4u, 5u}) {
        EXPECT_EQ(Read(MaskedBitmap(8, compression, {}, 16)), kDibCompressed) << compression;
    }
}

// A masked file that ends early keeps the rows it holds; the rest stay black.
TEST_F(Malformed, TruncatedMaskedBitmapKeepsItsRows) {
    std::vector<uint8_t> bytes = MaskedBitmap(16, 3, {0xF800, 0x7E0, 0x1F}, 4 + 2);
    bytes[66] = 0x00;  // first stored row, first pixel: pure red in 5-6-5
    bytes[67] = 0xF8;
    ASSERT_EQ(Read(bytes), kDibReadOk);
    ASSERT_EQ(dib.BitsPerPixel(), 24);
    EXPECT_EQ(dib.Row(0)[2], 255);
    EXPECT_EQ(dib.Row(0)[0], 0);
    EXPECT_EQ(dib.Row(1)[2], 0);
}

TEST_F(Malformed, BitmapWithAShortPaletteKeepsTheRestOfTheRamp) {
    std::vector<uint8_t> bytes = Bitmap(4, 1, 8, 8 + 4);
    Put32(bytes, 46, 2);   // two colours used
    Put32(bytes, 10, 62);  // pixels after the two palette entries
    ASSERT_EQ(Read(bytes), kDibReadOk);
    EXPECT_EQ(dib.Palette()[1].red, 0x77);
    EXPECT_EQ(dib.Palette()[2].red, 2);
    EXPECT_EQ(dib.Palette()[255].blue, 255);
}

TEST_F(Malformed, TargaHeaders) {
    EXPECT_EQ(Read(Targa(0, 0, 24, 2, 16)), kDibUnreadable);
    EXPECT_EQ(Read(Targa(4, 4, 4, 2, 16)), kDibUnreadable);
    EXPECT_EQ(Read(Targa(4, 4, 40, 2, 16)), kDibUnreadable);
    EXPECT_EQ(Read(Targa(4, 4, 15, 2, 16)), kDibUnreadable);
    EXPECT_EQ(Read(Targa(4, 4, 24, 10, 16)), kDibCompressed);
    EXPECT_EQ(Read(Targa(9000, 4, 24, 2, 16)), kDibTooLarge);
    std::vector<uint8_t> longId = Targa(4, 4, 24, 2, 16);
    longId[0] = 200;
    EXPECT_EQ(Read(longId), kDibUnreadable);
    std::vector<uint8_t> longMap = Targa(4, 4, 24, 2, 16);
    longMap[1] = 1;
    Put16(longMap, 5, 65535);
    longMap[7] = 32;
    EXPECT_EQ(Read(longMap), kDibUnreadable);
    EXPECT_EQ(Read(std::vector<uint8_t>(10, 0)), kDibUnreadable);
}

TEST_F(Malformed, TruncatedTargaLeavesTheRestBlack) {
    // A picture of the same size, all white, is read over: nothing of it may
    // remain where the file ends early.
    ASSERT_TRUE(dib.Create(4, 4, 24));
    std::memset(dib.Pixels(), 0xff, dib.PixelBytes());
    ASSERT_EQ(Read(Targa(4, 4, 24, 2, 12 + 5)), kDibReadOk);
    EXPECT_EQ(dib.Row(0)[11], 0x77);
    EXPECT_EQ(dib.Row(1)[4], 0x77);
    EXPECT_EQ(dib.Row(1)[5], 0);
    EXPECT_EQ(dib.Row(3)[0], 0);
}

TEST_F(Malformed, TruncatedPaddedRowsStopInsideARow) {
    // 5 pixels of 3 bytes: 15 bytes a row in the file, 16 in the picture.
    ASSERT_EQ(Read(Targa(5, 3, 24, 2, 15 + 7)), kDibReadOk);
    EXPECT_EQ(dib.Row(0)[14], 0x77);
    EXPECT_EQ(dib.Row(0)[15], 0);  // padding
    EXPECT_EQ(dib.Row(1)[6], 0x77);
    EXPECT_EQ(dib.Row(1)[7], 0);
    EXPECT_EQ(dib.Row(2)[0], 0);
}

TEST_F(Malformed, TiffHeadersAndDirectories) {
    std::vector<uint8_t> badOrder = Tiff(false, {}, 16);
    badOrder[2] = 0;
    EXPECT_EQ(Read(badOrder), kDibUnreadable);

    std::vector<uint8_t> farDirectory = Tiff(false, {}, 16);
    Put32(farDirectory, 4, 100000);
    EXPECT_EQ(Read(farDirectory), kDibUnreadable);

    std::vector<uint8_t> manyEntries = Tiff(true, {{256, 3, 1, 4}}, 0);
    Put16(manyEntries, 8, 500, true);  // the directory would run past the end
    EXPECT_EQ(Read(manyEntries), kDibUnreadable);

    EXPECT_EQ(Read(Tiff(false, {{256, 4, 1, 9000}}, 16)), kDibTooLarge);
    EXPECT_EQ(Read(Tiff(false, {{259, 3, 1, 5}}, 16)), kDibCompressed);
    EXPECT_EQ(Read(Tiff(false, {{256, 3, 1, 0}}, 16)), kDibUnreadable);
    EXPECT_EQ(Read(Tiff(false, {{277, 3, 1, 5}}, 16)), kDibUnreadable);
    EXPECT_EQ(Read(Tiff(false, {{277, 3, 1, 0}}, 16)), kDibUnreadable);
}

TEST_F(Malformed, TiffStripTablesOutsideTheFile) {
    std::vector<Entry> size = {{256, 3, 1, 2}, {257, 3, 1, 4}, {277, 3, 1, 3}, {278, 3, 1, 1}};
    std::vector<Entry> tablePastEnd = size;
    tablePastEnd.push_back({273, 4, 4, 1u << 30});
    EXPECT_EQ(Read(Tiff(false, tablePastEnd, 64)), kDibUnreadable);

    std::vector<Entry> stripPastEnd = size;
    stripPastEnd.push_back({273, 4, 1, 70000});
    EXPECT_EQ(Read(Tiff(true, stripPastEnd, 64)), kDibUnreadable);

    std::vector<Entry> noStrips = size;
    noStrips.push_back({273, 4, 0, 0});
    EXPECT_EQ(Read(Tiff(false, noStrips, 64)), kDibUnreadable);
}

TEST_F(Malformed, TiffShortStripOffsetsInsideTheEntry) {
    // Big-endian, one SHORT strip offset, and two SHORT offsets in the value
    // field: the offsets are where the entry holds them.
    std::vector<Entry> entries = {{256, 3, 1, 1}, {257, 3, 1, 2}, {277, 3, 1, 3}, {278, 3, 1, 1}};
    std::vector<Entry> one = entries;
    one.push_back({273, 3, 1, 0});
    std::vector<uint8_t> bytes = Tiff(true, one, 6);
    size_t data = bytes.size() - 6;
    Put16(bytes, 10 + 12 * 4 + 8, static_cast<uint32_t>(data), true);
    for (int i = 0; i < 6; ++i) {
        bytes[data + i] = static_cast<uint8_t>(10 * (i + 1));  // rows: (10,20,30) then (40,50,60)
    }
    ASSERT_EQ(Read(bytes), kDibReadOk);
    EXPECT_EQ(PixelAt(dib, 0, 0)[0], 30);  // blue of the top row, after the swap
    EXPECT_EQ(PixelAt(dib, 0, 1)[2], 40);

    std::vector<Entry> two = entries;
    two.push_back({273, 3, 2, 0});
    bytes = Tiff(true, two, 6);
    size_t value = 10 + 12 * 4 + 8;
    Put16(bytes, value, static_cast<uint32_t>(data + 3), true);  // the strips in reverse order
    Put16(bytes, value + 2, static_cast<uint32_t>(data), true);
    for (int i = 0; i < 6; ++i) {
        bytes[data + i] = static_cast<uint8_t>(10 * (i + 1));
    }
    ASSERT_EQ(Read(bytes), kDibReadOk);
    EXPECT_EQ(PixelAt(dib, 0, 0)[2], 40);
    EXPECT_EQ(PixelAt(dib, 0, 1)[2], 10);
}

TEST_F(Malformed, PhotoshopHeaders) {
    EXPECT_EQ(Read(Photoshop(3, 2, 2, 4, 0, std::vector<uint8_t>(12))), kDibUnreadable);
    EXPECT_EQ(Read(Photoshop(3, 9000, 2, 3, 0, std::vector<uint8_t>(12))), kDibTooLarge);
    EXPECT_EQ(Read(Photoshop(3, 0, 2, 3, 0, std::vector<uint8_t>(12))), kDibUnreadable);
    EXPECT_EQ(Read(Photoshop(3, 2, 2, 3, 2, std::vector<uint8_t>(12))), kDibCompressed);
    std::vector<uint8_t> resources = Photoshop(3, 2, 2, 3, 0, std::vector<uint8_t>(12));
    Put32(resources, 30, 1000000, true);
    EXPECT_EQ(Read(resources), kDibUnreadable);
    std::vector<uint8_t> header = Photoshop(3, 2, 2, 3, 0, {});
    header.resize(20);
    EXPECT_EQ(Read(header), kDibUnreadable);
}

TEST_F(Malformed, PhotoshopRunLengthCountsBeyondTheWorkBuffer) {
    // Grey 2 x 2: the work buffer holds 2 x (2 + 1 + 8) = 22 bytes.
    std::vector<uint8_t> counts = {0, 100, 0, 100};
    EXPECT_EQ(Read(Photoshop(1, 2, 2, 1, 1, counts)), kDibUnreadable);
    std::vector<uint8_t> table = {0, 3};
    EXPECT_EQ(Read(Photoshop(1, 2, 1, 1, 1, table)), kDibReadOk);  // the data is missing: black
    EXPECT_EQ(PixelAt(dib, 0, 0)[0], 0);
    EXPECT_EQ(Read(Photoshop(1, 2, 2, 1, 1, {0, 3})), kDibUnreadable);  // the table is cut short
}

TEST_F(Malformed, TruncatedPhotoshopKeepsWhatWasRead) {
    // RGB 2 x 2 raw: red is complete, green has one row, blue is missing.
    std::vector<uint8_t> data = {200, 201, 202, 203, 50, 51};
    ASSERT_EQ(Read(Photoshop(3, 2, 2, 3, 0, data)), kDibReadOk);
    EXPECT_EQ(PixelAt(dib, 1, 1)[2], 203);
    EXPECT_EQ(PixelAt(dib, 1, 0)[1], 51);
    EXPECT_EQ(PixelAt(dib, 1, 1)[1], 0);
    EXPECT_EQ(PixelAt(dib, 0, 0)[0], 0);
}

TEST_F(Malformed, EmptyFileIsUnreadable) {
    EXPECT_EQ(Read({}), kDibUnreadable);
}
