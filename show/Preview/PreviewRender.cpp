// The chart in the preview: the show's renderer draws the current frame
// off-screen at the window's client size, and presenting copies the picture
// into the window's port.
#include <algorithm>

#include "Draw.h"
#include "Evaluate.h"
#include "PreviewWindow.h"

namespace {

constexpr int kCheckWidth = 320;
constexpr int kCheckHeight = 240;

}  // namespace

GLTarget PreviewWindow::Target() {
    const Rect client = GetClientRect(*this);
    GLTarget target;
    target.width = std::max(1, client.right);
    target.height = std::max(1, client.bottom);
    target.present = [this](const CDib& picture) {
        if (native) {
            PortScope scope(*this);
            DrawImage(picture, 0, 0);
        }
    };
    return target;
}

void PreviewWindow::BindRenderer() {
    glAvailable = gShow && AttachShowRenderer(*gShow, Target());
    if (!glAvailable) {
        ShowMessage(GLUnavailableMessage().c_str(), kNoNumber);
        PostQuit(0);
        return;
    }
    ClearBuffers(*gShow->renderer, true);
}

void PreviewWindow::UnbindRenderer() {
    if (gShow && gShow->renderer) {
        Attach(*gShow->renderer, nullptr);
    }
    glAvailable = false;
}

void PreviewWindow::ResizeRenderer() {
    if (!glAvailable || !gShow || !gShow->renderer) {
        return;
    }
    const Rect client = GetClientRect(*this);
    SetProjection(*gShow->renderer, std::max(1, client.right), std::max(1, client.bottom), 0.0, 0.0);
}

void PreviewWindow::RenderChart() {
    if (!glAvailable || !gShow || !gShow->renderer) {
        FillRect(0x000000, GetClientRect(*this));
        return;
    }
    if (drawFast) {
        RenderFrame(*gShow, 0, true, true);
    } else {
        RenderFrame(*gShow, gShow->antiAliasing, false, true);
    }
}

void PreviewWindow::OffscreenCheck() {
    if (!glAvailable || !gShow || !gShow->renderer) {
        return;
    }
    CDib image(kCheckWidth, kCheckHeight, 24);
    if (AttachBitmap(*gShow->renderer, kCheckWidth, kCheckHeight, 24, image)) {
        RenderFrameAt(*gShow, gCurrentFrame, &image);
        AttachBitmap(*gShow->renderer, -1, 0, 0, image);
        PortScope scope(*this);
        DrawImage(image, 0, 0);
    }
    BindRenderer();
    ResizeRenderer();
}
