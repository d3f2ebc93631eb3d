// Load with its messages, fallback folder and placeholder; Save and Write.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
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
    Result Load(const std::string& path, MissingPicture missing = MissingPicture::Leave,
                const FileSpec* fallback = nullptr) {
        return dib.Load(MakeFileSpec(path.c_str()), fallback, missing);
    }
    // The message of a load that must fail: it names the file, and Load
    // itself showed nothing.
    std::string Refusal(const std::string& path) {
        Result loaded = Load(path);
        EXPECT_FALSE(loaded) << path;
        EXPECT_TRUE(Headless().messages.empty());
        const std::string start = "Can't read image file \"" + path + "\": ";
        EXPECT_EQ(loaded.Message().rfind(start, 0), 0u) << loaded.Message();
        return loaded.Message().substr(std::min(start.size(), loaded.Message().size()));
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

TEST_F(PictureLoad, LoadedPictureIsOkAndShowsNothing) {
    Result loaded = Load(PicturePath("bmp_rgb24.bmp"));
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(loaded.Message().empty());
    EXPECT_TRUE(Headless().messages.empty());
    ExpectFixtureColours(dib);
}

// Every refusal names the file and says why in words, never by a number.
TEST_F(PictureLoad, EveryRefusalNamesTheFileAndTheReason) {
    EXPECT_EQ(Refusal(PicturePath("tga_rle.tga")),
              "it is a compressed Targa picture; only uncompressed ones can be read");

    ASSERT_TRUE(WriteBytes(folder.File("wide.bmp"), BitmapHeader(9000, 2, 24)));
    EXPECT_EQ(Refusal(folder.File("wide.bmp")),
              "it is more than 8192 pixels wide or high; images must be at most 8192 x 8192 pixels");

    ASSERT_TRUE(WriteBytes(folder.File("junk.dat"), std::vector<uint8_t>(40, 0)));
    EXPECT_EQ(Refusal(folder.File("junk.dat")),
              "it is not a picture file the program reads (Windows bitmap, Targa, TIFF, Photoshop, JPEG or PNG), or "
              "it is damaged");

    ASSERT_TRUE(WriteBytes(folder.File("four.bmp"), BitmapHeader(4, 4, 4)));
    EXPECT_EQ(Refusal(folder.File("four.bmp")), "it has fewer than 256 colors; images must have 256 colors or more");
    EXPECT_EQ(Refusal(PicturePath("bmp_1bit.bmp")),
              "it has fewer than 256 colors; images must have 256 colors or more");

    EXPECT_EQ(Refusal(folder.File("absent.bmp")), std::strerror(ENOENT));
    EXPECT_EQ(Refusal(folder.File("")), std::strerror(EISDIR));
}

// A file that starts as a PNG picture and is not one is called a damaged
// PNG picture, whatever its name says.
TEST_F(PictureLoad, ADamagedFileIsNamedByTheKindItClaims) {
    std::vector<uint8_t> bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    bytes.resize(64, 0x55);
    ASSERT_TRUE(WriteBytes(folder.File("photo.bmp"), bytes));
    EXPECT_EQ(Refusal(folder.File("photo.bmp")), "it is a damaged PNG picture");
}

TEST_F(PictureLoad, ReasonsLoadCannotReachThroughAFile) {
    // No header: Read says 4 and Load refuses before opening; out of memory
    // cannot be provoked with a file, so its words are asked for directly.
    dib.Destroy();
    PlatformFile file;
    ASSERT_TRUE(OpenFile(file, MakeFileSpec(PicturePath("bmp_rgb24.bmp").c_str()), kFileRead));
    EXPECT_EQ(dib.Read(file), kDibNoHeader);
    CloseFile(file);
    EXPECT_EQ(Refusal(PicturePath("bmp_rgb24.bmp")), "there is no picture to read it into");
    EXPECT_EQ(PictureReadReason(kDibOutOfMemory, PictureFormat::Png), "there is not enough memory to load it");
    EXPECT_EQ(PictureReadReason(kDibCompressed, PictureFormat::Photoshop).find("ZIP") != std::string::npos, true);
}

TEST_F(PictureLoad, MissingPictureSignWhenAsked) {
    Result loaded = Load(folder.File("absent.bmp"), MissingPicture::DrawSign);
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(Headless().messages.empty());
    ASSERT_EQ(dib.Width(), 32);
    ASSERT_EQ(dib.BitsPerPixel(), 24);
    EXPECT_EQ(PixelAt(dib, 0, 0)[0], 255);  // the sign's top-left corner is set
    EXPECT_EQ(PixelAt(dib, 31, 0)[1], 0);   // its top-right corner is clear
    EXPECT_EQ(PixelAt(dib, 31, 31)[2], 255);

    CDib unreadable;
    EXPECT_FALSE(unreadable.Load(MakeFileSpec(PicturePath("tga_rle.tga").c_str()), nullptr, MissingPicture::DrawSign));
    EXPECT_EQ(unreadable.Width(), 32);
    EXPECT_TRUE(Headless().messages.empty());

    // Without the sign a picture that was never read stays as it was made.
    CDib left(16, 16, 8);
    EXPECT_FALSE(left.Load(MakeFileSpec(folder.File("absent.bmp").c_str())));
    EXPECT_EQ(left.Width(), 16);
}

TEST_F(PictureLoad, FallbackFolderHoldsTheBareName) {
    FileSpec fallback = MakeFileSpec(TestDataPath("pictures").c_str());
    EXPECT_TRUE(Load("/no/such/folder/bmp_rgb24.bmp", MissingPicture::Leave, &fallback));
    ExpectFixtureColours(dib);
    // A name written on Windows loses its folder and drive the same way.
    EXPECT_TRUE(Load("C:\\Pictures\\tga_top.tga", MissingPicture::Leave, &fallback));
    ExpectFixtureColours(dib);
    // The refusal names the file asked for, and why it did not open.
    FileSpec empty = MakeFileSpec("");
    Result missing = Load("/no/such/folder/bmp_rgb24.bmp", MissingPicture::DrawSign, &empty);
    EXPECT_EQ(missing.Message(),
              std::string("Can't read image file \"/no/such/folder/bmp_rgb24.bmp\": ") + std::strerror(ENOENT));
    EXPECT_EQ(dib.Width(), 32);
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
    const std::string missing = folder.File("missing/x.bmp");
    Result saved = dib.Save(MakeFileSpec(missing.c_str()), kDibBitmap);
    EXPECT_FALSE(saved);
    EXPECT_EQ(saved.Message(), "Can't write image file \"" + missing + "\": " + std::strerror(ENOENT));
    EXPECT_TRUE(Headless().messages.empty());

    CDib empty;
    empty.Destroy();
    EXPECT_EQ(empty.Save(MakeFileSpec(path.c_str()), kDibBitmap).Message(),
              "Can't write image file \"" + path + "\": there is no picture to write");
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
