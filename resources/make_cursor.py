#!/usr/bin/env python3
"""Draws the Tavolink Quorvex busy cursor.

Usage: python3 make_cursor.py OUT.ani

The cursor is a ring of eight dots round the hotspot.  One dot, the head,
is the largest and brightest (light teal); the dots behind it get smaller
and fade through the product blue to a pale blue-grey, and from frame to
frame the head moves one place clockwise, so the eight frames make one
turn.  Every dot has a dark navy outline one pixel wide: the light fills
show on dark backgrounds and the outline on light ones.

The file is a RIFF "ACON" animated cursor: an "anih" header, then a LIST
"fram" with one "icon" chunk per frame.  Each frame is a complete .CUR
file with one 32x32 image, hotspot (16, 16), stored as a classic 16-colour
DIB (4-bit colour image followed by a 1-bit AND mask, no alpha channel) so
that Windows 98 loads it as well as later versions.  All frames share one
palette.  The drawing uses only exact arithmetic and IEEE square roots, so
the output is byte-identical from run to run.
"""

import os
import struct
import sys

sys.dont_write_bytecode = True  # keep the source tree free of __pycache__
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "libraries", "bitmaps"))
from make_bitmaps import mix  # noqa: E402

SIZE = 32
HOTSPOT = (16, 16)
FRAMES = 8
JIFFIES = 6          # 1/60 s units per frame: 100 ms, one turn in 0.8 s
BIT_COUNT = 4
AF_ICON = 0x1

# ---------------------------------------------------------------------------
# Colours.  Index 0 is black: transparent pixels must be black in the
# colour image, otherwise the AND/XOR pair would tint the screen under them.

BLACK = (0, 0, 0)
OUTLINE = (12, 28, 58)
HIGHLIGHT = (232, 250, 255)
TEAL_LIGHT = (40, 208, 220)
TEAL = (0, 164, 180)
BLUE = (24, 100, 196)       # product blue, a shade lighter so it reads on black
TAIL_END = (178, 196, 228)  # pale blue-grey of the last dot

# Fill colour by rank: 0 is the head, 7 the dot just ahead of it (the
# oldest one, about to be overtaken).
FILLS = [TEAL_LIGHT, TEAL, mix(TEAL, BLUE, 0.5), BLUE] + \
        [mix(BLUE, TAIL_END, t / 4.0) for t in range(1, 5)]

PALETTE = [BLACK, OUTLINE, HIGHLIGHT] + FILLS
PALETTE += [BLACK] * ((1 << BIT_COUNT) - len(PALETTE))
if len(PALETTE) != 1 << BIT_COUNT:
    raise AssertionError("palette must hold exactly %d colours" % (1 << BIT_COUNT))

I_TRANSPARENT, I_OUTLINE, I_HIGHLIGHT, I_FILL0 = 0, 1, 2, 3

# ---------------------------------------------------------------------------
# Geometry, in pixels with (0, 0) at the top-left corner of the image.  Every
# dot is centred on a pixel centre and the ring on the hotspot pixel, so the
# picture is the same under quarter turns and mirroring and each dot size
# has one round shape wherever it sits.

CENTRE = (HOTSPOT[0] + 0.5, HOTSPOT[1] + 0.5)
# Dot positions clockwise from twelve o'clock (y grows downwards); the
# diagonal ones are 11.3 pixels out against 11 for the others.
POSITIONS = [(0, -11), (8, -8), (11, 0), (8, 8), (0, 11), (-8, 8), (-11, 0), (-8, -8)]

# Dot styles: fill radius and the pixels of the gleam, relative to the dot's
# centre pixel.  The radii give round 7, 5 and 3 pixel wide fills; with the
# outline they are 9, 7 and 5 pixels wide.
BIG = (3.3, [(-1, -2), (-2, -1), (-1, -1)])
MEDIUM = (2.5, [(-1, -1)])
SMALL = (1.7, [])
STYLES = [BIG, MEDIUM, MEDIUM, MEDIUM, SMALL, SMALL, SMALL, SMALL]  # by rank
GLEAM_RANKS = 2          # the head and the dot behind it get a gleam
OUTLINE_WIDTH = 1.1
SAMPLES = 8              # per pixel and axis, for the coverage tests


def _covered(cx, cy, r, px, py):
    """True when at least half of pixel (px, py) lies in the disc at (cx, cy)."""
    r2 = r * r
    hits = 0
    for sy in range(SAMPLES):
        dy = py + (sy + 0.5) / SAMPLES - cy
        for sx in range(SAMPLES):
            dx = px + (sx + 0.5) / SAMPLES - cx
            if dx * dx + dy * dy <= r2:
                hits += 1
    return hits * 2 >= SAMPLES * SAMPLES


def render(frame):
    """Palette indices of one frame, rows top to bottom."""
    pixels = [[I_TRANSPARENT] * SIZE for _ in range(SIZE)]
    for position, (ox, oy) in enumerate(POSITIONS):
        rank = (frame - position) % FRAMES
        r, gleam = STYLES[rank]
        px0, py0 = HOTSPOT[0] + ox, HOTSPOT[1] + oy
        cx, cy = CENTRE[0] + ox, CENTRE[1] + oy
        reach = int(r + OUTLINE_WIDTH) + 1
        box = [(px, py) for py in range(py0 - reach, py0 + reach + 1)
               for px in range(px0 - reach, px0 + reach + 1)]
        fill = set(p for p in box if _covered(cx, cy, r, p[0], p[1]))
        outline = set(p for p in box if _covered(cx, cy, r + OUTLINE_WIDTH, p[0], p[1]))
        # Every pixel beside the fill belongs to the outline too, so the
        # outline is closed all round.
        for px, py in fill:
            outline.update(((px - 1, py), (px + 1, py), (px, py - 1), (px, py + 1)))
        for px, py in outline - fill:
            if not (0 <= px < SIZE and 0 <= py < SIZE):
                raise AssertionError("dot at position %d leaves the image" % position)
            if pixels[py][px] == I_TRANSPARENT:
                pixels[py][px] = I_OUTLINE
        for px, py in fill:
            pixels[py][px] = I_FILL0 + rank
        if rank < GLEAM_RANKS:
            for dx, dy in gleam:
                pixels[py0 + dy][px0 + dx] = I_HIGHLIGHT
    return pixels


def cursor_file(pixels):
    """A complete .CUR file holding one 32x32 16-colour image."""
    xor_stride = ((SIZE * BIT_COUNT + 31) // 32) * 4
    and_stride = ((SIZE + 31) // 32) * 4
    xor_rows, and_rows = [], []
    for row in reversed(pixels):  # DIBs are stored bottom-up
        packed = bytearray(xor_stride)
        mask = bytearray(and_stride)
        for x, index in enumerate(row):
            packed[x >> 1] |= index << (4 if x % 2 == 0 else 0)
            if index == I_TRANSPARENT:
                mask[x >> 3] |= 0x80 >> (x & 7)
        xor_rows.append(bytes(packed))
        and_rows.append(bytes(mask))
    xor = b"".join(xor_rows)
    and_mask = b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, BIT_COUNT, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = header + table + xor + and_mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 1 << BIT_COUNT, 0,
                        HOTSPOT[0], HOTSPOT[1], len(image), 6 + 16)
    return directory + entry + image


def chunk(fourcc, data):
    out = fourcc + struct.pack("<I", len(data)) + data
    return out + b"\0" if len(data) % 2 else out


def animated_cursor_bytes():
    anih = struct.pack("<9I", 36, FRAMES, FRAMES, SIZE, SIZE, BIT_COUNT, 1, JIFFIES, AF_ICON)
    frames = b"".join(chunk(b"icon", cursor_file(render(f))) for f in range(FRAMES))
    body = b"ACON" + chunk(b"anih", anih) + chunk(b"LIST", b"fram" + frames)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_cursor.py OUT.ani\n")
        return 2
    data = animated_cursor_bytes()
    with open(argv[1], "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
