#!/usr/bin/env python3
"""Writes the pictures and animations the dialog tests embed: three button faces, the trackbar
superclass's channel and thumb, and two 16 x 12 AVI clips of three frames (8-bit uncompressed and
RLE8, the RLE frames drawing only what changes). Deterministic; run it from this folder."""
import struct

W, H = 16, 12
PALETTE = [(0, 0, 0), (255, 0, 0), (0, 255, 0), (0, 0, 255)] + [(i, i, i) for i in range(4, 256)]


def header(width, height, bits, compression=0, image=0, colours=0):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, compression, image, 0, 0, colours, 0)


def solid_bmp(path, width, height, rgb):
    row = bytes((rgb[2], rgb[1], rgb[0])) * width
    row += b'\0' * ((-len(row)) % 4)
    pixels = row * height
    info = header(width, height, 24, 0, len(pixels))
    with open(path, 'wb') as f:
        f.write(b'BM' + struct.pack('<IHHI', 14 + len(info) + len(pixels), 0, 0, 14 + len(info)) + info + pixels)


def frame_index(frame, x, y):
    """Frame k: a 4-pixel-wide bar of colour k+1 at x = 4k, the rest black."""
    return frame + 1 if 4 * frame <= x < 4 * frame + 4 else 0


def raw_frame(frame):
    out = bytearray()
    for y in reversed(range(H)):
        out += bytes(frame_index(frame, x, y) for x in range(W))
    return bytes(out)


def rle_frame(frame):
    """Key frame 0 whole; later frames only the columns that change, with delta skips."""
    out = bytearray()
    for y in reversed(range(H)):
        row = [frame_index(frame, x, y) for x in range(W)]
        if frame == 0:
            out += bytes((W, 0)) if not any(row) else bytes((4, 1, W - 4, 0))
        else:
            # The old bar goes black, the new one takes colour frame+1: 8 pixels from x = 4(frame-1).
            start = 4 * (frame - 1)
            if start:
                out += bytes((0, 2, start, 0))
            out += bytes((4, 0, 4, frame + 1))
        out += bytes((0, 0))
    out += bytes((0, 1))
    return bytes(out)


def chunk(fourcc, data):
    return fourcc + struct.pack('<I', len(data)) + data + (b'\0' if len(data) % 2 else b'')


def lst(kind, data):
    return chunk(b'LIST', kind + data)


def avi(path, frames, compression):
    fmt = header(W, H, 8, compression, 0, 256) + b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    avih = struct.pack('<IIIIIIIIII', 100000, 0, 0, 0, len(frames), 0, 1, 0, W, H) + b'\0' * 16
    strh = b'vids' + (b'RLE ' if compression else b'DIB ') + struct.pack('<IHHIIIIIIIIhhhh', 0, 0, 0, 0, 1, 10, 0,
                                                                           len(frames), 0, 0xFFFFFFFF, 0, 0, 0, W, H)
    hdrl = lst(b'hdrl', chunk(b'avih', avih) + lst(b'strl', chunk(b'strh', strh) + chunk(b'strf', fmt)))
    movi = lst(b'movi', b''.join(chunk(b'00dc' if compression else b'00db', f) for f in frames))
    body = b'AVI ' + hdrl + movi
    with open(path, 'wb') as f:
        f.write(b'RIFF' + struct.pack('<I', len(body)) + body)


solid_bmp('face_ok.bmp', 8, 8, (0, 128, 0))
solid_bmp('face_cancel.bmp', 8, 8, (128, 0, 0))
solid_bmp('face_help.bmp', 8, 8, (0, 0, 128))
solid_bmp('channel.bmp', 4, 4, (255, 128, 0))
solid_bmp('thumb.bmp', 4, 4, (0, 128, 255))
avi('bars8.avi', [raw_frame(k) for k in range(3)], 0)
avi('bars_rle8.avi', [rle_frame(k) for k in range(3)], 1)
