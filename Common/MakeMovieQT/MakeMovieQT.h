// QuickTime movies: the writer (one video track whose media time scale and
// sample duration are the movie's exact rate: 30000 and 1001 at 29.97, 2500
// and 100 at 25) through FFmpeg's QuickTime muxer. Reached through the
// writer dispatch of MakeMovieAVI; built on the shared layer of
// MovieFfmpeg.h only (which also reads QuickTime background movies).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "MovieFfmpeg.h"

// Checks that a QuickTime movie can be written at this rate (and that the
// muxer and the chosen compressor exist).
bool PrepareQuickTime(double framesPerSecond, const std::string& codec, std::string& error);
std::unique_ptr<MovieSink> OpenQuickTimeSink(const SinkParameters& parameters, std::string& error);
