// Blending the drawn data from the values on screen to the new ones.
#include "DataMorph.h"

#include <algorithm>
#include <cstring>

#include "Ease.h"

namespace {

// The In & Out ease of the keyframes: a sine ease in and out.
constexpr float kInOutStart = 0.5f;
constexpr float kInOutEnd = 0.5f;

float Mix(float from, float to, double share) {
    return static_cast<float>(from + (static_cast<double>(to) - from) * share);
}

}  // namespace

DrawnData CaptureDrawnData(const Show& show) {
    DrawnData data;
    std::memcpy(data.values, show.values, sizeof(data.values));
    std::memcpy(data.currentValues, show.currentValues, sizeof(data.currentValues));
    return data;
}

void PutDrawnData(Show& show, const DrawnData& data) {
    std::memcpy(show.values, data.values, sizeof(data.values));
    std::memcpy(show.currentValues, data.currentValues, sizeof(data.currentValues));
}

void DataMorph::Start(double position) {
    running_ = drawn_ && length_ > 0.0;
    start_ = position;
    from_ = last_;
}

void DataMorph::Reset() {
    running_ = false;
    drawn_ = false;
}

bool DataMorph::Running(double position) const {
    return running_ && position < start_ + length_;
}

double DataMorph::Share(double position) const {
    if (!running_ || length_ <= 0.0) {
        return 1.0;
    }
    double t = std::clamp((position - start_) / length_, 0.0, 1.0);
    return Ease(static_cast<float>(t), kInOutStart, kInOutEnd);
}

void DataMorph::Blend(Show& show, double position) {
    evaluated_ = CaptureDrawnData(show);
    blended_ = true;
    if (!Running(position)) {
        running_ = false;
        last_ = evaluated_;
        drawn_ = true;
        return;
    }
    double share = Share(position);
    DrawnData& out = last_;
    for (int row = 0; row < kDataRows; ++row) {
        for (int k = 0; k < kCategories; ++k) {
            out.values[row][k] = Mix(from_.values[row][k], evaluated_.values[row][k], share);
        }
    }
    for (int k = 0; k < kCategories; ++k) {
        out.currentValues[k] = Mix(from_.currentValues[k], evaluated_.currentValues[k], share);
    }
    drawn_ = true;
    PutDrawnData(show, out);
}

void DataMorph::Restore(Show& show) {
    if (blended_) {
        PutDrawnData(show, evaluated_);
        blended_ = false;
    }
}
