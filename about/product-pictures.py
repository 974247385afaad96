#!/usr/bin/env python3
"""Draws the About box's product picture, a tall narrow image (43 x 233): a
night-blue column that brightens towards the top, crossed by a row of sound
bars, with a white note head near the bottom. Written twice: with the 16
colours of the standard palette, and with 256 colours for a smooth fade.
Usage: product-pictures.py OUT16.bmp OUT256.bmp
"""
import os
import struct
import sys

WIDTH, HEIGHT = 43, 233
STANDARD = [0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
            0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF]


def shade(x, y):
    """0..1 brightness of the column at a pixel, or None for white."""
    note = (x - 18) ** 2 / 64 + (y - 200) ** 2 / 30 <= 1 or (x in (25, 26) and 150 <= y <= 200)
    if note:
        return None
    bar = 60 <= y <= 120 and x % 6 in (1, 2, 3) and (y - 60) > (x * 7) % 50
    level = 1.0 - y / HEIGHT
    return min(1.0, level + 0.35) if bar else level


def colour16(value):
    if value is None:
        return 15
    return [0, 4, 12, 6, 14][min(4, int(value * 5))]


def colour256(value):
    return 255 if value is None else int(value * 254)


def palette256():
    ramp = []
    for i in range(255):
        t = i / 254
        ramp.append((int(40 + 215 * t) << 0) | (int(180 * t * t) << 8))
    return ramp + [0xFFFFFF]


def bmp(bits, palette, index):
    per_byte = 8 // bits
    stride = ((WIDTH + per_byte - 1) // per_byte + 3) // 4 * 4
    pixels = bytearray()
    for y in reversed(range(HEIGHT)):
        row = bytearray(stride)
        for x in range(WIDTH):
            value = index(shade(x, y))
            if bits == 4:
                row[x // 2] |= value << (4 if x % 2 == 0 else 0)
            else:
                row[x] = value
        pixels += row
    table = b''.join(struct.pack('<BBBB', c & 0xFF, (c >> 8) & 0xFF, c >> 16, 0) for c in palette)
    info = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, bits, 0, len(pixels), 3780, 3780, len(palette), 0)
    offset = 14 + len(info) + len(table)
    return struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset) + info + table + bytes(pixels)


def write(path, data):
    with open(path + '.part', 'wb') as out:
        out.write(data)
    os.replace(path + '.part', path)


def main():
    write(sys.argv[1], bmp(4, STANDARD, colour16))
    write(sys.argv[2], bmp(8, palette256(), colour256))


if __name__ == '__main__':
    main()
