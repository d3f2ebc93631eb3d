// The television rasters the program knows, in one table: picture size,
// rate, whether the format is interlaced and the shape of its picture; and
// the pixel shape of each raster (QuickTime pixel aspect and clean
// aperture, H.264 sample aspect). The writers take the pixel shape from it,
// Make Movie and tavrilo-render the default fields, frame shape and the
// sizes a DPS movie can hold. docs/movie-containers.md gives the sources.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MovieFfmpeg.h"

// Picture shapes as the program stores them: height / width.
constexpr double kAspect43 = 0.75;
constexpr double kAspect169 = 0.5625;

struct BroadcastFormat {
    int lines;  // the system's total lines: 525, 625, 750 or 1125
    int width;  // the stored picture
    int height;
    int32_t rate;     // hundredths of frames per second (kRateNtsc is 29.97)
    bool interlaced;  // two fields a frame, half a frame apart
    double aspect;    // the picture's shape by default (kAspect43, kAspect169)
};

// Every format, standard definition first.
const std::vector<BroadcastFormat>& BroadcastFormats();
// The exact rate a rate in hundredths stands for: 2997 is 30000/1001, 2397
// 24000/1001, 5994 60000/1001; others as they are (2500 is 25).
ExactRate BroadcastRate(int32_t hundredths);
// The format of this picture size at this movie rate (29.97 matches only
// 30000/1001), or null when it is none.
const BroadcastFormat* FindBroadcastFormat(int width, int height, double framesPerSecond);
// Whether a movie of this size and rate is an interlaced format: 480, 486
// and 576 lines and 1080 lines at 25 or 29.97. Film rates, 720 lines, 1080
// lines at 50 or 59.94 and sizes that are no broadcast raster are not.
bool IsInterlacedFormat(int width, int height, double framesPerSecond);
// Whether the picture with square pixels is 16:9 (1280 x 720, 1920 x 1080
// and every other size of that shape): its frame is 16:9 and cannot be 4:3.
bool IsSquarePixelWide(int width, int height);

// A fraction of two whole numbers (a pixel aspect, a size).
struct Ratio {
    int num = 0;
    int den = 1;
    bool operator==(const Ratio&) const = default;
};

// How the pixels of a picture of this size and shape are laid out.
struct PixelShape {
    Ratio quickTime;     // the QuickTime 'pasp' (horizontal : vertical spacing)
    Ratio coded;         // the sample aspect the H.264 stream codes (Table E-1)
    int h264Code = 0;    // its aspect_ratio_idc; 255: written out
    int cleanWidth = 0;  // the clean aperture ('clap'), centred
    int cleanHeight = 0;
    Ratio wholeFrame;       // the pixel aspect that gives the whole frame the
                            // picture's shape (AVI's vprp says 4:3, 16:9)
    bool standard = false;  // from the table of standard-definition rasters
};
// The pixel shape of a width x height picture shown `pictureAspect` (height /
// width) high. The standard-definition rasters (720 x 486, 480, 576 in 4:3
// and 16:9) take their values from the table; every other picture fills its
// frame (square pixels when the sizes' shape is the picture's), its clean
// aperture the whole picture. A shape of 0 means square pixels.
PixelShape PixelShapeFor(int width, int height, double pictureAspect);
