// Keyframe evaluation: turns the timeline into the state of one frame.
#pragma once

#include <cstdint>

#include "ShowRecord.h"

// Clamps the frame to 0..lengthFrames, stores it as the current frame,
// evaluates `current`, the chart size, the shown set and (with animateData)
// the morphed and streamed values. Tells no window: ShowFrame does.
void Evaluate(Show& show, int32_t frame);
// Evaluates `frame` and tells the show's views, if any, to show it.
void ShowFrame(Show& show, int32_t frame);

// Channel `channel` of `count` keys at `frame`: smooth (eased cubic or
// straight segments) or step.
float Interpolate(const KeyFrame* keys, int count, int channel, int32_t frame, bool smooth);
