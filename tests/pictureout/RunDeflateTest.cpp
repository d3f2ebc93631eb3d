// The quick deflate encoder of PNG sequences, checked by zlib's own
// decoder on the kinds of rows it meets and on the edges of its matches.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <vector>

#include "RunDeflate.h"

namespace {

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& stream, size_t size) {
    std::vector<uint8_t> out(size + 16);
    uLongf length = out.size();
    if (uncompress(out.data(), &length, stream.data(), stream.size()) != Z_OK) {
        return {};
    }
    out.resize(length);
    return out;
}

void ExpectRoundTrip(const std::vector<uint8_t>& data, size_t rowBytes, const char* what) {
    std::vector<uint8_t> stream;
    ASSERT_TRUE(RunDeflate(data.data(), data.size(), rowBytes, stream)) << what;
    EXPECT_EQ(Inflate(stream, data.size()), data) << what;
}

}  // namespace

TEST(RunDeflate, ZlibReadsBackEveryKindOfInput) {
    std::mt19937 random(7);
    std::vector<uint8_t> noise(60000);
    for (uint8_t& byte : noise) {
        byte = static_cast<uint8_t>(random());
    }
    ExpectRoundTrip(noise, 2161, "noise shorter than the first check");
    ExpectRoundTrip({}, 0, "nothing");
    ExpectRoundTrip({42}, 0, "one byte");
    ExpectRoundTrip({9, 9}, 0, "two alike");
    // Runs of every length around the longest match (258) and the shortest (3).
    for (size_t run : {3u, 4u, 257u, 258u, 259u, 516u, 517u, 100000u}) {
        std::vector<uint8_t> data(run + 1, 0);
        data[0] = 5;
        ExpectRoundTrip(data, 0, "run");
    }
    // Rows that repeat the one above, with a changing pixel at each row.
    const size_t row = 1441;
    std::vector<uint8_t> rows(row * 50);
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i] = static_cast<uint8_t>((i % row) * 7 % 251);
    }
    for (size_t y = 0; y < 50; ++y) {
        rows[y * row + y * 3] = 200;
    }
    ExpectRoundTrip(rows, row, "rows");
    // A row distance beyond the window is not used.
    std::vector<uint8_t> wide(40000 * 3);
    for (size_t i = 0; i < wide.size(); ++i) {
        wide[i] = static_cast<uint8_t>((i % 40000) / 8 * 13);
    }
    ExpectRoundTrip(wide, 40000, "rows beyond the window");
}

// Data without repeats is given up at the first check, the output left as
// it was, for the general encoder.
TEST(RunDeflate, GivesUpOnDataWithoutRepeats) {
    std::mt19937 random(11);
    std::vector<uint8_t> noise(1000000);
    for (uint8_t& byte : noise) {
        byte = static_cast<uint8_t>(random());
    }
    std::vector<uint8_t> stream = {1, 2, 3};
    EXPECT_FALSE(RunDeflate(noise.data(), noise.size(), 2161, stream));
    EXPECT_EQ(stream, (std::vector<uint8_t>{1, 2, 3}));
}

// A chart picture (flat areas and repeated rows) comes out much smaller
// than its pixels.
TEST(RunDeflate, FlatRowsCompressWell) {
    const size_t row = 2161;
    std::vector<uint8_t> data(row * 486, 0);
    for (size_t y = 0; y < 486; ++y) {
        for (size_t x = 300; x < 900; ++x) {
            data[y * row + x] = static_cast<uint8_t>(x % 3 == 0 ? 10 : x * 31);
        }
    }
    std::vector<uint8_t> stream;
    ASSERT_TRUE(RunDeflate(data.data(), data.size(), row, stream));
    EXPECT_LT(stream.size(), data.size() / 50);
    EXPECT_EQ(Inflate(stream, data.size()), data);
}
