#!/usr/bin/env python3
"""Writes the three test bitmaps of ResourceTest.rc: a 4-bit 5 x 3 picture with
a 16-entry colour table, an 8-bit 7 x 2 picture whose header leaves the colour
count at 0 (all 256), and a 24-bit 3 x 2 picture with two padding bytes after
its pixels. Run it in this folder."""
import struct


def bmp(path, w, h, bpp, palette, rows, clr_used=0, trailing=b''):
    stride = ((w * bpp + 31) // 32) * 4
    pixels = b''.join(r + b'\0' * (stride - len(r)) for r in rows)  # bottom-up
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, bpp, 0, len(pixels), 2835, 2835, clr_used, 0)
    data = info + table + pixels + trailing
    header = struct.pack('<2sIHHI', b'BM', 14 + len(data), 0, 0, 14 + len(info) + len(table))
    with open(path, 'wb') as f:
        f.write(header + data)


bmp('four.bmp', 5, 3, 4, [(i * 17, 255 - i * 17, (i * 53) % 256) for i in range(16)],
    [bytes([0x01, 0x23, 0x40]), bytes([0x56, 0x78, 0x90]), bytes([0xAB, 0xCD, 0xE0])], clr_used=16)
bmp('eight.bmp', 7, 2, 8, [(i, (i * 7) % 256, 255 - i) for i in range(256)],
    [bytes([0, 1, 2, 3, 250, 254, 255]), bytes([128, 64, 32, 16, 8, 4, 2])])
bmp('true.bmp', 3, 2, 24, [],
    [bytes([0, 0, 255, 0, 255, 0, 255, 0, 0]), bytes([255, 255, 255, 0, 0, 0, 128, 128, 128])], trailing=b'\0\0')
