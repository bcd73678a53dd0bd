"""Pixel packing shared by the scripts that draw the checked-in pictures: device-independent
bitmap rows and the bitmap info header."""
import struct


def stride(width, bits):
    """Bytes in one row of `width` pixels at `bits` per pixel, padded to 4 bytes."""
    return (width * bits + 31) // 32 * 4


def packed_rows(width, height, bits, pixel):
    """Bottom-up rows of pixel(x, y) values at `bits` per pixel, each padded to 4 bytes."""
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


def dib_header(width, height, bits, colours=0, image=0):
    """BITMAPINFOHEADER; for icon and cursor images the height counts the XOR and AND masks."""
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0, image, 0, 0, colours, 0)
