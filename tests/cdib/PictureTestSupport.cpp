#include "PictureTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

const Rgb kFixtureColours[3][5] = {
    {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0}},
    {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {100, 110, 120}, {130, 140, 150}},
    {{255, 255, 0}, {0, 255, 255}, {255, 0, 255}, {200, 100, 50}, {50, 100, 200}},
};
const int kFixtureGreys[3][5] = {{0, 60, 120, 180, 240}, {10, 70, 130, 190, 250}, {20, 80, 140, 200, 255}};
const int kFixtureAlphas[3][5] = {{255, 200, 150, 100, 50}, {0, 10, 20, 30, 40}, {128, 129, 130, 131, 132}};

std::string PicturePath(const std::string& name) {
    return TestDataPath("pictures/" + name);
}

int ReadPicture(const std::string& path, CDib& dib) {
    PlatformFile file;
    if (!OpenFile(file, MakeFileSpec(path.c_str()), kFileRead)) {
        return -1;
    }
    return dib.Read(file);
}

const uint8_t* PixelAt(const CDib& dib, int x, int yFromTop) {
    return dib.Row(dib.Height() - 1 - yFromTop) + x * (dib.BitsPerPixel() / 8);
}

void ExpectFixtureColours(const CDib& dib, int tolerance) {
    ASSERT_EQ(dib.Width(), 5);
    ASSERT_EQ(dib.Height(), 3);
    ASSERT_GE(dib.BitsPerPixel(), 24);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const uint8_t* pixel = PixelAt(dib, x, y);
            const Rgb& want = kFixtureColours[y][x];
            EXPECT_NEAR(pixel[0], want.blue, tolerance) << "blue at " << x << "," << y;
            EXPECT_NEAR(pixel[1], want.green, tolerance) << "green at " << x << "," << y;
            EXPECT_NEAR(pixel[2], want.red, tolerance) << "red at " << x << "," << y;
        }
    }
}

void Put16(std::vector<uint8_t>& bytes, size_t at, uint32_t value, bool bigEndian) {
    bytes[at + (bigEndian ? 1 : 0)] = static_cast<uint8_t>(value);
    bytes[at + (bigEndian ? 0 : 1)] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value, bool bigEndian) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + (bigEndian ? 3 - i : i)] = static_cast<uint8_t>(value >> (8 * i));
    }
}

int ReadBytesAsPicture(const TempFolder& folder, const std::vector<uint8_t>& bytes, CDib& dib,
                       const std::string& name) {
    std::string path = folder.File(name);
    EXPECT_TRUE(WriteBytes(path, bytes));
    return ReadPicture(path, dib);
}
