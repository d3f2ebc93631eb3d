// The common procedure of the windows the main window holds (the preview,
// the property tabs, the timeline): each is placed again when it or its
// parent moves or is sized, paints itself, ends the program when closed,
// and hands the keys it does not keep to its parent (the main window
// handles the keyboard). Everything else is the window's own.
#pragma once

#include "PlatformEvents.h"

class ChildWindow : public PlatformWindow {
public:
    intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) final;

    // The main window; keys go to it.
    PlatformWindow* parent = nullptr;

protected:
    // Places the window for a move (false) or a size (true) message.
    virtual void Place(bool sized) = 0;
    // Whether the window keeps a key-down or character message itself.
    virtual bool KeepKey(uint32_t message, uintptr_t wParam) { return false; }
    // The messages besides those above: 1 handled, 0 for the default.
    virtual intptr_t OwnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) { return 0; }
};
