// Checking the frames copied out of a segment against its file and its
// recorded digest.
#include "SegmentCheck.h"

#include <cstring>
#include <utility>

namespace {

// An AVI chunk header: four characters ("00dc" compressed video, "00db"
// uncompressed) and the data's size, little-endian (RIFF, as in the
// OpenDML AVI file format).
constexpr int kChunkHeaderBytes = 8;

uint32_t LittleEndianWord(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace

SegmentFrameCheck::SegmentFrameCheck(SegmentFacts facts) : facts_(std::move(facts)) {
    if (facts_.avi) {
        file_ = std::fopen(facts_.path.c_str(), "rb");
    }
    if (!facts_.digest.empty()) {
        digest_ = std::make_unique<FrameDigest>();
    }
}

SegmentFrameCheck::~SegmentFrameCheck() {
    if (file_) {
        std::fclose(file_);
    }
}

bool SegmentFrameCheck::Damaged(const std::string& what, std::string& message) const {
    message = facts_.path + " is damaged: " + what + "; " + facts_.renderAgain;
    return false;
}

bool SegmentFrameCheck::ChunkMatches(const AVPacket& packet) {
    uint8_t header[kChunkHeaderBytes] = {};
    if (!file_ || packet.pos < kChunkHeaderBytes ||
        fseeko(file_, static_cast<off_t>(packet.pos - kChunkHeaderBytes), SEEK_SET) != 0 ||
        std::fread(header, 1, sizeof(header), file_) != sizeof(header)) {
        return false;
    }
    bool video = std::memcmp(header + 2, "dc", 2) == 0 || std::memcmp(header + 2, "db", 2) == 0;
    return video && LittleEndianWord(header + 4) == static_cast<uint32_t>(packet.size);
}

bool SegmentFrameCheck::Take(const AVPacket& packet, std::string& message) {
    const std::string frame = "frame " + std::to_string(taken_);
    ++taken_;
    if (taken_ > facts_.frames) {
        return Damaged("it holds more frames than its share", message);
    }
    if (packet.flags & AV_PKT_FLAG_CORRUPT) {
        return Damaged(frame + " is marked damaged", message);
    }
    if (packet.pos < 0 || packet.size < 0 || packet.pos + packet.size > facts_.fileBytes) {
        return Damaged(frame + " is not within the file", message);
    }
    if (facts_.avi && !ChunkMatches(packet)) {
        return Damaged(frame + " is not the chunk the file's index names", message);
    }
    if (digest_ && packet.size > 0) {
        digest_->Add(packet.data, static_cast<size_t>(packet.size));
    }
    return true;
}

bool SegmentFrameCheck::Finish(std::string& message) {
    if (taken_ != facts_.frames) {
        return Damaged("it holds " + std::to_string(taken_) + " of its " + std::to_string(facts_.frames) + " frames",
                       message);
    }
    if (!digest_) {
        return true;
    }
    if (digest_->Finish() != facts_.digest) {
        return Damaged("its frames are not the ones its render wrote", message);
    }
    return true;
}
