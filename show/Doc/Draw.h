// Drawing the show: the chart steps of one frame (walls, grid lines, data,
// value and category axes, title) and the frame itself with camera, light,
// background and anti-aliasing, through the show's GLRenderer. Called by the
// preview, Make Movie, the movie writer and tavrilo-render.
#pragma once

#include <cstdint>
#include <string>

#include "CDib.h"
#include "OpenGL.h"
#include "ShowRecord.h"

// ---------------------------------------------------------------- renderer

// Gives the show a renderer bound to an off-screen picture of the given size
// when it has none. False when GL is not available (the caller shows
// "OpenGL is not installed!").
bool EnsureShowRenderer(Show& show, int width, int height);
// Binds the show's renderer (created when it has none) to a target such as
// the preview window: frames render at its size and Present with swap hands
// them to it. False when GL is not available.
bool AttachShowRenderer(Show& show, const GLTarget& target);

// ---------------------------------------------------------------- frame

// Draws the current frame (after evaluation) with the anti-aliasing level;
// fast draws one pass without background; swap presents the picture. The
// light is placed through the chart placement of the frame before `frame`
// (the current frame when not given; a half frame for a field), so a frame
// looks the same whichever frame was drawn before it.
void RenderFrame(Show& show, int antiAliasing, bool fast, bool swap);
void RenderFrame(Show& show, int antiAliasing, bool fast, bool swap, double frame);
// Evaluates the show at the frame and, when it has a renderer, draws it with
// the show's anti-aliasing and reads it back into `destination` if given.
void RenderFrameAt(Show& show, int32_t frame, CDib* destination);
// Renders frame `frame` at width x height with the anti-aliasing level into
// a bottom-up 24-bit picture, creating the renderer when needed and leaving
// the viewport at that size. An `out` of 32 bits asks for the chart over a
// transparent background: it stays 32 bits with the coverage as alpha. False
// when GL is not available.
bool RenderShowFrame(Show& show, int32_t frame, int width, int height, int antiAliasing, CDib& out);

// Passes and sub-pixel offsets of an anti-aliasing level.
struct JitterTable {
    int passes = 1;
    const double* x = nullptr;
    const double* y = nullptr;
};
JitterTable JitterFor(int antiAliasing);

// ---------------------------------------------------------------- chart steps

// What the data step derives from the show: n values per set, which rows
// hold data and the range of sets drawn.
struct DataLayout {
    int count = 0;  // n
    bool hasData[4] = {};
    int setsWithData = 0;  // g
    int first = 0;
    int end = 0;
};
DataLayout ComputeDataLayout(const Show& show);
// Where each pie slice ends, in degrees clockwise from the top: each source
// value above dataMin takes its share of the turn, a value at or below it
// (or one that is not a finite number) takes none, and the last slice with
// a share ends at exactly 360, so no angle leaves the one turn and a slice
// without a share ends where the one before it ends. False, with nothing to
// draw, when no value has a share.
bool PieSliceEnds(const Show& show, const DataLayout& layout, float ends[32]);

void DrawWalls(Show& show);
void DrawGrid(Show& show);
void DrawData(Show& show);
void DrawValueAxis(Show& show);
void DrawCategoryAxis(Show& show);
void DrawTitle(Show& show);

// A value as text: rounded to `decimalPlaces` (halves up; 0 truncates),
// trailing zeros and point removed, with prefix and suffix when given.
std::string FormatValue(float value, int decimalPlaces, const char* prefix, const char* suffix);
