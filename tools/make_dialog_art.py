#!/usr/bin/env python3
"""Writes the picture dialogs' resources: the preview button's glyph
(app/res/preview.bmp, 16 x 16, 16 colours: a white page with a folded corner
and a magnifying glass on olive) and the dialog template that adds the preview
column (app/res/dlgtemplate.bin)."""
import math
import os
import struct

from make_art import BLACK, GRAY, NAVY, OLIVE, SILVER, WHITE, AQUA, pack_4bpp, palette_bytes


def preview_glyph():
    size = 16
    rows = [[OLIVE] * size for _ in range(size)]
    # The page: x 1..10, y 0..14, its top-right corner folded over (3 pixels).
    left, right, top, bottom, fold = 1, 10, 0, 14, 3
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            if x - (right - fold) > y - top:
                continue  # cut off by the fold
            edge = x in (left, right) or y in (top, bottom) or x - (right - fold) == y - top
            rows[y][x] = BLACK if edge else WHITE
    for y in range(top, top + fold + 1):  # the folded flap
        for x in range(right - fold, right - fold + (y - top) + 1):
            if x == right - fold or y == top + fold:
                rows[y][x] = BLACK
            elif rows[y][x] != BLACK:
                rows[y][x] = SILVER
    # The magnifying glass: a lens centred at (9.5, 8.5), a handle to the bottom right.
    cx, cy, r = 9.0, 8.0, 3.6
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - cx, y - cy)
            if d <= r - 1.0:
                rows[y][x] = AQUA
            elif d <= r + 0.4:
                rows[y][x] = NAVY
    for i in range(4):
        for dx, dy in ((0, 0), (1, 0)):
            x, y = 12 + i + dx, 11 + i + dy
            if x < size and y < size:
                rows[y][x] = GRAY if dx else BLACK
    return rows


def write_glyph(path):
    width = height = 16
    bits = pack_4bpp(preview_glyph(), width)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(bits), 3780, 3780, 16, 0)
    offset = 14 + len(info) + 64
    filehdr = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(filehdr + info + palette_bytes() + bits)


def utf16z(text):
    return (text + "\0").encode("utf-16-le")


def dialog_template():
    """A DLGTEMPLATE of 82 bytes: the column of 316 - 204 dialog units right of
    the hidden placeholder (stc32, 1119) where the system puts its controls."""
    out = struct.pack("<IIHhhhh", 0x54000444, 0, 1, 0, 0, 316, 76)
    out += struct.pack("<HH", 0, 0)          # no menu, the default class
    out += utf16z("")                         # empty title
    out += struct.pack("<H", 8) + utf16z("MS Sans Serif")
    out += b"\0" * (-len(out) % 4)            # items start on a DWORD boundary
    out += struct.pack("<IIhhhhH", 0x40020000, 0, 0, 0, 204, 76, 1119)
    out += struct.pack("<HH", 0xFFFF, 0x0082)  # the static class
    out += utf16z("")                         # no text
    out += struct.pack("<H", 0)               # no creation data
    assert len(out) == 82, len(out)
    return out


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    res = os.path.join(here, "..", "app", "res")
    write_glyph(os.path.join(res, "preview.bmp"))
    with open(os.path.join(res, "dlgtemplate.bin"), "wb") as f:
        f.write(dialog_template())
