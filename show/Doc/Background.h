// The background source: a still picture or a movie behind the chart.
#pragma once

#include <cstdint>

#include "ShowRecord.h"

// Opens a background for the show: an empty name gives a blank 8 x 8 picture
// (no background); a name with ".avi" or ".mov" opens a background movie;
// any other name loads a picture. On success the file becomes the show's
// `background`; a failure names the file and why, and the show keeps the
// background (name and picture) it had. Shows nothing itself.
Result SetBackground(Show& show, const FileSpec& file);
// Brings the background to frame `frame`: reads that movie frame for a movie
// background; a still picture is always there. False when no picture is
// available for this frame.
bool BackgroundFrame(Show& show, int32_t frame);
// Releases the background movie, if any.
void CloseBackgroundMovie(Show& show);
// Whether a file name names a movie (".avi" or ".mov", exact lower case).
bool IsMovieName(const char* name);
