// Byte order.
#include <algorithm>

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

void WriteInteger(uint8_t* bytes, uint32_t value, int count, bool bigEndian) {
    if (!bytes || count < 1) {
        return;
    }
    count = std::min(count, 4);
    for (int i = 0; i < count; ++i) {
        bytes[bigEndian ? count - 1 - i : i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

void AppendInteger(std::vector<uint8_t>& out, uint32_t value, int count, bool bigEndian) {
    uint8_t bytes[4] = {};
    count = std::clamp(count, 0, 4);
    WriteInteger(bytes, value, count, bigEndian);
    out.insert(out.end(), bytes, bytes + count);
}

void ReverseBytes(void* buffer, int count) {
    auto* bytes = static_cast<uint8_t*>(buffer);
    if (bytes && count > 1) {
        std::reverse(bytes, bytes + count);
    }
}
