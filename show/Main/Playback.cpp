// Real-time playback: a loop inside the command that started it. Each step
// evaluates and shows the frame the clock asks for, so slow drawing drops
// frames instead of slowing the show; any key or a transport click ends it.
#include <algorithm>

#include "Doc.h"
#include "MainWindow.h"
#include "Utilities.h"

void MainWindow::SetDirection(int32_t direction) {
    playback.direction = direction;
    {
        PortScope scope(*this);
        buttons[kButtonStop].SetState(ToolButton::kNormal);
        buttons[kButtonForward].SetState(ToolButton::kNormal);
        buttons[kButtonReverse].SetState(ToolButton::kNormal);
        if (direction == 1) {
            buttons[kButtonForward].SetState(ToolButton::kLit);
        } else if (direction == -1) {
            buttons[kButtonReverse].SetState(ToolButton::kLit);
        }
    }
    if (direction == 0 || !gShow) {
        return;
    }
    Show& show = *gShow;
    const int lastKey = std::clamp(show.keyCount, 1, kMaxKeys) - 1;
    playback.endFrame = std::min(show.lengthFrames, show.keys[lastKey].frame);
    if (gCurrentFrame >= playback.endFrame) {
        gCurrentFrame = 0;
    }
    playback.startFrame = gCurrentFrame;
    playback.startCounter = HighResolutionCounter();
    playback.ticksPerFrame = std::max<int64_t>(1, HighResolutionFrequency() * 100 / std::max(1, show.frameRate));
    playback.stepsDrawn = 0;
    playback.framesShown = 0;
    RunPlayback();
    ShowFrame(show, gCurrentFrame);
}

void MainWindow::RunPlayback() {
    int32_t lastShown = -1;
    while (playback.direction != 0) {
        const int32_t before = gCurrentFrame;
        Step();
        ++playback.stepsDrawn;
        if (before != lastShown) {
            ++playback.framesShown;
            lastShown = before;
        }
        if (timeline_) {
            timeline_->Redraw();
        }
        DrawFrameCounter(gCurrentFrame);
        PlatformEvent event;
        if (!PeekEvent(event)) {
            continue;
        }
        if (event.message == kMsgKeyDown && !IsRepeatedKey(event)) {
            break;
        }
        if (event.message == kMsgLeftUp && event.window == this) {
            const int32_t x = PointParamX(event.lParam);
            const int32_t y = PointParamY(event.lParam);
            if (buttons[kButtonReverse].HitTest(x, y, -1) || buttons[kButtonStop].HitTest(x, y, -1) ||
                buttons[kButtonForward].HitTest(x, y, -1)) {
                break;
            }
        }
    }
    SetDirection(0);
}

void MainWindow::Step() {
    if (!gShow) {
        playback.direction = 0;
        return;
    }
    const int32_t frame = gCurrentFrame;
    if (frame < 0 || playback.endFrame < frame) {
        SetDirection(0);
    }
    Evaluate(*gShow, frame);
    PaintPreview();
    const int64_t elapsed = (HighResolutionCounter() - playback.startCounter) / playback.ticksPerFrame;
    if (playback.direction != 0) {
        gCurrentFrame = static_cast<int32_t>(elapsed * playback.direction + playback.startFrame);
    }
}
