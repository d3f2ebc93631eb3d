// Reading movie frames by number through FFmpeg, for background movies.
#pragma once

#include "MakeMovieAVI.h"

// Opens `path` with the named demuxer (null: probe the file) and decodes the
// first frame into `image`; null on failure.
BackgroundMovie* OpenMovieReader(const char* path, const char* demuxer, CDib& image);
