// The show file: the layout at its offsets, round trips, the other byte
// order, hostile files, and the file commands' handling of failures.
#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Doc.h"
#include "HeadlessPlatform.h"
#include "Settings.h"
#include "TestSupport.h"
#include "Utilities.h"

namespace {

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t U16At(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}
float FloatAt(const std::vector<uint8_t>& b, size_t at) {
    return std::bit_cast<float>(U32At(b, at));
}
std::string TextAt(const std::vector<uint8_t>& b, size_t at) {
    return std::string(reinterpret_cast<const char*>(&b[at]));
}
void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

void SetText(char* slot, size_t size, const std::string& text) {
    std::memset(slot, 0, size);
    std::memcpy(slot, text.data(), std::min(text.size(), size - 1));
}

// Gives every stored field a value of its own, so that a field written to
// the wrong place or read from the wrong place shows up.
void PlantFields(Show& show, int keyCount) {
    for (int r = 0; r < kDataRows; ++r) {
        for (int k = 0; k < kCategories; ++k) {
            show.values[r][k] = 1000.0f * r + k + 0.25f;
        }
    }
    for (int k = 0; k < kCategories; ++k) {
        show.currentValues[k] = -1.0f - k;
        SetText(show.labels[k], kTextSlot, "label " + std::to_string(k));
    }
    for (int r = 0; r < kDataRows; ++r) {
        SetText(show.setNames[r], kTextSlot, "name " + std::to_string(r));
    }
    show.style = ChartStyle::Marker;
    show.visibility = 61;
    show.lighting = 62;
    show.titleFont = FontSpec{30.5f, kFontBold, {}, 0x112233};
    SetText(show.titleFont.face, 256, "Title Face");
    show.labelFont = FontSpec{9.25f, kFontItalic, {}, 0x445566};
    SetText(show.labelFont.face, 256, "Label Face");
    show.seeVideo = 1;
    show.chartWidth = 63;
    show.chartHeight = 64;
    show.gridLines = 65;
    show.gridColor = 0xA1A2A3;
    show.tickLength = 66;
    show.tickLines = 67;
    show.tickColor = 0xB1B2B3;
    show.wallsColor = 0xC1C2C3;
    show.wallsTexture = MakeFileSpec("/walls/texture.bmp");
    show.wallsTexture.volume = -2;
    show.wallsTexture.parentId = 0x01020304;
    show.seeBack = 0;
    show.seeLeft = 1;
    show.seeBottom = 0;
    show.dataMin = -5.5f;
    show.dataMax = 1e6f;
    show.antiAliasing = 68;
    show.placement = 1;
    show.reservedWidth = 69;
    show.barWidth = 70;
    show.barDepth = 71;
    show.animateData = 1;
    show.showSet = 3;
    for (int i = 0; i < 4; ++i) {
        show.setColors[i] = 0xD0D0D0u + i;
        show.setTextures[i] = MakeFileSpec(("/set/" + std::to_string(i) + ".tga").c_str());
        show.setTextures[i].parentId = 100 + i;
    }
    show.valuesFont = FontSpec{14.0f, kFontUnderline, {}, 0x778899};
    SetText(show.valuesFont.face, 256, "Values Face");
    SetText(show.prefix, kTextSlot, "$");
    SetText(show.suffix, kTextSlot, " m");
    show.decimalPlaces = 3;
    show.background = MakeFileSpec("/no/such/background.bmp");
    SetText(show.title, kTextSlot, "Quarterly Sales");
    show.titleSpacing = 72;
    show.keyCount = keyCount;
    for (int i = 0; i < keyCount; ++i) {
        for (int ch = 0; ch < 12; ++ch) {
            SetKeyChannel(show.keys[i], ch, i * 100.0f + ch + 0.5f);
        }
        show.keys[i].frame = i * 30;
        show.keys[i].reserved52 = static_cast<int16_t>(-i);
        show.keys[i].reserved54 = static_cast<int16_t>(0x0102 + i);
    }
}

#define EXPECT_SAME_BYTES(a, b, field) EXPECT_EQ(std::memcmp(&(a).field, &(b).field, sizeof((a).field)), 0) << #field

// Every field the file stores, compared bit for bit (keys[0].reserved44 and
// showId are compared by the callers where they matter).
void ExpectSameStoredFields(const Show& a, const Show& b) {
    EXPECT_SAME_BYTES(a, b, values);
    EXPECT_SAME_BYTES(a, b, currentValues);
    EXPECT_SAME_BYTES(a, b, setNames);
    EXPECT_SAME_BYTES(a, b, labels);
    EXPECT_SAME_BYTES(a, b, style);
    EXPECT_SAME_BYTES(a, b, visibility);
    EXPECT_SAME_BYTES(a, b, lighting);
    EXPECT_SAME_BYTES(a, b, titleFont);
    EXPECT_SAME_BYTES(a, b, labelFont);
    EXPECT_SAME_BYTES(a, b, seeVideo);
    EXPECT_SAME_BYTES(a, b, chartWidth);
    EXPECT_SAME_BYTES(a, b, chartHeight);
    EXPECT_SAME_BYTES(a, b, gridLines);
    EXPECT_SAME_BYTES(a, b, gridColor);
    EXPECT_SAME_BYTES(a, b, tickLength);
    EXPECT_SAME_BYTES(a, b, tickLines);
    EXPECT_SAME_BYTES(a, b, tickColor);
    EXPECT_SAME_BYTES(a, b, wallsColor);
    EXPECT_SAME_BYTES(a, b, wallsTexture);
    EXPECT_SAME_BYTES(a, b, seeBack);
    EXPECT_SAME_BYTES(a, b, seeLeft);
    EXPECT_SAME_BYTES(a, b, seeBottom);
    EXPECT_SAME_BYTES(a, b, dataMin);
    EXPECT_SAME_BYTES(a, b, dataMax);
    EXPECT_SAME_BYTES(a, b, antiAliasing);
    EXPECT_SAME_BYTES(a, b, placement);
    EXPECT_SAME_BYTES(a, b, reservedWidth);
    EXPECT_SAME_BYTES(a, b, barWidth);
    EXPECT_SAME_BYTES(a, b, barDepth);
    EXPECT_SAME_BYTES(a, b, animateData);
    EXPECT_SAME_BYTES(a, b, showSet);
    EXPECT_SAME_BYTES(a, b, setColors);
    EXPECT_SAME_BYTES(a, b, setTextures);
    EXPECT_SAME_BYTES(a, b, valuesFont);
    EXPECT_SAME_BYTES(a, b, prefix);
    EXPECT_SAME_BYTES(a, b, suffix);
    EXPECT_SAME_BYTES(a, b, decimalPlaces);
    EXPECT_SAME_BYTES(a, b, background);
    EXPECT_SAME_BYTES(a, b, title);
    EXPECT_SAME_BYTES(a, b, titleSpacing);
    ASSERT_EQ(a.keyCount, b.keyCount);
    EXPECT_EQ(std::memcmp(a.keys, b.keys, sizeof(KeyFrame) * a.keyCount), 0) << "keys";
}

std::vector<uint8_t> ImageOf(Show& show) {
    std::vector<uint8_t> image;
    EXPECT_GT(WriteShowImage(show, 0x1357, image), 0);
    return image;
}

// The same image as written on a machine of the other byte order: magic,
// header numbers and keyframes reversed, the block as it was.
std::vector<uint8_t> SwappedImage(std::vector<uint8_t> image) {
    auto reverse = [&](size_t at, int count) { std::reverse(image.begin() + at, image.begin() + at + count); };
    int count = static_cast<int>(U32At(image, kShowFileCountOffset));
    reverse(0, 2);
    reverse(2, 2);
    reverse(4, 4);
    reverse(kShowFileCountOffset, 4);
    for (int k = 0; k < count; ++k) {
        size_t key = kShowFileKeysOffset + 56 * k;
        for (int i = 0; i < 13; ++i) {
            reverse(key + 4 * i, 4);
        }
        reverse(key + 52, 2);
        reverse(key + 54, 2);
    }
    return image;
}

class RecordingMainWindow : public MainWindowLink {
public:
    void Redraw() override { ++redraws; }
    void ShowTitle(const char* fileName) override { titles.push_back(fileName ? fileName : "<none>"); }
    int redraws = 0;
    std::vector<std::string> titles;
};

// Views with an open data grid, as the desktop's: the grid is closed
// around a replacement of the show and opened again after it.
class RecordingPreview : public FrameViews {
public:
    void FrameChanged() override { ++repaints; }
    void ShowReplaced(const std::function<void()>& replace) override {
        calls.push_back(std::string("off:") + gShow->title);
        replace();
        calls.push_back(std::string("on:") + gShow->title);
    }
    bool editing = true;
    int repaints = 0;
    std::vector<std::string> calls;
};

// A show to work on, the settings and messages of the test, and the
// program-wide links restored at the end.
class ShowFileTest : public ::testing::Test {
protected:
    ShowFileTest() : show_(CreateShow()), show(*show_) { gShow = show_.get(); }
    ~ShowFileTest() override {
        gShow = nullptr;
        gMainWindow = nullptr;
        show.views = nullptr;
        gCurrentFrame = 0;
    }
    std::string Path(const std::string& name) const { return settings_.Folder().File(name); }
    std::vector<std::string>& Messages() { return Headless().messages; }

    ScopedSettings settings_;
    std::unique_ptr<Show> show_;
    Show& show;
};

}  // namespace

TEST_F(ShowFileTest, NewShowFileLayout) {
    std::string path = Path("new.tvr");
    ASSERT_TRUE(SaveShowFile(show, MakeFileSpec(path.c_str())));
    std::vector<uint8_t> b = ReadBytes(path);
    ASSERT_EQ(b.size(), 5977u);
    EXPECT_EQ(b[0], 0x34);
    EXPECT_EQ(b[1], 0x12);
    EXPECT_EQ(static_cast<int16_t>(U16At(b, 2)), show.showId);
    EXPECT_GE(show.showId, 0);
    EXPECT_EQ(U32At(b, 4), 0x1759u);
    EXPECT_EQ(U32At(b, 8), 0u);
    EXPECT_EQ(U32At(b, 12), 1u);  // docVersion
    EXPECT_EQ(FloatAt(b, 16), 100.5f);
    EXPECT_EQ(FloatAt(b, 16 + 4 * 33), 102.5f);  // set 2, category 1
    EXPECT_EQ(TextAt(b, 808), "Set 1");
    EXPECT_EQ(TextAt(b, 808 + 4 * 64), "Set 5");
    EXPECT_EQ(TextAt(b, 1128 + 3 * 64), "Label 4");
    EXPECT_EQ(U32At(b, 3244), 100u);  // visibility
    EXPECT_EQ(FloatAt(b, 3252), 48.0f);
    EXPECT_EQ(TextAt(b, 3252 + 8), "Arial");
    EXPECT_EQ(U32At(b, 3252 + 264), 0x00FFFFu);
    EXPECT_EQ(FloatAt(b, 3520), 12.0f);
    EXPECT_EQ(U32At(b, 3797), 25u);        // gridLines
    EXPECT_EQ(U32At(b, 3817), 0xFF0000u);  // wallsColor
    EXPECT_EQ(b[4083], 1);
    EXPECT_EQ(b[4084], 0);
    EXPECT_EQ(b[4085], 1);
    EXPECT_EQ(FloatAt(b, 4086), 100.0f);
    EXPECT_EQ(FloatAt(b, 4090), 104.0f);
    EXPECT_EQ(U32At(b, 4102), 50u);  // reservedWidth
    EXPECT_EQ(U32At(b, 4119), 0x0000FFu);
    EXPECT_EQ(U32At(b, 4119 + 12), 0x00FFFFu);
    EXPECT_EQ(FloatAt(b, 5183), 18.0f);
    EXPECT_EQ(U32At(b, 5579), 2u);
    EXPECT_EQ(U32At(b, 5909), 25u);
    EXPECT_EQ(U32At(b, 5913), 1u);
    EXPECT_EQ(FloatAt(b, 5917 + 12), 1.0f);                                   // width
    EXPECT_EQ(FloatAt(b, 5917 + 32), 1000.0f);                                // slow
    EXPECT_EQ(FloatAt(b, 5917 + 44), static_cast<float>(show.lengthFrames));  // reserved44
    EXPECT_EQ(U32At(b, 5973), 0u);
    EXPECT_EQ(show.keys[0].reserved44, 17980.0f);
}

TEST_F(ShowFileTest, PlantedFieldsAtTheirOffsets) {
    PlantFields(show, 3);
    std::vector<uint8_t> b = ImageOf(show);
    ASSERT_EQ(b.size(), 5921u + 3 * 56);
    EXPECT_EQ(U16At(b, 2), 0x1357);
    EXPECT_EQ(U32At(b, 4), 5921u + 3 * 56);
    EXPECT_EQ(FloatAt(b, 16 + 4 * (33 * 4 + 32)), 4032.25f);  // values[4][32]
    EXPECT_EQ(FloatAt(b, 676), -1.0f);
    EXPECT_EQ(FloatAt(b, 676 + 4 * 32), -33.0f);
    EXPECT_EQ(TextAt(b, 808 + 64), "name 1");
    EXPECT_EQ(TextAt(b, 1128 + 32 * 64), "label 32");
    EXPECT_EQ(U32At(b, 3240), 3u);  // Marker
    EXPECT_EQ(U32At(b, 3248), 62u);
    EXPECT_EQ(FloatAt(b, 3252), 30.5f);
    EXPECT_EQ(U32At(b, 3256), static_cast<uint32_t>(kFontBold));
    EXPECT_EQ(TextAt(b, 3260), "Title Face");
    EXPECT_EQ(U32At(b, 3516), 0x112233u);
    EXPECT_EQ(TextAt(b, 3528), "Label Face");
    EXPECT_EQ(U32At(b, 3784), 0x445566u);
    EXPECT_EQ(b[3788], 1);
    EXPECT_EQ(U32At(b, 3789), 63u);
    EXPECT_EQ(U32At(b, 3793), 64u);
    EXPECT_EQ(U32At(b, 3801), 0xA1A2A3u);
    EXPECT_EQ(U32At(b, 3805), 66u);
    EXPECT_EQ(U32At(b, 3809), 67u);
    EXPECT_EQ(U32At(b, 3813), 0xB1B2B3u);
    EXPECT_EQ(U16At(b, 3821), 0xFFFE);
    EXPECT_EQ(U32At(b, 3823), 0x01020304u);
    EXPECT_EQ(TextAt(b, 3827), "/walls/texture.bmp");
    EXPECT_EQ(b[4083], 0);
    EXPECT_EQ(b[4084], 1);
    EXPECT_EQ(FloatAt(b, 4086), -5.5f);
    EXPECT_EQ(U32At(b, 4094), 68u);
    EXPECT_EQ(U32At(b, 4098), 1u);
    EXPECT_EQ(U32At(b, 4106), 70u);
    EXPECT_EQ(U32At(b, 4110), 71u);
    EXPECT_EQ(b[4114], 1);
    EXPECT_EQ(U32At(b, 4115), 3u);
    EXPECT_EQ(U32At(b, 4131), 0xD0D0D3u);
    EXPECT_EQ(U32At(b, 4135 + 2), 100u);
    EXPECT_EQ(TextAt(b, 4135 + 3 * 262 + 6), "/set/3.tga");
    EXPECT_EQ(FloatAt(b, 5183), 14.0f);
    EXPECT_EQ(TextAt(b, 5191), "Values Face");
    EXPECT_EQ(U32At(b, 5447), 0x778899u);
    EXPECT_EQ(TextAt(b, 5451), "$");
    EXPECT_EQ(TextAt(b, 5515), " m");
    EXPECT_EQ(U32At(b, 5579), 3u);
    EXPECT_EQ(TextAt(b, 5583 + 6), "/no/such/background.bmp");
    EXPECT_EQ(TextAt(b, 5845), "Quarterly Sales");
    EXPECT_EQ(U32At(b, 5909), 72u);
    EXPECT_EQ(U32At(b, 5913), 3u);
    size_t key2 = 5917 + 2 * 56;
    EXPECT_EQ(FloatAt(b, key2), 200.5f);
    EXPECT_EQ(FloatAt(b, key2 + 36), 209.5f);  // dataSet
    EXPECT_EQ(U32At(b, key2 + 48), 60u);
    EXPECT_EQ(U16At(b, key2 + 52), 0xFFFE);
    EXPECT_EQ(U16At(b, key2 + 54), 0x0104);
    EXPECT_EQ(U32At(b, 5917 + 3 * 56), 0u);
}

TEST_F(ShowFileTest, ImageRoundTripIsBitForBit) {
    PlantFields(show, kMaxKeys);
    show.keys[5].spin = std::bit_cast<float>(0x7FC01234u);  // a NaN with a payload
    show.values[2][7] = -0.0f;
    std::memcpy(show.title + 20, "after", 5);  // bytes after the terminator travel too
    std::vector<uint8_t> image = ImageOf(show);
    auto copy = CreateShow();
    ASSERT_TRUE(ReadShowImage(*copy, image.data(), static_cast<long>(image.size()), false));
    ExpectSameStoredFields(show, *copy);
    EXPECT_EQ(copy->showId, 0x1357);
    EXPECT_EQ(copy->keys[0].reserved44, static_cast<float>(show.lengthFrames));
}

TEST_F(ShowFileTest, FileRoundTripThroughSaveAndLoad) {
    PlantFields(show, 4);
    Evaluate(show, 0);  // the stored chart size is that of the frame saved
    show.modified = 1;
    show.undoCount = 3;
    std::string path = Path("round.tvr");
    ASSERT_TRUE(SaveShowFile(show, MakeFileSpec(path.c_str())));
    EXPECT_EQ(show.modified, 0);
    EXPECT_STREQ(show.showFile.name, path.c_str());

    auto loaded = CreateShow();
    loaded->undoPos = 4;
    loaded->modified = 1;
    gCurrentFrame = 50;
    ASSERT_TRUE(LoadShowFile(*loaded, MakeFileSpec(path.c_str())));
    ExpectSameStoredFields(show, *loaded);
    EXPECT_EQ(loaded->showId, show.showId);
    EXPECT_EQ(loaded->modified, 0);
    EXPECT_EQ(loaded->undoPos, -1);
    EXPECT_EQ(loaded->undoCount, 0);
    EXPECT_EQ(gCurrentFrame, 0);
    EXPECT_STREQ(loaded->showFile.name, path.c_str());
    // The background could not be opened: its name stays, the picture is blank.
    EXPECT_STREQ(loaded->background.name, "/no/such/background.bmp");
    EXPECT_EQ(loaded->backgroundImage.Width(), 8);
}

TEST_F(ShowFileTest, OtherByteOrderReadsKeysAndHeaderReversed) {
    PlantFields(show, 3);
    std::vector<uint8_t> image = ImageOf(show);
    std::vector<uint8_t> swapped = SwappedImage(image);
    ASSERT_EQ(swapped[0], 0x12);
    ASSERT_EQ(swapped[1], 0x34);
    // A key frame number written big-endian by hand.
    size_t key1 = kShowFileKeysOffset + 56;
    swapped[key1 + 48] = 0x00;
    swapped[key1 + 49] = 0x01;
    swapped[key1 + 50] = 0x02;
    swapped[key1 + 51] = 0x03;
    show.keys[1].frame = 0x00010203;

    auto copy = CreateShow();
    ASSERT_TRUE(ReadShowImage(*copy, swapped.data(), static_cast<long>(swapped.size()), false));
    ExpectSameStoredFields(show, *copy);
    EXPECT_EQ(copy->showId, 0x1357);
    EXPECT_EQ(copy->keys[1].frame, 0x00010203);
}

TEST_F(ShowFileTest, OtherByteOrderTakesTheBlockAsStored) {
    std::vector<uint8_t> swapped = SwappedImage(ImageOf(show));
    PutU32(swapped, 3244, 0x00000042);  // visibility as the little-endian bytes 42 00 00 00
    auto copy = CreateShow();
    ASSERT_TRUE(ReadShowImage(*copy, swapped.data(), static_cast<long>(swapped.size()), false));
    EXPECT_EQ(copy->visibility, 0x42);
    EXPECT_EQ(copy->keyCount, 1);
    EXPECT_EQ(copy->keys[0].slow, 1000.0f);
}

TEST_F(ShowFileTest, HostileImagesAreRefusedBeforeTouchingTheShow) {
    std::vector<uint8_t> good = ImageOf(show);
    auto withCount = [&](int32_t count) {
        std::vector<uint8_t> b = good;
        PutU32(b, kShowFileCountOffset, static_cast<uint32_t>(count));
        return b;
    };
    std::vector<uint8_t> bigGood = good;
    bigGood.resize(5921 + 56 * 2);
    PutU32(bigGood, kShowFileCountOffset, 2);
    std::vector<uint8_t> wrongMagic = good;
    wrongMagic[1] = 0x13;
    std::vector<std::vector<uint8_t>> hostile = {
        {},
        {0x34},
        {0x34, 0x12},
        std::vector<uint8_t>(good.begin(), good.begin() + kShowFileKeysOffset),
        std::vector<uint8_t>(good.begin(), good.end() - 5),  // last key cut short
        withCount(0),
        withCount(65),
        withCount(-1),
        withCount(0x7FFFFFFF),
        withCount(2),  // only one key's bytes follow
        std::vector<uint8_t>(bigGood.begin(), bigGood.begin() + 5917 + 56 + 10),
        wrongMagic,
        std::vector<uint8_t>(good.size(), 0),
    };
    SetText(show.title, kTextSlot, "keep me");
    show.keyCount = 2;
    show.showId = 99;
    show.modified = 1;
    for (size_t i = 0; i < hostile.size(); ++i) {
        const std::vector<uint8_t>& b = hostile[i];
        EXPECT_FALSE(CheckShowImage(b.data(), static_cast<long>(b.size()))) << "case " << i;
        EXPECT_FALSE(ReadShowImage(show, b.data(), static_cast<long>(b.size()), true)) << "case " << i;
    }
    EXPECT_FALSE(ReadShowImage(show, nullptr, 6000, true));
    EXPECT_STREQ(show.title, "keep me");
    EXPECT_EQ(show.keyCount, 2);
    EXPECT_EQ(show.showId, 99);
    EXPECT_EQ(show.modified, 1);
    // The trailing reserved bytes are not needed; 64 keys are.
    std::vector<uint8_t> noTrailer(good.begin(), good.end() - 4);
    EXPECT_TRUE(CheckShowImage(noTrailer.data(), static_cast<long>(noTrailer.size())));
    PlantFields(show, kMaxKeys);
    std::vector<uint8_t> full = ImageOf(show);
    EXPECT_TRUE(CheckShowImage(full.data(), static_cast<long>(full.size())));
}

TEST_F(ShowFileTest, UnterminatedTextsEndTerminated) {
    std::vector<uint8_t> b = ImageOf(show);
    std::fill(b.begin() + 808, b.begin() + 5913, 'A');  // every text slot full
    auto copy = CreateShow();
    ASSERT_TRUE(ReadShowImage(*copy, b.data(), static_cast<long>(b.size()), true));
    EXPECT_EQ(std::strlen(copy->setNames[4]), 63u);
    EXPECT_EQ(std::strlen(copy->labels[32]), 63u);
    EXPECT_EQ(std::strlen(copy->title), 63u);
    EXPECT_EQ(std::strlen(copy->prefix), 63u);
    EXPECT_EQ(std::strlen(copy->suffix), 63u);
    EXPECT_EQ(std::strlen(copy->titleFont.face), 255u);
    EXPECT_EQ(std::strlen(copy->labelFont.face), 255u);
    EXPECT_EQ(std::strlen(copy->valuesFont.face), 255u);
    // A file name that fills its slot was cut when it was stored: cut again
    // it would name another file, so it is left out with a message.
    EXPECT_STREQ(copy->wallsTexture.name, "");
    EXPECT_STREQ(copy->setTextures[3].name, "");
    EXPECT_STREQ(copy->background.name, "");
    ASSERT_FALSE(Headless().messages.empty());
    EXPECT_NE(Headless().messages.back().find("longer than 255 characters: AAAA"), std::string::npos)
        << Headless().messages.back();
}

TEST_F(ShowFileTest, FailedLoadKeepsShowAndItsFile) {
    std::string previous = Path("previous.tvr");
    ASSERT_TRUE(SaveShowFile(show, MakeFileSpec(previous.c_str())));
    SetText(show.title, kTextSlot, "unsaved work");
    show.modified = 1;
    RecordingMainWindow window;
    gMainWindow = &window;

    std::string shortFile = Path("short.tvr");
    ASSERT_TRUE(WriteBytes(shortFile, {0x34, 0x12, 0, 0}));
    std::string wrongMagic = Path("wrong.tvr");
    ASSERT_TRUE(WriteText(wrongMagic, std::string(6000, 'x')));
    // Each refusal says why.
    const std::pair<std::string, std::string> cases[] = {
        {Path("missing.tvr"), FileErrorText(ENOENT)},
        {settings_.Folder().Path(), FileErrorText(EISDIR)},
        {shortFile, "the file is cut short"},
        {wrongMagic, "it is not a show file"},
    };
    for (const auto& [path, reason] : cases) {
        Messages().clear();
        Result loaded = LoadShowFile(show, MakeFileSpec(path.c_str()));
        EXPECT_FALSE(loaded) << path;
        EXPECT_EQ(loaded.Message(), "Can't read show file \"" + path + "\": " + reason);
        EXPECT_TRUE(Messages().empty()) << path;
        EXPECT_STREQ(show.title, "unsaved work");
        EXPECT_EQ(show.modified, 1);
        EXPECT_STREQ(show.showFile.name, previous.c_str());
    }
    EXPECT_TRUE(window.titles.empty());
    // A later quick save still goes to the show's own file.
    EXPECT_TRUE(QuickSaveCommand(show, nullptr));
    EXPECT_EQ(ReadBytes(wrongMagic).size(), 6000u);
}

TEST_F(ShowFileTest, TrailingBytesAfterTheImageAreIgnored) {
    std::vector<uint8_t> image = ImageOf(show);
    image.resize(40000, 0xEE);
    std::string path = Path("long.tvr");
    ASSERT_TRUE(WriteBytes(path, image));
    EXPECT_TRUE(LoadShowFile(show, MakeFileSpec(path.c_str())));
}

TEST_F(ShowFileTest, LoadSetsTitleFolderAndReloadsTheGrid) {
    SetText(show.title, kTextSlot, "stored");
    std::string path = Path("grid.tvr");
    ASSERT_TRUE(SaveShowFile(show, MakeFileSpec(path.c_str())));
    SetText(show.title, kTextSlot, "in the grid");
    RecordingMainWindow window;
    RecordingPreview preview;
    gMainWindow = &window;
    show.views = &preview;
    FileSpec file = MakeFileSpec(path.c_str());
    file.volume = 7;
    file.parentId = 8;
    ASSERT_TRUE(LoadShowFile(show, file));
    EXPECT_STREQ(show.title, "stored");
    ASSERT_EQ(preview.calls.size(), 2u);
    EXPECT_EQ(preview.calls[0], "off:in the grid");
    EXPECT_EQ(preview.calls[1], "on:stored");
    EXPECT_EQ(window.titles.back(), path);
    EXPECT_GE(window.redraws, 1);
    EXPECT_EQ(ReadSettingString("InitialFolder", ""), settings_.Folder().Path() + "/");
    EXPECT_EQ(ReadSettingInt("InitialVrefnum", 0), 7);
    EXPECT_EQ(ReadSettingInt("InitialParID", 0), 8);
}

TEST_F(ShowFileTest, FailedSaveKeepsOldFileAndState) {
    std::string path = Path("kept.tvr");
    ASSERT_TRUE(SaveShowFile(show, MakeFileSpec(path.c_str())));
    std::vector<uint8_t> before = ReadBytes(path);
    int16_t id = show.showId;
    SetText(show.title, kTextSlot, "changed");
    show.modified = 1;
    {
        // The disk fills while the new file is written.
        FileSizeLimit limit(1024);
        ASSERT_TRUE(limit.Active());
        Result saved = SaveShowFile(show, MakeFileSpec(path.c_str()));
        EXPECT_FALSE(saved);
        EXPECT_EQ(saved.Message(), "Can't save show file \"" + path + "\": File too large");
    }
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(show.modified, 1);
    EXPECT_EQ(show.showId, id);
    EXPECT_TRUE(Messages().empty());
    for (const auto& entry : std::filesystem::directory_iterator(settings_.Folder().Path())) {
        EXPECT_EQ(entry.path().string().find("saving~"), std::string::npos) << entry.path();  // no temporary is left
    }

    std::string nowhere = Path("no/such/folder/x.tvr");
    EXPECT_NE(SaveShowFile(show, MakeFileSpec(nowhere.c_str())).Message().find("No such file or directory"),
              std::string::npos);
    EXPECT_STREQ(show.showFile.name, path.c_str());
    // The save command shows why the save failed.
    show.showFile = MakeFileSpec(nowhere.c_str());
    EXPECT_FALSE(QuickSaveCommand(show, nullptr));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("Can't save show file \"" + nowhere + "\": ", 0), 0u) << Messages()[0];
    EXPECT_FALSE(SaveShowFile(show, FileSpec{}));
    EXPECT_EQ(show.modified, 1);
}

TEST_F(ShowFileTest, QuickSaveStoresFrameZero) {
    show.keyCount = 2;
    show.keys[1] = show.keys[0];
    show.keys[1].frame = 100;
    show.keys[1].width = 0.75f;
    show.keys[1].dataSet = 2.0f;
    Evaluate(show, 100);
    ASSERT_EQ(show.chartWidth, 50);
    std::string path = Path("quick.tvr");
    show.showFile = MakeFileSpec(path.c_str());
    int asked = 0;
    ASSERT_TRUE(QuickSaveCommand(show, [&](FileSpec&) { return ++asked, false; }));
    EXPECT_EQ(asked, 0);
    std::vector<uint8_t> b = ReadBytes(path);
    EXPECT_EQ(U32At(b, 3789), 100u);  // chartWidth of frame 0
    EXPECT_EQ(U32At(b, 4115), 0u);    // showSet of frame 0
    EXPECT_EQ(gCurrentFrame, 100);
    EXPECT_EQ(show.chartWidth, 50);
    // Save Show stores the current frame's values.
    ASSERT_TRUE(SaveShowFile(show, show.showFile));
    EXPECT_EQ(U32At(ReadBytes(path), 3789), 50u);
    EXPECT_EQ(U32At(ReadBytes(path), 4115), 2u);
}

TEST_F(ShowFileTest, QuickSaveWithoutFileAsksForOne) {
    std::string path = Path("chosen.tvr");
    int asked = 0;
    auto choose = [&](FileSpec& file) {
        ++asked;
        EXPECT_STREQ(file.name, "");
        file = MakeFileSpec(path.c_str());
        return true;
    };
    ASSERT_TRUE(NewShowCommand(show, nullptr, nullptr));
    EXPECT_TRUE(QuickSaveCommand(show, choose));
    EXPECT_EQ(asked, 1);
    EXPECT_STREQ(show.showFile.name, path.c_str());
    EXPECT_EQ(ReadBytes(path).size(), 5977u);
    EXPECT_FALSE(QuickSaveCommand(*CreateShow(), [](FileSpec&) { return false; }));
}

TEST_F(ShowFileTest, SaveQuestionsOfNewShowAndExit) {
    std::vector<std::string> asked;
    int answer = -1;
    auto ask = [&](const char* text, const char* caption) {
        asked.push_back(std::string(text) + "|" + caption);
        return answer;
    };
    std::string path = Path("asked.tvr");
    bool chooserAgrees = true;
    auto choose = [&](FileSpec& file) {
        file = MakeFileSpec(path.c_str());
        return chooserAgrees;
    };
    SetText(show.title, kTextSlot, "work");
    show.modified = 1;
    EXPECT_FALSE(NewShowCommand(show, ask, choose));  // cancel
    EXPECT_STREQ(show.title, "work");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "Do you want to save current show?|New Show");

    answer = 1;
    chooserAgrees = false;  // a save asked for and not done ends the command
    EXPECT_FALSE(NewShowCommand(show, ask, choose));
    EXPECT_STREQ(show.title, "work");

    chooserAgrees = true;
    EXPECT_TRUE(NewShowCommand(show, ask, choose));
    EXPECT_STREQ(show.title, "");
    EXPECT_STREQ(show.showFile.name, "");
    auto saved = CreateShow();
    ASSERT_TRUE(LoadShowFile(*saved, MakeFileSpec(path.c_str())));
    EXPECT_STREQ(saved->title, "work");

    asked.clear();
    EXPECT_TRUE(SaveBeforeExit(show, ask, choose));  // not modified: no question
    EXPECT_TRUE(asked.empty());
    show.modified = 1;
    answer = 0;
    EXPECT_TRUE(SaveBeforeExit(show, ask, choose));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "Do you want to save this show?|Exit Application");
    answer = -1;  // Cancel, Esc or the question closed: keep running
    EXPECT_FALSE(SaveBeforeExit(show, ask, choose));
    EXPECT_EQ(show.modified, 1);
    EXPECT_STREQ(show.title, "");
    answer = 1;
    chooserAgrees = false;
    EXPECT_FALSE(SaveBeforeExit(show, ask, choose));
    answer = 0;
    EXPECT_TRUE(NewShowCommand(show, ask, choose));  // no: go on without saving
    EXPECT_EQ(show.modified, 0);

    // Load asks under its own name.
    asked.clear();
    show.modified = 1;
    answer = -1;
    EXPECT_FALSE(AskToSaveChanges(show, ask, choose, kLoadShowCaption));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "Do you want to save current show?|Load Show");
}

TEST_F(ShowFileTest, NewShowInDataGridSwitchesModesAroundTheReset) {
    RecordingMainWindow window;
    RecordingPreview preview;
    gMainWindow = &window;
    show.views = &preview;
    SetText(show.title, kTextSlot, "old");
    gCurrentFrame = 40;
    ASSERT_TRUE(NewShowCommand(show, nullptr, nullptr));
    ASSERT_EQ(preview.calls.size(), 2u);
    EXPECT_EQ(preview.calls[0], "off:old");
    EXPECT_EQ(preview.calls[1], "on:");
    EXPECT_TRUE(preview.editing);
    ASSERT_EQ(window.titles.size(), 1u);
    EXPECT_EQ(window.titles[0], "<none>");
    EXPECT_EQ(gCurrentFrame, 0);
    EXPECT_GE(preview.repaints, 1);  // the evaluation redraws
}

TEST_F(ShowFileTest, NewShowIdsAreInRange) {
    for (int i = 0; i < 20; ++i) {
        int16_t id = NewShowId();
        EXPECT_GE(id, 0);
        EXPECT_LE(id, 32767);
    }
}

namespace {

// Milliseconds since the system started, as the kernel reports it.
double UptimeMs() {
    std::ifstream file("/proc/uptime");
    double seconds = 0;
    file >> seconds;
    return seconds * 1000.0;
}

}  // namespace

// The id is drawn from the generator seeded with the milliseconds since the
// system started (modulo 65535), not since the program did: two saves of
// freshly started command lines get different ids.
TEST_F(ShowFileTest, ShowIdIsSeededWithTheSystemUptime) {
    if (!std::filesystem::exists("/proc/uptime")) {
        GTEST_SKIP() << "no /proc/uptime";
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
        double before = UptimeMs();
        int16_t id = NewShowId();
        double after = UptimeMs();
        bool matched = false;
        // /proc/uptime counts in hundredths of a second.
        for (auto ms = static_cast<uint32_t>(before) - 10; ms <= static_cast<uint32_t>(after) + 20; ++ms) {
            std::srand(ms % 65535u);
            matched = matched || std::rand() % 32768 == id;
        }
        EXPECT_TRUE(matched) << "id " << id << " at " << before << " ms";
    }
}

TEST_F(ShowFileTest, SampleShowLoads) {
    std::string tests = std::filesystem::path(TAVRILO_TEST_DATA).parent_path().string();
    std::string path = tests + "/../examples/sample.tvr";
    ASSERT_TRUE(LoadShowFile(show, MakeFileSpec(path.c_str())));
    EXPECT_STREQ(show.title, "Regional Sales");
    EXPECT_STREQ(show.setNames[3], "West");
    EXPECT_STREQ(show.labels[7], "Aug");
    EXPECT_EQ(show.values[2][7], 104.0f);
    EXPECT_EQ(show.keyCount, 4);
    EXPECT_EQ(show.keys[3].frame, 270);
    EXPECT_EQ(show.animateData, 1);
}
