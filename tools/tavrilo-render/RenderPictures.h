// Rendering a show to still pictures from the command line: one frame
// (--frame N) or a numbered sequence (NAME####.png from --start to --end),
// as PNG, BMP or Targa; and the render speed measurement (--bench).
#pragma once

#include <string>

#include "CDib.h"
#include "Options.h"
#include "ShowRecord.h"
#include "StepResult.h"

// Checks the picture options against the show without rendering or
// writing anything; false with a one-line message in `error`.
bool CheckPictureOptions(const Show& show, const RenderOptions& options, std::string& error);
// Renders the pictures the options ask for.
StepResult RenderPicturesCommand(Show& show, const RenderOptions& options);
// Renders the show repeatedly at each anti-aliasing level 0, 25, 50 and 75
// and prints the frames per second (render and read-back, no encoding).
StepResult RenderBenchCommand(Show& show, const RenderOptions& options);

// Writes a 24-bit bottom-up picture as an 8-bit RGB PNG (a 32-bit one as
// RGBA, its alpha kept); the file is replaced only when the whole picture
// was written. False on failure.
bool WritePng(const CDib& picture, const std::string& path);
// The name of frame `frame` in a sequence: the first run of "#" replaced by
// the zero-padded frame number.
std::string SequenceName(const std::string& pattern, int32_t frame);
