#!/usr/bin/env python3
"""Writes the small pictures the resource tests embed: an 8-bit DIB, a two-size cursor and an
icon with three images. Deterministic; run it from this folder to remake the checked-in files."""
import struct


def dib_header(width, height, bit_count, colours):
    # BITMAPINFOHEADER; for icon and cursor images the height counts the XOR and AND masks.
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bit_count, 0, 0, 0, 0, colours, 0)


def stride(width, bits):
    return (width * bits + 31) // 32 * 4


def rows(width, height, bits, pixel):
    """Bottom-up rows of `pixel(x, y)` values packed at `bits` per pixel, each padded to 4 bytes."""
    out = bytearray()
    for y in reversed(range(height)):
        row, acc, used = bytearray(), 0, 0
        for x in range(width):
            acc = (acc << bits) | pixel(x, y)
            used += bits
            if used == 8:
                row.append(acc)
                acc, used = 0, 0
        if used:
            row.append(acc << (8 - used))
        row.extend(b'\0' * (stride(width, bits) - len(row)))
        out += row
    return bytes(out)


def bitmap_8bit():
    width, height = 5, 3  # 5 bytes of pixels per row, padded to 8
    table = b''.join(struct.pack('<BBBB', i, 255 - i, i // 2, 0) for i in range(256))  # B, G, R
    pixels = rows(width, height, 8, lambda x, y: 16 * y + 40 * x + 1)
    info = dib_header(width, height, 8, 0) + table + pixels
    file_header = struct.pack('<2sIHHI', b'BM', 14 + len(info), 0, 0, 14 + 40 + len(table))
    return file_header + info


def icon_image(size, bits, seed):
    colours = 1 << bits if bits <= 8 else 0
    table = b''.join(struct.pack('<BBBB', (i * 7 + seed) & 255, (i * 3) & 255, i & 255, 0)
                     for i in range(colours))
    xor = rows(size, size, bits, lambda x, y: (x + y + seed) % max(colours, 2))
    mask = rows(size, size, 1, lambda x, y: 1 if x < y else 0)  # transparent below the diagonal
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
