#!/usr/bin/env python3
"""Draws the program's own small pictures: the application icon in several sizes,
the hand cursor HAND-M.CUR, the drag pointer drag.ico and the one upright sample picture,
Samples/birch.png (the others come from make_samples.sh). Run once; the results are kept
in the repository beside this script."""
import math
import struct
import zlib


def png(width, height, pixels):
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def icon_pixels(size):
    """A leaf-green rounded tile holding a white page with a small landscape picture."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            u, v = (x + 0.5) / size, (y + 0.5) / size
            r = 0.18
            dx = max(r - u, 0, u - (1 - r))
            dy = max(r - v, 0, v - (1 - r))
            inside = dx * dx + dy * dy <= r * r
            if not inside:
                row.append((0, 0, 0, 0))
                continue
            colour = (46, 139, 87, 255)
            if 0.26 <= u <= 0.74 and 0.16 <= v <= 0.84:
                colour = (255, 255, 255, 255)
                if 0.32 <= u <= 0.68 and 0.26 <= v <= 0.62:
                    colour = (135, 196, 235, 255)
                    hill = 0.62 - 0.14 * math.exp(-((u - 0.45) ** 2) / 0.01)
                    if v > hill:
                        colour = (60, 160, 80, 255)
                    if (u - 0.6) ** 2 + (v - 0.34) ** 2 < 0.0016:
                        colour = (250, 200, 40, 255)
                elif 0.32 <= u <= 0.68 and 0.68 <= v <= 0.72:
                    colour = (160, 160, 160, 255)  # a caption line under the picture
            row.append(colour)
        rows.append(row)
    return rows


def bmp_entry(size, pixels):
    """One image of an ICO/CUR file: a 32-bit BMP with an AND mask, bottom row first."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(pixels):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + xor + mask


def ico(images, cursor_hotspot=None):
    kind = 2 if cursor_hotspot else 1
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for size, pixels in images:
        blob = bmp_entry(size, pixels)
        a, b = cursor_hotspot if cursor_hotspot else (1, 32)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, a, b, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return out + b"".join(blobs)


def draw(size, shapes):
    """shapes: list of (test(x, y) -> bool, rgba); later shapes paint over earlier ones."""
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            colour = (0, 0, 0, 0)
            for test, rgba in shapes:
                if test(x, y):
                    colour = rgba
            row.append(colour)
        pixels.append(row)
    return pixels


def hand():
    black, white = (0, 0, 0, 255), (255, 255, 255, 255)

    def finger(x, y):
        return 10 <= x <= 13 and 2 <= y <= 16

    def palm(x, y):
        return 6 <= x <= 22 and 12 <= y <= 26 and not (x == 6 and y < 16)

    def outline(x, y):
        def body(a, b):
            return finger(a, b) or palm(a, b)
        return body(x, y) and not all(body(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1))

    def knuckles(x, y):
        return y == 12 and x in (14, 18, 22) or (x in (14, 18) and 12 <= y <= 16)

    return draw(32, [(lambda x, y: finger(x, y) or palm(x, y), white), (outline, black), (knuckles, black)])


def drag_pointer():
    blue, white = (30, 90, 200, 255), (255, 255, 255, 255)

    def arrows(x, y):
        c = 15.5
        shaft = abs(x - c) <= 1.5 and 4 <= y <= 27
        top = y >= 2 and y <= 9 and abs(x - c) <= (y - 2)
        bottom = y <= 29 and y >= 22 and abs(x - c) <= (29 - y)
        return shaft or top or bottom

    def rim(x, y):
        return not arrows(x, y) and any(arrows(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1))

    return draw(32, [(arrows, blue), (rim, white)])


def birch_pixels(width, height):
    """A birch trunk against a morning sky, on grass: taller than wide."""
    rows = []
    for y in range(height):
        v = y / (height - 1)
        row = []
        for x in range(width):
            colour = (int(150 + 90 * v), int(190 + 50 * v), 235, 255)
            if v > 0.85:
                colour = (70, 140, 60, 255)
            if 70 <= x < 100 and v <= 0.9:
                colour = (236, 232, 222, 255)
                if (y // 17 + x // 9) % 5 == 0 and 74 <= x < 92:
                    colour = (40, 36, 32, 255)
            row.append(colour)
        rows.append(row)
    return rows


if __name__ == "__main__":
    sizes = [16, 24, 32, 48, 64, 128, 256]
    for s in sizes:
        with open(f"icons/lumigrove-{s}.png", "wb") as f:
            f.write(png(s, s, icon_pixels(s)))
    with open("HAND-M.CUR", "wb") as f:
        f.write(ico([(32, hand())], cursor_hotspot=(11, 2)))
    with open("drag.ico", "wb") as f:
        f.write(ico([(32, drag_pointer())]))
    with open("Samples/birch.png", "wb") as f:
        f.write(png(180, 240, birch_pixels(180, 240)))
