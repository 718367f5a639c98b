#!/usr/bin/env python3
"""Draws the Tavolink Quorvex program icon.

Usage: python3 make_icon.py OUT.ico

The icon shows a magnifying glass over a capture board.  It holds three
images, 16x16, 32x32 and 48x48, each a classic 256-colour DIB with an AND
mask (no PNG entries, no alpha channel) so that Windows 98 can load it.
All three are drawn from one outline (the 16x16 image leaves out the
finest details and gets a thicker rim) with 4x4 (6x6 at 16x16) samples
per pixel; a pixel is opaque when at least half of its
samples are covered.  The output is byte-identical from run to run.
"""

import math
import os
import struct
import sys

SIZES = (16, 32, 48)

# ---------------------------------------------------------------------------
# Palette: each image gets its own, chosen by the same quantiser as the
# bitmap libraries use (exact when the image has at most 256 colours).

sys.dont_write_bytecode = True  # keep the source tree free of __pycache__
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "libraries", "bitmaps"))
from make_bitmaps import quantise  # noqa: E402


# ---------------------------------------------------------------------------
# Outline of the picture on a 48x48 grid: layers drawn bottom to top, each
# (inside-test, colour function, opacity).

def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 - r * r


def ring(cx, cy, r0, r1):
    def f(x, y):
        d = (x - cx) ** 2 + (y - cy) ** 2
        return max(d - r1 * r1, r0 * r0 - d)
    return f


def rrect(x0, y0, x1, y1, r=0.0):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r

    def f(x, y):
        qx = abs(x - cx) - hx
        qy = abs(y - cy) - hy
        if qx > 0 and qy > 0:
            return math.sqrt(qx * qx + qy * qy) - r
        return max(qx, qy) - r
    return f


def segment(ax, ay, bx, by, radius):
    dx, dy = bx - ax, by - ay
    l2 = dx * dx + dy * dy

    def f(x, y):
        t = ((x - ax) * dx + (y - ay) * dy) / l2
        t = min(1.0, max(0.0, t))
        ex, ey = x - ax - t * dx, y - ay - t * dy
        return math.sqrt(ex * ex + ey * ey) - radius
    return f


def flat(c):
    return lambda x, y: c


def vgrad(y0, y1, c0, c1):
    def f(x, y):
        t = min(1.0, max(0.0, (y - y0) / (y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(c0, c1))
    return f


PCB_EDGE = (12, 64, 34)
CHIP = (30, 30, 36)
RIM_DARK = (20, 20, 26)
LENS = (28, 18)
LENS_R = 11.0


def layers(size):
    """Layers for one image size; the smallest loses the finer details and
    gets a thicker rim so that it still reads as a magnifying glass."""
    small = size <= 16
    rim = 4.2 if small else 2.8
    out = [
        # Capture board with its bus fingers and chips
        (rrect(1.5, 17.5, 36.5, 40.5, 2.5), flat(PCB_EDGE), 1.0),
        (rrect(3, 19, 35, 39, 1.5), vgrad(19, 39, (60, 170, 96), (24, 120, 60)), 1.0),
        (rrect(9.5, 39, 30.5, 45.5, 1.0), flat((140, 100, 20)), 1.0),
        (rrect(11, 40, 29, 44.5, 0.5), flat((236, 196, 70)), 1.0),
        (rrect(6, 23, 17, 34, 1.0), flat(CHIP), 1.0),
    ]
    if not small:
        out.append((rrect(20, 31, 30, 36, 0.5), flat(CHIP), 1.0))
        for x in range(14, 28, 3):
            out.append((rrect(x, 40, x + 0.9, 44.5), flat((176, 130, 30)), 1.0))
    out += [
        # Magnifying glass: handle, glass and rim
        (segment(36.5, 26.5, 44.5, 34.5, 3.6), flat(RIM_DARK), 1.0),
        (segment(37, 27, 44, 34, 2.3), vgrad(26, 36, (150, 100, 60), (80, 44, 20)), 1.0),
        (circle(LENS[0], LENS[1], LENS_R), flat((170, 210, 255)), 0.6),
    ]
    if not small:
        out.append((circle(LENS[0] - 3.5, LENS[1] - 3.5, 3.2), flat((255, 255, 255)), 0.7))
    out += [
        (ring(LENS[0], LENS[1], LENS_R - 1.0, LENS_R + rim), flat(RIM_DARK), 1.0),
        (ring(LENS[0], LENS[1], LENS_R, LENS_R + rim - 1.0),
         vgrad(5, 31, (210, 216, 226), (96, 104, 118)), 1.0),
    ]
    return out


def render(size):
    """Returns (colours, mask): colours[y][x] RGB, mask[y][x] True if opaque."""
    n = 6 if size <= 16 else 4
    scale = 48.0 / size
    layer_list = layers(size)
    colours, mask = [], []
    for py in range(size):
        crow, mrow = [], []
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            hits = 0
            for sy in range(n):
                y = (py + (sy + 0.5) / n) * scale
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) * scale
                    col = None
                    for inside, paint, alpha in layer_list:
                        if inside(x, y) < 0:
                            c = paint(x, y)
                            if col is None or alpha >= 1.0:
                                col = c
                            else:
                                col = tuple(o + (v - o) * alpha for o, v in zip(col, c))
                    if col is not None:
                        hits += 1
                        for k in range(3):
                            acc[k] += col[k]
            if hits * 2 >= n * n:
                crow.append(tuple(int(a / hits + 0.5) for a in acc))
                mrow.append(True)
            else:
                crow.append((0, 0, 0))
                mrow.append(False)
        colours.append(crow)
        mask.append(mrow)
    return colours, mask


def icon_image(size):
    colours, mask = render(size)
    flat_px = [c for row in colours for c in row]
    palette, index = quantise(flat_px)
    if palette[index[(0, 0, 0)]] != (0, 0, 0):
        raise AssertionError("transparent pixels need an exact black in the palette")
    palette = palette + [(0, 0, 0)] * (256 - len(palette))
    xor_stride = (size + 3) & ~3
    and_stride = ((size + 31) // 32) * 4
    xor_rows, and_rows = [], []
    for y in range(size - 1, -1, -1):  # bottom-up
        # Transparent pixels are black in the colour bits, set in the mask.
        xor_rows.append(bytes(index[c] if m else index[(0, 0, 0)] for c, m in zip(colours[y], mask[y]))
                        + bytes(xor_stride - size))
        bits = bytearray(and_stride)
        for x, m in enumerate(mask[y]):
            if not m:
                bits[x >> 3] |= 0x80 >> (x & 7)
        and_rows.append(bytes(bits))
    xor = b"".join(xor_rows)
    and_mask = b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + table + xor + and_mask


def icon_bytes():
    images = [icon_image(s) for s in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, img in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(img), offset)
        offset += len(img)
    return out + b"".join(images)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_icon.py OUT.ico\n")
        return 2
    data = icon_bytes()
    with open(argv[1], "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
