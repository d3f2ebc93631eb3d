// PNG files for picture sequences, encoded for speed: every row filtered by
// its left neighbour (flat areas of a chart become runs of zeros) and the
// image data compressed by the quick run encoder (by libdeflate's quickest
// level when the picture's redundancy is of another kind, a photograph).
#pragma once

#include <cstdint>
#include <vector>

#include "CDib.h"

// Encodes a 24-bit bottom-up picture as an 8-bit RGB PNG (a 32-bit one as
// RGBA, its alpha kept) into `bytes`. False for a picture of another depth
// or no pixels, or when memory runs out.
bool EncodePng(const CDib& picture, std::vector<uint8_t>& bytes);
