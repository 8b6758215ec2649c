#!/usr/bin/env python3
"""Draws the program's icon, an hourglass, at 16x16 and 32x32 in 16 colours,
and writes it as a .ico (standard library only).

Usage: make-icon.py OUT.ico
"""
import struct
import sys

# Index 0 is transparent (its mask bit is set).
PALETTE = [
    (0, 0, 0),
    (96, 56, 24),     # 1 wood
    (60, 32, 12),     # 2 dark wood
    (70, 90, 120),    # 3 glass edge
    (205, 228, 245),  # 4 glass
    (232, 184, 64),   # 5 sand
    (180, 130, 30),   # 6 dark sand
]
PALETTE += [(0, 0, 0)] * (16 - len(PALETTE))


def draw(n):
    """Rows of palette indexes, top row first."""
    px = [[0] * n for _ in range(n)]
    bar = max(2, n // 8)
    for y in list(range(bar)) + list(range(n - bar, n)):
        for x in range(1, n - 1):
            edge = y in (0, n - 1) or x in (1, n - 2)
            px[y][x] = 2 if edge else 1
    top, bottom = bar, n - bar - 1
    middle = (top + bottom) / 2
    widest = n / 2 - 3
    neck = max(1.0, n / 16)
    pile = bottom - (bottom - top) // 4  # the sand's surface below
    heap = top + (bottom - top) * 3 // 8  # and above, down to the neck
    for y in range(top, bottom + 1):
        t = abs(y - middle) / (middle - top)
        half = neck + (widest - neck) * t ** 0.7
        left, right = round(n / 2 - half), round(n / 2 + half) - 1
        for x in range(left, right + 1):
            if x in (left, right):
                px[y][x] = 3
            elif y >= pile or heap <= y < middle:
                px[y][x] = 5 if (x + y) % 5 else 6
            else:
                px[y][x] = 4
    for y in range(int(middle), pile):  # the falling stream
        px[y][n // 2 - 1] = 5
    return px


def bitmap(px):
    n = len(px)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colours = b""
    mask = b""
    for row in reversed(px):  # bottom-up
        line = bytes((row[x] << 4) | row[x + 1] for x in range(0, n, 2))
        colours += line + b"\0" * (-len(line) % 4)
        bits = 0
        for x in range(n):
            bits = (bits << 1) | (1 if row[x] == 0 else 0)
        line = bits.to_bytes(n // 8, "big")
        mask += line + b"\0" * (-len(line) % 4)
    return header + palette + colours + mask


def main():
    images = [bitmap(draw(n)) for n in (16, 32)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, image in zip((16, 32), images):
        out += struct.pack("<BBBBHHII", n, n, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    out += b"".join(images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
