// QuickTime movies: the writer (one video track, media time scale
// trunc(100 x frames per second), every sample 100 long) through FFmpeg's
// QuickTime muxer, and the reader of QuickTime background movies. Reached
// through MovieWriter and the background movie functions of MakeMovieAVI.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "MakeMovieAVI.h"

// The media time scale of a movie at `framesPerSecond`.
int32_t QuickTimeTimeScale(double framesPerSecond);
constexpr int32_t kQuickTimeSampleDuration = 100;

// Checks that a QuickTime movie can be written at this rate (and that the
// muxer and the chosen compressor exist).
bool PrepareQuickTime(double framesPerSecond, const std::string& codec, std::string& error);
std::unique_ptr<MovieSink> OpenQuickTimeSink(const SinkParameters& parameters, std::string& error);

// Opens a QuickTime movie as a background and decodes its first frame.
BackgroundMovie* OpenQuickTimeReader(const char* path, CDib& image);
