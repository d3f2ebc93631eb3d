// Load with its messages, fallback folder and placeholder; Save and Write.
#include <gtest/gtest.h>

#include <cstring>

#include "HeadlessPlatform.h"
#include "PictureReaders.h"
#include "PictureTestSupport.h"

namespace {

class PictureLoad : public ::testing::Test {
protected:
    void SetUp() override {
        ResetHeadless();
        Headless().quiet = true;
    }
    int Load(const std::string& path, bool report, const FileSpec* fallback = nullptr) {
        return dib.Load(MakeFileSpec(path.c_str()), fallback, report);
    }
    std::string OnlyMessage() {
        EXPECT_EQ(Headless().messages.size(), 1u);
        return Headless().messages.empty() ? std::string() : Headless().messages.back();
    }
    CDib dib;
    TempFolder folder;
};

std::vector<uint8_t> BitmapHeader(int width, int height, int bits) {
    std::vector<uint8_t> bytes(54, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(bytes, 2, 54);
    Put32(bytes, 10, 54);
    Put32(bytes, 14, 40);
    Put32(bytes, 18, static_cast<uint32_t>(width));
    Put32(bytes, 22, static_cast<uint32_t>(height));
    Put16(bytes, 26, 1);
    Put16(bytes, 28, static_cast<uint32_t>(bits));
    return bytes;
}

}  // namespace

TEST_F(PictureLoad, LoadedPictureGivesOneAndNoMessage) {
    EXPECT_EQ(Load(PicturePath("bmp_rgb24.bmp"), true), kDibLoaded);
    EXPECT_TRUE(Headless().messages.empty());
    ExpectFixtureColours(dib);
}

TEST_F(PictureLoad, EveryReaderMessage) {
    EXPECT_EQ(Load(PicturePath("tga_rle.tga"), true), kDibLoadFailed);
    EXPECT_EQ(OnlyMessage(), "Can't read compressed images");

    ResetHeadless();
    ASSERT_TRUE(WriteBytes(folder.File("wide.bmp"), BitmapHeader(9000, 2, 24)));
    EXPECT_EQ(Load(folder.File("wide.bmp"), true), kDibLoadFailed);
    EXPECT_EQ(OnlyMessage(), "Images must be smaller than 8192 pixels");

    ResetHeadless();
    ASSERT_TRUE(WriteBytes(folder.File("junk.dat"), std::vector<uint8_t>(40, 0)));
    EXPECT_EQ(Load(folder.File("junk.dat"), true), kDibLoadFailed);
    EXPECT_EQ(OnlyMessage(), "Can't read image file  [ 3 ]");

    ResetHeadless();
    ASSERT_TRUE(WriteBytes(folder.File("four.bmp"), BitmapHeader(4, 4, 4)));
    EXPECT_EQ(Load(folder.File("four.bmp"), true), kDibLoadFailed);
    EXPECT_EQ(OnlyMessage(), "Images must have 256 colors or more");

    ResetHeadless();
    EXPECT_EQ(Load(PicturePath("bmp_1bit.bmp"), true), kDibLoadFailed);
    EXPECT_EQ(OnlyMessage(), "Images must have 256 colors or more");

    ResetHeadless();
    EXPECT_EQ(Load(folder.File("absent.bmp"), true), kDibLoadFailed);
    EXPECT_EQ(OnlyMessage(), "Can't open graphics file");
}

TEST_F(PictureLoad, MessagesLoadCannotReachThroughAFile) {
    // No header: Read says 4, Load fails silently; out of memory cannot be
    // provoked with a file, so both messages are asked for directly.
    dib.Destroy();
    PlatformFile file;
    ASSERT_TRUE(OpenFile(file, MakeFileSpec(PicturePath("bmp_rgb24.bmp").c_str()), kFileRead));
    EXPECT_EQ(dib.Read(file), kDibNoHeader);
    EXPECT_EQ(Load(PicturePath("bmp_rgb24.bmp"), true), kDibLoadFailed);
    EXPECT_TRUE(Headless().messages.empty());

    ShowPictureMessage(kDibNoHeader);
    ShowPictureMessage(kDibOutOfMemory);
    ASSERT_EQ(Headless().messages.size(), 2u);
    EXPECT_EQ(Headless().messages[0], "Can't read image file  [ 4 ]");
    EXPECT_EQ(Headless().messages[1], "Not enough memory to load image");
}

TEST_F(PictureLoad, PlaceholderWhenNotReporting) {
    EXPECT_EQ(Load(folder.File("absent.bmp"), false), kDibPlaceholder);
    EXPECT_TRUE(Headless().messages.empty());
    ASSERT_EQ(dib.Width(), 32);
    ASSERT_EQ(dib.BitsPerPixel(), 24);
    EXPECT_EQ(PixelAt(dib, 0, 0)[0], 255);  // the sign's top-left corner is set
    EXPECT_EQ(PixelAt(dib, 31, 0)[1], 0);   // its top-right corner is clear
    EXPECT_EQ(PixelAt(dib, 31, 31)[2], 255);

    CDib unreadable;
    EXPECT_EQ(unreadable.Load(MakeFileSpec(PicturePath("tga_rle.tga").c_str()), nullptr, false), kDibPlaceholder);
    EXPECT_EQ(unreadable.Width(), 32);
    EXPECT_TRUE(Headless().messages.empty());
}

TEST_F(PictureLoad, FallbackFolderHoldsTheBareName) {
    FileSpec fallback = MakeFileSpec(TestDataPath("pictures").c_str());
    EXPECT_EQ(Load("/no/such/folder/bmp_rgb24.bmp", true, &fallback), kDibLoaded);
    ExpectFixtureColours(dib);
    // A name written on Windows loses its folder and drive the same way.
    EXPECT_EQ(Load("C:\\Pictures\\tga_top.tga", true, &fallback), kDibLoaded);
    ExpectFixtureColours(dib);
    FileSpec empty = MakeFileSpec("");
    EXPECT_EQ(Load("/no/such/folder/bmp_rgb24.bmp", false, &empty), kDibPlaceholder);
}

TEST(PictureSave, BitmapHeaderPaletteAndPaddedRows) {
    TempFolder folder;
    CDib dib(3, 2, 8);
    dib.Row(0)[0] = 7;
    dib.Palette()[7] = PaletteEntry{1, 2, 3, 0};
    std::string path = folder.File("out.bmp");
    ASSERT_TRUE(dib.Save(MakeFileSpec(path.c_str()), kDibBitmap));
    std::vector<uint8_t> bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 54u + 1024u + 2u * 4u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(ReadInteger(&bytes[2], 4, false), bytes.size());
    EXPECT_EQ(ReadInteger(&bytes[10], 4, false), 54u + 1024u);
    EXPECT_EQ(ReadInteger(&bytes[14], 4, false), 40u);
    EXPECT_EQ(ReadInteger(&bytes[38], 4, false), 1600u);
    EXPECT_EQ(bytes[54 + 7 * 4 + 2], 3);
    EXPECT_EQ(bytes[1078], 7);

    CDib back;
    ASSERT_EQ(ReadPicture(path, back), kDibReadOk);
    EXPECT_EQ(back.Row(0)[0], 7);
    EXPECT_EQ(back.Palette()[7].red, 3);
}

TEST(PictureSave, TargaHeaderAndUnpaddedRowsRoundTrip) {
    TempFolder folder;
    CDib source;
    ASSERT_EQ(ReadPicture(PicturePath("tga_rgba32.tga"), source), kDibReadOk);
    std::string path = folder.File("out.TGA");
    ASSERT_TRUE(source.Save(MakeFileSpec(path.c_str()), kDibBitmap));  // the name makes it a Targa
    std::vector<uint8_t> bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 18u + 5u * 3u * 4u);
    EXPECT_EQ(bytes[2], 2);
    EXPECT_EQ(bytes[12], 5);
    EXPECT_EQ(bytes[14], 3);
    EXPECT_EQ(bytes[16], 32);
    EXPECT_EQ(bytes[17], 8);
    CDib back;
    ASSERT_EQ(ReadPicture(path, back), kDibReadOk);
    ExpectFixtureColours(back);
    EXPECT_EQ(PixelAt(back, 1, 0)[3], kFixtureAlphas[0][1]);

    CDib rgb;
    ASSERT_EQ(ReadPicture(PicturePath("bmp_rgb24.bmp"), rgb), kDibReadOk);
    std::string plain = folder.File("plain.out");
    ASSERT_TRUE(rgb.Save(MakeFileSpec(plain.c_str()), kDibTarga));
    bytes = ReadBytes(plain);
    ASSERT_EQ(bytes.size(), 18u + 5u * 3u * 3u);
    EXPECT_EQ(bytes[17], 0);
}

TEST(PictureSave, KindTwoWritesNothingAndBadFolderIsReported) {
    ResetHeadless();
    Headless().quiet = true;
    TempFolder folder;
    CDib dib(4, 4, 24);
    std::string path = folder.File("nothing.bmp");
    EXPECT_TRUE(dib.Save(MakeFileSpec(path.c_str()), kDibNothing));
    EXPECT_TRUE(ReadBytes(path).empty());
    EXPECT_FALSE(dib.Save(MakeFileSpec(folder.File("missing/x.bmp").c_str()), kDibBitmap));
    ASSERT_EQ(Headless().messages.size(), 1u);
    EXPECT_EQ(Headless().messages[0], "Error opening graphics file");
}

TEST(PictureResources, MissingPictureSignIsAOneBitPicture) {
    CDib dib(16, 16, 8);
    ASSERT_TRUE(LoadResourceMask(dib, kMissingPictureResource));
    ASSERT_EQ(dib.BitsPerPixel(), 24);
    int white = 0;
    for (int y = 0; y < dib.Height(); ++y) {
        for (int x = 0; x < dib.Width(); ++x) {
            const uint8_t* pixel = PixelAt(dib, x, y);
            ASSERT_TRUE(pixel[0] == 0 || pixel[0] == 255);
            ASSERT_TRUE(pixel[0] == pixel[1] && pixel[1] == pixel[2]);
            white += pixel[0] == 255;
        }
    }
    EXPECT_GT(white, 100);
    EXPECT_LT(white, 32 * 32 - 100);
    EXPECT_FALSE(LoadResourceMask(dib, 9999));
}
