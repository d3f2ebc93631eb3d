// The dialogs of Make Movie File: the eleven option rows and, for AVI and
// QuickTime movies, the choice of compressor.
#pragma once

#include "MakeMovie.h"
#include "PlatformWindows.h"

// Shows the option rows titled "Make Movie Options" at 50, 50 in the window
// and takes back what the user confirmed; false when cancelled. The "Alpha
// channel" row is offered when the compressor last chosen (CodecType) for
// the movie kind last made (MovieType) keeps alpha, and greyed and clear
// otherwise.
bool AskMovieOptions(PlatformWindow& window, MovieOptionTexts& rows);
// Whether the compressor last chosen keeps an alpha channel.
bool MovieAlphaOffered();

// "Video Compression": the compressors the container can write, opening on
// the one stored as CodecType, and the quality slider (0..100 in
// `quality`). On OK stores the choice as CodecType; false when cancelled.
bool AskVideoCompression(PlatformWindow& window, MovieContainer container, std::string& quality);

// AVI and QuickTime movies (by the path's extension) ask for their
// compressor; true when it was chosen or the movie kind has none to choose.
bool AskCompressorFor(PlatformWindow& window, const char* path, std::string& quality);
