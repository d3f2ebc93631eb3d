// The show record: creation, reset to a new show, aspect and destruction.
#include <cstdio>
#include <cstring>

#include "Background.h"
#include "Evaluate.h"
#include "Settings.h"
#include "SettingsKeys.h"
#include "ShowRecord.h"
#include "Utilities.h"

Show* gShow = nullptr;
int32_t gCurrentFrame = 0;
MainWindowLink* gMainWindow = nullptr;

namespace {

constexpr uint32_t kYellow = 0x00FFFF;
constexpr uint32_t kBlue = 0xFF0000;

void SetFont(FontSpec& font, float size) {
    font = FontSpec{};
    font.size = size;
    font.style = 0;
    std::snprintf(font.face, sizeof(font.face), "Arial");
    font.color = kYellow;
}

}  // namespace

float KeyChannel(const KeyFrame& key, int channel) {
    if (channel < 0 || channel >= 12) {
        return 0.0f;
    }
    float value = 0.0f;
    std::memcpy(&value, reinterpret_cast<const uint8_t*>(&key) + 4 * channel, sizeof(value));
    return value;
}

void SetKeyChannel(KeyFrame& key, int channel, float value) {
    if (channel >= 0 && channel < 12) {
        std::memcpy(reinterpret_cast<uint8_t*>(&key) + 4 * channel, &value, sizeof(value));
    }
}

UndoEntry MakeUndoEntry(const KeyFrame& key, int16_t code) {
    UndoEntry entry;
    std::memcpy(&entry, &key, sizeof(entry));
    entry.list = 0;
    entry.code = code;
    return entry;
}

KeyFrame UndoContents(const UndoEntry& entry) {
    KeyFrame key;
    std::memcpy(&key, &entry, sizeof(key));
    return key;
}

const float* DataRow(const Show& show, int row) {
    if (row >= 0 && row < kDataRows) {
        return show.values[row];
    }
    return row == kDataRows ? show.currentValues : nullptr;
}

bool FrameViews::GridCell(int& column, int& row) const {
    column = 0;
    row = 0;
    return false;
}

void FrameViews::ShowReplaced(const std::function<void()>& replace) {
    replace();
}

void ReplaceShowContents(Show& show, const std::function<void()>& replace) {
    if (show.views) {
        show.views->ShowReplaced(replace);
    } else {
        replace();
    }
}

void ShowFrame(Show& show, int32_t frame) {
    Evaluate(show, frame);
    if (show.views) {
        show.views->FrameChanged();
    }
}

std::unique_ptr<Show> CreateShow() {
    auto show = std::make_unique<Show>();
    show->backgroundImage.Create(16, 16, 8);
    show->clipKey.frame = kClipEmpty;
    ResetShow(*show);
    show->frameAspect = static_cast<float>(ReadSettingInt(kSettingAspectMode, 7500) * 0.0001);
    show->fieldSwap = ReadSettingInt(kSettingFieldSwap, 0) != 0;
    show->frameRate = ReadFrameRateSetting();
    ReadSettingString(kSettingRootVolume, "/", show->rootVolume, sizeof(show->rootVolume));
    show->streamColumns = 0;
    show->streamLastRow = 0;
    show->streamValues.clear();
    show->lengthFrames = TenMinuteShowLength(show->frameRate);
    return show;
}

void ResetShow(Show& show) {
    show.modified = 0;
    show.keyCount = 1;
    std::memset(show.keys, 0, sizeof(show.keys));
    show.keys[0].width = 1.0f;
    show.keys[0].height = 1.0f;
    show.keys[0].slow = 1000.0f;
    show.showId = 0;
    show.selectedKey = 0;
    show.undoPos = -1;
    show.undoCount = 0;
    show.redoCount = 0;
    show.showFile.name[0] = '\0';
    show.docVersion = 1;
    std::memset(show.setNames, 0, sizeof(show.setNames));
    for (int i = 0; i < kDataRows; ++i) {
        std::snprintf(show.setNames[i], kTextSlot, "Set %d", i + 1);
    }
    std::memset(show.labels, 0, sizeof(show.labels));
    for (int i = 0; i < 4; ++i) {
        std::snprintf(show.labels[i], kTextSlot, "Label %i", i + 1);
    }
    show.style = ChartStyle::Bar;
    show.visibility = 100;
    show.lighting = 100;
    SetFont(show.titleFont, 48.0f);
    SetFont(show.labelFont, 12.0f);
    SetFont(show.valuesFont, 18.0f);
    show.seeVideo = 0;
    show.chartWidth = 100;
    show.chartHeight = 100;
    show.gridLines = 25;
    show.gridColor = kYellow;
    show.tickLength = 25;
    show.tickLines = 25;
    show.tickColor = kYellow;
    show.wallsColor = kBlue;
    show.wallsTexture.name[0] = '\0';
    show.seeBack = 1;
    show.seeLeft = 0;
    show.seeBottom = 1;
    show.dataMin = 100.0f;
    show.dataMax = 104.0f;
    show.antiAliasing = 0;
    show.placement = 0;
    show.reservedWidth = 50;
    show.barWidth = 50;
    show.barDepth = 25;
    show.animateData = 0;
    show.showSet = 0;
    const uint32_t setColors[4] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF};
    std::memcpy(show.setColors, setColors, sizeof(setColors));
    for (FileSpec& texture : show.setTextures) {
        texture.name[0] = '\0';
    }
    std::memset(show.prefix, 0, sizeof(show.prefix));
    std::memset(show.suffix, 0, sizeof(show.suffix));
    show.decimalPlaces = 2;
    show.background.name[0] = '\0';
    std::memset(show.title, 0, sizeof(show.title));
    show.titleSpacing = 25;
    std::memset(show.values, 0, sizeof(show.values));
    const float set1[4] = {100.5f, 102.5f, 103.5f, 102.0f};
    const float set2[4] = {102.5f, 104.0f, 100.5f, 101.0f};
    std::memcpy(show.values[0], set1, sizeof(set1));
    std::memcpy(show.values[1], set2, sizeof(set2));
    show.backgroundImage.Create(8, 8, 24);
}

void SetFrameAspect(Show& show, float aspect) {
    // The renderer reads the aspect from the show when it draws.
    show.frameAspect = aspect;
}

void DestroyShow(Show& show) {
    show.renderer.reset();
    show.backgroundMovie.reset();
    show.streamValues.clear();
    show.streamValues.shrink_to_fit();
    show.streamColumns = 0;
    show.backgroundImage.Destroy();
}
