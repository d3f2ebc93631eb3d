// Movie frames from the chart renderer: whole frames, and the half frames
// of the later field when fields are rendered.
#pragma once

#include <cstdint>

#include "CDib.h"
#include "ShowRecord.h"

// Evaluates the show at a fractional frame: the animated channels, the
// chart size and (with animated data) the values are taken on the straight
// line between the whole frames around it; the shown set and the easing
// come from the earlier one. Whole frames evaluate as usual.
void EvaluateBetween(Show& show, double frame);
// Renders frame `frame` (whole or not) at width x height with the
// anti-aliasing level into a 24-bit bottom-up picture (32 bits with the
// chart's coverage as alpha when `out` is 32 bits). False when GL is not
// available.
bool RenderMovieFrame(Show& show, double frame, int width, int height, int antiAliasing, CDib& out);
