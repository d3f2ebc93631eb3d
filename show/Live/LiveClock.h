// The play-out's clock: frame n of a live stream leaves at start + n x
// scale / rate seconds, worked out in whole nanoseconds from n each time
// (never by adding up frame lengths), so it does not drift over hours. The
// clock itself is an interface so that tests drive it without waiting.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

#include "MovieFfmpeg.h"

class LiveClock {
public:
    virtual ~LiveClock() = default;
    // Nanoseconds since an arbitrary start.
    virtual int64_t Now() = 0;
    // Returns at `when` or later (at once when it has passed); earlier when
    // Interrupt is called.
    virtual void SleepUntil(int64_t when) = 0;
    // Makes a SleepUntil in progress (or the next one) return now.
    virtual void Interrupt() = 0;
    // Whether time runs by itself (frames must then never wait for output).
    virtual bool RealTime() const = 0;
};

// The steady clock of the system (CLOCK_MONOTONIC).
class SteadyLiveClock : public LiveClock {
public:
    int64_t Now() override;
    void SleepUntil(int64_t when) override;
    void Interrupt() override;
    bool RealTime() const override { return true; }

private:
    std::mutex lock_;
    std::condition_variable wake_;
    bool interrupted_ = false;
};

// A clock that moves only when told: SleepUntil jumps to the time asked
// for; Advance moves on (a test's slow frame).
class DrivenLiveClock : public LiveClock {
public:
    int64_t Now() override;
    void SleepUntil(int64_t when) override;
    void Interrupt() override {}
    bool RealTime() const override { return false; }
    void Advance(int64_t nanoseconds);

private:
    std::mutex lock_;
    int64_t now_ = 0;
};

// The moment frame `n` leaves, in nanoseconds after the first frame:
// n x scale x 10^9 / rate, rounded down, exact for any n a stream reaches.
int64_t FrameDeadline(ExactRate rate, int64_t n);
