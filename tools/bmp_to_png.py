#!/usr/bin/env python3
"""Converts the 32-bit BMP pictures of the GUI tests into PNG files.

usage: bmp_to_png.py FILE.bmp ...   (writes FILE.png beside each, removes the BMP)
"""

import struct
import sys
import zlib


def read_bmp(path):
    """Width, height and RGB rows, top row first, of a 32-bit BI_RGB BMP."""
    with open(path, 'rb') as source:
        data = source.read()
    offset, = struct.unpack_from('<I', data, 10)
    width, height, _, bits, compression = struct.unpack_from('<iiHHI', data, 18)
    if bits != 32 or compression != 0:
        raise ValueError(f'{path}: not a 32-bit uncompressed BMP')
    top_down = height < 0
    height = abs(height)
    rows = []
    for y in range(height):
        start = offset + y * width * 4
        bgrx = data[start:start + width * 4]
        rgb = bytearray(width * 3)
        rgb[0::3] = bgrx[2::4]
        rgb[1::3] = bgrx[1::4]
        rgb[2::3] = bgrx[0::4]
        rows.append(bytes(rgb))
    if not top_down:
        rows.reverse()
    return width, height, rows


def chunk(kind, body):
    return (struct.pack('>I', len(body)) + kind + body +
            struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF))


def write_png(path, width, height, rows):
    raw = b''.join(b'\x00' + row for row in rows)  # filter type 0 on every row
    header = struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)
    with open(path, 'wb') as out:
        out.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
                  chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


if __name__ == '__main__':
    import os
    for bmp in sys.argv[1:]:
        write_png(os.path.splitext(bmp)[0] + '.png', *read_bmp(bmp))
        os.remove(bmp)
