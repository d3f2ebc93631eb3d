// PNG pictures written by PIL and ImageMagick (every colour type, 1 to 16
// bits, interlaced), and PNG files broken inside the test: each is read into
// the picture the other readers make, or refused with the reader's codes.
#include <gtest/gtest.h>

#include <cstring>

#include "PictureReaders.h"
#include "PictureTestSupport.h"

namespace {

void ExpectFixtureAlphas(const CDib& dib) {
    ASSERT_EQ(dib.BitsPerPixel(), 32);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(PixelAt(dib, x, y)[3], kFixtureAlphas[y][x]) << x << "," << y;
        }
    }
}

void ExpectFixtureGreys(const CDib& dib) {
    ASSERT_EQ(dib.Width(), 5);
    ASSERT_EQ(dib.Height(), 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const uint8_t* pixel = PixelAt(dib, x, y);
            for (int channel = 0; channel < 3; ++channel) {
                EXPECT_EQ(pixel[channel], kFixtureGreys[y][x]) << x << "," << y;
            }
        }
    }
}

// The CRC of a chunk's type and data, as PNG computes it.
uint32_t ChunkCrc(const uint8_t* bytes, size_t count) {
    uint32_t crc = 0xffffffffu;
    for (size_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
    }
    return crc ^ 0xffffffffu;
}

// The signature and an IHDR chunk with a correct CRC, then `tail`.
std::vector<uint8_t> PngHeader(uint32_t width, uint32_t height, int depth, int colorType,
                               const std::vector<uint8_t>& tail = {}) {
    std::vector<uint8_t> bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> chunk(4 + 4 + 13 + 4, 0);
    Put32(chunk, 0, 13, true);
    std::memcpy(chunk.data() + 4, "IHDR", 4);
    Put32(chunk, 8, width, true);
    Put32(chunk, 12, height, true);
    chunk[16] = static_cast<uint8_t>(depth);
    chunk[17] = static_cast<uint8_t>(colorType);
    Put32(chunk, 21, ChunkCrc(chunk.data() + 4, 17), true);
    bytes.insert(bytes.end(), chunk.begin(), chunk.end());
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

}  // namespace

TEST(PngFixtures, TrueColourAtEightAndSixteenBitsAndInterlaced) {
    CDib dib;
    for (const char* name : {"png_rgb8.png", "png_rgb16.png", "png_interlaced.png"}) {
        ASSERT_EQ(ReadPicture(PicturePath(name), dib), kDibReadOk) << name;
        EXPECT_EQ(dib.BitsPerPixel(), 24) << name;
        EXPECT_EQ(dib.Stride(), 16) << name;
        ExpectFixtureColours(dib);
    }
}

TEST(PngFixtures, AlphaChannelsKeepTheirAlpha) {
    CDib dib;
    for (const char* name : {"png_rgba8.png", "png_rgba16.png"}) {
        ASSERT_EQ(ReadPicture(PicturePath(name), dib), kDibReadOk) << name;
        ExpectFixtureColours(dib);
        ExpectFixtureAlphas(dib);
    }
    ASSERT_EQ(ReadPicture(PicturePath("png_grey_alpha8.png"), dib), kDibReadOk);
    ExpectFixtureGreys(dib);
    ExpectFixtureAlphas(dib);
}

TEST(PngFixtures, GreyPicturesAreGreyInEveryChannel) {
    CDib dib;
    for (const char* name : {"png_grey8.png", "png_grey16.png"}) {
        ASSERT_EQ(ReadPicture(PicturePath(name), dib), kDibReadOk) << name;
        EXPECT_EQ(dib.BitsPerPixel(), 24) << name;
        ExpectFixtureGreys(dib);
    }
    ASSERT_EQ(ReadPicture(PicturePath("png_grey1.png"), dib), kDibReadOk);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(PixelAt(dib, x, y)[1], kFixtureGreys[y][x] >= 128 ? 255 : 0) << x << "," << y;
        }
    }
}

TEST(PngFixtures, PalettesBecomeTheirColours) {
    CDib dib;
    for (const char* name : {"png_palette8.png", "png_palette4.png"}) {
        ASSERT_EQ(ReadPicture(PicturePath(name), dib), kDibReadOk) << name;
        EXPECT_EQ(dib.BitsPerPixel(), 24) << name;
        ExpectFixtureColours(dib);
    }
    // A transparency chunk makes the picture one with alpha: index 4 clear.
    ASSERT_EQ(ReadPicture(PicturePath("png_palette_trns.png"), dib), kDibReadOk);
    ASSERT_EQ(dib.BitsPerPixel(), 32);
    ExpectFixtureColours(dib);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(PixelAt(dib, x, y)[3], y == 0 && x == 4 ? 0 : 255) << x << "," << y;
        }
    }
}

TEST(PngFixtures, EveryInterlacePassLandsOnItsPixels) {
    CDib dib;
    ASSERT_EQ(ReadPicture(PicturePath("png_interlaced_gradient.png"), dib), kDibReadOk);
    ASSERT_EQ(dib.Width(), 37);
    ASSERT_EQ(dib.Height(), 23);
    int wrong = 0;
    for (int y = 0; y < 23; ++y) {
        for (int x = 0; x < 37; ++x) {
            const uint8_t* pixel = PixelAt(dib, x, y);
            wrong += pixel[2] != 6 * x || pixel[1] != 11 * y || pixel[0] != (x * y) % 256;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(PngFixtures, ChosenByItsSignatureWhateverItsName) {
    TempFolder folder;
    CDib dib;
    std::vector<uint8_t> bytes = ReadBytes(PicturePath("png_rgb8.png"));
    // A name with ".jp" would send a file without a signature to the JPEG reader.
    ASSERT_EQ(ReadBytesAsPicture(folder, bytes, dib, "photo.jpg"), kDibReadOk);
    ExpectFixtureColours(dib);
    ASSERT_EQ(ReadBytesAsPicture(folder, bytes, dib, "picture"), kDibReadOk);
    ExpectFixtureColours(dib);
}

TEST(PngFixtures, LoadReadsATextureAndShowsNoMessage) {
    CDib dib;
    FileSpec spec = MakeFileSpec(PicturePath("png_rgba8.png").c_str());
    EXPECT_TRUE(dib.Load(spec));
    ExpectFixtureAlphas(dib);
}

TEST(MalformedPng, SizesBeyondTheCapAreTooLargeAndZeroIsUnreadable) {
    TempFolder folder;
    CDib dib;
    EXPECT_EQ(ReadBytesAsPicture(folder, PngHeader(9000, 4, 8, 2), dib), kDibTooLarge);
    EXPECT_EQ(ReadBytesAsPicture(folder, PngHeader(4, 8193, 8, 2), dib), kDibTooLarge);
    EXPECT_EQ(ReadBytesAsPicture(folder, PngHeader(0, 4, 8, 2), dib), kDibUnreadable);
    EXPECT_EQ(ReadBytesAsPicture(folder, PngHeader(0x7fffffff, 0x7fffffff, 8, 2), dib), kDibTooLarge);
}

TEST(MalformedPng, BadHeadersAndDamagedDataAreUnreadable) {
    TempFolder folder;
    CDib dib;
    // Depth 3 and colour type 5 do not exist; a header alone has no pixels.
    EXPECT_EQ(ReadBytesAsPicture(folder, PngHeader(4, 4, 3, 2), dib), kDibUnreadable);
    EXPECT_EQ(ReadBytesAsPicture(folder, PngHeader(4, 4, 8, 5), dib), kDibUnreadable);
    EXPECT_EQ(ReadBytesAsPicture(folder, PngHeader(4, 4, 8, 2), dib), kDibUnreadable);

    std::vector<uint8_t> good = ReadBytes(PicturePath("png_rgb16.png"));
    ASSERT_GT(good.size(), 60u);
    std::vector<uint8_t> badCrc = good;
    badCrc[29] ^= 0xff;  // the header's checksum
    EXPECT_EQ(ReadBytesAsPicture(folder, badCrc, dib), kDibUnreadable);
    for (size_t cut : {size_t{8}, size_t{20}, size_t{33}, good.size() / 2, good.size() - 13}) {
        std::vector<uint8_t> part(good.begin(), good.begin() + static_cast<long>(cut));
        EXPECT_EQ(ReadBytesAsPicture(folder, part, dib), kDibUnreadable) << cut << " bytes";
    }
    // A chunk that claims more bytes than the file holds.
    std::vector<uint8_t> huge = PngHeader(4, 4, 8, 2, {0x7f, 0xff, 0xff, 0xff, 'I', 'D', 'A', 'T', 0, 0});
    EXPECT_EQ(ReadBytesAsPicture(folder, huge, dib), kDibUnreadable);
}

TEST(MalformedPng, ReadPngFileRefusesWhatIsNotAPng) {
    TempFolder folder;
    std::vector<uint8_t> bytes = ReadBytes(PicturePath("bmp_rgb24.bmp"));
    ASSERT_TRUE(WriteBytes(folder.File("x.bmp"), bytes));
    PlatformFile file;
    ASSERT_TRUE(OpenFile(file, MakeFileSpec(folder.File("x.bmp").c_str()), kFileRead));
    ByteCursor in(file);
    CDib dib;
    EXPECT_EQ(ReadPngFile(dib, in), kDibUnreadable);
    CloseFile(file);
}
