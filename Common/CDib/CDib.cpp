// The CDib object: creation, rows, flipping and channel order.
#include "CDib.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

CDib::CDib(int width, int height, int bitsPerPixel) { Create(width, height, bitsPerPixel); }

CDib::~CDib() = default;

int CDib::StrideFor(int width, int bitsPerPixel) {
    return ((bitsPerPixel / 8) * width + 3) & ~3;
}

bool CDib::Create(int width, int height, int bitsPerPixel) {
    if (header_ && width == Width() && height == Height() && bitsPerPixel == BitsPerPixel()) {
        return true;
    }
    if (width <= 0 || height <= 0 || width > kDibMaxSize || height > kDibMaxSize) {
        return false;
    }
    if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32) {
        return false;
    }
    int entries = bitsPerPixel == 8 ? 256 : 0;
    Destroy();
    size_t headerBytes = sizeof(BitmapInfoHeader) + 4u * static_cast<size_t>(entries);
    size_t pixelBytes = static_cast<size_t>(height) * static_cast<size_t>(StrideFor(width, bitsPerPixel)) + 4u;
    std::unique_ptr<uint8_t[]> header(new (std::nothrow) uint8_t[headerBytes]());
    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[pixelBytes]());
    if (!header || !pixels) {
        return false;
    }
    BitmapInfoHeader info;
    info.width = width;
    info.height = height;
    info.bitCount = static_cast<uint16_t>(bitsPerPixel);
    std::memcpy(header.get(), &info, sizeof(info));
    auto* palette = reinterpret_cast<PaletteEntry*>(header.get() + sizeof(BitmapInfoHeader));
    for (int i = 0; i < entries; ++i) {
        uint8_t grey = static_cast<uint8_t>(i);
        palette[i] = PaletteEntry{grey, grey, grey, 0};
    }
    header_ = std::move(header);
    pixels_ = std::move(pixels);
    pixelBytes_ = pixelBytes;
    nominalWidth = static_cast<int16_t>(width);
    nominalHeight = static_cast<int16_t>(height);
    return true;
}

void CDib::Destroy() {
    header_.reset();
    pixels_.reset();
    pixelBytes_ = 0;
}

void CDib::Swap(CDib& other) noexcept {
    std::swap(header_, other.header_);
    std::swap(pixels_, other.pixels_);
    std::swap(pixelBytes_, other.pixelBytes_);
    std::swap(nominalWidth, other.nominalWidth);
    std::swap(nominalHeight, other.nominalHeight);
    std::swap(flag, other.flag);
}

PaletteEntry* CDib::Palette() {
    return PaletteEntries() ? reinterpret_cast<PaletteEntry*>(header_.get() + sizeof(BitmapInfoHeader)) : nullptr;
}

const PaletteEntry* CDib::Palette() const {
    return PaletteEntries() ? reinterpret_cast<const PaletteEntry*>(header_.get() + sizeof(BitmapInfoHeader))
                            : nullptr;
}

int CDib::PaletteEntries() const { return header_ && BitsPerPixel() == 8 ? 256 : 0; }

int CDib::Width() const { return header_ ? Header()->width : 0; }
int CDib::Height() const { return header_ ? Header()->height : 0; }
int CDib::BitsPerPixel() const { return header_ ? Header()->bitCount : 0; }
int CDib::Stride() const { return StrideFor(Width(), BitsPerPixel()); }

int CDib::RoundedWidth(int step) const { return step == 0 ? Width() : step * (Width() / step + 1); }
int CDib::RoundedHeight(int step) const { return step == 0 ? Height() : step * (Height() / step + 1); }

uint8_t* CDib::Row(int row) {
    if (!pixels_ || row < 0 || row >= Height()) {
        return nullptr;
    }
    return pixels_.get() + static_cast<size_t>(row) * static_cast<size_t>(Stride());
}

const uint8_t* CDib::Row(int row) const { return const_cast<CDib*>(this)->Row(row); }

void CDib::CopyRowIn(int row, const uint8_t* source) {
    uint8_t* target = Row(row);
    if (target && source) {
        std::memcpy(target, source, static_cast<size_t>(Stride()));
    }
}

void CDib::CopyRowOut(int row, uint8_t* destination, int maxLength) const {
    const uint8_t* source = Row(row);
    if (source && destination && maxLength > 0) {
        std::memcpy(destination, source, static_cast<size_t>(std::min(maxLength, Stride())));
    }
}

void CDib::FlipVertical() {
    int height = Height();
    for (int i = 0; i < height / 2; ++i) {
        std::swap_ranges(Row(i), Row(i) + Stride(), Row(height - 1 - i));
    }
}

void CDib::SwapRedBlue() {
    int bytesPerPixel = BitsPerPixel() / 8;
    if (bytesPerPixel != 3 && bytesPerPixel != 4) {
        return;
    }
    for (int row = 0; row < Height(); ++row) {
        uint8_t* pixel = Row(row);
        for (int x = 0; x < Width(); ++x, pixel += bytesPerPixel) {
            std::swap(pixel[0], pixel[2]);
        }
    }
}

void CDib::DrawPart(const Rect& dest, const Rect& source, void* context) const {
    if (header_) {
        StretchImage(dest, source, context, *this);
    }
}

void CDib::Draw(const Rect& dest, void* context) const {
    DrawPart(dest, Rect{0, 0, Width(), Height()}, context);
}
