// The container's own boxes of a written movie, read independently of the
// program's writer: the QuickTime video track's sample description
// extensions, graphics mode and aperture, the timecode track's flags, and an
// AVI's stream header and video properties.
#pragma once

#include <cstdint>
#include <string>

struct QuickTimeBoxFacts {
    bool readable = false;   // a QuickTime file with a video track
    std::string sampleType;  // the video sample description's type ("apch")
    int fielFields = 0;      // 'fiel': fields, 0 when there is none
    int fielDetail = -1;     //         detail
    std::string colrType;    // 'colr': "nclc", empty when there is none
    int colrPrimaries = -1;
    int colrTransfer = -1;
    int colrMatrix = -1;
    int paspH = 0;  // 'pasp', 0 when there is none
    int paspV = 0;
    double clapWidth = 0.0;  // 'clap', 0 when there is none
    double clapHeight = 0.0;
    double clapHorizOff = 0.0;
    double clapVertOff = 0.0;
    int graphicsMode = -1;           // 'vmhd'
    double cleanDisplayWidth = 0.0;  // 'tapt' 'clef', 0 when there is none
    double cleanDisplayHeight = 0.0;
    uint32_t mediaTimeScale = 0;  // the video track's 'mdhd'
    uint32_t movieTimeScale = 0;  // 'mvhd'
    uint32_t movieDuration = 0;
    bool timecodeTrack = false;  // a 'tmcd' sample description
    uint32_t timecodeFlags = 0;  // bit 0: drop-frame
    uint32_t timecodeTimeScale = 0;
    uint32_t timecodeFrameDuration = 0;
    int timecodeFrames = 0;  // frames of a timecode second
};
QuickTimeBoxFacts ReadQuickTimeBoxes(const std::string& path);

struct AviBoxFacts {
    bool readable = false;
    uint32_t scale = 0;  // the video stream header
    uint32_t rate = 0;
    bool videoProperties = false;  // 'vprp'
    uint32_t frameAspect = 0;      // x << 16 | y
    uint32_t fieldsPerFrame = 0;
    uint32_t firstFieldStartLine = 0;  // the field first in time: line 0 upper, 1 lower
};
AviBoxFacts ReadAviBoxes(const std::string& path);
