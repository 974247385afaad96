#!/usr/bin/env python3
"""Turns a picture drawn as text (a .art file: '#' comments, a legend line
mapping characters to palette indexes, then one line per pixel row) into a
16-colour Windows bitmap with the standard palette.
Usage: art-to-bmp.py PICTURE.art OUT.bmp
"""
import os
import struct
import sys

PALETTE = [0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
           0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF]


def read_art(path):
    legend, rows = {}, []
    for line in open(path).read().splitlines():
        if not line or line.startswith('#'):
            continue
        if line.startswith('legend '):
            legend = {pair[0]: int(pair[2:]) for pair in line.split()[1:]}
        else:
            rows.append([legend.get(pixel, 0) for pixel in line])
    if not rows or any(len(row) != len(rows[0]) for row in rows):
        sys.exit(f'{path}: rows must all be as wide as the first')
    return rows


def bitmap(rows):
    width, height = len(rows[0]), len(rows)
    stride = ((width + 1) // 2 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up, two pixels per byte
        line = bytearray((row[i] << 4) | (row[i + 1] if i + 1 < width else 0) for i in range(0, width, 2))
        pixels += line + bytes(stride - len(line))
    palette = b''.join(struct.pack('<BBBB', c & 0xFF, (c >> 8) & 0xFF, c >> 16, 0) for c in PALETTE)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 0, len(pixels), 3780, 3780, 16, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return header + info + palette + bytes(pixels)


def main():
    source, target = sys.argv[1], sys.argv[2]
    data = bitmap(read_art(source))
    with open(target + '.part', 'wb') as out:
        out.write(data)
    os.replace(target + '.part', target)


if __name__ == '__main__':
    main()
