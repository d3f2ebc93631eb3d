// The clocks: milliseconds for the interface, the boot-time clock, and the
// high-resolution counter that playback reads (tests drive it).
#include <time.h>

#include <chrono>
#include <functional>
#include <utility>

#include "CrossPlatform.h"

namespace {
using Clock = std::chrono::steady_clock;
const Clock::time_point kStart = Clock::now();

std::function<int64_t()>& CounterOverride() {
    static std::function<int64_t()> counter;
    return counter;
}
}  // namespace

uint32_t TickCount() {
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - kStart);
    return static_cast<uint32_t>(elapsed.count());
}

uint32_t MillisecondsSinceSystemStart() {
    // The boot-time clock counts from the system's start, suspended time
    // included, as /proc/uptime does.
    timespec now{};
    if (clock_gettime(CLOCK_BOOTTIME, &now) != 0) {
        return TickCount();
    }
    uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void SetHighResolutionCounter(std::function<int64_t()> counter) {
    CounterOverride() = std::move(counter);
}

int64_t HighResolutionCounter() {
    if (CounterOverride()) {
        return CounterOverride()();
    }
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

int64_t HighResolutionFrequency() {
    return 1000000000;
}
