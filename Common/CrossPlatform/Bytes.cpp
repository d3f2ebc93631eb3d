// Byte order and time.
#include <algorithm>
#include <chrono>
#include <functional>
#include <utility>

#include "CrossPlatform.h"

uint32_t ReadInteger(const uint8_t* bytes, int count, bool bigEndian) {
    uint32_t value = 0;
    if (!bytes || count < 1) {
        return 0;
    }
    count = std::min(count, 4);
    for (int i = 0; i < count; ++i) {
        int index = bigEndian ? i : count - 1 - i;
        value = (value << 8) | bytes[index];
    }
    return value;
}

void ReverseBytes(void* buffer, int count) {
    auto* bytes = static_cast<uint8_t*>(buffer);
    if (bytes && count > 1) {
        std::reverse(bytes, bytes + count);
    }
}

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
