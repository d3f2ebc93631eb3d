#!/usr/bin/python3
"""Draws the program's pictures: tool buttons, the background tile, key
marks, the small bracket picture, the missing-picture mask, the cursors and
the program icon. Run from this folder: /usr/bin/python3 make_resources.py"""
from PIL import Image, ImageDraw

FACE = (214, 214, 210)
FACE_DOWN = (150, 152, 156)
EDGE = (40, 40, 40)
LIGHT = (250, 250, 250)
SHADE = (110, 110, 110)
GLYPH = (20, 20, 20)
LIT = (40, 190, 70)
KEY = (200, 40, 40)


def button(glyph, pressed=False, lit=False):
    img = Image.new("RGB", (19, 19), (192, 192, 192))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([0, 0, 18, 18], radius=3, fill=FACE_DOWN if pressed else FACE, outline=EDGE)
    if pressed:
        d.line([1, 2, 1, 16], fill=SHADE)
        d.line([2, 1, 16, 1], fill=SHADE)
    else:
        d.line([1, 2, 1, 16], fill=LIGHT)
        d.line([2, 1, 16, 1], fill=LIGHT)
        d.line([17, 2, 17, 16], fill=SHADE)
        d.line([2, 17, 16, 17], fill=SHADE)
    shift = 1 if pressed else 0
    colour = LIT if lit else GLYPH
    glyph(d, shift, colour)
    return img


def forward(d, s, c):
    d.polygon([(6 + s, 4 + s), (6 + s, 14 + s), (14 + s, 9 + s)], fill=c)


def reverse(d, s, c):
    d.polygon([(12 + s, 4 + s), (12 + s, 14 + s), (4 + s, 9 + s)], fill=c)


def stop(d, s, c):
    d.rectangle([5 + s, 5 + s, 13 + s, 13 + s], fill=c)


def add_key(d, s, c):
    d.polygon([(8 + s, 3 + s), (13 + s, 8 + s), (8 + s, 13 + s), (3 + s, 8 + s)], fill=KEY, outline=EDGE)
    d.line([12 + s, 14 + s, 16 + s, 14 + s], fill=GLYPH)
    d.line([14 + s, 12 + s, 14 + s, 16 + s], fill=GLYPH)


def disabled(d, s, c):
    d.rectangle([5, 5, 13, 13], outline=SHADE)


def tile():
    img = Image.new("RGB", (128, 128), (168, 174, 182))
    d = ImageDraw.Draw(img)
    for k in range(-128, 128, 8):
        d.line([k, 0, k + 128, 128], fill=(176, 182, 190))
    for k in range(0, 128, 32):
        d.line([0, k, 127, k], fill=(160, 166, 174))
    return img


def key_mark(selected):
    img = Image.new("RGB", (12, 12), (192, 192, 192))
    d = ImageDraw.Draw(img)
    fill = (250, 210, 40) if selected else (70, 110, 200)
    d.polygon([(5, 0), (11, 5), (6, 11), (0, 6)], fill=fill, outline=EDGE)
    return img


def bracket():
    img = Image.new("RGB", (12, 12), (192, 192, 192))
    d = ImageDraw.Draw(img)
    d.line([2, 0, 6, 0], fill=GLYPH)
    d.line([6, 0, 6, 11], fill=GLYPH)
    d.line([2, 11, 6, 11], fill=GLYPH)
    d.line([6, 6, 11, 6], fill=GLYPH)
    return img


def missing_mask():
    img = Image.new("1", (64, 64), 0)
    d = ImageDraw.Draw(img)
    d.rectangle([0, 0, 63, 63], outline=1)
    d.line([0, 0, 63, 63], fill=1, width=2)
    d.line([0, 63, 63, 0], fill=1, width=2)
    return img


def outlined(draw_shape):
    """A 32 x 32 cursor: the shape in black with a white outline."""
    img = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    draw_shape(d, (255, 255, 255, 255), 3)
    draw_shape(d, (0, 0, 0, 255), 1)
    return img


def move_cursor(d, c, w):
    d.line([16, 3, 16, 29], fill=c, width=w)
    d.line([3, 16, 29, 16], fill=c, width=w)
    for (x, y, pts) in [(16, 2, [(12, 7), (20, 7)]), (16, 30, [(12, 25), (20, 25)]),
                        (2, 16, [(7, 12), (7, 20)]), (30, 16, [(25, 12), (25, 20)])]:
        d.polygon([(x, y)] + pts, fill=c, outline=c)


def spin_cursor(d, c, w):
    d.arc([5, 5, 27, 27], 200, 340, fill=c, width=w + 1)
    d.arc([5, 5, 27, 27], 20, 160, fill=c, width=w + 1)
    d.polygon([(25, 8), (29, 15), (21, 14)], fill=c, outline=c)
    d.polygon([(7, 24), (3, 17), (11, 18)], fill=c, outline=c)
    d.ellipse([14, 14, 18, 18], fill=c)


def scrub_cursor(d, c, w):
    d.line([16, 4, 16, 28], fill=c, width=w)
    d.line([5, 16, 27, 16], fill=c, width=w)
    d.polygon([(3, 16), (9, 11), (9, 21)], fill=c, outline=c)
    d.polygon([(29, 16), (23, 11), (23, 21)], fill=c, outline=c)


def icon(size):
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    s = size / 64.0
    d.rounded_rectangle([2 * s, 2 * s, 61 * s, 61 * s], radius=10 * s, fill=(28, 34, 48, 255),
                        outline=(200, 200, 210, 255), width=max(1, int(2 * s)))
    d.line([10 * s, 52 * s, 54 * s, 52 * s], fill=(200, 200, 210, 255), width=max(1, int(2 * s)))
    bars = [(12, 34, (230, 60, 50)), (24, 22, (250, 200, 40)), (36, 28, (60, 170, 240)), (48, 14, (90, 210, 90))]
    for x, top, colour in bars:
        depth = 4 * s
        x0, x1, y0, y1 = x * s - 4 * s, x * s + 4 * s, top * s, 51 * s
        dark = tuple(int(v * 0.6) for v in colour) + (255,)
        d.polygon([(x1, y0), (x1 + depth, y0 - depth), (x1 + depth, y1 - depth), (x1, y1)], fill=dark)
        d.polygon([(x0, y0), (x0 + depth, y0 - depth), (x1 + depth, y0 - depth), (x1, y0)],
                  fill=tuple(min(255, int(v * 1.2)) for v in colour) + (255,))
        d.rectangle([x0, y0, x1, y1], fill=colour + (255,))
    return img


def main():
    pictures = {
        102: button(stop), 103: button(forward, pressed=True), 104: button(forward, lit=True),
        105: button(reverse), 106: button(reverse, pressed=True), 107: button(reverse, lit=True),
        108: button(forward), 109: button(stop, pressed=True), 110: button(disabled),
        111: button(add_key), 112: button(add_key, pressed=True),
        113: tile(), 120: key_mark(False), 125: key_mark(True), 132: bracket(), 133: missing_mask(),
    }
    for number, picture in pictures.items():
        picture.save(f"bitmaps/{number}.png")
    outlined(spin_cursor).save("cursors/106.png")
    outlined(move_cursor).save("cursors/135.png")
    outlined(scrub_cursor).save("cursors/136.png")
    icon(64).save("icons/101.png")
    icon(256).save("icons/tavrilo.png")


if __name__ == "__main__":
    main()
