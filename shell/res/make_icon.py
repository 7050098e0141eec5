#!/usr/bin/env python3
"""Writes posrelay.ico: one 32 x 32 image with 256 colours, a map pin.

The icon is committed; run this script from this folder to regenerate it.
The output is the same byte for byte on every run.
"""
import math
import struct

SIZE = 32
TRANSPARENT, OUTLINE, BODY, DOT = 0, 1, 2, 3
PALETTE = [(0, 0, 0), (110, 10, 10), (215, 40, 35), (255, 255, 255)]


def pin_shape(x, y):
    """Whether the pixel centre (x, y), y counted from the top, is on the pin."""
    cx, cy, radius = 15.5, 11.5, 9.5
    if math.hypot(x - cx, y - cy) <= radius:
        return True
    # The tapering point below the head, down to the tip at row 30.
    if cy <= y <= 30.5:
        half_width = radius * (30.5 - y) / (30.5 - cy)
        return abs(x - cx) <= half_width
    return False


def pixel(column, row):
    x, y = column + 0.5, row + 0.5
    if not pin_shape(x, y):
        return TRANSPARENT
    if math.hypot(x - 16.0, y - 12.0) <= 3.6:
        return DOT
    neighbours = [(x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)]
    if not all(pin_shape(nx, ny) for nx, ny in neighbours):
        return OUTLINE
    return BODY


def image_bytes():
    rows = [[pixel(column, row) for column in range(SIZE)] for row in range(SIZE)]
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, 0, 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    palette += b"\0" * (4 * (256 - len(PALETTE)))
    # Both bitmaps are stored bottom row first; a set mask bit is transparent.
    colours = b"".join(bytes(row) for row in reversed(rows))
    mask = b""
    for row in reversed(rows):
        bits = 0
        for value in row:
            bits = (bits << 1) | (value == TRANSPARENT)
        mask += struct.pack(">I", bits)
    return header + palette + colours + mask


def main():
    image = image_bytes()
    directory = struct.pack("<HHH", 0, 1, 1)
    # Width, height, colour count (0 means 256), reserved, planes, bits,
    # image size, image offset.
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    with open("posrelay.ico", "wb") as icon:
        icon.write(directory + entry + image)


if __name__ == "__main__":
    main()
