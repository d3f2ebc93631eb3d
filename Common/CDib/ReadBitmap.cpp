// The Windows bitmap reader: uncompressed 8-, 16-, 24- and 32-bit files,
// bottom-up or top-down; the rows are stored bottom-up as they are.
#include <cstdint>
#include <cstdlib>

#include "PictureReaders.h"

namespace {

struct BitmapHeaders {
    uint32_t pixelOffset = 0;
    uint32_t infoSize = 0;
    int64_t width = 0;
    int64_t height = 0;  // negative: top-down rows
    int bitCount = 0;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
};

bool ReadHeaders(ByteCursor& in, BitmapHeaders& headers) {
    uint8_t bytes[54] = {};
    if (!in.Read(bytes, sizeof(bytes))) {
        return false;
    }
    headers.pixelOffset = ReadInteger(bytes + 10, 4, false);
    headers.infoSize = ReadInteger(bytes + 14, 4, false);
    headers.width = static_cast<int32_t>(ReadInteger(bytes + 18, 4, false));
    headers.height = static_cast<int32_t>(ReadInteger(bytes + 22, 4, false));
    headers.bitCount = static_cast<int>(ReadInteger(bytes + 28, 2, false));
    headers.compression = ReadInteger(bytes + 30, 4, false);
    headers.colorsUsed = ReadInteger(bytes + 46, 4, false);
    return headers.infoSize >= 40;
}

// The palette follows the information header; a file may list fewer than
// 256 colours, and the rest keep the grey ramp.
void ReadPalette(CDib& dib, ByteCursor& in, const BitmapHeaders& headers) {
    uint32_t entries = headers.colorsUsed >= 1 && headers.colorsUsed <= 256 ? headers.colorsUsed : 256;
    if (in.Seek(14 + static_cast<uint64_t>(headers.infoSize))) {
        in.ReadUpTo(dib.Palette(), entries * sizeof(PaletteEntry));
    }
}

}  // namespace

int ReadBitmapFile(CDib& dib, ByteCursor& in) {
    BitmapHeaders headers;
    if (!ReadHeaders(in, headers)) {
        return kDibUnreadable;
    }
    if (headers.compression != 0) {
        return kDibCompressed;
    }
    int64_t height = std::llabs(headers.height);
    if (headers.width > kDibMaxSize || height > kDibMaxSize) {
        return kDibTooLarge;
    }
    if (headers.bitCount < 8) {
        return kDibTooFewColors;
    }
    if (headers.width <= 0 || height == 0) {
        return kDibUnreadable;
    }
    int result = PrepareForReading(dib, static_cast<int>(headers.width), static_cast<int>(height), headers.bitCount);
    if (result != kDibReadOk) {
        return result;
    }
    if (headers.bitCount == 8) {
        ReadPalette(dib, in, headers);
    }
    if (!in.Seek(headers.pixelOffset)) {
        return kDibUnreadable;
    }
    in.ReadUpTo(dib.Pixels(), static_cast<size_t>(dib.Height()) * static_cast<size_t>(dib.Stride()));
    if (headers.height < 0) {
        dib.FlipVertical();
    }
    return kDibReadOk;
}
