// The boxes of a finished QuickTime movie that FFmpeg's muxer does not
// write: the video track's clean aperture ('clap', with the track's clean
// dimensions in 'tapt' to match), its graphics mode ('vmhd') and, for the
// codecs it leaves without one (H.264, DNxHR), its field flags ('fiel'). The
// QuickTime writer sets them when a movie is closed, the join copies them
// from the first segment. The boxes are read and written through a bounded
// walker: sizes are checked against their parents before anything is used.
#pragma once

#include <cstdint>
#include <string>

// QuickTime File Format, 'vmhd' graphics modes.
constexpr uint16_t kGraphicsModeCopy = 0x0000;
constexpr uint16_t kGraphicsModeStraightAlpha = 0x0100;

// QuickTime 'fiel' details of frames of two interleaved fields (Apple
// TN2162): the upper field first in time, or the lower.
constexpr int kFielUpperFirst = 9;
constexpr int kFielLowerFirst = 14;

struct QuickTimeVideoBoxes {
    // The clean aperture, centred on the picture; 0: none (nothing written).
    int cleanWidth = 0;
    int cleanHeight = 0;
    uint16_t graphicsMode = kGraphicsModeCopy;
    // 'fiel': fields a frame (1 or 2) and the detail; 0: nothing written.
    int fielFields = 0;
    int fielDetail = 0;
};

// What the first video track of a QuickTime file says. False with the
// reason when the file is no QuickTime movie with a video track; a track
// without 'clap' reads as a clean aperture of 0.
bool ReadQuickTimeVideoBoxes(const std::string& path, QuickTimeVideoBoxes& boxes, std::string& error);

// Writes the clean aperture and the field flags (replacing the 'clap' and
// 'fiel' there are, or adding them before the 'pasp'), the track's clean
// dimensions (the aperture at the pixel aspect) and the graphics mode into
// the first video track of a
// finished movie whose movie box ('moov') is the file's last box, so that
// the media data does not move; a movie without a video track (no frames)
// is left as it is. False with the reason when the file is not such a movie
// or cannot be written; the file may then be damaged, so it is called on a
// temporary file.
bool WriteQuickTimeVideoBoxes(const std::string& path, const QuickTimeVideoBoxes& boxes, std::string& error);
