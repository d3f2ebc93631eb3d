// The timeline: the long, low window under the preview with the timecode
// ruler, the key track with one mark per keyframe, " HOLD " segments and the
// current-frame cursor. Scrubbing moves time with live preview; keys are
// dragged along time and their options set with the right button. Created
// and owned by the main window, which has it follow the current frame.
#pragma once

#include <cstdint>
#include <string>

#include "ChildWindow.h"
#include "PlatformWindows.h"
#include "ShowRecord.h"

// What the timeline asks of the window that owns it (the main window).
class TimelineOwner {
public:
    virtual ~TimelineOwner() = default;
    // Redraws the position, size and rotation read-outs.
    virtual void DrawToolStrip(const KeyFrame& placement) = 0;
    // Sends CancelDrag to the other editor windows.
    virtual void CancelOtherDrags(PlatformWindow* from) = 0;
    // Shows a frame in the tool strip's frame read-out.
    virtual void DrawFrameCounter(int32_t frame) = 0;
    // Greys or enables the Edit menu's items for the key selection, the
    // keyframe clipboard and the undo history.
    virtual void UpdateEditMenu() = 0;
    // Draws the chart again (the scrubbed frame).
    virtual void RepaintPreview() = 0;
};

// Time scale and coordinates: s frames per 60 pixels, content x (window x
// plus the scroll position) of frame f is f * 60 / s + 4.
constexpr int32_t kPixelsPerDivision = 60;
constexpr int32_t kTimelineLeft = 4;
constexpr int32_t kMaxExtent = 32700;
// The key track's band (client y) and the marks in it.
constexpr int32_t kTrackTop = 14;
constexpr int32_t kTrackBottom = 30;
constexpr int32_t kMarkTop = 16;
constexpr int32_t kMarkSize = 12;
constexpr int kNoKey = -1;

int32_t FrameX(int32_t frame, int32_t scale);
int32_t FrameAtX(int32_t contentX, int32_t scale);
// The scale for a show length: the configured one when positive, else 5,
// 10 or whole frames per second by length.
int32_t ChooseTimeScale(int32_t lengthFrames, int32_t configured, int32_t frameRate);
int32_t TimelineExtent(int32_t lengthFrames, int32_t scale);
// Whether two keys hold the same place, size, rotation and data set.
bool KeysHold(const KeyFrame& a, const KeyFrame& b);
// The first key within 7 frames of the content point on the key track.
int HitKey(const Show& show, int32_t contentX, int32_t y, int32_t scale);
// A dragged key dropped before this frame is removed.
int32_t DropDeleteFrame(int32_t scale);

class TimelineWindow : public ChildWindow {
public:
    TimelineWindow() = default;
    ~TimelineWindow() override;

    // Creates the window under the preview.
    bool Create(PlatformWindow& parentWindow, TimelineOwner* editorOwner, PlatformWindow* previewWindow);
    void Destroy();

    void Paint() override;
    // Scrolls to the current frame and repaints.
    void Redraw() { FollowCurrentFrame(); }

    void FollowCurrentFrame();
    // Chooses the extent (and, when none is configured, the scale) for a
    // show length and lays the window out.
    void SetLength(int32_t lengthFrames);
    void Layout();

    TimelineOwner* owner = nullptr;
    PlatformWindow* preview = nullptr;
    int32_t timeScale = 30;
    int32_t configuredScale = 0;
    int32_t draggedKey = kNoKey;
    int32_t extent = 0;
    uint8_t scrubbing = 0;
    int32_t shownLength = -1;  // the show length the extent was made for

protected:
    // ChildWindow: placed under the preview on a move or a size.
    void Place(bool sized) override { Layout(); }
    intptr_t OwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

private:
    static constexpr int32_t kNoRing = -9999;
    int32_t lastRingX_ = kNoRing;  // the x of the drag ring last drawn (client coordinates)
    int32_t ContentX(int32_t x) const;
    void MouseMove(int32_t x, int32_t y);
    void LeftDown(int32_t x, int32_t y);
    void LeftUp(int32_t x, int32_t y);
    void RightUp(int32_t x, int32_t y);
    void DragFeedback(int32_t x);
    void DropKey(int32_t frame);
};

// ---- drawing (TimelineDraw.cpp), in content coordinates shifted by `scroll`

struct TimelineView {
    int32_t scroll = 0;
    int32_t clientRight = 0;
    int32_t bottom = 0;
    int32_t extent = 0;
    int32_t scale = 30;
    int32_t frameRate = kRateNtsc;  // of the ruler's timecodes
};
void DrawRuler(const TimelineView& view);
// Draws the track, the cursor and the marks; the selected key or kNoKey.
int DrawKeys(const TimelineView& view, const Show& show, int32_t currentFrame);

// ---- Set KeyFrame Options (KeyOptions.cpp)

constexpr int kKeyOptionItems = 11;
// Fills the dialog's labels and values from a key.
void KeyOptionItems(const KeyFrame& key, char labels[][64], char values[][64]);
// Reads the confirmed values back into the key.
void ReadKeyOptions(const char values[][64], KeyFrame& key);
// The dialog's title: which key it edits, by number (the first is 1) and
// timecode: "Set KeyFrame Options - Key 3 at 00:00:02:00".
std::string KeyOptionsTitle(int keyIndex, int32_t frame, int32_t frameRate);
// Runs the dialog for key `keyIndex` over the preview; true when confirmed
// (key edited).
bool RunKeyOptions(PlatformWindow* preview, int32_t x, int32_t y, int keyIndex, KeyFrame& key);
