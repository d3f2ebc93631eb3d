// Texture conversion, the texture cache and pictures larger than GL allows.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "GLTestSupport.h"
#include "HeadlessPlatform.h"
#include "Platform.h"
#include "TestSupport.h"

namespace {

// The texel (x, y) of an RGBA texture image, y from the bottom.
const uint8_t* Texel(const std::vector<uint8_t>& texels, int width, int x, int y) {
    return texels.data() + (static_cast<size_t>(y) * width + x) * 4;
}

void FillPicture(CDib& picture, uint8_t blue, uint8_t green, uint8_t red) {
    for (int y = 0; y < picture.Height(); ++y) {
        uint8_t* row = picture.Row(y);
        for (int x = 0; x < picture.Width(); ++x) {
            row[x * 3] = blue;
            row[x * 3 + 1] = green;
            row[x * 3 + 2] = red;
        }
    }
}

}  // namespace

TEST(GLTextures, ExtentIsThePowerOfTwoAtLeastTwo) {
    EXPECT_EQ(TextureExtent(1), 2);
    EXPECT_EQ(TextureExtent(2), 2);
    EXPECT_EQ(TextureExtent(60), 64);
    EXPECT_EQ(TextureExtent(100), 128);
    EXPECT_EQ(TextureExtent(128), 128);
    EXPECT_EQ(TextureExtent(720), 1024);
}

TEST(GLTextures, Converts24BitPicturesWithOpaqueBlackPadding) {
    CDib picture(100, 60, 24);
    FillPicture(picture, 10, 20, 30);
    picture.Row(0)[0] = 200;  // bottom-left pixel's blue
    std::vector<uint8_t> texels;
    ASSERT_TRUE(ConvertPictureToTexture(picture, 128, 64, texels));
    ASSERT_EQ(texels.size(), 128u * 64u * 4u);
    const uint8_t* corner = Texel(texels, 128, 0, 0);
    EXPECT_EQ(corner[0], 30);
    EXPECT_EQ(corner[1], 20);
    EXPECT_EQ(corner[2], 200);
    EXPECT_EQ(corner[3], 255);
    const uint8_t* inside = Texel(texels, 128, 99, 59);
    EXPECT_EQ(inside[0], 30);
    const uint8_t* right = Texel(texels, 128, 100, 10);
    const uint8_t* above = Texel(texels, 128, 10, 60);
    for (const uint8_t* pad : {right, above}) {
        EXPECT_EQ(pad[0], 0);
        EXPECT_EQ(pad[1], 0);
        EXPECT_EQ(pad[2], 0);
        EXPECT_EQ(pad[3], 255);
    }
}

TEST(GLTextures, Converts16And32BitPictures) {
    CDib shorts(1, 1, 16);
    shorts.Row(0)[0] = 0xFF;
    shorts.Row(0)[1] = 0x7F;  // 0x7FFF
    std::vector<uint8_t> texels;
    ASSERT_TRUE(ConvertPictureToTexture(shorts, 2, 2, texels));
    EXPECT_EQ(texels[0], 248);
    EXPECT_EQ(texels[1], 248);
    EXPECT_EQ(texels[2], 248);
    EXPECT_EQ(texels[3], 255);
    CDib blueOnly(1, 1, 16);
    blueOnly.Row(0)[0] = 0x1F;  // blue 31
    ASSERT_TRUE(ConvertPictureToTexture(blueOnly, 2, 2, texels));
    EXPECT_EQ(texels[0], 0);
    EXPECT_EQ(texels[2], 248);

    CDib quads(3, 1, 32);
    uint8_t* row = quads.Row(0);
    row[0] = 1;  // blue
    row[1] = 2;
    row[2] = 3;
    row[3] = 77;  // alpha
    ASSERT_TRUE(ConvertPictureToTexture(quads, 4, 2, texels));
    EXPECT_EQ(texels[0], 3);
    EXPECT_EQ(texels[1], 2);
    EXPECT_EQ(texels[2], 1);
    EXPECT_EQ(texels[3], 77);
    EXPECT_EQ(Texel(texels, 4, 3, 0)[3], 0);  // padding of 32-bit pictures is transparent
    EXPECT_EQ(Texel(texels, 4, 0, 1)[3], 0);
}

TEST(GLTextures, UploadsFillTheCacheInOrderAndReuseTheOldestSlot) {
    GLRendererPtr r = MakeTestRenderer(32, 32);
    ASSERT_EQ(r->ready, 1);
    CDib picture(4, 4, 24);
    for (int i = 0; i < kTextureSlots; ++i) {
        ASSERT_EQ(UploadTexture(*r, picture, false), static_cast<uint32_t>(i));
        r->textures[i].name[0] = 'a';
    }
    EXPECT_EQ(r->nextTextureSlot, 64);
    // A 65th picture takes the least recently loaded slot, 0, then 1.
    EXPECT_EQ(UploadTexture(*r, picture, false), 0u);
    EXPECT_EQ(r->textures[0].name[0], '\0');
    EXPECT_EQ(UploadTexture(*r, picture, false), 1u);
    EXPECT_EQ(r->nextTextureSlot, 64);
    EXPECT_EQ(UploadTexture(*r, picture, true), kBackgroundTexture);
}

TEST(GLTextures, ClearTextureCacheClampsItsRange) {
    GLRendererPtr r = MakeTestRenderer(8, 8);
    ASSERT_EQ(r->ready, 1);
    for (FileSpec& slot : r->textures)
        slot.name[0] = 'x';
    ClearTextureCache(*r, -5, 2);
    EXPECT_EQ(r->textures[0].name[0], '\0');
    EXPECT_EQ(r->textures[1].name[0], '\0');
    EXPECT_EQ(r->textures[2].name[0], 'x');
    ClearTextureCache(*r, 60, 1000);
    EXPECT_EQ(r->textures[59].name[0], 'x');
    EXPECT_EQ(r->textures[63].name[0], '\0');
}

TEST(GLTextures, EmptyOrUnreadablePicturesDrawUntextured) {
    GLRendererPtr r = MakeTestRenderer(8, 8);
    ASSERT_EQ(r->ready, 1);
    FileSpec none = MakeFileSpec("");
    SelectTexture(*r, &none);
    EXPECT_EQ(r->textureOn, 0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    FileSpec missing = MakeFileSpec("/nonexistent/picture.bmp");
    SelectTexture(*r, &missing);
    SelectTexture(*r, &missing);
    EXPECT_EQ(r->textureOn, 0);
    EXPECT_EQ(r->failedTextures.size(), 1u);  // tried once per context
    EXPECT_EQ(r->nextTextureSlot, 0);
}

// A platform whose message box lets the window paint again while it is up,
// as a modal message does in the desktop: the paint asks for the same
// picture.
class RepaintingMessages : public HeadlessPlatform {
public:
    std::function<void()> paint;
    int shown = 0;
    void ShowMessage(const char*, long) override {
        ++shown;
        if (paint && shown < 3) {
            paint();
        }
    }
};

TEST(GLTextures, APaintWhileTheMessageIsUpDoesNotTryThePictureAgain) {
    GLRendererPtr r = MakeTestRenderer(8, 8);
    ASSERT_EQ(r->ready, 1);
    RepaintingMessages platform;
    PlatformScope scope(platform);
    FileSpec missing = MakeFileSpec("/nonexistent/texture.bmp");
    platform.paint = [&] { SelectTexture(*r, &missing); };
    SelectTexture(*r, &missing);
    EXPECT_EQ(platform.shown, 1);
    EXPECT_EQ(r->failedTextures.size(), 1u);
    EXPECT_EQ(r->textureOn, 0);
}

TEST(GLTextures, BackgroundFillsTheViewportPixelForPixel) {
    GLRendererPtr r = MakeTestRenderer(90, 60);
    ASSERT_EQ(r->ready, 1);
    CDib picture(90, 60, 24);
    FillPicture(picture, 0, 0, 255);
    picture.Row(59)[0] = 255;          // top-left pixel blue + red
    picture.Row(0)[89 * 3 + 1] = 255;  // bottom-right pixel green + red
    DrawBackground(*r, picture);
    CDib frame(16, 16, 8);
    ASSERT_TRUE(GrabFrame(*r, frame));
    EXPECT_TRUE(Near(PixelAt(frame, 89, 0), Rgb{255, 0, 0}, 1));
    EXPECT_TRUE(Near(PixelAt(frame, 45, 45), Rgb{255, 0, 0}, 1));
    EXPECT_TRUE(Near(PixelAt(frame, 0, 0), Rgb{255, 0, 255}, 1));
    EXPECT_TRUE(Near(PixelAt(frame, 1, 0), Rgb{255, 0, 0}, 1));
    EXPECT_TRUE(Near(PixelAt(frame, 89, 59), Rgb{255, 255, 0}, 1));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));  // restored
}

TEST(GLTextures, OversizePicturesAreScaledDownNotCut) {
    GLRendererPtr r = MakeTestRenderer(64, 32);
    ASSERT_EQ(r->ready, 1);
    r->textureSizeLimit = 64;
    // 200 x 100: left half red, right half green. Cut to 64 x 64 texels it
    // would show only red; scaled it keeps both halves.
    CDib picture(200, 100, 24);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            picture.Row(y)[x * 3 + (x < 100 ? 2 : 1)] = 255;
        }
    }
    DrawBackground(*r, picture);
    CDib frame(16, 16, 8);
    ASSERT_TRUE(GrabFrame(*r, frame));
    EXPECT_TRUE(Near(PixelAt(frame, 5, 16), Rgb{255, 0, 0}, 8));
    EXPECT_TRUE(Near(PixelAt(frame, 58, 16), Rgb{0, 255, 0}, 8));
    EXPECT_TRUE(Near(PixelAt(frame, 58, 1), Rgb{0, 255, 0}, 8));
}

namespace {

// A 4 x 2 24-bit Windows bitmap in one colour, written byte by byte.
std::vector<uint8_t> SolidBitmap(uint8_t blue, uint8_t green, uint8_t red) {
    std::vector<uint8_t> bytes(54 + 24, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<uint32_t>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, 4);
    put32(22, 2);
    bytes[26] = 1;
    bytes[28] = 24;
    put32(34, 24);
    for (size_t p = 54; p < bytes.size(); p += 3) {
        bytes[p] = blue;
        bytes[p + 1] = green;
        bytes[p + 2] = red;
    }
    return bytes;
}

}  // namespace

TEST(GLTextures, PictureFilesLoadOncePerContext) {
    ScopedSettings settings;
    std::string path = settings.Folder().File("red.bmp");
    ASSERT_TRUE(WriteBytes(path, SolidBitmap(0, 0, 255)));
    GLRendererPtr r = MakeTestRenderer(32, 32);
    ASSERT_EQ(r->ready, 1);
    FileSpec spec = MakeFileSpec(path.c_str());
    SelectTexture(*r, &spec);
    ASSERT_EQ(r->textureOn, 1);
    EXPECT_EQ(r->nextTextureSlot, 1);
    EXPECT_STREQ(r->textures[0].name, path.c_str());
    SelectTexture(*r, &spec);
    FileSpec sameName = spec;
    sameName.volume = 3;
    sameName.parentId = 77;
    SelectTexture(*r, &sameName);
    EXPECT_EQ(r->nextTextureSlot, 1);  // one load, only the name compared
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    // A new binding empties the cache; the picture is loaded again into slot 0.
    GLTarget target;
    target.width = 32;
    target.height = 32;
    ASSERT_TRUE(Attach(*r, &target));
    EXPECT_EQ(r->textures[0].name[0], '\0');
    SelectTexture(*r, &spec);
    EXPECT_EQ(r->nextTextureSlot, 1);
    EXPECT_EQ(r->textureOn, 1);
}
