// The TIFF reader: the first directory of an uncompressed file with 8 bits
// per sample, in one strip or several. Strip tables and strips must lie
// inside the file.
#include <algorithm>
#include <cstdint>

#include "PictureReaders.h"

namespace {

enum TiffTag : uint32_t {
    kImageWidth = 256,
    kImageLength = 257,
    kCompression = 259,
    kStripOffsets = 273,
    kSamplesPerPixel = 277,
    kRowsPerStrip = 278,
};
enum TiffType : uint32_t { kTypeShort = 3, kTypeLong = 4 };

struct TiffLayout {
    bool bigEndian = false;
    int64_t width = 32;
    int64_t height = 32;
    int64_t bitsPerPixel = 24;
    uint64_t rowsPerStrip = 8192;
    // Strip offsets: without a StripOffsets entry one strip at byte 1;
    // otherwise `stripCount` numbers of `entrySize` bytes at `table`.
    bool hasStripTable = false;
    uint64_t stripCount = 1;
    int entrySize = 2;
    uint64_t table = 0;
};

// The strip table sits in the entry itself when it fits in the 4-byte value.
void TakeStripOffsets(TiffLayout& layout, uint32_t type, uint32_t count, uint32_t value32, uint64_t valuePosition) {
    layout.hasStripTable = true;
    layout.entrySize = type == kTypeShort ? 2 : 4;
    layout.stripCount = count;
    uint64_t tableBytes = static_cast<uint64_t>(count) * static_cast<uint64_t>(layout.entrySize);
    layout.table = tableBytes <= 4 ? valuePosition : value32;
}

// One 12-byte directory entry; kDibReadOk to go on, or the result to end with.
int ReadEntry(ByteCursor& in, TiffLayout& layout) {
    uint8_t entry[12] = {};
    uint64_t position = in.Position();
    if (!in.Read(entry, sizeof(entry))) {
        return kDibUnreadable;
    }
    uint32_t tag = ReadInteger(entry, 2, layout.bigEndian);
    uint32_t type = ReadInteger(entry + 2, 2, layout.bigEndian);
    uint32_t count = ReadInteger(entry + 4, 4, layout.bigEndian);
    uint32_t value32 = ReadInteger(entry + 8, 4, layout.bigEndian);
    uint32_t value = type == kTypeLong ? value32 : ReadInteger(entry + 8, 2, layout.bigEndian);
    switch (tag) {
        case kImageWidth:
        case kImageLength:
            (tag == kImageWidth ? layout.width : layout.height) = value;
            return value > kDibMaxSize ? kDibTooLarge : kDibReadOk;
        case kCompression:
            return value != 1 ? kDibCompressed : kDibReadOk;
        case kStripOffsets:
            TakeStripOffsets(layout, type, count, value32, position + 8);
            return kDibReadOk;
        case kSamplesPerPixel:
            layout.bitsPerPixel = static_cast<int64_t>(value) * 8;
            return kDibReadOk;
        case kRowsPerStrip:
            layout.rowsPerStrip = value;
            return kDibReadOk;
        default:
            return kDibReadOk;
    }
}

int ReadDirectory(ByteCursor& in, TiffLayout& layout) {
    uint8_t header[8] = {};
    if (!in.Read(header, sizeof(header))) {
        return kDibUnreadable;
    }
    if (header[0] == 'I' && header[2] == '*') {
        layout.bigEndian = false;
    } else if (header[0] == 'M' && header[3] == '*') {
        layout.bigEndian = true;
    } else {
        return kDibUnreadable;
    }
    uint32_t entryCount = 0;
    if (!in.Seek(ReadInteger(header + 4, 4, layout.bigEndian)) || !in.ReadNumber(2, layout.bigEndian, entryCount)) {
        return kDibUnreadable;
    }
    for (uint32_t i = 0; i < entryCount; ++i) {
        int result = ReadEntry(in, layout);
        if (result != kDibReadOk) {
            return result;
        }
    }
    return kDibReadOk;
}

bool StripOffset(ByteCursor& in, const TiffLayout& layout, uint64_t strip, uint32_t& offset) {
    if (!layout.hasStripTable) {
        offset = 1;
        return true;
    }
    return in.Seek(layout.table + strip * static_cast<uint64_t>(layout.entrySize)) &&
           in.ReadNumber(layout.entrySize, layout.bigEndian, offset);
}

// Reads the strips into successive stored rows, stopping at the end of the
// file; kDibUnreadable when the table or a strip lies outside the file.
int ReadStrips(CDib& dib, ByteCursor& in, const TiffLayout& layout) {
    size_t rowBytes = static_cast<size_t>(dib.BitsPerPixel() / 8) * static_cast<size_t>(dib.Width());
    bool oneStrip = layout.stripCount == 1;
    int row = 0;
    for (uint64_t strip = 0; strip < layout.stripCount && row < dib.Height(); ++strip) {
        uint32_t offset = 0;
        if (!StripOffset(in, layout, strip, offset) || !in.Seek(offset)) {
            return kDibUnreadable;
        }
        uint64_t rows = oneStrip ? dib.Height() : std::min<uint64_t>(layout.rowsPerStrip, dib.Height() - row);
        if (!ReadStoredRows(dib, in, row, static_cast<int>(rows), rowBytes)) {
            return kDibReadOk;  // the file ends here
        }
        row += static_cast<int>(rows);
    }
    return kDibReadOk;
}

}  // namespace

int ReadTiffFile(CDib& dib, ByteCursor& in) {
    TiffLayout layout;
    int result = ReadDirectory(in, layout);
    if (result != kDibReadOk) {
        return result;
    }
    uint64_t tableEnd = layout.table + layout.stripCount * static_cast<uint64_t>(layout.entrySize);
    if (layout.width <= 0 || layout.height <= 0 || layout.stripCount == 0 ||
        (layout.hasStripTable && tableEnd > in.Size())) {
        return kDibUnreadable;
    }
    if (layout.bitsPerPixel > 32) {
        return kDibUnreadable;
    }
    result = PrepareForReading(dib, static_cast<int>(layout.width), static_cast<int>(layout.height),
                               static_cast<int>(layout.bitsPerPixel));
    if (result != kDibReadOk) {
        return result;
    }
    result = ReadStrips(dib, in, layout);
    dib.SwapRedBlue();
    dib.FlipVertical();
    return result;
}
