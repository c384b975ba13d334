#!/usr/bin/env python3
"""Draws the program's icon and the copy button's arrow glyph as 16-colour
resource files (app/res/movetrail.ico, app/res/arrow.bmp)."""
import math
import os
import struct

# The standard 16-colour palette (blue, green, red).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]  # as (r, g, b)
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER, GRAY, RED, LIME, YELLOW, BLUE, MAGENTA, AQUA, WHITE = range(16)


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)


def pack_4bpp(rows, width):
    """rows: top-down list of index lists. Returns bottom-up packed rows padded to 4 bytes."""
    out = b""
    stride = ((width * 4 + 31) // 32) * 4
    for row in reversed(rows):
        line = bytearray()
        for x in range(0, width, 2):
            hi = row[x]
            lo = row[x + 1] if x + 1 < width else 0
            line.append((hi << 4) | lo)
        line += b"\0" * (stride - len(line))
        out += bytes(line)
    return out


def pack_mask(mask_rows, width):
    out = b""
    stride = ((width + 31) // 32) * 4
    for row in reversed(mask_rows):
        line = bytearray(stride)
        for x in range(width):
            if row[x]:
                line[x // 8] |= 0x80 >> (x % 8)
        out += bytes(line)
    return out


def icon_pixels():
    size = 32
    rows = [[BLACK] * size for _ in range(size)]
    mask = [[1] * size for _ in range(size)]  # 1 = transparent
    # Olive slope: from (0, 31) up to (31, 18).
    for x in range(size):
        top = round(31 - (x * 13) / 31)
        for y in range(top, size):
            rows[y][x] = OLIVE
            mask[y][x] = 0
    # Magenta ball resting on the slope.
    cx, cy, r = 13.0, 17.0, 8.0
    for y in range(size):
        for x in range(size):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if d <= r:
                rows[y][x] = MAGENTA
                mask[y][x] = 0
                if math.hypot(x + 0.5 - (cx - 3), y + 0.5 - (cy - 3)) < 2.2:
                    rows[y][x] = WHITE
                elif d > r - 1.0:
                    rows[y][x] = PURPLE
    return rows, mask


def write_icon(path):
    rows, mask = icon_pixels()
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, 0, 0, 0, 16, 0)
    image = header + palette_bytes() + pack_4bpp(rows, 32) + pack_mask(mask, 32)
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(icondir + entry + image)


def arrow_cell(fill, outline, shadow=None):
    size = 16
    cell = [[OLIVE] * size for _ in range(size)]
    # A right-pointing arrow: shaft rows 6..9 from x=2..8, head from x=8..13.
    inside = set()
    for y in range(size):
        for x in range(size):
            shaft = 2 <= x <= 8 and 6 <= y <= 9
            head = 8 <= x <= 13 and abs(y - 7.5) <= (13 - x) + 0.5
            if shaft or head:
                inside.add((x, y))
    for (x, y) in inside:
        border = any((x + dx, y + dy) not in inside for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
        cell[y][x] = outline if border else fill
    if shadow is not None:
        for (x, y) in inside:
            if (x + 1, y + 1) not in inside and 0 <= x + 1 < size and 0 <= y + 1 < size:
                cell[y + 1][x + 1] = shadow
    return cell


def write_glyph(path):
    normal = arrow_cell(RED, BLACK)
    disabled = arrow_cell(SILVER, GRAY, WHITE)
    rows = [normal[y] + disabled[y] for y in range(16)]
    width, height = 32, 16
    bits = pack_4bpp(rows, width)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(bits), 3780, 3780, 16, 0)
    offset = 14 + len(info) + 64
    filehdr = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(filehdr + info + palette_bytes() + bits)


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    res = os.path.join(here, "..", "app", "res")
    write_icon(os.path.join(res, "movetrail.ico"))
    write_glyph(os.path.join(res, "arrow.bmp"))
