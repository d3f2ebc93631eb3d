#!/usr/bin/python3
"""Writes the picture fixtures of the picture reader tests with tools other
than the program: Python's imaging library (PIL) and ImageMagick's convert.
Run once from this folder; the files are committed. Every picture is small
with distinct colours so that row order, channel order and row padding show.

    /usr/bin/python3 make-fixtures.py
"""
import os
import struct
import subprocess

from PIL import Image

CONVERT = "/usr/bin/convert"  # ImageMagick 6

# 5 x 3, top row first: 24-bit rows are 15 bytes, padded to 16.
COLOURS = [
    [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255), (0, 0, 0)],
    [(10, 20, 30), (40, 50, 60), (70, 80, 90), (100, 110, 120), (130, 140, 150)],
    [(255, 255, 0), (0, 255, 255), (255, 0, 255), (200, 100, 50), (50, 100, 200)],
]
GREYS = [[0, 60, 120, 180, 240], [10, 70, 130, 190, 250], [20, 80, 140, 200, 255]]
ALPHAS = [[255, 200, 150, 100, 50], [0, 10, 20, 30, 40], [128, 129, 130, 131, 132]]


def rgb():
    image = Image.new("RGB", (5, 3))
    for y, row in enumerate(COLOURS):
        for x, colour in enumerate(row):
            image.putpixel((x, y), colour)
    return image


def grey():
    image = Image.new("L", (5, 3))
    for y, row in enumerate(GREYS):
        for x, value in enumerate(row):
            image.putpixel((x, y), value)
    return image


def rgba():
    image = rgb().convert("RGBA")
    for y, row in enumerate(ALPHAS):
        for x, alpha in enumerate(row):
            r, g, b, _ = image.getpixel((x, y))
            image.putpixel((x, y), (r, g, b, alpha))
    return image


def grey_alpha():
    image = Image.new("LA", (5, 3))
    for y in range(3):
        for x in range(5):
            image.putpixel((x, y), (GREYS[y][x], ALPHAS[y][x]))
    return image


def palette():
    """Indices 0..14 in reading order, each a colour of COLOURS."""
    image = Image.new("P", (5, 3))
    flat = []
    for row in COLOURS:
        for colour in row:
            flat.extend(colour)
    image.putpalette(flat + [0] * (768 - len(flat)))
    for y in range(3):
        for x in range(5):
            image.putpixel((x, y), y * 5 + x)
    return image


def quadrants(size=16):
    """Red, green / blue, white quadrants: colours that survive JPEG."""
    image = Image.new("RGB", (size, size))
    half = size // 2
    for y in range(size):
        for x in range(size):
            image.putpixel((x, y), [[(255, 0, 0), (0, 255, 0)], [(0, 0, 255), (255, 255, 255)]][y >= half][x >= half])
    return image


def gradient(width, height):
    """Pixel (x, y), from the top left, is (6x, 11y, xy mod 256)."""
    image = Image.new("RGB", (width, height))
    for y in range(height):
        for x in range(width):
            image.putpixel((x, y), (6 * x, 11 * y, (x * y) % 256))
    return image


def convert(source, *arguments):
    subprocess.run([CONVERT, source, *arguments], check=True)


def top_down_bitmap(path):
    """A 24-bit bitmap with negative height: rows stored top first."""
    rows = b""
    for row in COLOURS:
        data = b"".join(bytes((b, g, r)) for r, g, b in row)
        rows += data + b"\0" * (16 - len(data))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, 5, -3, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + rows)


def strip_app0(jpeg):
    """The same JPEG without its JFIF segment."""
    assert jpeg[2:4] == b"\xff\xe0"
    length = struct.unpack(">H", jpeg[4:6])[0]
    return jpeg[:2] + jpeg[4 + length:]


def bitmaps():
    grey().save("bmp_grey8.bmp")
    palette().save("bmp_palette8.bmp")
    rgb().save("bmp_rgb24.bmp")
    rgba().save("bmp_rgba32.bmp")
    rgb().convert("1").save("bmp_1bit.bmp")
    # ImageMagick marks its 5-5-5 file as bit fields (compression 3) with the
    # standard 5-5-5 layout; the same file marked uncompressed is the plain
    # 16-bit bitmap.
    convert("bmp_rgb24.bmp", "-define", "bmp:subtype=RGB555", "BMP3:bmp_bitfields16.bmp")
    with open("bmp_bitfields16.bmp", "rb") as source:
        data = bytearray(source.read())
    assert data[30] == 3 and data[28] == 16
    data[30] = 0
    with open("bmp_rgb555.bmp", "wb") as out:
        out.write(data)
    convert("bmp_palette8.bmp", "-compress", "RLE", "BMP3:bmp_rle8.bmp")
    top_down_bitmap("bmp_topdown24.bmp")
    masked_bitmaps()


def masked_bitmap(path, info_size, compression, bits, masks):
    """A bitmap whose pixels are packed through the given red, green, blue
    (and alpha) masks, as GIMP writes them: the masks inside a V4 (108-byte)
    header, or after a 40-byte one."""
    def pack(value, mask):
        if mask == 0:
            return 0
        shift = (mask & -mask).bit_length() - 1
        largest = mask >> shift
        return (round(value * largest / 255) << shift) & mask

    stride = (5 * bits + 31) // 32 * 4
    rows = b""
    for y in reversed(range(3)):
        row = b""
        for x in range(5):
            r, g, b = COLOURS[y][x]
            alpha = ALPHAS[y][x]
            value = pack(r, masks[0]) | pack(g, masks[1]) | pack(b, masks[2])
            if len(masks) > 3:
                value |= pack(alpha, masks[3])
            elif bits == 32:
                value |= 0x5A000000  # the unused byte holds no alpha
            row += struct.pack("<I" if bits == 32 else "<H", value)
        rows += row + b"\0" * (stride - len(row))
    mask_bytes = struct.pack("<%dI" % len(masks), *masks)
    info = struct.pack("<IiiHHIIiiII", info_size, 5, 3, 1, bits, compression, len(rows), 2835, 2835, 0, 0)
    if info_size > 40:
        info += (mask_bytes + b"\0" * 16)[:16] + b"\0" * (info_size - 56)
        extra = b""
    else:
        extra = mask_bytes
    offset = 14 + len(info) + len(extra)
    header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    with open(path, "wb") as out:
        out.write(header + info + extra + rows)


def masked_bitmaps():
    """Bitmaps with bit fields: ImageMagick's V5 files of 32 and 16 bits and
    GIMP-style ones with other masks and headers."""
    convert("bmp_rgba32.bmp", "BMP:bmp_v5_argb32.bmp")
    convert("bmp_rgb24.bmp", "-define", "bmp:subtype=RGB565", "BMP:bmp_v5_rgb565.bmp")
    convert("bmp_rgba32.bmp", "-define", "bmp:subtype=ARGB4444", "BMP:bmp_v5_argb4444.bmp")
    convert("bmp_rgba32.bmp", "-define", "bmp:subtype=ARGB1555", "BMP:bmp_v5_argb1555.bmp")
    masked_bitmap("bmp_v4_abgr32.bmp", 108, 3, 32, (0xFF, 0xFF00, 0xFF0000, 0xFF000000))
    masked_bitmap("bmp_xrgb32.bmp", 40, 3, 32, (0xFF0000, 0xFF00, 0xFF))
    masked_bitmap("bmp_alphabitfields16.bmp", 40, 6, 16, (0xF00, 0xF0, 0xF, 0xF000))
    masked_bitmap("bmp_badmasks32.bmp", 108, 3, 32, (0xFF0000, 0xFF0F00, 0xFF, 0))


def targas():
    rgb().save("tga_bottom.tga", orientation=-1)
    rgb().save("tga_top.tga", orientation=1)
    rgb().save("tga_id.tga", id_section=b"Tavrilo picture test", orientation=-1)
    palette().save("tga_colormap.tga", orientation=-1)
    rgba().save("tga_rgba32.tga", orientation=1)
    grey().save("tga_grey8.tga", orientation=-1)
    rgb().save("tga_rle.tga", compression="tga_rle")


def tiffs():
    rgb().save("tiff_rgb_le.tif")
    convert("tiff_rgb_le.tif", "-define", "tiff:endian=msb", "-compress", "None", "tiff_rgb_be.tif")
    convert("tiff_rgb_le.tif", "-compress", "None", "-define", "tiff:rows-per-strip=1", "tiff_strips_le.tif")
    convert("tiff_rgb_le.tif", "-define", "tiff:endian=msb", "-compress", "None", "-define", "tiff:rows-per-strip=1",
            "tiff_strips_be.tif")
    # ImageMagick names SamplesPerPixel 1; PIL leaves it out.
    grey().save("tiff_grey8.png")
    convert("tiff_grey8.png", "-compress", "None", "tiff_grey8.tif")
    os.remove("tiff_grey8.png")
    rgba().save("tiff_rgba32.tif")
    # 40 x 40: the pixel data comes first, so the directory lies past byte 4095.
    quadrants(40).save("tiff_quadrants40.png")
    convert("tiff_quadrants40.png", "-compress", "None", "tiff_far_directory.tif")
    os.remove("tiff_quadrants40.png")
    convert("tiff_rgb_le.tif", "-compress", "LZW", "tiff_lzw.tif")


def photoshops():
    rgb().save("source_rgb.png")
    rgba().save("source_rgba.png")
    grey().save("source_grey.png")
    grey_alpha().save("source_grey_alpha.png")
    palette().save("source_palette.png")
    for compression, suffix in (("None", "raw"), ("RLE", "rle")):
        convert("source_rgb.png", "-compress", compression, f"psd_rgb_{suffix}.psd")
        convert("source_grey.png", "-compress", compression, f"psd_grey_{suffix}.psd")
    convert("source_rgba.png", "-compress", "RLE", "psd_rgba_rle.psd")
    convert("source_rgba.png", "-compress", "None", "psd_rgba_raw.psd")
    convert("source_grey_alpha.png", "-compress", "None", "psd_grey_alpha.psd")
    convert("source_palette.png", "-type", "Palette", "-compress", "None", "psd_indexed.psd")
    for name in ("rgb", "rgba", "grey", "grey_alpha", "palette"):
        os.remove(f"source_{name}.png")


def jpegs():
    quadrants().convert("L").save("jpeg_grey.jpg", quality=95)
    quadrants().save("jpeg_colour.jpg", quality=95, subsampling=0)
    quadrants().save("jpeg_progressive.jpg", quality=95, subsampling=0, progressive=True)
    with open("jpeg_colour.jpg", "rb") as source:
        bare = strip_app0(source.read())
    for name in ("jpeg_nojfif.jpg", "jpeg_nojfif.dat"):
        with open(name, "wb") as out:
            out.write(bare)


def pngs():
    """Every PNG colour type, 1 to 16 bits, interlaced and not."""
    rgb().save("png_rgb8.png")
    rgba().save("png_rgba8.png")
    grey().save("png_grey8.png")
    grey_alpha().save("png_grey_alpha8.png")
    palette().save("png_palette8.png")
    palette().save("png_palette4.png", bits=4)
    # Index 4 (the black pixel at the top right) transparent, the rest opaque.
    palette().save("png_palette_trns.png", transparency=4)
    # Grey 0, 60, 120 ... as 1 bit: below 128 black, otherwise white.
    grey().point(lambda v: 255 if v >= 128 else 0).convert("1").save("png_grey1.png")
    convert("png_rgb8.png", "-depth", "16", "PNG48:png_rgb16.png")
    convert("png_rgba8.png", "-depth", "16", "PNG64:png_rgba16.png")
    convert("png_grey8.png", "-depth", "16", "-define", "png:color-type=0", "-define", "png:bit-depth=16",
            "png_grey16.png")
    convert("png_rgb8.png", "-interlace", "PNG", "-define", "png:color-type=2", "png_interlaced.png")
    # Odd sizes, so that every one of the seven passes ends inside a row.
    gradient(37, 23).save("png_gradient.png")
    convert("png_gradient.png", "-interlace", "PNG", "-define", "png:color-type=2", "png_interlaced_gradient.png")
    os.remove("png_gradient.png")


if __name__ == "__main__":
    os.chdir(os.path.dirname(os.path.abspath(__file__)))
    bitmaps()
    targas()
    tiffs()
    photoshops()
    jpegs()
    pngs()
