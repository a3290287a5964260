#!/usr/bin/env python3
"""Draws the program icon (kalivera.ico) and the About bitmap (about.bmp).

The picture is the cross-section of an optical fibre: a dark jacket, a light
cladding and a bright core, with a beam of light leaving it. Run it from any
folder; it writes next to itself. The outputs are committed, so the build
does not need Python.
"""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

JACKET = (28, 62, 104)
RIM = (96, 150, 205)
CLADDING = (214, 226, 238)
CORE = (255, 190, 40)
BEAM = (255, 150, 20)


def beam_half_width(size):
    """Half the beam's width, whole pixels at `size` so its edges stay sharp."""
    return max(1, round(0.09 * size)) / size


def fibre_colour(x, y, half_width):
    """Colour and coverage of the unit-square picture at (x, y), y downwards.

    The light rim keeps the dark jacket apart from a dark background; the
    beam runs at one width to the edge, so that it still shows at 16 pixels.
    """
    dx, dy = x - 0.42, y - 0.5
    r = math.hypot(dx, dy)
    beam = abs(dy) < half_width and x > 0.42
    if r < 0.13:
        return CORE, 1.0
    if r < 0.27:
        return (BEAM if beam else CLADDING), 1.0
    if r < 0.37:
        return JACKET, 1.0
    if r < 0.42:
        return (BEAM if beam else RIM), 1.0
    if beam:
        return BEAM, 1.0
    return (0, 0, 0), 0.0


def render(size, samples=4):
    """RGBA rows, top row first, anti-aliased by supersampling."""
    half_width = beam_half_width(size)
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            red = green = blue = alpha = 0.0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    colour, cover = fibre_colour(x, y, half_width)
                    red += colour[0] * cover
                    green += colour[1] * cover
                    blue += colour[2] * cover
                    alpha += cover
            n = samples * samples
            if alpha:
                row.append((round(red / alpha), round(green / alpha),
                            round(blue / alpha), round(255 * alpha / n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def icon_image(size):
    """One icon image: BITMAPINFOHEADER, 32-bit BGRA bottom-up, AND mask."""
    rows = render(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def write_icon(path, sizes):
    images = [icon_image(size) for size in sizes]
    offset = 6 + 16 * len(images)
    data = struct.pack('<HHH', 0, 1, len(images))
    for size, image in zip(sizes, images):
        data += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, 'wb') as out:
        out.write(data + b''.join(images))


def write_bitmap(path, size, background=(255, 255, 255)):
    """24-bit bottom-up BMP of the picture over a plain background."""
    rows = render(size)
    stride = (size * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for (r, g, b, a) in row:
            mix = [round(c * a / 255 + bg * (255 - a) / 255)
                   for c, bg in zip((r, g, b), background)]
            line += bytes((mix[2], mix[1], mix[0]))
        pixels += line + bytes(stride - len(line))
    info = struct.pack('<IiiHHIIiiII', 40, size, size, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, 'wb') as out:
        out.write(header + info + pixels)


if __name__ == '__main__':
    # The sizes Windows asks for from 100 % to 200 % scaling, small and large.
    write_icon(os.path.join(HERE, 'kalivera.ico'), [16, 20, 24, 32, 40, 48, 64])
    # Large enough for 192 dots per inch; the About box scales it down to its size.
    write_bitmap(os.path.join(HERE, 'about.bmp'), 128)
