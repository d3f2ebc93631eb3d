// The Windows bitmap reader: uncompressed 8-, 16-, 24- and 32-bit files,
// bottom-up or top-down, with any of the information headers (40 bytes, the
// 52- and 56-byte ones, V4 with 108 and V5 with 124), and 16- and 32-bit
// files whose channels are given by bit masks (BITFIELDS, ALPHABITFIELDS), as
// GIMP and ImageMagick write them. The rows are stored bottom-up as they are
// when they already have the picture's layout; masked pixels are unpacked
// into 24 bits, or 32 bits with their alpha. Run-length, JPEG and PNG data
// inside a bitmap stay refused as compressed.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "PictureReaders.h"

namespace {

// The compression field's values.
constexpr uint32_t kBitmapRgb = 0;
constexpr uint32_t kBitmapBitFields = 3;
constexpr uint32_t kBitmapAlphaBitFields = 6;

constexpr uint64_t kFileHeaderBytes = 14;
constexpr uint32_t kPlainInfoBytes = 40;
constexpr uint32_t kInfoWithAlphaMask = 56;  // headers this long carry the alpha mask
constexpr uint64_t kMasksOffset = kFileHeaderBytes + kPlainInfoBytes;

// Red, green, blue and alpha masks.
using ChannelMasks = std::array<uint32_t, 4>;
constexpr ChannelMasks kPlain32Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
constexpr ChannelMasks kPlain16Masks = {0x7C00, 0x03E0, 0x001F, 0};

struct BitmapHeaders {
    uint32_t pixelOffset = 0;
    uint32_t infoSize = 0;
    int64_t width = 0;
    int64_t height = 0;  // negative: top-down rows
    int bitCount = 0;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    ChannelMasks masks = {};
};

bool Masked(const BitmapHeaders& headers) {
    return headers.compression == kBitmapBitFields || headers.compression == kBitmapAlphaBitFields;
}

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
    return headers.infoSize >= kPlainInfoBytes;
}

// The masks follow the 40-byte header: inside the longer headers, or after
// it (three, or four with ALPHABITFIELDS). The alpha mask is there only in
// headers of 56 bytes or more and with ALPHABITFIELDS.
bool ReadMasks(ByteCursor& in, BitmapHeaders& headers) {
    const bool withAlpha = headers.infoSize >= kInfoWithAlphaMask || headers.compression == kBitmapAlphaBitFields;
    const uint64_t maskBytes = withAlpha ? 16 : 12;
    if (headers.infoSize == kPlainInfoBytes && headers.pixelOffset < kMasksOffset + maskBytes) {
        // Some writers (ImageMagick's BMP3) mark the file with bit fields but
        // store no masks before the pixels: those of the plain layout.
        headers.masks = headers.bitCount == 32 ? kPlain32Masks : kPlain16Masks;
        return true;
    }
    uint8_t bytes[16] = {};
    if (!in.Seek(kMasksOffset) || !in.Read(bytes, maskBytes)) {
        return false;
    }
    for (int k = 0; k < 4; ++k) {
        headers.masks[k] = ReadInteger(bytes + 4 * k, 4, false);
    }
    return true;
}

int LowestBit(uint32_t mask) {
    int shift = 0;
    while (shift < 32 && !(mask & (uint32_t{1} << shift))) {
        ++shift;
    }
    return shift;
}

// A mask is usable when it is one run of bits inside the pixel; the colour
// masks must not be empty, and no two masks may share a bit.
bool MasksUsable(const ChannelMasks& masks, int bitCount) {
    const uint64_t pixelBits = bitCount == 32 ? 0xFFFFFFFFull : (uint64_t{1} << bitCount) - 1;
    uint32_t seen = 0;
    for (int k = 0; k < 4; ++k) {
        const uint32_t mask = masks[k];
        if (mask == 0) {
            if (k < 3) {
                return false;
            }
            continue;
        }
        const uint64_t run = static_cast<uint64_t>(mask) >> LowestBit(mask);
        if ((run & (run + 1)) != 0 || (mask & ~pixelBits) != 0 || (mask & seen) != 0) {
            return false;
        }
        seen |= mask;
    }
    return true;
}

// One channel of a pixel value scaled to 0..255.
uint8_t Channel(uint32_t value, uint32_t mask, int shift, uint32_t largest) {
    const uint64_t part = (value & mask) >> shift;
    return static_cast<uint8_t>((part * 255 + largest / 2) / largest);
}

// Unpacks the masked pixels of one file row into a stored row of 24 or 32
// bits (blue, green, red and alpha).
void UnpackRow(const uint8_t* source, int width, int bitCount, const ChannelMasks& masks, uint8_t* row, int outBytes) {
    int shifts[4] = {};
    uint32_t largest[4] = {};
    for (int k = 0; k < 4; ++k) {
        shifts[k] = LowestBit(masks[k]);
        largest[k] = masks[k] ? masks[k] >> shifts[k] : 1;
    }
    const int inBytes = bitCount / 8;
    for (int x = 0; x < width; ++x) {
        const uint32_t value = ReadInteger(source + static_cast<size_t>(x) * inBytes, inBytes, false);
        uint8_t* out = row + static_cast<size_t>(x) * outBytes;
        out[0] = Channel(value, masks[2], shifts[2], largest[2]);
        out[1] = Channel(value, masks[1], shifts[1], largest[1]);
        out[2] = Channel(value, masks[0], shifts[0], largest[0]);
        if (outBytes == 4) {
            out[3] = Channel(value, masks[3], shifts[3], largest[3]);
        }
    }
}

// Reads the masked rows of the file (bottom-up order as stored) into the
// picture; a file that ends early fills the rows it holds.
void ReadMaskedRows(CDib& dib, ByteCursor& in, const BitmapHeaders& headers) {
    const size_t fileRowBytes = static_cast<size_t>(CDib::StrideFor(dib.Width(), headers.bitCount));
    const int outBytes = dib.BitsPerPixel() / 8;
    std::vector<uint8_t> source(fileRowBytes);
    for (int row = 0; row < dib.Height(); ++row) {
        if (in.ReadUpTo(source.data(), fileRowBytes) < fileRowBytes) {
            return;
        }
        UnpackRow(source.data(), dib.Width(), headers.bitCount, headers.masks, dib.Row(row), outBytes);
    }
}

// The palette follows the information header; a file may list fewer than
// 256 colours, and the rest keep the grey ramp.
void ReadPalette(CDib& dib, ByteCursor& in, const BitmapHeaders& headers) {
    uint32_t entries = headers.colorsUsed >= 1 && headers.colorsUsed <= 256 ? headers.colorsUsed : 256;
    if (in.Seek(kFileHeaderBytes + static_cast<uint64_t>(headers.infoSize))) {
        in.ReadUpTo(dib.Palette(), entries * sizeof(PaletteEntry));
    }
}

// Checks the compression and the masks. `unpack` tells whether the pixels
// must be unpacked through the masks (they are not laid out as the picture
// keeps them) and `storedBits` the depth of the picture made.
int CheckLayout(ByteCursor& in, BitmapHeaders& headers, bool& unpack, int& storedBits) {
    unpack = false;
    storedBits = headers.bitCount;
    if (headers.compression == kBitmapRgb) {
        return kDibReadOk;
    }
    if (!Masked(headers)) {
        return kDibCompressed;  // run-length, or JPEG or PNG data
    }
    if (headers.bitCount != 16 && headers.bitCount != 32) {
        return kDibUnreadable;  // masks only describe 16- and 32-bit pixels
    }
    if (!ReadMasks(in, headers) || !MasksUsable(headers.masks, headers.bitCount)) {
        return kDibUnreadable;
    }
    const ChannelMasks& plain = headers.bitCount == 32 ? kPlain32Masks : kPlain16Masks;
    if (headers.masks == plain) {
        return kDibReadOk;
    }
    unpack = true;
    storedBits = headers.masks[3] != 0 ? 32 : 24;
    return kDibReadOk;
}

}  // namespace

int ReadBitmapFile(CDib& dib, ByteCursor& in) {
    BitmapHeaders headers;
    if (!ReadHeaders(in, headers)) {
        return kDibUnreadable;
    }
    bool unpack = false;
    int storedBits = 0;
    if (int layout = CheckLayout(in, headers, unpack, storedBits); layout != kDibReadOk) {
        return layout;
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
    int result = PrepareForReading(dib, static_cast<int>(headers.width), static_cast<int>(height), storedBits);
    if (result != kDibReadOk) {
        return result;
    }
    if (headers.bitCount == 8) {
        ReadPalette(dib, in, headers);
    }
    if (!in.Seek(headers.pixelOffset)) {
        return kDibUnreadable;
    }
    if (unpack) {
        ReadMaskedRows(dib, in, headers);
    } else {
        in.ReadUpTo(dib.Pixels(), static_cast<size_t>(dib.Height()) * static_cast<size_t>(dib.Stride()));
    }
    if (headers.height < 0) {
        dib.FlipVertical();
    }
    return kDibReadOk;
}
