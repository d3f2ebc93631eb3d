// JPEG pictures through the companion library, and its binding.
#include <gtest/gtest.h>

#include <cstdlib>

#include "JpegDll.h"
#include "PictureReaders.h"
#include "PictureTestSupport.h"

namespace {

// Quadrants of the 16 x 16 fixtures: red, green / blue, white.
void ExpectQuadrants(const CDib& dib, bool grey) {
    ASSERT_EQ(dib.Width(), 16);
    ASSERT_EQ(dib.Height(), 16);
    ASSERT_EQ(dib.BitsPerPixel(), 24);
    struct Probe {
        int x, y, red, green, blue;
    };
    const Probe probes[] = {{3, 3, 255, 0, 0}, {12, 3, 0, 255, 0}, {3, 12, 0, 0, 255}, {12, 12, 255, 255, 255}};
    for (const Probe& probe : probes) {
        const uint8_t* pixel = PixelAt(dib, probe.x, probe.y);
        if (grey) {
            int luma = (299 * probe.red + 587 * probe.green + 114 * probe.blue) / 1000;
            EXPECT_NEAR(pixel[0], luma, 8);
            EXPECT_EQ(pixel[0], pixel[1]);
            EXPECT_EQ(pixel[1], pixel[2]);
        } else {
            EXPECT_NEAR(pixel[0], probe.blue, 12) << probe.x << "," << probe.y;
            EXPECT_NEAR(pixel[1], probe.green, 12) << probe.x << "," << probe.y;
            EXPECT_NEAR(pixel[2], probe.red, 12) << probe.x << "," << probe.y;
        }
    }
}

int ReadJpegWith(const std::string& path, const char* library, CDib& dib) {
    PlatformFile file;
    EXPECT_TRUE(OpenFile(file, MakeFileSpec(path.c_str()), kFileRead));
    return ReadJpegFileWith(dib, file, library);
}

}  // namespace

TEST(JpegPictures, GreyColourAndProgressive) {
    CDib dib;
    ASSERT_EQ(ReadPicture(PicturePath("jpeg_grey.jpg"), dib), kDibReadOk);
    ExpectQuadrants(dib, true);
    ASSERT_EQ(ReadPicture(PicturePath("jpeg_colour.jpg"), dib), kDibReadOk);
    ExpectQuadrants(dib, false);
    ASSERT_EQ(ReadPicture(PicturePath("jpeg_progressive.jpg"), dib), kDibReadOk);
    ExpectQuadrants(dib, false);
}

TEST(JpegPictures, NameChoosesJpegWithoutTheJfifMark) {
    CDib dib;
    ASSERT_EQ(ReadPicture(PicturePath("jpeg_nojfif.jpg"), dib), kDibReadOk);
    ExpectQuadrants(dib, false);
    // Without the mark and the name the file is taken for a Targa and fails.
    dib.Create(16, 16, 8);
    EXPECT_NE(ReadPicture(PicturePath("jpeg_nojfif.dat"), dib), kDibReadOk);
    EXPECT_EQ(dib.BitsPerPixel(), 8);
}

TEST(JpegPictures, MissingLibraryIsUnreadableAndForeignLibraryFailsToStart) {
    CDib dib;
    EXPECT_TRUE(JpegLibraryAvailable());
    EXPECT_FALSE(JpegLibraryAvailable("libPlinthJpegMissing.so"));
    EXPECT_EQ(ReadJpegWith(PicturePath("jpeg_colour.jpg"), "libPlinthJpegMissing.so", dib), kDibUnreadable);
    // A library that loads but lacks the entry points.
    EXPECT_EQ(ReadJpegWith(PicturePath("jpeg_colour.jpg"), "libc.so.6", dib), kDibCompressed);
}

TEST(JpegPictures, BrokenAndOversizedJpegs) {
    TempFolder folder;
    CDib dib;
    std::vector<uint8_t> jpeg = ReadBytes(PicturePath("jpeg_colour.jpg"));
    ASSERT_GT(jpeg.size(), 200u);

    std::vector<uint8_t> garbage(100, 0x5a);
    EXPECT_EQ(ReadBytesAsPicture(folder, garbage, dib, "garbage.jpg"), kDibUnreadable);

    std::vector<uint8_t> headerOnly(jpeg.begin(), jpeg.begin() + 20);
    EXPECT_EQ(ReadBytesAsPicture(folder, headerOnly, dib, "short.jpg"), kDibUnreadable);

    // The frame header (SOF0 or SOF2) holds height and width after 0xFFC0.
    for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xff && (jpeg[i + 1] == 0xc0 || jpeg[i + 1] == 0xc2)) {
            Put16(jpeg, i + 7, 9000, true);
            break;
        }
    }
    EXPECT_EQ(ReadBytesAsPicture(folder, jpeg, dib, "wide.jpg"), kDibTooLarge);
}

TEST(JpegPictures, TheLibraryRefusesADestinationOfAnotherSize) {
    JpegLibrary library;
    ASSERT_TRUE(library.Open(kJpegLibraryName));
    ASSERT_TRUE(library.HasEntryPoints());
    JpegCoreProperties properties{};
    JpegSession session(library, properties);
    ASSERT_TRUE(session.Started());
    std::string path = PicturePath("jpeg_colour.jpg");
    properties.jpgFile = path.c_str();
    ASSERT_EQ(session.Read(kJpegReadParams), kJpegOk);
    EXPECT_EQ(properties.jpgWidth, 16);
    EXPECT_EQ(properties.jpgChannels, 3);
    std::vector<uint8_t> small(8 * 8 * 3);
    properties.dibBytes = small.data();
    properties.dibWidth = 8;
    properties.dibHeight = 8;
    properties.dibChannels = 3;
    properties.dibColor = kJpegColorBgr;
    EXPECT_EQ(session.Read(kJpegReadImage), kJpegSizeChanged);
    EXPECT_EQ(session.Read(7), kJpegBadArgument);
}
