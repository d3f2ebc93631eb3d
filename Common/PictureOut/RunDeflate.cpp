#include "RunDeflate.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "CrossPlatform.h"

namespace {

constexpr size_t kMinMatch = 3;
constexpr size_t kMaxMatch = 258;
constexpr size_t kWindow = 32768;
constexpr int kEndOfBlock = 256;
// Every 64 KB read, the encoder gives up when its code has taken more than
// half the bytes read.
constexpr size_t kCheckEvery = 65536;
constexpr size_t kGiveUpRatio = 2;

// The fixed literal/length code of a symbol 0..287, bit-reversed for the
// LSB-first bit stream, and its length in bits.
struct Code {
    uint32_t bits = 0;
    int length = 0;
};

uint32_t Reverse(uint32_t code, int length) {
    uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) {
        reversed = (reversed << 1) | ((code >> i) & 1);
    }
    return reversed;
}

Code FixedLiteralCode(int symbol) {
    if (symbol < 144) {
        return {Reverse(0x30 + symbol, 8), 8};
    }
    if (symbol < 256) {
        return {Reverse(0x190 + (symbol - 144), 9), 9};
    }
    if (symbol < 280) {
        return {Reverse(symbol - 256, 7), 7};
    }
    return {Reverse(0xC0 + (symbol - 280), 8), 8};
}

constexpr std::array<int, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                             31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                              2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<int, 30> kDistanceBase = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                               33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                               1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<int, 30> kDistanceExtra = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// The codes of the literals and of every match length, with extra bits.
struct Tables {
    std::array<Code, 256> literal;
    std::array<Code, kMaxMatch + 1> length;
    Code end;

    Tables() {
        for (int i = 0; i < 256; ++i) {
            literal[i] = FixedLiteralCode(i);
        }
        end = FixedLiteralCode(kEndOfBlock);
        for (size_t n = kMinMatch; n <= kMaxMatch; ++n) {
            int index = 28;
            while (kLengthBase[index] > static_cast<int>(n)) {
                --index;
            }
            Code code = FixedLiteralCode(257 + index);
            code.bits |= static_cast<uint32_t>(n - kLengthBase[index]) << code.length;
            code.length += kLengthExtra[index];
            length[n] = code;
        }
    }
};

// The fixed code of a distance (5 bits) with its extra bits.
Code DistanceCode(size_t distance) {
    int index = 29;
    while (kDistanceBase[index] > static_cast<int>(distance)) {
        --index;
    }
    Code code{Reverse(static_cast<uint32_t>(index), 5), 5};
    code.bits |= static_cast<uint32_t>(distance - kDistanceBase[index]) << 5;
    code.length += kDistanceExtra[index];
    return code;
}

// Writes codes LSB first into a buffer sized beforehand for the worst case.
class BitWriter {
public:
    explicit BitWriter(uint8_t* out) : start_(out), out_(out) {}
    void Put(uint32_t bits, int length) {
        buffer_ |= static_cast<uint64_t>(bits) << count_;
        count_ += length;
        if (count_ >= 32) {
            const uint32_t word = static_cast<uint32_t>(buffer_);
            for (int i = 0; i < 4; ++i) {
                out_[i] = static_cast<uint8_t>(word >> (8 * i));
            }
            out_ += 4;
            buffer_ >>= 32;
            count_ -= 32;
        }
    }
    void Put(const Code& code) { Put(code.bits, code.length); }
    // Writes what is left, padded to a whole byte.
    void Flush() {
        for (; count_ > 0; count_ -= 8) {
            *out_++ = static_cast<uint8_t>(buffer_);
            buffer_ >>= 8;
        }
        count_ = 0;
    }
    size_t Written() const { return static_cast<size_t>(out_ - start_); }

private:
    uint8_t* start_;
    uint8_t* out_;
    uint64_t buffer_ = 0;
    int count_ = 0;
};

// How many bytes from `at` equal those `distance` before them, at most
// `limit`.
size_t MatchLength(const uint8_t* at, size_t distance, size_t limit) {
    size_t n = 0;
    while (n + 8 <= limit) {
        uint64_t here;
        uint64_t there;
        std::memcpy(&here, at + n, 8);
        std::memcpy(&there, at + n - distance, 8);
        if (uint64_t differ = here ^ there) {
            return n + static_cast<size_t>(__builtin_ctzll(differ) / 8);
        }
        n += 8;
    }
    while (n < limit && at[n] == at[n - distance]) {
        ++n;
    }
    return n;
}

}  // namespace

bool RunDeflate(const uint8_t* data, size_t size, size_t rowBytes, std::vector<uint8_t>& out) {
    static const Tables tables;
    const bool rows = rowBytes > 1 && rowBytes <= kWindow;
    const Code previousByte = DistanceCode(1);
    const Code rowAbove = DistanceCode(rows ? rowBytes : 1);
    // Header, codes of at most 9 bits a byte (and 4 bytes of slack), trailer.
    const size_t start = out.size();
    out.resize(start + 2 + size / 8 * 9 + 16 + 4);
    out[start] = 0x78;      // deflate, 32 KB window
    out[start + 1] = 0x01;  // quickest compression; header check
    BitWriter writer(out.data() + start + 2);
    writer.Put(1, 1);  // the last block
    writer.Put(1, 2);  // fixed codes
    size_t i = 0;
    size_t nextCheck = kCheckEvery;
    while (i < size) {
        if (i >= nextCheck) {
            if (writer.Written() > i / kGiveUpRatio) {
                out.resize(start);
                return false;
            }
            nextCheck = i + kCheckEvery;
        }
        const size_t most = std::min(kMaxMatch, size - i);
        size_t run = i >= 1 ? MatchLength(data + i, 1, most) : 0;
        size_t above = rows && i >= rowBytes && run < most ? MatchLength(data + i, rowBytes, most) : 0;
        if (above > run && above >= kMinMatch) {
            writer.Put(tables.length[above]);
            writer.Put(rowAbove);
            i += above;
        } else if (run >= kMinMatch) {
            writer.Put(tables.length[run]);
            writer.Put(previousByte);
            i += run;
        } else {
            writer.Put(tables.literal[data[i]]);
            ++i;
        }
    }
    writer.Put(tables.end);
    writer.Flush();
    out.resize(start + 2 + writer.Written());
    AppendInteger(out, libdeflate_adler32(1, data, size), 4, true);  // big-endian, as zlib stores it
    return true;
}
