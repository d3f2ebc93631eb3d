// A quick deflate encoder for picture rows: it looks only for repeats of the
// previous byte and of the byte one row above, which is where the
// redundancy of a filtered chart picture lies (flat areas and edges that
// carry on down the picture), and codes them with the fixed Huffman codes.
// Several times quicker than a general deflate at its quickest level, and
// within a few tens of percent of its size on chart pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Appends a zlib stream (header, one fixed-code deflate block, Adler-32) of
// `size` bytes at `data` to `out`. `rowBytes` is the distance of the second
// repeat looked for (0 or beyond 32768: previous byte only). False, with
// `out` as it was, as soon as the code takes more than half the bytes read
// (checked every 64 KB): the data's redundancy is of another kind (a
// photograph), for a general encoder.
bool RunDeflate(const uint8_t* data, size_t size, size_t rowBytes, std::vector<uint8_t>& out);
