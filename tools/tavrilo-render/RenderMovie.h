// tavrilo-render's movie output: -o OUT.avi|.mov|.dps|.rtv renders the show
// with Make Movie's render loop and writers. Options not given come from the
// Movie... settings, which the command line never writes.
#pragma once

#include <functional>
#include <string>

#include "MakeMovie.h"
#include "Options.h"
#include "ShowRecord.h"
#include "StepResult.h"

// Renders show frame `frame` (a half frame for the second field) at the
// movie's size and anti-aliasing level into `image`.
using MovieFrameSource = std::function<bool(Show& show, double frame, int antiAliasing, CDib& image)>;

// The movie job for the options: size, range, holds, rate, quality, codec,
// fields and reverse from the command line, the rest from the settings.
// False with a message in `error` when the options cannot make a movie.
bool MovieJobFromOptions(const Show& show, const RenderOptions& options, MovieJob& job, std::string& error);

// Renders the movie (or with --part K/N its K-th share into OUT.partK.mov)
// with a frame source. The result's status: 0 made, 1 failed, 130 cancelled
// by Ctrl+C, 143 stopped by SIGTERM (the frames so far are in a properly
// closed file).
StepResult RenderMovieWith(Show& show, const RenderOptions& options, const MovieFrameSource& source);
// Renders the movie with the chart renderer.
StepResult RenderMovieCommand(Show& show, const RenderOptions& options);
