// The Targa reader: uncompressed colour-mapped, true-colour and grey files.
// The colour map is skipped (8-bit pictures keep the grey ramp); rows are
// flipped when the file starts at the top left.
#include <cstdint>

#include "PictureReaders.h"

namespace {

struct TargaHeader {
    int idLength = 0;
    int imageType = 0;
    int colorMapLength = 0;
    int colorMapEntryBits = 0;
    int width = 0;
    int height = 0;
    int depth = 0;
    int descriptor = 0;
};

constexpr int kTopLeftOrigin = 0x20;

bool ReadHeader(ByteCursor& in, TargaHeader& header) {
    uint8_t bytes[18] = {};
    if (!in.Read(bytes, sizeof(bytes))) {
        return false;
    }
    header.idLength = bytes[0];
    header.imageType = bytes[2];
    header.colorMapLength = static_cast<int>(ReadInteger(bytes + 5, 2, false));
    header.colorMapEntryBits = bytes[7];
    header.width = static_cast<int>(ReadInteger(bytes + 12, 2, false));
    header.height = static_cast<int>(ReadInteger(bytes + 14, 2, false));
    header.depth = bytes[16];
    header.descriptor = bytes[17];
    return true;
}

}  // namespace

int ReadTargaFile(CDib& dib, ByteCursor& in) {
    TargaHeader header;
    if (!ReadHeader(in, header)) {
        return kDibUnreadable;
    }
    if (header.depth < 8 || header.depth > 32 || header.width <= 0 || header.height <= 0) {
        return kDibUnreadable;
    }
    if (header.imageType > 3) {
        return kDibCompressed;
    }
    if (header.width > kDibMaxSize || header.height > kDibMaxSize) {
        return kDibTooLarge;
    }
    int result = PrepareForReading(dib, header.width, header.height, header.depth);
    if (result != kDibReadOk) {
        return result;
    }
    uint64_t colorMapBytes =
        static_cast<uint64_t>(header.colorMapLength) * static_cast<uint64_t>(header.colorMapEntryBits) / 8;
    if (!in.Skip(static_cast<uint64_t>(header.idLength)) || !in.Skip(colorMapBytes)) {
        return kDibUnreadable;  // the pixels would start past the end of the file
    }
    // A file that ends early leaves the remaining rows black.
    ReadStoredRows(dib, in, 0, header.height, static_cast<size_t>(header.depth / 8) * header.width);
    if (header.descriptor & kTopLeftOrigin) {
        dib.FlipVertical();
    }
    return kDibReadOk;
}
