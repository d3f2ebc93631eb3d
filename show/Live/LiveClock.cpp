// The steady and the driven clock, and the frame deadlines.
#include "LiveClock.h"

#include <time.h>

#include <chrono>

namespace {
constexpr int64_t kNanosecondsPerSecond = 1000000000;
}  // namespace

int64_t SteadyLiveClock::Now() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
}

void SteadyLiveClock::SleepUntil(int64_t when) {
    std::unique_lock<std::mutex> hold(lock_);
    while (!interrupted_) {
        int64_t left = when - Now();
        if (left <= 0) {
            return;
        }
        wake_.wait_for(hold, std::chrono::nanoseconds(left));
    }
    interrupted_ = false;
}

void SteadyLiveClock::Interrupt() {
    std::lock_guard<std::mutex> hold(lock_);
    interrupted_ = true;
    wake_.notify_all();
}

int64_t DrivenLiveClock::Now() {
    std::lock_guard<std::mutex> hold(lock_);
    return now_;
}

void DrivenLiveClock::SleepUntil(int64_t when) {
    std::lock_guard<std::mutex> hold(lock_);
    if (when > now_) {
        now_ = when;
    }
}

void DrivenLiveClock::Advance(int64_t nanoseconds) {
    std::lock_guard<std::mutex> hold(lock_);
    now_ += nanoseconds;
}

int64_t FrameDeadline(ExactRate rate, int64_t n) {
    if (rate.rate <= 0 || rate.scale <= 0 || n <= 0) {
        return 0;
    }
    // Whole multiples of `rate` frames last exactly `scale` seconds; the rest
    // is below `rate` frames, so its product stays far inside 64 bits.
    const int64_t wholes = n / rate.rate;
    const int64_t rest = n % rate.rate;
    return wholes * rate.scale * kNanosecondsPerSecond + rest * rate.scale * kNanosecondsPerSecond / rate.rate;
}
