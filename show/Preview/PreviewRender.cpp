// The chart in the preview. The show's renderer draws the current frame
// off-screen at the window's size and presents it into the window's port.
// Until a renderer is built into the program the chart area stays black.
#include "PreviewWindow.h"

void PreviewWindow::BindRenderer() {
    glAvailable = false;
}

void PreviewWindow::UnbindRenderer() {}

void PreviewWindow::ResizeRenderer() {}

void PreviewWindow::RenderChart() {
    FillRect(0x000000, GetClientRect(*this));
}
