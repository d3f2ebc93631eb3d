// The PNG reader, on libpng: every colour type and depth the format allows
// (palette, grey, grey with alpha, RGB, RGBA; 1 to 16 bits; interlaced or
// not) becomes a 24-bit picture, or a 32-bit one with alpha when the file
// has an alpha channel or a transparency chunk. 16-bit samples are scaled
// to 8 bits; the picture is stored as read, without gamma correction.
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <vector>

#include "PictureReaders.h"

namespace {

// Memory libpng may take for one ancillary chunk (text, profiles): a
// picture file claims no more of it than this.
constexpr png_alloc_size_t kChunkMemoryLimit = 1 << 20;
// Ancillary chunks kept before the rest are skipped.
constexpr png_uint_32 kChunkCountLimit = 128;

// Owns the libpng read and info structures.
struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;

    PngReader() {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
        info = png ? png_create_info_struct(png) : nullptr;
    }
    ~PngReader() { png_destroy_read_struct(png ? &png : nullptr, info ? &info : nullptr, nullptr); }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;

    // libpng's errors end the read through the jump buffer; its warnings
    // (an ancillary chunk with a bad checksum, say) change nothing.
    static void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
    static void OnWarning(png_structp, png_const_charp) {}
};

// libpng's reads come from the cursor; a file that ends early is an error.
void ReadFromCursor(png_structp png, png_bytep data, size_t length) {
    auto* in = static_cast<ByteCursor*>(png_get_io_ptr(png));
    if (!in->Read(data, length)) {
        png_error(png, "the file ends early");
    }
}

// Asks libpng for 8-bit BGR or BGRA rows whatever the file holds.
void AskForBgr(png_structp png, png_infop info) {
    const int colorType = png_get_color_type(png, info);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8) {
        png_set_expand_gray_1_2_4_to_8(png);
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(png);
    }
    png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// The part of the read that libpng may leave by a jump: no object with a
// destructor lives here. `rows` is sized by the caller once the picture is.
int ReadInto(PngReader& reader, CDib& dib, ByteCursor& in, std::vector<png_bytep>& rows) {
    png_structp png = reader.png;
    png_infop info = reader.info;
    if (setjmp(png_jmpbuf(png))) {
        return kDibUnreadable;
    }
    png_set_read_fn(png, &in, ReadFromCursor);
    png_set_chunk_malloc_max(png, kChunkMemoryLimit);
    png_set_chunk_cache_max(png, kChunkCountLimit);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (width > static_cast<png_uint_32>(kDibMaxSize) || height > static_cast<png_uint_32>(kDibMaxSize)) {
        return kDibTooLarge;
    }
    AskForBgr(png, info);
    const int channels = png_get_channels(png, info);
    if ((channels != 3 && channels != 4) || png_get_bit_depth(png, info) != 8) {
        return kDibUnreadable;
    }
    int result = PrepareForReading(dib, static_cast<int>(width), static_cast<int>(height), 8 * channels);
    if (result != kDibReadOk) {
        return result;
    }
    // The file's first row is the picture's top: the last stored row.
    for (png_uint_32 y = 0; y < height; ++y) {
        rows[y] = dib.Row(static_cast<int>(height - 1 - y));
    }
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    return kDibReadOk;
}

// Whether the header chunk, which comes first, gives a width or height
// above the cap: said before libpng reads on (a file that is too large is
// refused as such, whatever follows its header). The cursor is left after
// the signature.
bool HeaderTooLarge(ByteCursor& in) {
    constexpr uint64_t kAfterSignature = 8;
    uint8_t header[16] = {};  // length, "IHDR", width, height
    bool read = in.Read(header, sizeof(header));
    in.Seek(kAfterSignature);
    if (!read || std::memcmp(header + 4, "IHDR", 4) != 0) {
        return false;
    }
    const uint32_t width = ReadInteger(header + 8, 4, true);
    const uint32_t height = ReadInteger(header + 12, 4, true);
    return width > static_cast<uint32_t>(kDibMaxSize) || height > static_cast<uint32_t>(kDibMaxSize);
}

}  // namespace

bool IsPngSignature(const uint8_t* first8) {
    return png_sig_cmp(first8, 0, 8) == 0;
}

int ReadPngFile(CDib& dib, ByteCursor& in) {
    uint8_t signature[8] = {};
    if (!in.Read(signature, sizeof(signature)) || !IsPngSignature(signature)) {
        return kDibUnreadable;
    }
    if (HeaderTooLarge(in)) {
        return kDibTooLarge;
    }
    PngReader reader;
    if (!reader.png || !reader.info) {
        return kDibOutOfMemory;
    }
    png_set_sig_bytes(reader.png, sizeof(signature));
    // One pointer a row, for the tallest picture taken: allocated before the
    // read so that nothing is allocated where libpng may jump out.
    std::vector<png_bytep> rows(static_cast<size_t>(kDibMaxSize), nullptr);
    return ReadInto(reader, dib, in, rows);
}
