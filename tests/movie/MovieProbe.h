// Reading written movies back with FFmpeg's libraries, independently of the
// program's own reader: stream facts and every decoded frame as top-down
// BGR rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CDib.h"

struct MovieFacts {
    bool opened = false;
    std::string codecName;  // decoder name, e.g. "prores"
    std::string profile;    // the stream's profile as FFmpeg names it ("HQ", "High"), empty when none
    uint32_t codecTag = 0;
    int width = 0;
    int height = 0;
    int timeBaseNum = 0;  // the stream's time base
    int timeBaseDen = 0;
    int rateNum = 0;  // frames per second as a fraction
    int rateDen = 0;
    int fieldOrder = 0;         // AVFieldOrder
    int64_t firstDuration = 0;  // the first packet's duration, in the time base
    int packets = 0;
    std::vector<std::vector<uint8_t>> frames;  // decoded, BGR24 top-down, width x 3 per row
    std::vector<bool> interlaced;              // per decoded frame
    // The colour tags as the stream reports them (AVColorPrimaries ...).
    int colourPrimaries = 0;
    int colourTransfer = 0;
    int colourMatrix = 0;
    int colourRange = 0;
    std::string timecode;  // the first frame's timecode, empty without one
    // Per decoded frame with alpha: the alpha plane, width x height, top-down.
    std::vector<std::vector<uint8_t>> alphas;
    int firstLuma = -1;  // luma of the first frame's centre (8-bit YUV only)
    // The sample aspect the first decoded frame carries in its own stream
    // (H.264's VUI), 0:1 when none.
    int codedSarNum = 0;
    int codedSarDen = 1;
};

// Opens `path`, counts its packets and, with `decode`, decodes every frame.
MovieFacts ProbeMovie(const std::string& path, bool decode);
std::string FourCC(uint32_t tag);

// A synthetic 24-bit frame: a gradient that depends on `time`, so that
// every frame (and half frame) differs, with a marker square.
void FillSyntheticFrame(CDib& image, double time);
// The picture's rows top-down, BGR, without padding (as ProbeMovie gives).
std::vector<uint8_t> TopDownBgr(const CDib& image);
// Largest difference of any byte; 255 when sizes differ.
int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);
