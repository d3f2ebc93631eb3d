// The dialogs of Make Movie File: the nine option rows and, for AVI and
// QuickTime movies, the choice of compressor.
#pragma once

#include "MakeMovie.h"
#include "PlatformWindows.h"

// Shows the option rows titled "Make Movie Options" at 50, 50 in the window
// and takes back what the user confirmed; false when cancelled.
bool AskMovieOptions(PlatformWindow& window, MovieOptionTexts& rows);

// "Video Compression": the compressors the container can write, opening on
// the one stored as CodecType, and the quality slider (0..100 in
// `quality`). On OK stores the choice as CodecType; false when cancelled.
bool AskVideoCompression(PlatformWindow& window, MovieContainer container, std::string& quality);
