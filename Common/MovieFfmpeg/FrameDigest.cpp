#include "FrameDigest.h"

extern "C" {
#include <libavutil/mem.h>
}

namespace {

constexpr int kMd5Bytes = 16;

std::string HexText(const uint8_t* bytes, size_t count) {
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        text += kHex[bytes[i] >> 4];
        text += kHex[bytes[i] & 15];
    }
    return text;
}

}  // namespace

void FrameDigest::Md5Free::operator()(AVMD5* context) const {
    av_free(context);
}

FrameDigest::FrameDigest() : md5_(av_md5_alloc()) {
    if (md5_) {
        av_md5_init(md5_.get());
    }
}

void FrameDigest::Add(const uint8_t* bytes, size_t count) {
    if (md5_ && count > 0) {
        av_md5_update(md5_.get(), bytes, count);
    }
}

std::string FrameDigest::Finish() {
    if (!md5_) {
        return {};
    }
    uint8_t sum[kMd5Bytes] = {};
    av_md5_final(md5_.get(), sum);
    md5_.reset();
    return HexText(sum, sizeof(sum));
}
