// CDib, the in-memory picture: a 40-byte bitmap header with an optional
// 256-entry palette and bottom-up pixel rows padded to 4 bytes, at most
// 8192 x 8192. Textures, backgrounds, movie frames and window pictures are
// all CDibs; Load and Read fill one from a picture file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "CrossPlatform.h"

#pragma pack(push, 1)
struct BitmapInfoHeader {
    uint32_t size = 40;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 1;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    int32_t xPelsPerMeter = 1600;
    int32_t yPelsPerMeter = 1600;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
};
struct PaletteEntry {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;
};
#pragma pack(pop)
static_assert(sizeof(BitmapInfoHeader) == 40);
static_assert(sizeof(PaletteEntry) == 4);

// Results of the picture readers.
enum DibReadResult : int {
    kDibReadOk = 0,
    kDibCompressed = 1,    // compressed data, or the JPEG library failed to start
    kDibTooLarge = 2,      // width or height above kDibMaxSize
    kDibUnreadable = 3,    // not a readable file of the chosen format, or a read error
    kDibNoHeader = 4,      // the picture had no header
    kDibTooFewColors = 5,  // fewer than 8 bits per pixel
    kDibOutOfMemory = 6,
};

// What Load leaves in a picture it cannot read: the picture as the failed
// read left it, or the missing-picture sign (kMissingPictureResource).
enum class MissingPicture { Leave, DrawSign };

// Kinds for Save and Write.
enum DibFileKind : int { kDibBitmap = 0, kDibTarga = 1, kDibNothing = 2 };

constexpr int kDibMaxSize = 8192;
class CDib;
// Loads the one-bit picture resource `bitmapId` of the installed platform
// (kMissingPictureResource is the sign drawn in place of a picture that
// cannot be loaded) into a 24-bit picture: set bits white, clear bits black.
// False when there is no such resource.
bool LoadResourceMask(CDib& image, int bitmapId);

class CDib {
public:
    // Builds a picture of the given size; a 16 x 16 x 8 picture is the usual
    // start for one that is sized later.
    CDib(int width = 16, int height = 16, int bitsPerPixel = 8);
    virtual ~CDib();
    CDib(const CDib&) = delete;
    CDib& operator=(const CDib&) = delete;

    // (Re)allocates the picture, zero-filled, with a grey-ramp palette at 8
    // bits. Keeps everything when size and depth are unchanged. Fails for
    // sizes outside 1..8192, leaving the picture empty when the old buffers
    // were already released.
    virtual bool Create(int width, int height, int bitsPerPixel);
    // Loads a picture file; falls back to the file's bare name inside
    // `fallbackFolder` when it does not open. A file that cannot be opened
    // or read gives "Can't read image file "<name>": <reason>", the reason
    // in words (PictureReadReason); with MissingPicture::DrawSign the
    // picture then shows the missing-picture sign. Shows nothing itself.
    virtual Result Load(const FileSpec& file, const FileSpec* fallbackFolder = nullptr,
                        MissingPicture missing = MissingPicture::Leave);
    // Reads an open file, choosing the reader from its first bytes; a
    // DibReadResult.
    virtual int Read(PlatformFile& file);
    // Writes a Targa (kind 1, or a name with ".tga"/".TGA") or Windows
    // bitmap; a failure gives "Can't write image file "<name>": <reason>".
    // Shows nothing itself.
    virtual Result Save(const FileSpec& file, int kind);
    virtual bool Write(PlatformFile& file, int kind);
    virtual void DrawPart(const Rect& dest, const Rect& source, void* context) const;
    virtual void Draw(const Rect& dest, void* context) const;

    bool HasHeader() const { return header_ != nullptr; }
    BitmapInfoHeader* Header() { return reinterpret_cast<BitmapInfoHeader*>(header_.get()); }
    const BitmapInfoHeader* Header() const { return reinterpret_cast<const BitmapInfoHeader*>(header_.get()); }
    // The palette (256 entries at 8 bits), or null.
    PaletteEntry* Palette();
    const PaletteEntry* Palette() const;
    int PaletteEntries() const;
    uint8_t* Pixels() { return pixels_.get(); }
    const uint8_t* Pixels() const { return pixels_.get(); }
    size_t PixelBytes() const { return pixelBytes_; }

    int Width() const;
    int Height() const;
    int BitsPerPixel() const;
    int Stride() const;
    // a x (value / a + 1), or the plain value when a is 0.
    int RoundedWidth(int step) const;
    int RoundedHeight(int step) const;

    // Row r from the bottom (row 0 is the bottom row); null outside the picture.
    uint8_t* Row(int row);
    const uint8_t* Row(int row) const;
    void CopyRowIn(int row, const uint8_t* source);
    void CopyRowOut(int row, uint8_t* destination, int maxLength) const;
    void FlipVertical();
    void SwapRedBlue();
    // Releases header and pixels; the picture is empty until Create succeeds.
    void Destroy();
    // Exchanges the contents of two pictures.
    void Swap(CDib& other) noexcept;

    int16_t nominalWidth = 0;
    int16_t nominalHeight = 0;
    uint8_t flag = 0;

    // Bytes per row for a width and depth: the row padded to 4 bytes.
    static int StrideFor(int width, int bitsPerPixel);

private:
    std::unique_ptr<uint8_t[]> header_;
    std::unique_ptr<uint8_t[]> pixels_;
    size_t pixelBytes_ = 0;
};
