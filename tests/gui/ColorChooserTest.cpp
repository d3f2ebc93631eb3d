// The colour and texture chooser driven through the queue, and the RGB/HLS
// arithmetic behind it.
#include <QFileDialog>
#include <cstdint>
#include <cstdlib>
#include <fstream>

#include "DialogFixture.h"
#include "Settings.h"

namespace {

constexpr int kA = 20;  // where the chooser opens
constexpr int kB = 30;
constexpr int kCx = kA + 115;
constexpr int kTy = kB + 40;
// Pointer heights of the rows.
constexpr int kSliderY[3] = {kTy + 5, kTy + 23, kTy + 41};
constexpr int kModeY[3] = {kTy + 62, kTy + 80, kTy + 98};
constexpr int kGreyRampY = kTy + 120;
constexpr int kHueRampY = kTy + 138;
constexpr int kButtonY = kB + 210;
constexpr int kOkX = kCx + 75;
constexpr int kCancelX = kCx + 5;

int32_t Rgb(int red, int green, int blue) {
    return red | (green << 8) | (blue << 16);
}

int32_t FromHls(int hue, int luminance, int saturation) {
    int r = 0;
    int g = 0;
    int b = 0;
    HlsToRgb(hue, luminance, saturation, r, g, b);
    return Rgb(r, g, b);
}

class ColorChooserTest : public DialogTest {
protected:
    int Run(int32_t& colour, FileSpec* texture = nullptr) {
        return RunColorChooser(&owner_, kA, kB, &colour, texture, "Choose Color");
    }
    void Drag(int slider, int toX) {
        Press(kCx + 10, kSliderY[slider]);
        Move(toX, kSliderY[slider]);
    }
    void Ok() { Click(kOkX, kButtonY); }
};

TEST(ColorMath, KnownColours) {
    int h = -1;
    int l = -1;
    int s = -1;
    RgbToHls(255, 0, 0, h, l, s);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(l, 120);
    EXPECT_EQ(s, 240);
    RgbToHls(255, 255, 255, h, l, s);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(l, 240);
    EXPECT_EQ(s, 0);
    RgbToHls(0, 0, 0, h, l, s);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(l, 0);
    EXPECT_EQ(s, 0);
    RgbToHls(255, 255, 0, h, l, s);
    EXPECT_EQ(h, 40);
    EXPECT_EQ(l, 120);
    EXPECT_EQ(s, 240);
    RgbToHls(0, 0, 255, h, l, s);
    EXPECT_EQ(h, 160);
    EXPECT_EQ(FromHls(40, 120, 240), Rgb(255, 255, 0));
    EXPECT_EQ(FromHls(0, 120, 240), Rgb(255, 0, 0));
    EXPECT_EQ(FromHls(0, 240, 0), Rgb(255, 255, 255));
    EXPECT_EQ(FromHls(0, 0, 0), Rgb(0, 0, 0));
    EXPECT_EQ(FromHls(80, 120, 240), Rgb(0, 255, 0));
    EXPECT_EQ(FromHls(240, 120, 240), Rgb(255, 0, 0));  // a full turn
}

TEST(ColorMath, RoundTripsStayClose) {
    int worst = 0;
    int64_t total = 0;
    int64_t count = 0;
    for (int r = 0; r < 256; r += 3) {
        for (int g = 0; g < 256; g += 3) {
            for (int b = 0; b < 256; b += 3) {
                int h = 0;
                int l = 0;
                int s = 0;
                RgbToHls(r, g, b, h, l, s);
                ASSERT_TRUE(h >= 0 && h <= 240 && l >= 0 && l <= 240 && s >= 0 && s <= 240)
                    << r << "," << g << "," << b;
                int r2 = 0;
                int g2 = 0;
                int b2 = 0;
                HlsToRgb(h, l, s, r2, g2, b2);
                ASSERT_TRUE(r2 >= 0 && r2 <= 255 && g2 >= 0 && g2 <= 255 && b2 >= 0 && b2 <= 255);
                worst = std::max({worst, std::abs(r - r2), std::abs(g - g2), std::abs(b - b2)});
                total += std::abs(r - r2) + std::abs(g - g2) + std::abs(b - b2);
                count += 3;
                if (r == g && g == b) {
                    ASSERT_EQ(s, 0);
                }
            }
        }
    }
    // 241 levels per component against 256 per channel: a hue step moves a
    // saturated channel by about six.
    EXPECT_LE(worst, 5);
    EXPECT_LT(static_cast<double>(total) / count, 1.0);
    // Every grey level is one of the 241 luminances and comes back within
    // the step between them.
    for (int v = 0; v < 256; ++v) {
        int h = 0;
        int l = 0;
        int s = 0;
        RgbToHls(v, v, v, h, l, s);
        int r = 0;
        int g = 0;
        int b = 0;
        HlsToRgb(h, l, s, r, g, b);
        EXPECT_EQ(r, g);
        EXPECT_EQ(g, b);
        EXPECT_LE(std::abs(r - v), 1) << v;
    }
}

TEST_F(ColorChooserTest, DragChangesTheColourAtOnceAndCancelRestoresIt) {
    SetColorChooserMode(kChooserRgb);
    int32_t colour = Rgb(255, 0, 0);
    Drag(1, kCx + 35);  // green 100
    int32_t seen = -1;
    uint32_t swatch = 0;
    QTimer::singleShot(30, [&]() {
        seen = colour;
        swatch = PortPixel(WindowPort(owner_), kCx - 24, kTy + 72);
        Release(kCx + 35, kSliderY[1]);
        Click(kCancelX, kButtonY);
    });
    EXPECT_EQ(Run(colour), 0);
    EXPECT_EQ(seen, Rgb(255, 100, 0));
    EXPECT_EQ(swatch, static_cast<uint32_t>(Rgb(255, 100, 0)));
    EXPECT_EQ(colour, Rgb(255, 0, 0));
    // The same drag confirmed keeps the colour; past either end it stops at
    // the limits.
    Drag(1, kCx + 35);
    Move(kCx + 1000, kSliderY[1]);
    Release(kCx + 80, kSliderY[1]);  // a release outside the box would cancel
    Drag(2, kCx - 300);
    Release(kCx - 80, kSliderY[2]);
    Ok();
    EXPECT_EQ(Run(colour), 1);
    EXPECT_EQ(colour, Rgb(255, 255, 0));
    Drag(0, kCx + 70);
    Key(kKeyEscape);
    EXPECT_EQ(Run(colour), 0);
    EXPECT_EQ(colour, Rgb(255, 255, 0));
}

TEST_F(ColorChooserTest, HlsSlidersEditThroughTheConversions) {
    SetColorChooserMode(kChooserHls);
    int32_t colour = Rgb(255, 0, 0);
    Drag(1, kCx + 70);  // luminance 200
    Release(kCx + 70, kSliderY[1]);
    Ok();
    EXPECT_EQ(Run(colour), 1);
    EXPECT_EQ(colour, FromHls(0, 200, 240));
    colour = Rgb(255, 0, 0);
    Drag(0, kCx + 28);  // hue 80: green
    Release(kCx + 28, kSliderY[0]);
    Drag(1, kCx + 1000);  // luminance stops at 240: white
    Release(kCx + 80, kSliderY[1]);
    Ok();
    EXPECT_EQ(Run(colour), 1);
    EXPECT_EQ(colour, Rgb(255, 255, 255));
}

TEST_F(ColorChooserTest, ModeRadiosAndTheKeptMode) {
    SetColorChooserMode(kChooserRgb);
    int32_t colour = Rgb(10, 20, 30);
    Click(kCx + 10, kModeY[2]);  // Texture, with no texture reference: HLS
    Ok();
    EXPECT_EQ(Run(colour), 1);
    EXPECT_EQ(ColorChooserMode(), kChooserHls);
    Click(kCx + 10, kModeY[0]);
    Key(kKeyEscape);  // the mode stays chosen even when cancelled
    EXPECT_EQ(Run(colour), 0);
    EXPECT_EQ(ColorChooserMode(), kChooserRgb);
    FileSpec texture = MakeFileSpec("/pictures/brick.tga");
    Click(kCx + 10, kModeY[2]);
    Ok();
    EXPECT_EQ(Run(colour, &texture), 1);
    EXPECT_EQ(ColorChooserMode(), kChooserTexture);
    // Texture mode shows and drags red, green and blue.
    Drag(0, kCx + 35);
    Release(kCx + 35, kSliderY[0]);
    Ok();
    EXPECT_EQ(Run(colour, &texture), 1);
    EXPECT_EQ(colour, Rgb(100, 20, 30));
    // Opened without a texture reference, Texture mode shows as HLS and is kept.
    Drag(2, kCx);  // saturation 0
    Release(kCx, kSliderY[2]);
    Ok();
    EXPECT_EQ(Run(colour), 1);
    int h = 0;
    int l = 0;
    int s = 0;
    RgbToHls(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF, h, l, s);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(ColorChooserMode(), kChooserTexture);
}

TEST_F(ColorChooserTest, TheReleaseOfTheOpeningPressIsNoClick) {
    // Opened by a press on a colour row that lies where the grey ramp is.
    int32_t colour = Rgb(10, 200, 30);
    Release(kCx, kGreyRampY);
    Ok();
    EXPECT_EQ(Run(colour), 1);
    EXPECT_EQ(colour, Rgb(10, 200, 30));
}

TEST_F(ColorChooserTest, RampsSetGreysAndHues) {
    int32_t colour = 0;
    Click(kCx, kGreyRampY);
    Ok();
    EXPECT_EQ(Run(colour), 1);
    EXPECT_EQ(colour, Rgb(128, 128, 128));
    Click(kCx + 100, kGreyRampY);
    Ok();
    EXPECT_EQ(Run(colour), 1);
    EXPECT_EQ(colour, Rgb(255, 255, 255));
    Click(kCx - 100, kGreyRampY);
    Ok();
    EXPECT_EQ(Run(colour), 1);
    EXPECT_EQ(colour, Rgb(0, 0, 0));
    Click(kCx - 100, kHueRampY);
    Ok();
    EXPECT_EQ(Run(colour), 1);
    EXPECT_EQ(colour, Rgb(255, 0, 0));
    Click(kCx, kHueRampY);
    Ok();
    EXPECT_EQ(Run(colour), 1);
    EXPECT_EQ(colour, Rgb(0, 255, 255));
}

TEST_F(ColorChooserTest, ClosesOnAnotherWindowAndClearsItsArea) {
    int32_t colour = Rgb(1, 2, 3);
    Click(kCx, kGreyRampY);
    Post(other_, kMsgLeftDown, 10, 10);
    Post(other_, kMsgLeftUp, 10, 10);
    EXPECT_EQ(Run(colour), 0);
    EXPECT_EQ(colour, Rgb(1, 2, 3));
    Click(kCx, kGreyRampY);
    Click(kA + 240, kB + 100);  // outside the box
    EXPECT_EQ(Run(colour), 0);
    EXPECT_EQ(colour, Rgb(1, 2, 3));
    PlatformPort port = WindowPort(owner_);
    EXPECT_EQ(CountOtherPixels(port, Rect{kA - 1, kB - 1, kA + 231, kB + 231}, 0xC0C0C0), 0);
}

TEST_F(ColorChooserTest, TextureChoiceWritesItsSettingsAndCancelRemovesIt) {
    TempFolder folder;
    const std::string picture = folder.File("marble.tga");
    std::ofstream(picture) << "x";
    WriteSettingString("TextureFolder", (folder.Path() + "/").c_str());
    SetColorChooserMode(kChooserTexture);
    FileSpec texture = MakeFileSpec("/pictures/brick.tga");
    int32_t colour = Rgb(9, 9, 9);
    std::string opened;
    WhenModal([&](QWidget* modal) {
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            opened = dialog->directory().absolutePath().toStdString();
        }
        AnswerFileDialog(modal, picture);
        Ok();
    });
    Click(kCx - 54, kModeY[2]);
    EXPECT_EQ(Run(colour, &texture), 1);
    EXPECT_STREQ(texture.name, picture.c_str());
    EXPECT_EQ(opened, folder.Path());
    EXPECT_EQ(ReadSettingString("TextureFolder", ""), folder.Path() + "/");
    EXPECT_EQ(ReadSettingInt("TextureVrefnum", -1), 0);
    EXPECT_EQ(ReadSettingInt("TextureParID", -1), 0);
    // A cancelled choice removes the texture and leaves the settings.
    WriteSettingString("TextureFolder", "/elsewhere/");
    WhenModal([this](QWidget* modal) {
        QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
        Ok();
    });
    Click(kCx - 54, kModeY[2]);
    EXPECT_EQ(Run(colour, &texture), 1);
    EXPECT_STREQ(texture.name, "");
    EXPECT_EQ(ReadSettingString("TextureFolder", ""), "/elsewhere/");
    // In another mode the texture box does nothing.
    SetColorChooserMode(kChooserRgb);
    texture = MakeFileSpec("/pictures/brick.tga");
    Click(kCx - 54, kModeY[2]);
    Ok();
    EXPECT_EQ(Run(colour, &texture), 1);
    EXPECT_STREQ(texture.name, "/pictures/brick.tga");
}

}  // namespace

namespace {

// The chooser asked for at the foot of the owner (a colour row low in the
// tabs) moves up and left to lie wholly inside it: its OK is reached.
TEST_F(ColorChooserTest, MovesInsideTheOwnerSoThatOkIsReached) {
    const Rect client = GetClientRect(owner_);
    const Rect box = ColorChooserBox(owner_, client.right - 20, client.bottom - 40);
    EXPECT_EQ(box.right, client.right);
    EXPECT_EQ(box.bottom, client.bottom);
    EXPECT_EQ(box.right - box.left, 230);
    Click(box.left + 115, box.top + 40 + 120);  // grey ramp: 128
    Click(box.left + 115 + 75, box.top + 210);  // OK
    int32_t colour = Rgb(10, 20, 30);
    EXPECT_EQ(RunColorChooser(&owner_, client.right - 20, client.bottom - 40, &colour, nullptr, "Choose Color"), 1);
    EXPECT_EQ(colour, Rgb(128, 128, 128));
}

// Enter is OK: the colour chosen stays; Esc is Cancel.
TEST_F(ColorChooserTest, EnterKeepsTheChosenColour) {
    int32_t colour = Rgb(10, 20, 30);
    Click(kCx, kGreyRampY);
    Key(kKeyReturn);
    EXPECT_EQ(Run(colour), 1);
    EXPECT_EQ(colour, Rgb(128, 128, 128));
    Click(kCx, kGreyRampY + 18);  // the hue ramp
    Key(kKeyEscape);
    EXPECT_EQ(Run(colour), 0);
    EXPECT_EQ(colour, Rgb(128, 128, 128));
}

}  // namespace
