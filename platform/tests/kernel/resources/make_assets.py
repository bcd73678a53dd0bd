#!/usr/bin/env python3
"""Writes the small pictures the resource tests embed: an 8-bit DIB, a two-size cursor and an
icon with three images. Deterministic; run it from this folder to remake the checked-in files."""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', '..', '..', 'scripts'))
from dib_pixels import dib_header, packed_rows  # noqa: E402


def bitmap_8bit():
    width, height = 5, 3  # 5 bytes of pixels per row, padded to 8
    table = b''.join(struct.pack('<BBBB', i, 255 - i, i // 2, 0) for i in range(256))  # B, G, R
    pixels = packed_rows(width, height, 8, lambda x, y: 16 * y + 40 * x + 1)
    info = dib_header(width, height, 8, 0) + table + pixels
    file_header = struct.pack('<2sIHHI', b'BM', 14 + len(info), 0, 0, 14 + 40 + len(table))
    return file_header + info


def icon_image(size, bits, seed):
    colours = 1 << bits if bits <= 8 else 0
    table = b''.join(struct.pack('<BBBB', (i * 7 + seed) & 255, (i * 3) & 255, i & 255, 0)
                     for i in range(colours))
    xor = packed_rows(size, size, bits, lambda x, y: (x + y + seed) % max(colours, 2))
    mask = packed_rows(size, size, 1, lambda x, y: 1 if x < y else 0)  # transparent below the diagonal
    return dib_header(size, 2 * size, bits, colours if bits < 8 else 0) + table + xor + mask


def icon_file(kind, images):
    """kind 1: icon (entries carry planes and bit count); kind 2: cursor (they carry the hot spot)."""
    head = struct.pack('<HHH', 0, kind, len(images))
    offset = len(head) + 16 * len(images)
    entries, data = b'', b''
    for size, bits, field1, field2, body in images:
        colours = 1 << bits if bits < 8 else 0
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, colours, 0, field1, field2,
                               len(body), offset + len(data))
        data += body
    return head + entries + data


def main():
    with open('dib8.bmp', 'wb') as f:
        f.write(bitmap_8bit())
    cursor = [(32, 1, 3, 5, icon_image(32, 1, 1)), (16, 1, 1, 2, icon_image(16, 1, 2))]
    with open('pointer.cur', 'wb') as f:
        f.write(icon_file(2, cursor))
    icon = [(16, 4, 1, 4, icon_image(16, 4, 3)), (32, 4, 1, 4, icon_image(32, 4, 4)),
            (32, 8, 1, 8, icon_image(32, 8, 5))]
    with open('sizes.ico', 'wb') as f:
        f.write(icon_file(1, icon))


if __name__ == '__main__':
    main()
