// The QuickTime background reader: the QuickTime demuxer behind the common
// movie reader.
#include "MakeMovieQT.h"

BackgroundMovie* OpenQuickTimeReader(const char* path, CDib& image) {
    return OpenMovieReader(path, "mov", image);
}
