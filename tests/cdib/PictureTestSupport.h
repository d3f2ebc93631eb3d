// Helpers of the picture tests: reading fixtures, looking at pixels from the
// top of the picture, and the colours the fixture script drew.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CDib.h"
#include "TestSupport.h"

// The 5 x 3 fixture pictures, top row first, as red, green, blue.
struct Rgb {
    int red;
    int green;
    int blue;
};
extern const Rgb kFixtureColours[3][5];
extern const int kFixtureGreys[3][5];
extern const int kFixtureAlphas[3][5];

std::string PicturePath(const std::string& name);
// Opens `path` and reads it into `dib`; -1 when it does not open.
int ReadPicture(const std::string& path, CDib& dib);
// The pixel at x, counted from the left, and y, counted from the top.
const uint8_t* PixelAt(const CDib& dib, int x, int yFromTop);
// Expects the 5 x 3 fixture colours (blue, green, red order in the picture).
void ExpectFixtureColours(const CDib& dib, int tolerance = 0);
// Little-endian helpers for headers written inside tests.
void Put16(std::vector<uint8_t>& bytes, size_t at, uint32_t value, bool bigEndian = false);
void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value, bool bigEndian = false);
// Writes `bytes` to a file in `folder` and reads it into `dib`.
int ReadBytesAsPicture(const TempFolder& folder, const std::vector<uint8_t>& bytes, CDib& dib,
                       const std::string& name = "picture.bin");
