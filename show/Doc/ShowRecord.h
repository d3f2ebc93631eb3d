// The show: one chart animation with its data, labels, look and timeline of
// keyframes, and the records stored inside it. One Show exists while the
// program runs; every editor reads and edits it in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "CDib.h"
#include "CrossPlatform.h"
#include "Utilities.h"

#pragma pack(push, 1)
// One key of the timeline. The float fields are the evaluation channels in
// this order (channel 0 x ... channel 9 dataSet).
struct KeyFrame {
    float x;
    float reserved4;
    float y;
    float width;
    float height;
    float spin;
    float tilt;
    float reserved28;
    float slow;     // easing of the segment from this key: 1000 in&out, 2000 in, 3000 out, 4000 none, <= 0 automatic
    float dataSet;  // 0 all sets, n set n
    float reserved40;
    float reserved44;  // keys[0] receives the show length when saved
    int32_t frame;
    int16_t reserved52;
    int16_t reserved54;  // the timeline highlights a key whose value is not 0
};

// A font of the show.
struct FontSpec {
    float size;     // points
    int32_t style;  // FontFlags
    char face[256];
    uint32_t color;  // 0x00BBGGRR
};

// A keyframe's contents with its last two fields holding the list number
// (always 0) and the undo operation code.
struct UndoEntry {
    float channels[12];
    int32_t frame;
    int16_t list;
    int16_t code;
};
#pragma pack(pop)
// The records are stored in show files as they are laid out here.
static_assert(sizeof(KeyFrame) == 56);
static_assert(offsetof(KeyFrame, slow) == 32);
static_assert(offsetof(KeyFrame, dataSet) == 36);
static_assert(offsetof(KeyFrame, frame) == 48);
static_assert(offsetof(KeyFrame, reserved54) == 54);
static_assert(sizeof(FontSpec) == 268);
static_assert(offsetof(FontSpec, face) == 8);
static_assert(offsetof(FontSpec, color) == 264);
static_assert(sizeof(UndoEntry) == 56);

constexpr int kKeyChannels = 10;  // x .. dataSet
constexpr int kMaxKeys = 64;
constexpr int kUndoSteps = 32;
constexpr int kDataRows = 5;
constexpr int kCategories = 33;
constexpr int kTextSlot = 64;  // names, labels, title, prefix, suffix: 63 characters and a NUL
constexpr int32_t kClipEmpty = -9999;

// Channel ch (0..11) of a keyframe; 0 outside.
float KeyChannel(const KeyFrame& key, int channel);
void SetKeyChannel(KeyFrame& key, int channel, float value);
UndoEntry MakeUndoEntry(const KeyFrame& key, int16_t code);
// The entry's contents as a keyframe, its list number and code in the last two fields.
KeyFrame UndoContents(const UndoEntry& entry);

enum class ChartStyle : int32_t { Bar = 0, Area = 1, Line = 2, Marker = 3, Pie = 4 };

class GLRenderer;
struct BackgroundMovie;
class FrameViews;
using RendererOwner = std::unique_ptr<GLRenderer, void (*)(GLRenderer*)>;
using BackgroundMovieOwner = std::unique_ptr<BackgroundMovie, void (*)(BackgroundMovie*)>;

// The document. Fields are in record order; the show file stores showId,
// docVersion, the run setNames .. titleSpacing, values, currentValues and the
// keyframes. Byte flags are uint8_t so that any stored byte is a valid value.
struct Show {
    uint8_t modified = 0;
    RendererOwner renderer{nullptr, nullptr};
    FrameViews* views = nullptr;    // the desktop's windows on this show; null without them
    float frameAspect = 0.75f;      // picture height / width
    int32_t frameRate = kRateNtsc;  // hundredths of frames per second, from the settings; not in the show file
    int32_t lengthFrames = 0;
    char rootVolume[256] = {};
    KeyFrame keys[kMaxKeys] = {};
    int32_t keyCount = 1;
    int16_t showId = 0;
    uint8_t fieldSwap = 0;
    KeyFrame clipKey{};
    KeyFrame current{};  // the current frame as evaluated, and as the preview edits it
    int32_t selectedKey = 0;
    int32_t undoPos = -1;
    int32_t undoCount = 0;
    int32_t redoCount = 0;
    UndoEntry undo[kUndoSteps] = {};
    FileSpec showFile{};
    int32_t docVersion = 1;
    char setNames[kDataRows][kTextSlot] = {};
    char labels[kCategories][kTextSlot] = {};
    ChartStyle style = ChartStyle::Bar;
    int32_t visibility = 100;
    int32_t lighting = 100;
    FontSpec titleFont{};
    FontSpec labelFont{};
    uint8_t seeVideo = 0;
    int32_t chartWidth = 100;
    int32_t chartHeight = 100;
    int32_t gridLines = 25;
    uint32_t gridColor = 0;
    int32_t tickLength = 25;
    int32_t tickLines = 25;
    uint32_t tickColor = 0;
    uint32_t wallsColor = 0;
    FileSpec wallsTexture{};
    uint8_t seeBack = 1;
    uint8_t seeLeft = 0;
    uint8_t seeBottom = 1;
    float dataMin = 100.0f;
    float dataMax = 104.0f;
    int32_t antiAliasing = 0;
    int32_t placement = 0;  // 0 aside, 1 stacked
    int32_t reservedWidth = 50;
    int32_t barWidth = 50;
    int32_t barDepth = 25;
    uint8_t animateData = 0;
    int32_t showSet = 0;
    uint32_t setColors[4] = {};
    FileSpec setTextures[4] = {};
    FontSpec valuesFont{};
    char prefix[kTextSlot] = {};
    char suffix[kTextSlot] = {};
    int32_t decimalPlaces = 2;
    FileSpec background{};
    char title[kTextSlot] = {};
    int32_t titleSpacing = 25;
    float values[kDataRows][kCategories] = {};
    float currentValues[kCategories] = {};
    CDib backgroundImage{16, 16, 8};
    BackgroundMovieOwner backgroundMovie{nullptr, nullptr};
    int32_t streamColumns = 0;  // values per stream row, 0 = no stream
    int32_t streamLastRow = 0;
    float streamInterval = 0;  // frames per stream row
    std::vector<float> streamValues;

    Show() = default;
    Show(const Show&) = delete;
    Show& operator=(const Show&) = delete;
};

// Row r of the data as the renderer sees it: rows 0..4 are `values`, row 5
// is `currentValues`; null outside.
const float* DataRow(const Show& show, int row);

// ---- program-wide state

// The one show of the program (null until created) and the current frame.
extern Show* gShow;
extern int32_t gCurrentFrame;

// The desktop's windows on a show (the picture, the timeline cursor, the
// tab page, the frame counter, the data grid). The desktop puts one in
// `Show::views`; the document tells it what it needs to know and knows
// nothing else of it. Without views the document works alone.
class FrameViews {
public:
    virtual ~FrameViews() = default;
    // The show has moved to another frame.
    virtual void FrameChanged() = 0;
    // The data grid's selected cell (0, 0 when none); false while the grid
    // is not shown.
    virtual bool GridCell(int& column, int& row) const;
    // The show is being replaced (New, Load, an import) by `replace`. The
    // data grid writes itself into the show when it closes and reloads when
    // it opens, so an open grid is closed around the replacement and the
    // picture drawn again.
    virtual void ShowReplaced(const std::function<void()>& replace);
};

class RedrawLink {
public:
    virtual ~RedrawLink() = default;
    virtual void Redraw() = 0;
};

class MainWindowLink : public RedrawLink {
public:
    // Shows the program name with the show's file name (none: without one).
    virtual void ShowTitle(const char* fileName) = 0;
};

extern MainWindowLink* gMainWindow;

// ---- life cycle

// Replaces the show's contents by running `replace`, and tells its views.
void ReplaceShowContents(Show& show, const std::function<void()>& replace);

// The show length in frames at `framesPerSecond` hundredths of frames per
// second: ten minutes, rounded down to whole tens of frames.
inline int32_t TenMinuteShowLength(int32_t framesPerSecond) {
    return ((framesPerSecond * 60) / 100) * 10;
}

// Creates the show: reads the show-related settings, sets the program-wide
// frame rate from the settings and the length to ten minutes of frames.
std::unique_ptr<Show> CreateShow();
// Resets every stored field to the new show's values; keeps the clipboard,
// `current`, the stream data, the open background movie and the settings.
void ResetShow(Show& show);
// 0.75 (4:3) or 0.5625 (16:9); passed on to the renderer when there is one.
void SetFrameAspect(Show& show, float aspect);
// Releases the renderer, the background movie and the stream data.
void DestroyShow(Show& show);
