#!/usr/bin/env python3
"""Draws the Tervanne emblem (a gold sword across a gold ring on a dark green
tile) and writes it as a Windows icon with sizes 16 to 256.

Usage: make_icon.py [OUTPUT.ico]   (default: platform/win32/tervanne.ico)

Small sizes are stored as 32-bit bitmaps (every Windows version reads them),
the 256 one as PNG to keep the file small. Only the standard library is used,
and the output is byte-for-byte the same on every run.
"""
import os
import struct
import sys
import zlib

SIZES = [16, 20, 24, 32, 40, 48, 64, 128, 256]

GREEN_TOP = (30, 78, 48)
GREEN_BOTTOM = (14, 40, 26)
GOLD_LIGHT = (240, 204, 98)
GOLD = (212, 168, 58)
GOLD_DARK = (150, 108, 30)
GRIP = (92, 52, 28)


def rounded_square(x, y, radius):
    # Inside a [0,1]^2 square with rounded corners.
    cx = min(max(x, radius), 1 - radius)
    cy = min(max(y, radius), 1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius and 0 <= x <= 1 and 0 <= y <= 1


def sample(x, y, px):
    """Colour (r, g, b, a) of the emblem at unit coordinates, y down; px is one
    pixel in unit coordinates so that thin parts stay visible on small icons."""
    if not rounded_square(x, y, 0.18):
        return (0, 0, 0, 0)
    # Gold rim just inside the tile's edge.
    rim = max(0.03, px * 1.0)
    if not rounded_square((x - rim) / (1 - 2 * rim), (y - rim) / (1 - 2 * rim), 0.16):
        return GOLD_DARK + (255,)

    half_blade = max(0.055, px * 0.9)
    # Sword, point up.
    tip_y, guard_top, guard_bottom = 0.10, 0.64, 0.71
    if tip_y <= y <= guard_top:
        taper = min(1.0, (y - tip_y) / 0.12)
        if abs(x - 0.5) <= half_blade * taper:
            # Lit left edge, shaded right edge: a ridge down the middle.
            return (GOLD_LIGHT if x < 0.5 else GOLD) + (255,)
    if guard_top <= y <= guard_bottom and 0.26 <= x <= 0.74:
        return (GOLD if y < (guard_top + guard_bottom) / 2 else GOLD_DARK) + (255,)
    if guard_bottom <= y <= 0.84 and abs(x - 0.5) <= max(0.035, px * 0.75):
        return GRIP + (255,)
    pommel_r = max(0.05, px * 1.2)
    if (x - 0.5) ** 2 + (y - 0.875) ** 2 <= pommel_r ** 2:
        return GOLD + (255,)

    # Ring behind the blade: the round table.
    d = ((x - 0.5) ** 2 + (y - 0.44) ** 2) ** 0.5
    thick = max(0.03, px * 0.8)
    if abs(d - 0.27) <= thick:
        return GOLD + (255,)

    t = y
    return tuple(int(GREEN_TOP[i] * (1 - t) + GREEN_BOTTOM[i] * t) for i in range(3)) + (255,)


def render(size):
    """Rows of (r, g, b, a), top row first, with supersampled edges."""
    grid = 4 if size < 128 else 3
    px = 1.0 / size
    rows = []
    for j in range(size):
        row = []
        for i in range(size):
            r = g = b = a = 0
            for sj in range(grid):
                for si in range(grid):
                    x = (i + (si + 0.5) / grid) / size
                    y = (j + (sj + 0.5) / grid) / size
                    cr, cg, cb, ca = sample(x, y, px)
                    # Premultiply while averaging so edges do not turn dark.
                    r += cr * ca
                    g += cg * ca
                    b += cb * ca
                    a += ca
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(r / a), round(g / a), round(b / a), round(a / (grid * grid))))
        rows.append(row)
    return rows


def bitmap_entry(size, rows):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for i, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[i // 8] |= 0x80 >> (i % 8)
        mask += line
    return header + bytes(pixels) + bytes(mask)


def png_entry(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xFFFFFFFF)

    raw = bytearray()
    for row in rows:
        raw.append(0)
        for pixel in row:
            raw += bytes(pixel)
    ihdr = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) +
            chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'platform', 'win32', 'tervanne.ico')
    images = []
    for size in SIZES:
        rows = render(size)
        images.append(png_entry(size, rows) if size >= 256 else bitmap_entry(size, rows))
    data = bytearray(struct.pack('<HHH', 0, 1, len(SIZES)))
    offset = 6 + 16 * len(SIZES)
    for size, image in zip(SIZES, images):
        dim = 0 if size >= 256 else size
        data += struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        data += image
    with open(out, 'wb') as f:
        f.write(data)
    print(f'{out}: {len(SIZES)} images, {len(data)} bytes')


if __name__ == '__main__':
    main()
