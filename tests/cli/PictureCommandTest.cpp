// tavrilo-render --picture: reading a picture as Load does and writing it
// as a Windows bitmap or a Targa file.
#include <gtest/gtest.h>

#include <string>

#include "CDib.h"
#include "HeadlessPlatform.h"
#include "PictureCommand.h"
#include "TestSupport.h"

namespace {

class PictureCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ResetHeadless();
        Headless().quiet = true;
    }
    static std::string Fixture(const std::string& name) { return TestDataPath("pictures/" + name); }
    static int ReadBack(const std::string& path, CDib& dib) {
        PlatformFile file;
        if (!OpenFile(file, MakeFileSpec(path.c_str()), kFileRead)) {
            return -1;
        }
        return dib.Read(file);
    }
    TempFolder folder;
};

}  // namespace

TEST_F(PictureCommand, WritesABitmapOrATargaByTheOutputName) {
    std::string bmp = folder.File("out.bmp");
    std::string tga = folder.File("out.tga");
    ASSERT_EQ(ConvertPictureCommand(Fixture("psd_rgb_rle.psd").c_str(), bmp.c_str()).status, 0);
    ASSERT_EQ(ConvertPictureCommand(Fixture("jpeg_colour.jpg").c_str(), tga.c_str()).status, 0);
    EXPECT_TRUE(Headless().messages.empty());

    std::vector<uint8_t> bytes = ReadBytes(bmp);
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes[0], 'B');
    CDib picture;
    ASSERT_EQ(ReadBack(bmp, picture), kDibReadOk);
    EXPECT_EQ(picture.Width(), 5);
    EXPECT_EQ(picture.Row(2)[2], 255);  // top-left pixel is red

    bytes = ReadBytes(tga);
    ASSERT_EQ(bytes.size(), 18u + 16u * 16u * 3u);
    EXPECT_EQ(bytes[2], 2);
    ASSERT_EQ(ReadBack(tga, picture), kDibReadOk);
    EXPECT_EQ(picture.Width(), 16);
}

TEST_F(PictureCommand, ReaderFailureGivesStatusOneWithTheReadersMessage) {
    std::string out = folder.File("out.bmp");
    StepResult refused = ConvertPictureCommand(Fixture("tga_rle.tga").c_str(), out.c_str());
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.error, "Can't read image file \"" + Fixture("tga_rle.tga") +
                                 "\": it is a compressed Targa picture; only uncompressed ones can be read");
    EXPECT_TRUE(Headless().messages.empty());
    EXPECT_TRUE(ReadBytes(out).empty());

    const std::string absent = folder.File("absent.psd");
    refused = ConvertPictureCommand(absent.c_str(), out.c_str());
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.error, "Can't read image file \"" + absent + "\": No such file or directory");
    EXPECT_TRUE(Headless().messages.empty());
}

TEST_F(PictureCommand, UnwritableOutputGivesStatusOne) {
    std::string out = folder.File("no/such/folder/out.bmp");
    StepResult refused = ConvertPictureCommand(Fixture("bmp_rgb24.bmp").c_str(), out.c_str());
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.error, "Can't write image file \"" + out + "\": No such file or directory");
    EXPECT_TRUE(Headless().messages.empty());
}

TEST_F(PictureCommand, APngWithAlphaBecomesA32BitTarga) {
    std::string tga = folder.File("out.tga");
    ASSERT_EQ(ConvertPictureCommand(Fixture("png_rgba16.png").c_str(), tga.c_str()).status, 0);
    EXPECT_TRUE(Headless().messages.empty());
    std::vector<uint8_t> bytes = ReadBytes(tga);
    ASSERT_EQ(bytes.size(), 18u + 5u * 3u * 4u);
    EXPECT_EQ(bytes[16], 32);
    // Stored bottom row first: the bottom-left pixel (255, 255, 0) with alpha 128.
    EXPECT_EQ(bytes[18 + 0], 0);
    EXPECT_EQ(bytes[18 + 1], 255);
    EXPECT_EQ(bytes[18 + 2], 255);
    EXPECT_EQ(bytes[18 + 3], 128);
}
