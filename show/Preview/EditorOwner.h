// What the timeline and the property tabs ask of the window that owns them
// (the main window): besides the preview's needs, the frame read-out and the
// Edit menu.
#pragma once

#include <cstdint>

#include "PreviewWindow.h"

class EditorOwner : public PreviewOwner {
public:
    // Shows a frame in the tool strip's frame read-out.
    virtual void DrawFrameCounter(int32_t frame) = 0;
    // Greys or enables the Edit menu's items for the key selection, the
    // keyframe clipboard and the undo history.
    virtual void UpdateEditMenu() = 0;
};
