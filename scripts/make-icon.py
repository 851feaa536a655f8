#!/usr/bin/env python3
"""Draws the stub's icon, a 32 x 32 smiling face in 16 colours, and writes it as a .ico file."""
import struct
import sys

SIZE = 32
# The standard 16-colour palette, as (red, green, blue).
PALETTE = [(0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128),
           (128, 128, 0), (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0),
           (0, 255, 255), (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255)]
BLACK, YELLOW = 0, 14


def pixel(x, y):
    """Colour index at (x, y), or None where the icon is transparent."""
    cx = cy = 15.5
    d2 = (x - cx) ** 2 + (y - cy) ** 2
    if d2 > 15.5 ** 2:
        return None
    if d2 > 14 ** 2:
        return BLACK
    for ex in (10.5, 20.5):  # eyes
        if (x - ex) ** 2 + (y - 11.5) ** 2 <= 2.5 ** 2:
            return BLACK
    r2 = (x - cx) ** 2 + (y - 15.5) ** 2  # the smile: a lower arc
    if y > 17 and 8.5 ** 2 <= r2 <= 10 ** 2:
        return BLACK
    return YELLOW


def build():
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):  # bottom-up rows
        row = [pixel(x, y) for x in range(SIZE)]
        for x in range(0, SIZE, 2):
            a, b = (row[x] or 0), (row[x + 1] or 0)
            xor.append(a << 4 | b)
        bits = 0
        for x in range(SIZE):
            bits = bits << 1 | (1 if row[x] is None else 0)
        mask += struct.pack('>I', bits)
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)  # RGBQUAD order
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 22)
    return directory + image


if __name__ == '__main__':
    with open(sys.argv[1], 'wb') as out:
        out.write(build())
