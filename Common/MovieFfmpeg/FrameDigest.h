// The MD5 of a movie's coded frames, in the order they are read back, as 32
// lower-case hex digits. A render records it in a segment's tag; the join
// computes it again over the frames it copies and refuses a segment whose
// frames differ.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

extern "C" {
#include <libavutil/md5.h>
}

class FrameDigest {
public:
    FrameDigest();
    // False when the digest could not be set up (no memory).
    bool Ready() const { return md5_ != nullptr; }
    void Add(const uint8_t* bytes, size_t count);
    // The digest of everything added; ends the digest.
    std::string Finish();

private:
    struct Md5Free {
        void operator()(AVMD5* context) const;
    };
    std::unique_ptr<AVMD5, Md5Free> md5_;
};
