#!/usr/bin/env python3
"""Writes the pictures the wizard embeds besides its measuring patterns (those are drawn at run
time): the display-type buttons in their up, hot and down faces, the progress dots, the
brightness and contrast symbols, the slider channel and thumbs, the application icon, the two
grid cursors and the application palette. Deterministic; run it from this folder to remake the
checked-in files."""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'scripts'))
from dib_pixels import dib_header, packed_rows, stride  # noqa: E402

GREY = (192, 192, 192)


class Canvas:
    def __init__(self, width, height, colour):
        self.width, self.height = width, height
        self.pixels = [[colour] * width for _ in range(height)]

    def rect(self, left, top, right, bottom, colour):
        for y in range(max(top, 0), min(bottom, self.height)):
            for x in range(max(left, 0), min(right, self.width)):
                self.pixels[y][x] = colour

    def frame(self, left, top, right, bottom, colour, width=1):
        self.rect(left, top, right, top + width, colour)
        self.rect(left, bottom - width, right, bottom, colour)
        self.rect(left, top, left + width, bottom, colour)
        self.rect(right - width, top, right, bottom, colour)

    def disc(self, cx, cy, r, colour):
        for y in range(self.height):
            for x in range(self.width):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.pixels[y][x] = colour

    def bmp(self):
        data = bytearray()
        for y in reversed(range(self.height)):
            row = bytearray()
            for r, g, b in self.pixels[y]:
                row += bytes((b, g, r))
            row.extend(b'\0' * (stride(self.width, 24) - len(row)))
            data += row
        info = dib_header(self.width, self.height, 24, 0, len(data))
        return b'BM' + struct.pack('<IHHI', 14 + len(info) + len(data), 0, 0, 14 + len(info)) + info + data


# ---- Display-type buttons (100 x 90) ------------------------------------------------------------
BODY, SCREEN, EDGE = (72, 72, 80), (40, 70, 140), (16, 16, 16)


def crt(c, dx, dy):
    c.rect(18 + dx, 12 + dy, 82 + dx, 66 + dy, BODY)          # the tube's case
    c.rect(24 + dx, 17 + dy, 76 + dx, 57 + dy, SCREEN)
    c.frame(18 + dx, 12 + dy, 82 + dx, 66 + dy, EDGE)
    c.rect(36 + dx, 66 + dy, 64 + dx, 72 + dy, BODY)          # the foot
    c.rect(28 + dx, 72 + dy, 72 + dx, 76 + dy, EDGE)


def flat_panel(c, dx, dy):
    c.rect(12 + dx, 14 + dy, 88 + dx, 60 + dy, BODY)
    c.rect(15 + dx, 17 + dy, 85 + dx, 57 + dy, SCREEN)
    c.frame(12 + dx, 14 + dy, 88 + dx, 60 + dy, EDGE)
    c.rect(46 + dx, 60 + dy, 54 + dx, 70 + dy, BODY)          # the neck
    c.rect(32 + dx, 70 + dy, 68 + dx, 74 + dy, EDGE)


def notebook(c, dx, dy):
    c.rect(22 + dx, 12 + dy, 78 + dx, 52 + dy, BODY)          # the lid
    c.rect(25 + dx, 15 + dy, 75 + dx, 49 + dy, SCREEN)
    c.frame(22 + dx, 12 + dy, 78 + dx, 52 + dy, EDGE)
    c.rect(14 + dx, 52 + dy, 86 + dx, 62 + dy, BODY)          # the keyboard half
    c.frame(14 + dx, 52 + dy, 86 + dx, 62 + dy, EDGE)
    for k in range(8):
        c.rect(19 + 8 * k + dx, 55 + dy, 24 + 8 * k + dx, 59 + dy, (150, 150, 150))


# ---- Room lighting buttons (100 x 90): a tube, a bulb, a spot lamp and a sun ------------------
LIGHT, GLASS = (255, 240, 150), (200, 200, 180)


def fluorescent(c, dx, dy):
    c.rect(12 + dx, 30 + dy, 88 + dx, 44 + dy, LIGHT)          # the tube
    c.frame(12 + dx, 30 + dy, 88 + dx, 44 + dy, EDGE)
    c.rect(8 + dx, 28 + dy, 12 + dx, 46 + dy, BODY)            # its two caps
    c.rect(88 + dx, 28 + dy, 92 + dx, 46 + dy, BODY)
    c.rect(20 + dx, 54 + dy, 80 + dx, 58 + dy, GLASS)          # the fitting's shine


def incandescent(c, dx, dy):
    c.disc(50 + dx, 36 + dy, 20, EDGE)
    c.disc(50 + dx, 36 + dy, 18.5, LIGHT)                      # the bulb
    c.rect(42 + dx, 54 + dy, 58 + dx, 70 + dy, BODY)           # the screw cap
    for k in range(4):
        c.rect(42 + dx, 56 + 4 * k + dy, 58 + dx, 57 + 4 * k + dy, EDGE)


def halogen(c, dx, dy):
    c.rect(30 + dx, 14 + dy, 70 + dx, 40 + dy, BODY)           # the spot's head
    c.frame(30 + dx, 14 + dy, 70 + dx, 40 + dy, EDGE)
    c.disc(50 + dx, 27 + dy, 10, (255, 255, 230))              # its lamp
    c.rect(48 + dx, 40 + dy, 52 + dx, 70 + dy, EDGE)           # the stand
    c.rect(34 + dx, 70 + dy, 66 + dx, 74 + dy, EDGE)


def daylight(c, dx, dy):
    for k in range(8):                                          # rays
        c.rect(48 + dx, 8 + 9 * k + dy, 52 + dx, 12 + 9 * k + dy, (255, 200, 0))
        c.rect(14 + 9 * k + dx, 39 + dy, 18 + 9 * k + dx, 43 + dy, (255, 200, 0))
    c.disc(50 + dx, 41 + dy, 17, (255, 200, 0))                # the sun


def button_faces(name, draw):
    faces = {'U': (GREY, (0, 0), None), 'H': ((216, 216, 216), (0, 0), (255, 200, 0)),
             'D': ((160, 160, 160), (2, 2), (16, 16, 16))}
    for face, (background, (dx, dy), border) in faces.items():
        c = Canvas(100, 90, background)
        draw(c, dx, dy)
        if border:
            c.frame(0, 0, 100, 90, border, 2)
        with open(f'{name.lower()}_{face.lower()}.bmp', 'wb') as f:
            f.write(c.bmp())


# ---- Small pictures ------------------------------------------------------------------------------
def dot(path, colour):
    c = Canvas(12, 12, GREY)
    c.disc(6, 6, 5.5, (32, 32, 32))
    c.disc(6, 6, 4.5, colour)
    with open(path, 'wb') as f:
        f.write(c.bmp())


def symbols():
    sun = Canvas(16, 16, (0, 0, 0))  # brightness: a sun on the instruction panel's black
    sun.disc(8, 8, 3.5, (255, 255, 255))
    for x, y in [(8, 1), (8, 14), (1, 8), (14, 8), (3, 3), (12, 3), (3, 12), (12, 12)]:
        sun.rect(x - 1, y - 1, x + 1, y + 1, (255, 255, 255))
    with open('brightness.bmp', 'wb') as f:
        f.write(sun.bmp())
    half = Canvas(16, 16, (0, 0, 0))  # contrast: a disc half white, half black
    half.disc(8, 8, 6.5, (255, 255, 255))
    half.disc(8, 8, 5.5, (0, 0, 0))
    for y in range(16):
        for x in range(8, 16):
            if (x + 0.5 - 8) ** 2 + (y + 0.5 - 8) ** 2 <= 5.5 * 5.5:
                half.pixels[y][x] = (255, 255, 255)
    with open('contrast.bmp', 'wb') as f:
        f.write(half.bmp())


def slider_parts():
    channel = Canvas(4, 4, (64, 64, 64))
    with open('slider_channel.bmp', 'wb') as f:
        f.write(channel.bmp())
    for name, colour in [('blue', (0, 0, 255)), ('red', (255, 0, 0)), ('green', (0, 255, 0)),
                         ('white', (255, 255, 255))]:
        c = Canvas(20, 10, colour)
        c.frame(0, 0, 20, 10, (0, 0, 0))
        c.rect(2, 4, 18, 6, (0, 0, 0))
        with open(f'thumb_{name}.bmp', 'wb') as f:
            f.write(c.bmp())


# ---- Icon and cursors ------------------------------------------------------------------------------
def icon_image(size, pixel, mask, bits):
    colours = 1 << bits
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in ICON_COLOURS[:colours])
    table += b'\0' * (4 * colours - len(table))
    return dib_header(size, 2 * size, bits, colours) + table + packed_rows(size, size, bits, pixel) + \
        packed_rows(size, size, 1, mask)


ICON_COLOURS = [(0, 0, 0), (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255), (128, 128, 128)]


def icon_pixel(size):
    def pixel(x, y):
        third = size // 3
        if x < 1 or y < 1 or x >= size - 1 or y >= size - 1:
            return 0
        return 1 + min(x // third, 2)  # red, green and blue bands
    return pixel


def icon_file(kind, images):
    """kind 1: icon; kind 2: cursor (the entries carry the hot spot)."""
    head = struct.pack('<HHH', 0, kind, len(images))
    offset = len(head) + 16 * len(images)
    entries, data = b'', b''
    for size, colours, field1, field2, body in images:
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, colours, 0, field1, field2,
                               len(body), offset + len(data))
        data += body
    return head + entries + data


def cursors():
    """176: an open square target over a patch; 177: the same filled, while the button is down."""
    def make(filled):
        def shape(x, y):
            inside = 9 <= x <= 22 and 9 <= y <= 22
            edge = inside and (x in (9, 22) or y in (9, 22))
            cross = (x == 15 or y == 15) and (x < 9 or x > 22 or y < 9 or y > 22) and 2 <= x <= 29 and 2 <= y <= 29
            return edge or cross or (filled and inside)
        colours = [(0, 0, 0), (255, 255, 255)]
        table = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in colours)
        xor = packed_rows(32, 32, 1, lambda x, y: 0)                     # black where shown
        mask = packed_rows(32, 32, 1, lambda x, y: 0 if shape(x, y) else 1)
        return dib_header(32, 64, 1, 2) + table + xor + mask
    for path, filled in [('grid.cur', False), ('grid_down.cur', True)]:
        with open(path, 'wb') as f:
            f.write(icon_file(2, [(32, 2, 15, 15, make(filled))]))


# ---- The application palette (256 RGB triples) -------------------------------------------------------
def palette():
    system_low = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
                  (0, 128, 128), (192, 192, 192), (192, 220, 192), (166, 202, 240)]
    system_high = [(255, 251, 240), (160, 160, 164), (128, 128, 128), (255, 0, 0), (0, 255, 0),
                   (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
    levels = [8 * k for k in range(1, 32) if 8 * k != 128]                 # 30 levels
    entries = list(system_low)
    entries += [(v, v, v) for v in levels]
    entries += [(v, 0, 0) for v in levels]
    entries += [(0, v, 0) for v in levels]
    entries += [(0, 0, v) for v in levels]
    entries += [(64 + 8 * k, 128, 192 - 8 * k) for k in range(17)]
    # The pictures' own colours: the buttons' cases and screens and a 4 x 6 x 3 colour cube.
    picture = [BODY, SCREEN, EDGE, (150, 150, 150), (216, 216, 216), (255, 200, 0)]
    picture += [(r, g, b) for r in (0, 85, 170, 255) for g in (0, 51, 102, 153, 204, 255)
                for b in (0, 128, 255)][:72 - len(picture)]
    entries += picture
    entries += [(0, 0, 0)] * (246 - len(entries))                         # 219 to 245: animated
    entries += system_high
    assert len(entries) == 256
    with open('palette.bin', 'wb') as f:
        f.write(bytes(c for rgb in entries for c in rgb))


# ---- The lighting sounds (WAVE 186 to 189): short tones, one pitch per lighting ------------------
def tone(path, frequency):
    import math
    rate, seconds = 11025, 0.15
    count = int(rate * seconds)
    samples = bytes(int(128 + 60 * math.sin(2 * math.pi * frequency * i / rate) * min(1.0, (count - i) / 400))
                    for i in range(count))
    fmt = struct.pack('<HHIIHH', 1, 1, rate, rate, 1, 8)
    body = b'WAVE' + b'fmt ' + struct.pack('<I', len(fmt)) + fmt + b'data' + struct.pack('<I', len(samples)) + samples
    if len(samples) % 2:
        body += b'\0'
    with open(path, 'wb') as f:
        f.write(b'RIFF' + struct.pack('<I', len(body)) + body)


def main():
    button_faces('CRT', crt)
    button_faces('LCD', flat_panel)
    button_faces('LAP', notebook)
    button_faces('FLUO', fluorescent)
    button_faces('INCA', incandescent)
    button_faces('HALO', halogen)
    button_faces('DAY', daylight)
    dot('dot_done.bmp', (0, 200, 0))
    dot('dot_todo.bmp', (96, 96, 96))
    symbols()
    slider_parts()
    icon = [(16, 16, 1, 4, icon_image(16, icon_pixel(16), lambda x, y: 0, 4)),
            (32, 16, 1, 4, icon_image(32, icon_pixel(32), lambda x, y: 0, 4))]
    with open('huevista.ico', 'wb') as f:
        f.write(icon_file(1, icon))
    cursors()
    palette()
    for lighting, frequency in enumerate([880, 523, 659, 784]):  # fluorescent, incandescent, halogen, daylight
        tone(f'lighting{lighting}.wav', frequency)


if __name__ == '__main__':
    main()
