// The check of every frame the join copies from a segment: the frame lies
// within the file, an AVI frame is the chunk the index names, the segment
// holds as many frames as its share, and the frames are the very bytes its
// writer recorded the digest of. The join (MovieJoin.cpp) uses it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "FfmpegOwners.h"
#include "FrameDigest.h"

struct SegmentFacts {
    std::string path;
    int64_t fileBytes = 0;
    bool avi = false;         // frames are RIFF chunks ("00dc" + size)
    std::string digest;       // 32 hex digits recorded by the writer; empty: none
    int64_t frames = 0;       // the frames its share holds
    std::string renderAgain;  // "render part 1/4 again"
};

class SegmentFrameCheck {
public:
    explicit SegmentFrameCheck(SegmentFacts facts);
    ~SegmentFrameCheck();
    SegmentFrameCheck(const SegmentFrameCheck&) = delete;
    SegmentFrameCheck& operator=(const SegmentFrameCheck&) = delete;

    // Checks the next video packet read from the segment; false with a
    // message naming the segment and the frame.
    bool Take(const AVPacket& packet, std::string& message);
    // After the last packet: the count and the digest; false with a message.
    bool Finish(std::string& message);

private:
    bool Damaged(const std::string& what, std::string& message) const;
    bool ChunkMatches(const AVPacket& packet);

    SegmentFacts facts_;
    FILE* file_ = nullptr;                 // AVI: read for the chunk headers
    std::unique_ptr<FrameDigest> digest_;  // when the writer recorded one
    int64_t taken_ = 0;
};
