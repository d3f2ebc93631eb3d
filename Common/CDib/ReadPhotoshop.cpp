// The Photoshop reader: the merged image of greyscale, indexed and RGB
// files, raw or run-length (PackBits), from the first four channels.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "PictureReaders.h"

namespace {

enum PhotoshopMode { kModeBitmap = 0, kModeGrey = 1, kModeIndexed = 2, kModeRgb = 3 };
constexpr size_t kColorTableBytes = 1536;

struct PhotoshopImage {
    int channels = 0;
    int height = 0;
    int width = 0;
    int sampleBytes = 0;  // bytes per sample: depth / 8
    int mode = 0;
    bool runLength = false;
    uint8_t colors[kColorTableBytes] = {};  // 256 red, 256 green, 256 blue
    std::vector<uint16_t> rowCounts;        // run-length: channels x height counts
};

// The header, the colour table and the sections before the image data.
int ReadHeader(ByteCursor& in, PhotoshopImage& image) {
    uint8_t bytes[30] = {};
    if (!in.Read(bytes, sizeof(bytes))) {
        return kDibUnreadable;
    }
    image.channels = static_cast<int>(ReadInteger(bytes + 12, 2, true));
    uint32_t height = ReadInteger(bytes + 14, 4, true);
    uint32_t width = ReadInteger(bytes + 18, 4, true);
    image.sampleBytes = static_cast<int>(ReadInteger(bytes + 22, 2, true)) / 8;
    image.mode = static_cast<int>(ReadInteger(bytes + 24, 2, true));
    if (image.mode > kModeRgb) {
        return kDibUnreadable;
    }
    if (width > kDibMaxSize || height > kDibMaxSize) {
        return kDibTooLarge;
    }
    if (width == 0 || height == 0 || (image.sampleBytes == 0 && image.mode != kModeBitmap)) {
        return kDibUnreadable;
    }
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    uint32_t colorBytes = ReadInteger(bytes + 26, 4, true);
    uint32_t kept = std::min<uint32_t>(colorBytes, kColorTableBytes);
    uint32_t resourceBytes = 0;
    uint32_t layerBytes = 0;
    uint32_t compression = 0;
    if (!in.Read(image.colors, kept) || !in.Skip(colorBytes - kept) || !in.ReadNumber(4, true, resourceBytes) ||
        !in.Skip(resourceBytes) || !in.ReadNumber(4, true, layerBytes) || !in.Skip(layerBytes) ||
        !in.ReadNumber(2, true, compression)) {
        return kDibUnreadable;
    }
    if (compression > 1) {
        return kDibCompressed;
    }
    image.runLength = compression == 1;
    return kDibReadOk;
}

int ReadRowCounts(ByteCursor& in, PhotoshopImage& image) {
    size_t count = static_cast<size_t>(image.channels) * static_cast<size_t>(image.height);
    if (count * 2 > in.Remaining()) {
        return kDibUnreadable;
    }
    image.rowCounts.resize(count);
    for (size_t i = 0; i < count; ++i) {
        uint32_t value = 0;
        if (!in.ReadNumber(2, true, value)) {
            return kDibUnreadable;
        }
        image.rowCounts[i] = static_cast<uint16_t>(value);
    }
    return kDibReadOk;
}

void StoreSample(const PhotoshopImage& image, int channel, uint8_t value, uint8_t* pixel) {
    switch (image.mode) {
        case kModeGrey:
            pixel[0] = pixel[1] = pixel[2] = value;
            break;
        case kModeIndexed:
            pixel[0] = image.colors[512 + value];
            pixel[1] = image.colors[256 + value];
            pixel[2] = image.colors[value];
            break;
        case kModeRgb:
            if (image.channels >= 4 && channel == 3) {
                pixel[3] = value;
            } else if (channel < 3) {
                pixel[2 - channel] = value;  // red, green, blue to bytes 2, 1, 0
            }
            break;
        default:
            break;
    }
}

// Stores one source row (top first) of one channel.
void StoreRow(CDib& dib, const PhotoshopImage& image, int channel, int sourceRow, const uint8_t* samples, size_t step) {
    int pixelBytes = dib.BitsPerPixel() / 8;
    uint8_t* pixel = dib.Row(image.height - 1 - sourceRow);
    for (int x = 0; x < image.width; ++x, pixel += pixelBytes) {
        StoreSample(image, channel, samples[static_cast<size_t>(x) * step], pixel);
    }
}

void StoreRawChannel(CDib& dib, const PhotoshopImage& image, int channel, const std::vector<uint8_t>& data) {
    size_t rowBytes = static_cast<size_t>(image.width) * static_cast<size_t>(image.sampleBytes);
    for (int row = 0; row < image.height && (static_cast<size_t>(row) + 1) * rowBytes <= data.size(); ++row) {
        StoreRow(dib, image, channel, row, data.data() + static_cast<size_t>(row) * rowBytes,
                 static_cast<size_t>(image.sampleBytes));
    }
}

void StoreRunLengthChannel(CDib& dib, const PhotoshopImage& image, int channel, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> rowBuffer(static_cast<size_t>(image.width) + 8);
    size_t start = 0;
    for (int row = 0; row < image.height; ++row) {
        size_t count = image.rowCounts[static_cast<size_t>(channel) * image.height + row];
        if (start + count > data.size()) {
            return;  // the file ended before this row
        }
        std::fill(rowBuffer.begin(), rowBuffer.end(), 0);
        UnpackPackBits(data.data() + start, count, rowBuffer.data(), static_cast<size_t>(image.width));
        StoreRow(dib, image, channel, row, rowBuffer.data(), 1);
        start += count;
    }
}

// The bytes of one channel: kDibUnreadable when they cannot be held by the
// work buffer or a read fails; a file that ends early gives fewer bytes.
int ReadChannel(ByteCursor& in, const PhotoshopImage& image, int channel, std::vector<uint8_t>& data) {
    uint64_t pixels = static_cast<uint64_t>(image.width) * static_cast<uint64_t>(image.height);
    uint64_t rowBytes = static_cast<uint64_t>(image.width) * static_cast<uint64_t>(image.sampleBytes);
    // Half as much again as the raw channel, or, for narrow pictures, what
    // PackBits can need at most: a header byte per 128 bytes and some padding.
    uint64_t workBytes = std::max(pixels * 3 * static_cast<uint64_t>(image.sampleBytes) / 2,
                                  static_cast<uint64_t>(image.height) * (rowBytes + (rowBytes + 127) / 128 + 8));
    uint64_t wanted = pixels * static_cast<uint64_t>(image.sampleBytes);
    if (image.runLength) {
        wanted = 0;
        for (int row = 0; row < image.height; ++row) {
            wanted += image.rowCounts[static_cast<size_t>(channel) * image.height + row];
        }
    }
    if (wanted > workBytes) {
        return kDibUnreadable;
    }
    size_t expected = static_cast<size_t>(std::min(wanted, in.Remaining()));
    data.assign(expected, 0);
    return in.ReadUpTo(data.data(), expected) == expected ? kDibReadOk : kDibUnreadable;
}

}  // namespace

size_t UnpackPackBits(const uint8_t* input, size_t inputBytes, uint8_t* output, size_t width) {
    size_t in = 0;
    size_t out = 0;
    while (in < inputBytes && out < width) {
        int header = static_cast<int8_t>(input[in++]);
        if (header < 0) {
            if (in >= inputBytes) {
                break;
            }
            size_t copies = std::min(static_cast<size_t>(1 - header), width - out);
            std::memset(output + out, input[in++], copies);
            out += copies;
        } else {
            size_t literal = static_cast<size_t>(header) + 1;
            size_t copied = std::min({literal, inputBytes - in, width - out});
            std::memcpy(output + out, input + in, copied);
            out += copied;
            in += std::min(literal, inputBytes - in);
        }
    }
    return out;
}

int ReadPhotoshopFile(CDib& dib, ByteCursor& in) {
    PhotoshopImage image;
    int result = ReadHeader(in, image);
    if (result != kDibReadOk) {
        return result;
    }
    int bits = std::clamp(image.channels * 8, 24, 32);
    result = PrepareForReading(dib, image.width, image.height, bits);
    if (result != kDibReadOk || image.mode == kModeBitmap) {
        return result;  // bitmap-mode pictures stay black
    }
    if (image.runLength && (result = ReadRowCounts(in, image)) != kDibReadOk) {
        return result;
    }
    std::vector<uint8_t> data;
    for (int channel = 0; channel < std::min(image.channels, 4); ++channel) {
        if ((result = ReadChannel(in, image, channel, data)) != kDibReadOk) {
            return result;
        }
        if (image.runLength) {
            StoreRunLengthChannel(dib, image, channel, data);
        } else {
            StoreRawChannel(dib, image, channel, data);
        }
    }
    return kDibReadOk;
}
