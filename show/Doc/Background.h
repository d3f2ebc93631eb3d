// The background source: a still picture or a movie behind the chart.
#pragma once

#include <cstdint>

#include "ShowRecord.h"

// Opens the show's `background`: an empty name gives a blank 8 x 8 picture,
// a name with ".avi" or ".mov" a background movie, any other a picture. The
// name stays in the show when it cannot be opened. False then.
bool SetBackground(Show& show, bool reportErrors);
// Brings `backgroundImage` to frame `frame` of the background movie, if any.
void BackgroundFrame(Show& show, int32_t frame);
