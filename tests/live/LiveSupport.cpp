#include "LiveSupport.h"

#include <gtest/gtest.h>

#include <cstring>

LiveShow::LiveShow() : show_(CreateShow()) {
    MakeDemoShow(*show_);
    show_->antiAliasing = 0;
    gShow = show_.get();
    Evaluate(*show_, 0);
}

LiveShow::~LiveShow() {
    DestroyShow(*show_);
    gShow = nullptr;
    gCurrentFrame = 0;
}

LivePlayoutConfig SmallConfig() {
    LivePlayoutConfig config;
    config.width = 96;
    config.height = 72;
    config.antiAliasing = 0;
    config.morphFrames = 10;
    return config;
}

uint64_t PictureSum(const CDib& picture) {
    // FNV-1a over the pixels.
    uint64_t sum = 1469598103934665603ull;
    const uint8_t* p = picture.Pixels();
    for (size_t i = 0; i < picture.PixelBytes(); ++i) {
        sum = (sum ^ p[i]) * 1099511628211ull;
    }
    return sum;
}

bool CatchOutputs::Send(int64_t index, const CDib& picture) {
    indexes.push_back(index);
    sums.push_back(PictureSum(picture));
    if (last.Create(picture.Width(), picture.Height(), picture.BitsPerPixel())) {
        std::memcpy(last.Pixels(), picture.Pixels(), picture.PixelBytes());
    }
    return true;
}

bool StreamPair::Send(int64_t index, const CDib& picture) {
    if (!fill.Send(index, picture)) {
        return false;
    }
    if (!key.IsOpen()) {
        return true;
    }
    MakeKeyPicture(picture, keyPicture_);
    return key.Send(index, keyPicture_);
}

LiveStreamSpec SpecFor(const std::string& target, const LivePlayoutConfig& config) {
    LiveStreamSpec spec;
    std::string error;
    EXPECT_TRUE(ParseLiveTarget(target, spec.target, error)) << error;
    spec.width = config.width;
    spec.height = config.height;
    spec.rate = config.rate;
    spec.fieldOrder = config.fields ? (config.lowerFieldFirst ? FieldOrder::LowerFirst : FieldOrder::UpperFirst)
                                    : FieldOrder::Progressive;
    return spec;
}
