// The show record: sizes, defaults of a new show and what a reset keeps.
#include <gtest/gtest.h>

#include <cstring>

#include "Doc.h"
#include "Settings.h"
#include "TestSupport.h"
#include "Utilities.h"

// The stored layouts of the records are checked where they are declared
// (static_assert in ShowRecord.h and CrossPlatform.h); here, the channels.
TEST(ShowRecord, RecordLayouts) {
    KeyFrame key{};
    for (int ch = 0; ch < 12; ++ch) {
        SetKeyChannel(key, ch, static_cast<float>(ch + 1));
    }
    EXPECT_EQ(key.x, 1.0f);
    EXPECT_EQ(key.y, 3.0f);
    EXPECT_EQ(key.tilt, 7.0f);
    EXPECT_EQ(key.dataSet, 10.0f);
    EXPECT_EQ(KeyChannel(key, 5), key.spin);
    EXPECT_EQ(KeyChannel(key, 12), 0.0f);
}

TEST(ShowRecord, NewShowDefaults) {
    ScopedSettings settings;
    auto show = CreateShow();
    EXPECT_EQ(show->keyCount, 1);
    EXPECT_EQ(show->keys[0].frame, 0);
    EXPECT_EQ(show->keys[0].width, 1.0f);
    EXPECT_EQ(show->keys[0].height, 1.0f);
    EXPECT_EQ(show->keys[0].slow, 1000.0f);
    EXPECT_EQ(show->keys[1].width, 0.0f);
    EXPECT_EQ(show->clipKey.frame, kClipEmpty);
    EXPECT_EQ(show->lengthFrames, 17980);
    EXPECT_EQ(show->frameRate, 2997);
    EXPECT_FLOAT_EQ(show->frameAspect, 0.75f);
    EXPECT_EQ(show->undoPos, -1);
    EXPECT_EQ(show->selectedKey, 0);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(std::string(show->setNames[i]), "Set " + std::to_string(i + 1));
    }
    EXPECT_STREQ(show->labels[3], "Label 4");
    EXPECT_STREQ(show->labels[4], "");
    EXPECT_STREQ(show->labels[32], "");
    // Red, green, blue, yellow for the sets; yellow for grid, ticks and fonts; blue walls.
    EXPECT_EQ(show->setColors[0], 0x0000FFu);
    EXPECT_EQ(show->setColors[1], 0x00FF00u);
    EXPECT_EQ(show->setColors[2], 0xFF0000u);
    EXPECT_EQ(show->setColors[3], 0x00FFFFu);
    EXPECT_EQ(show->gridColor, 0x00FFFFu);
    EXPECT_EQ(show->tickColor, 0x00FFFFu);
    EXPECT_EQ(show->titleFont.color, 0x00FFFFu);
    EXPECT_EQ(show->labelFont.color, 0x00FFFFu);
    EXPECT_EQ(show->valuesFont.color, 0x00FFFFu);
    EXPECT_EQ(show->wallsColor, 0xFF0000u);
    EXPECT_EQ(show->titleFont.size, 48.0f);
    EXPECT_EQ(show->labelFont.size, 12.0f);
    EXPECT_EQ(show->valuesFont.size, 18.0f);
    EXPECT_STREQ(show->valuesFont.face, "Arial");
    EXPECT_EQ(show->values[0][2], 103.5f);
    EXPECT_EQ(show->values[1][1], 104.0f);
    EXPECT_EQ(show->values[0][4], 0.0f);
    EXPECT_EQ(show->backgroundImage.Width(), 8);
    EXPECT_EQ(show->backgroundImage.BitsPerPixel(), 24);
    EXPECT_EQ(DataRow(*show, 5), show->currentValues);
    EXPECT_EQ(DataRow(*show, 6), nullptr);
}

TEST(ShowRecord, SettingsShapeTheShow) {
    ScopedSettings settings;
    WriteSettingInt("FrameRate", 2500);
    WriteSettingInt("AspectMode", 5625);
    WriteSettingInt("FieldSwap", 1);
    auto show = CreateShow();
    EXPECT_EQ(show->frameRate, 2500);
    EXPECT_EQ(show->lengthFrames, 15000);
    EXPECT_FLOAT_EQ(show->frameAspect, 0.5625f);
    EXPECT_EQ(show->fieldSwap, 1);
}

// A FrameRate setting that is none of the three rates is read as NTSC, so a
// show never gets a length of 0, negative frames or an overflowing length.
TEST(ShowRecord, UnknownFrameRateSettingIsNtsc) {
    for (const char* stored : {"0", "fast", "-2500", "2147483647", "3000", ""}) {
        ScopedSettings settings;
        WriteSettingString("FrameRate", stored);
        EXPECT_EQ(ReadFrameRateSetting(), kRateNtsc) << stored;
        auto show = CreateShow();
        EXPECT_EQ(show->frameRate, kRateNtsc) << stored;
        EXPECT_EQ(show->lengthFrames, 17980) << stored;
    }
    for (int32_t rate : {kRateNtsc, kRatePal, kRateFilm}) {
        ScopedSettings settings;
        WriteSettingInt("FrameRate", rate);
        EXPECT_EQ(ReadFrameRateSetting(), rate);
    }
}

// Each show keeps the rate it was made with: making another show, or
// resetting this one, changes no other show's rate or length.
TEST(ShowRecord, EachShowKeepsItsOwnRate) {
    ScopedSettings settings;
    WriteSettingInt("FrameRate", kRatePal);
    auto pal = CreateShow();
    WriteSettingInt("FrameRate", kRateFilm);
    auto film = CreateShow();
    EXPECT_EQ(pal->frameRate, kRatePal);
    EXPECT_EQ(pal->lengthFrames, 15000);
    EXPECT_EQ(film->frameRate, kRateFilm);
    EXPECT_EQ(film->lengthFrames, 14380);
    ResetShow(*pal);
    EXPECT_EQ(pal->frameRate, kRatePal);
}

TEST(ShowRecord, ResetForgetsFilesKeepsClipboardAndStream) {
    ScopedSettings settings;
    auto show = CreateShow();
    std::strcpy(show->showFile.name, "/tmp/a.tvr");
    show->showFile.volume = 3;
    std::strcpy(show->background.name, "/tmp/b.bmp");
    std::strcpy(show->wallsTexture.name, "/tmp/w.bmp");
    std::strcpy(show->setTextures[2].name, "/tmp/t.bmp");
    show->clipKey.frame = 77;
    show->current.spin = 12.0f;
    show->currentValues[0] = 5.0f;
    show->streamColumns = 2;
    show->streamValues = {1, 2, 3, 4};
    show->keyCount = 5;
    show->modified = 1;
    show->style = ChartStyle::Pie;
    ResetShow(*show);
    EXPECT_STREQ(show->showFile.name, "");
    EXPECT_EQ(show->showFile.volume, 3);
    EXPECT_STREQ(show->background.name, "");
    EXPECT_STREQ(show->wallsTexture.name, "");
    EXPECT_STREQ(show->setTextures[2].name, "");
    EXPECT_EQ(show->clipKey.frame, 77);
    EXPECT_EQ(show->current.spin, 12.0f);
    EXPECT_EQ(show->currentValues[0], 5.0f);
    EXPECT_EQ(show->streamColumns, 2);
    EXPECT_EQ(show->streamValues.size(), 4u);
    EXPECT_EQ(show->keyCount, 1);
    EXPECT_EQ(show->modified, 0);
    EXPECT_EQ(show->style, ChartStyle::Bar);
}
