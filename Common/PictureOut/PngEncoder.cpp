#include "PngEncoder.h"

#include <libdeflate.h>

#include <memory>
#include <new>

#include "RunDeflate.h"

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint8_t kColourRgb = 2;
constexpr uint8_t kColourRgba = 6;
constexpr uint8_t kFilterSub = 1;

// libdeflate's quickest level, for pictures the run encoder does not suit.
constexpr int kGeneralLevel = 1;

struct CompressorFree {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

bool GeneralDeflate(const std::vector<uint8_t>& data, std::vector<uint8_t>& out) {
    // One compressor for each writer thread, kept for its whole sequence.
    thread_local std::unique_ptr<libdeflate_compressor, CompressorFree> compressor(
        libdeflate_alloc_compressor(kGeneralLevel));
    if (!compressor) {
        return false;
    }
    out.resize(libdeflate_zlib_compress_bound(compressor.get(), data.size()));
    size_t size = libdeflate_zlib_compress(compressor.get(), data.data(), data.size(), out.data(), out.size());
    out.resize(size);
    return size > 0;
}

// Appends a chunk: length, type, data and the CRC of type and data.
void PutChunk(std::vector<uint8_t>& bytes, const char type[4], const uint8_t* data, size_t size) {
    AppendInteger(bytes, static_cast<uint32_t>(size), 4, true);
    size_t typeAt = bytes.size();
    bytes.insert(bytes.end(), type, type + 4);
    if (size > 0) {
        bytes.insert(bytes.end(), data, data + size);
    }
    AppendInteger(bytes, libdeflate_crc32(0, bytes.data() + typeAt, size + 4), 4, true);
}

// Filters one row of `width` BGR(A) pixels into RGB(A) differences to the
// pixel on the left, through `rgb` (a row of RGB(A) pixels). Two simple
// loops, which the compiler turns into vector code.
template <int kChannels>
void FilterRow(const uint8_t* in, int width, uint8_t* rgb, uint8_t* out) {
    for (int x = 0; x < width; ++x, in += kChannels) {
        uint8_t* pixel = rgb + x * kChannels;
        pixel[0] = in[2];
        pixel[1] = in[1];
        pixel[2] = in[0];
        if constexpr (kChannels == 4) {
            pixel[3] = in[3];
        }
    }
    const int size = width * kChannels;
    for (int i = 0; i < kChannels; ++i) {
        out[i] = rgb[i];
    }
    for (int i = kChannels; i < size; ++i) {
        out[i] = static_cast<uint8_t>(rgb[i] - rgb[i - kChannels]);
    }
}

// The filtered image data: each row top to bottom as its filter byte and
// its filtered pixels.
void FilterRows(const CDib& picture, std::vector<uint8_t>& filtered) {
    const int width = picture.Width();
    const int height = picture.Height();
    const bool alpha = picture.BitsPerPixel() == 32;
    const size_t rowBytes = static_cast<size_t>(width) * (alpha ? 4 : 3);
    filtered.resize((rowBytes + 1) * static_cast<size_t>(height));
    std::vector<uint8_t> rgb(rowBytes);
    uint8_t* out = filtered.data();
    for (int y = height - 1; y >= 0; --y, out += rowBytes + 1) {
        out[0] = kFilterSub;
        if (alpha) {
            FilterRow<4>(picture.Row(y), width, rgb.data(), out + 1);
        } else {
            FilterRow<3>(picture.Row(y), width, rgb.data(), out + 1);
        }
    }
}

}  // namespace

bool EncodePng(const CDib& picture, std::vector<uint8_t>& bytes) {
    const int bits = picture.BitsPerPixel();
    if ((bits != 24 && bits != 32) || picture.Width() < 1 || picture.Height() < 1) {
        return false;
    }
    try {
        // Kept for the thread's next picture: a sequence's frames are alike
        // in size, so after the first no memory is asked for.
        thread_local std::vector<uint8_t> filtered;
        thread_local std::vector<uint8_t> compressed;
        FilterRows(picture, filtered);
        compressed.clear();
        const size_t rowBytes = filtered.size() / static_cast<size_t>(picture.Height());
        if (!RunDeflate(filtered.data(), filtered.size(), rowBytes, compressed) &&
            !GeneralDeflate(filtered, compressed)) {
            return false;
        }
        const size_t size = compressed.size();
        std::vector<uint8_t> header;
        AppendInteger(header, static_cast<uint32_t>(picture.Width()), 4, true);
        AppendInteger(header, static_cast<uint32_t>(picture.Height()), 4, true);
        header.push_back(8);  // bits per channel
        header.push_back(bits == 32 ? kColourRgba : kColourRgb);
        // Compression, filter method and interlace: deflate, adaptive
        // filtering, no interlace.
        header.insert(header.end(), {0, 0, 0});
        bytes.clear();
        bytes.reserve(size + 64);
        bytes.insert(bytes.end(), kSignature, kSignature + sizeof(kSignature));
        PutChunk(bytes, "IHDR", header.data(), header.size());
        PutChunk(bytes, "IDAT", compressed.data(), size);
        PutChunk(bytes, "IEND", nullptr, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
