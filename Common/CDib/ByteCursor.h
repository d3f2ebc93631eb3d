// ByteCursor: the one way the picture readers take bytes from a file. It
// knows the file's size and its own position, so every read either gets all
// it asked for or reports failure, and no seek lands outside the file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "CrossPlatform.h"

class ByteCursor {
public:
    // Measures the file and starts at its beginning.
    explicit ByteCursor(PlatformFile& file) : file_(file) {
        if (file.handle && SeekFile(file, 0, kSeekEnd)) {
            long end = TellFile(file);
            size_ = end > 0 ? static_cast<uint64_t>(end) : 0;
        }
        SeekFile(file, 0, kSeekStart);
    }

    uint64_t Size() const { return size_; }
    uint64_t Position() const { return position_; }
    uint64_t Remaining() const { return size_ - position_; }

    // Moves to `offset`; false (position unchanged) when it lies past the end.
    bool Seek(uint64_t offset) {
        if (offset > size_ || !SeekFile(file_, static_cast<long>(offset), kSeekStart)) {
            return false;
        }
        position_ = offset;
        return true;
    }
    bool Skip(uint64_t count) { return count <= Remaining() && Seek(position_ + count); }

    // Reads exactly `count` bytes; false without reading when fewer remain.
    bool Read(void* destination, size_t count) {
        if (count > Remaining()) {
            return false;
        }
        return ReadUpTo(destination, count) == count;
    }

    // Reads what remains of `count` bytes; the number read.
    size_t ReadUpTo(void* destination, size_t count) {
        uint64_t wanted = count < Remaining() ? count : Remaining();
        if (wanted == 0) {
            return 0;
        }
        long moved = ReadFile(file_, destination, static_cast<long>(wanted));
        if (moved <= 0) {
            return 0;
        }
        position_ += static_cast<uint64_t>(moved);
        return static_cast<size_t>(moved);
    }

    // An unsigned number of 1 to 4 bytes in the given byte order.
    bool ReadNumber(int count, bool bigEndian, uint32_t& value) {
        uint8_t bytes[4] = {};
        if (count < 1 || count > 4 || !Read(bytes, static_cast<size_t>(count))) {
            return false;
        }
        value = ReadInteger(bytes, count, bigEndian);
        return true;
    }

private:
    PlatformFile& file_;
    uint64_t size_ = 0;
    uint64_t position_ = 0;
};
