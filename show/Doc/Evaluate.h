// Keyframe evaluation: turns the timeline into the state of one frame.
#pragma once

#include <cstdint>

#include "ShowRecord.h"

// Clamps the frame to 0..lengthFrames, stores it as the current frame,
// evaluates `current`, the chart size, the shown set and (with animateData)
// the morphed and streamed values; copies `current` to the preview's live
// keyframe and, with `redraw`, asks the windows to redraw.
void Evaluate(Show& show, int32_t frame, bool redraw);

// Channel `channel` of `count` keys at `frame`: smooth (eased cubic or
// straight segments) or step.
float Interpolate(const KeyFrame* keys, int count, int channel, int32_t frame, bool smooth);
