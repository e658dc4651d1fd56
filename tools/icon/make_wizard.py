#!/usr/bin/env python3
"""Draws the installer's side picture (164 x 314, as the wizard's welcome and
finish pages show it): the launcher's dark green fading to almost black, with
the game's emblem near the top. Standard library only, same bytes every run.

Usage: make_wizard.py OUTPUT.bmp
"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_icon  # noqa: E402

WIDTH, HEIGHT, EMBLEM, TOP = 164, 314, 120, 40


def background(y):
    # The launcher window's bands: (22, 42, 32) at the top, darker below.
    f = y / HEIGHT
    return (22 - 12 * f, 42 - 26 * f, 32 - 18 * f)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "assistant.bmp"
    emblem = make_icon.render(EMBLEM)
    left = (WIDTH - EMBLEM) // 2
    rows = []
    for y in range(HEIGHT):
        row = []
        for x in range(WIDTH):
            r, g, b = background(y)
            ey, ex = y - TOP, x - left
            if 0 <= ey < EMBLEM and 0 <= ex < EMBLEM:
                er, eg, eb, ea = emblem[ey][ex]
                a = ea / 255.0
                r, g, b = er * a + r * (1 - a), eg * a + g * (1 - a), eb * a + b * (1 - a)
            row.append((int(r + 0.5), int(g + 0.5), int(b + 0.5)))
        rows.append(row)
    stride = (WIDTH * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):  # bottom row first
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(out, "wb") as f:
        f.write(header + info + pixels)


if __name__ == "__main__":
    main()
