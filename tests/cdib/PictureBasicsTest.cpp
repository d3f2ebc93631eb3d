// The format choice, PackBits rows, and the CDib object itself.
#include <gtest/gtest.h>

#include <cstring>

#include "PictureReaders.h"
#include "PictureTestSupport.h"

namespace {

PictureFormat Choose(const char* first, const char* name = "picture") {
    uint8_t bytes[14] = {};
    std::memcpy(bytes, first, std::min<size_t>(std::strlen(first), sizeof(bytes)));
    return ChoosePictureFormat(bytes, name);
}

std::vector<uint8_t> Unpack(const std::vector<uint8_t>& input, size_t width, size_t* produced = nullptr) {
    std::vector<uint8_t> output(width + 8, 0xee);
    size_t count = UnpackPackBits(input.data(), input.size(), output.data(), width);
    if (produced) {
        *produced = count;
    }
    return output;
}

}  // namespace

TEST(PictureFormatChoice, FirstBytesThenName) {
    EXPECT_EQ(Choose("8BPS"), PictureFormat::Photoshop);
    EXPECT_EQ(Choose("SPB8"), PictureFormat::Photoshop);
    EXPECT_EQ(Choose("II*"), PictureFormat::Tiff);
    EXPECT_EQ(Choose("MM"), PictureFormat::Tiff);
    EXPECT_EQ(Choose("BM"), PictureFormat::Bitmap);
    EXPECT_EQ(Choose("MB"), PictureFormat::Bitmap);
    EXPECT_EQ(Choose("\xff\xd8\xff\xe0..JFIF"), PictureFormat::Jpeg);
    EXPECT_EQ(Choose("\xff\xd8\xff\xe1", "holiday.jpeg"), PictureFormat::Jpeg);
    EXPECT_EQ(Choose("\xff\xd8\xff\xe1", "HOLIDAY.JPG"), PictureFormat::Jpeg);
    EXPECT_EQ(Choose("\xff\xd8\xff\xe1", "holiday.Jpg"), PictureFormat::Targa);
    EXPECT_EQ(Choose("BM", "x.jpg"), PictureFormat::Bitmap);
    EXPECT_EQ(Choose(""), PictureFormat::Targa);
}

TEST(PackBits, LiteralsAndRuns) {
    size_t produced = 0;
    std::vector<uint8_t> out = Unpack({2, 1, 2, 3, 0xfe, 9}, 6, &produced);
    EXPECT_EQ(produced, 6u);
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 7), (std::vector<uint8_t>{1, 2, 3, 9, 9, 9, 0xee}));
    // -128 repeats 129 times.
    out = Unpack({0x80, 4}, 200, &produced);
    EXPECT_EQ(produced, 129u);
    EXPECT_EQ(out[128], 4);
    EXPECT_EQ(out[129], 0xee);
}

TEST(PackBits, NeverPassesTheRowOrTheInput) {
    size_t produced = 0;
    std::vector<uint8_t> out = Unpack({0x80, 4}, 5, &produced);  // a run longer than the row
    EXPECT_EQ(produced, 5u);
    EXPECT_EQ(out[5], 0xee);
    out = Unpack({100, 1, 2}, 50, &produced);  // a literal longer than the input
    EXPECT_EQ(produced, 2u);
    out = Unpack({127, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 4, &produced);  // a literal longer than the row
    EXPECT_EQ(produced, 4u);
    EXPECT_EQ(out[4], 0xee);
    out = Unpack({0xfd}, 4, &produced);  // a run without its byte
    EXPECT_EQ(produced, 0u);
}

TEST(CDibObject, CreateKeepsPixelsOnlyForTheSameShape) {
    CDib dib(4, 2, 24);
    EXPECT_EQ(dib.Stride(), 12);
    dib.Row(1)[0] = 42;
    EXPECT_TRUE(dib.Create(4, 2, 24));
    EXPECT_EQ(dib.Row(1)[0], 42);
    EXPECT_TRUE(dib.Create(4, 2, 32));
    EXPECT_EQ(dib.Row(1)[0], 0);
    EXPECT_FALSE(dib.Create(0, 2, 24));
    EXPECT_FALSE(dib.Create(8193, 2, 24));
    EXPECT_EQ(dib.RoundedWidth(4), 8);
    EXPECT_EQ(dib.RoundedWidth(0), 4);
    EXPECT_EQ(dib.RoundedHeight(2), 4);
}

TEST(CDibObject, FlipAndSwap) {
    CDib dib(2, 3, 24);
    dib.Row(0)[0] = 1;
    dib.Row(0)[2] = 3;
    dib.Row(2)[0] = 7;
    dib.FlipVertical();
    EXPECT_EQ(dib.Row(2)[0], 1);
    EXPECT_EQ(dib.Row(0)[0], 7);
    dib.SwapRedBlue();
    EXPECT_EQ(dib.Row(2)[0], 3);
    EXPECT_EQ(dib.Row(2)[2], 1);
    CDib grey(2, 2, 8);
    grey.Row(0)[0] = 5;
    grey.SwapRedBlue();
    EXPECT_EQ(grey.Row(0)[0], 5);
}
