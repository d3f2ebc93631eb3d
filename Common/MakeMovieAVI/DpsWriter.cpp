// The DPS writer: frames compressed by libMsMjpgEnc.so and stored by
// libDPSMaker5.so. Its failures show no message; the reason is kept.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include "BroadcastFormats.h"
#include "Companion.h"
#include "CompanionAbi.h"
#include "MakeMovieAVI.h"

namespace {

constexpr size_t kFrameBufferBytes = 1728000;
constexpr size_t kPictureBufferBytes = 1658880;

class DpsSink : public MovieSink {
public:
    ~DpsSink() override { Close(); }
    // 0 on success; the internal codes of the failing step otherwise.
    int Open(const SinkParameters& p, int bitsPerPixel);
    bool WriteFrame(int32_t index, const CDib& image) override;
    bool Close() override;

private:
    std::unique_ptr<uint8_t[]> frame_;
    std::unique_ptr<uint8_t[]> picture_;
    LibraryOwner encoderLibrary_;
    LibraryOwner makerLibrary_;
    MsMjpgEncoder* encoder_ = nullptr;
    DpsMaker* maker_ = nullptr;
    size_t frameBytes_ = 0;
};

int DpsSink::Open(const SinkParameters& p, int bitsPerPixel) {
    // The video standard of the frames (the writer dispatch has refused any
    // size and rate a DPS header cannot carry).
    const BroadcastFormat* format = FindBroadcastFormat(p.width, p.height, p.framesPerSecond);
    int lines = format && format->lines == 625 ? 625 : 525;
    int pixelFormat = bitsPerPixel == 24 ? kMjpgPixelsBgr24 : kMjpgPixelsBgra32;
    frameBytes_ = static_cast<size_t>(bitsPerPixel / 8) * 720 * (lines == 625 ? 576 : 486);
    frame_.reset(new (std::nothrow) uint8_t[kFrameBufferBytes]);
    if (!frame_) {
        return 9;
    }
    picture_.reset(new (std::nothrow) uint8_t[kPictureBufferBytes]);
    if (!picture_) {
        return 8;
    }
    encoderLibrary_ = LoadCompanion("libMsMjpgEnc.so");
    if (!encoderLibrary_) {
        return 7;
    }
    auto create = reinterpret_cast<CreateMsMjpgEncFunction>(CompanionEntry(encoderLibrary_, "CreateMsMjpgEnc"));
    if (!create) {
        encoderLibrary_.reset();
        return 6;
    }
    if (create(lines, pixelFormat, &encoder_) != 0) {
        encoder_ = nullptr;
        return 5;
    }
    makerLibrary_ = LoadCompanion("libDPSMaker5.so");
    if (!makerLibrary_) {
        return 4;
    }
    auto make = reinterpret_cast<CreateDpsMaker5Function>(CompanionEntry(makerLibrary_, "CreateDpsMaker5"));
    if (!make) {
        makerLibrary_.reset();
        return 3;
    }
    if (encoder_->ops->setQuality(encoder_, p.quality * 100) != 0) {
        return 2;
    }
    // A range rendered backwards announces a negative count: the maker is
    // told 0 (not known); the header's written count is set at the close.
    if (make(p.path.c_str(), lines, std::max(p.frameCount, 0), 4, &maker_) != 0) {
        maker_ = nullptr;
        return 1;
    }
    return 0;
}

bool DpsSink::WriteFrame(int32_t index, const CDib& image) {
    if (!maker_ || frameBytes_ > kFrameBufferBytes || image.PixelBytes() < frameBytes_) {
        error_ = "the frame does not fit the DPS movie";
        return false;
    }
    std::memcpy(frame_.get(), image.Pixels(), frameBytes_);
    MjpgEncodeInfo info{static_cast<uint32_t>(frameBytes_), static_cast<uint32_t>(kPictureBufferBytes)};
    if (encoder_->ops->compress(encoder_, frame_.get(), picture_.get(), &info) != 0) {
        error_ = "the Motion-JPEG encoder failed";
        return false;
    }
    errno = 0;
    if (maker_->ops->write(maker_, picture_.get(), info.byteCount) != 0) {
        error_ = WithReason("cannot write the frame", errno);
        return false;
    }
    return true;
}

bool DpsSink::Close() {
    frame_.reset();
    picture_.reset();
    bool ok = true;
    if (encoder_) {
        encoder_->ops->release(encoder_);
        encoder_ = nullptr;
    }
    encoderLibrary_.reset();
    if (maker_) {
        errno = 0;
        ok = maker_->ops->close(maker_) == 0;
        int reason = errno;
        maker_ = nullptr;
        if (!ok && error_.empty()) {
            error_ = WithReason("cannot finish the DPS file", reason);
        }
    }
    makerLibrary_.reset();
    return ok;
}

const char* DpsOpenFailure(int code) {
    switch (code) {
        case 9:
        case 8:
            return "out of memory";
        case 7:
            return "libMsMjpgEnc.so is not installed";
        case 6:
            return "libMsMjpgEnc.so has no CreateMsMjpgEnc";
        case 5:
            return "the Motion-JPEG encoder could not be made";
        case 4:
            return "libDPSMaker5.so is not installed";
        case 3:
            return "libDPSMaker5.so has no CreateDpsMaker5";
        case 2:
            return "the Motion-JPEG encoder refused the quality";
        default:
            return "the DPS file could not be created";
    }
}

}  // namespace

std::unique_ptr<MovieSink> OpenDpsSink(const SinkParameters& parameters, int bitsPerPixel, std::string& error) {
    auto sink = std::make_unique<DpsSink>();
    int code = sink->Open(parameters, bitsPerPixel);
    if (code != 0) {
        error = DpsOpenFailure(code);
        return nullptr;
    }
    return sink;
}
