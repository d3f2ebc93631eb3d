// Shared set-up of the GUI tests: the Qt platform layer on the offscreen
// platform with private settings and runtime folders, and helpers that drive
// windows through the platform layer's queue.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "PlatformWindows.h"
#include "TestSupport.h"

class QWidget;
class QWindow;

// Each test gets fresh settings; the layer is started once per program.
class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    ScopedSettings settings_;
};

// The toolkit window of a program window, for injected input.
QWindow* HandleOf(PlatformWindow& window);
QWidget* WidgetOf(PlatformWindow& window);
// Makes the window show on the offscreen screen and be the active one.
void ShowAndActivate(PlatformWindow& window);
// Takes every pending message (PeekEvent and the non-input rest).
std::vector<PlatformEvent> TakeAll();
// Dispatches pending messages until none is left (like the main loop, but
// returning when idle).
void DispatchPending();
// Answers the next modal dialog: calls `act` with it once it is shown.
void WhenModal(std::function<void(QWidget*)> act);
// Counts pixels of a colour inside a rectangle of a port.
int CountPixels(PlatformPort port, const Rect& area, uint32_t colour);
// Counts pixels that differ from a colour inside a rectangle of a port.
int CountOtherPixels(PlatformPort port, const Rect& area, uint32_t colour);

class QPoint;
// A point of a window's client area in its top-level window's coordinates.
QPoint ClientToWindow(PlatformWindow& window, int x, int y);
// Presses and releases the left button at a client point of a window, then
// dispatches what the program queued.
void ClickAt(PlatformWindow& window, int x, int y);
// Types a path into an open file chooser and confirms it.
void AnswerFileDialog(QWidget* modal, const std::string& path);
