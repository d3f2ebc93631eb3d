// The play-out's position in the show at each stream time.
#include "PlayoutTimeline.h"

#include <algorithm>
#include <cmath>

#include "Ease.h"

namespace {
constexpr float kInOut = 0.5f;  // Ease(t, 0.5, 0.5): the keys' In & Out
}  // namespace

void PlayoutTimeline::SetRange(int32_t first, int32_t last, bool loop) {
    first_ = std::min(first, last);
    last_ = std::max(first, last);
    loop_ = loop;
}

double PlayoutTimeline::Played(double time) const {
    double position = anchorPosition_ + (time - anchorTime_);
    if (position <= last_) {
        return position;
    }
    if (!loop_ || last_ <= first_) {
        return last_;
    }
    // Round again: the frames first .. last, then first once more.
    double period = static_cast<double>(last_) - first_ + 1.0;
    return first_ + std::fmod(position - first_, period);
}

double PlayoutTimeline::PositionAt(double time) const {
    switch (mode_) {
        case Mode::Playing:
            return Played(time);
        case Mode::Moving: {
            if (time >= moveStart_ + moveLength_ || moveLength_ <= 0.0) {
                return anchorPosition_;
            }
            double t = std::max(0.0, (time - moveStart_) / moveLength_);
            double share = Ease(static_cast<float>(t), kInOut, kInOut);
            return moveFrom_ + (anchorPosition_ - moveFrom_) * share;
        }
        default:
            return anchorPosition_;
    }
}

void PlayoutTimeline::Play(double time) {
    double position = PositionAt(time);
    if (!loop_ && position >= last_) {
        position = first_;
    }
    mode_ = Mode::Playing;
    anchorTime_ = time;
    anchorPosition_ = position;
}

void PlayoutTimeline::Stop(double time) {
    anchorPosition_ = PositionAt(time);
    anchorTime_ = time;
    mode_ = Mode::Holding;
}

void PlayoutTimeline::Goto(double time, int32_t frame) {
    if (mode_ == Mode::Moving) {
        mode_ = Mode::Holding;
    }
    anchorTime_ = time;
    anchorPosition_ = frame;
}

void PlayoutTimeline::MoveTo(double time, int32_t frame, double length) {
    moveFrom_ = PositionAt(time);
    moveStart_ = time;
    moveLength_ = std::max(length, 0.0);
    anchorPosition_ = frame;
    anchorTime_ = time;
    mode_ = Mode::Moving;
}
