#!/usr/bin/env python3
"""Draws the pictures of one Tavolink Quorvex bitmap library.

Usage: python3 make_bitmaps.py --family {Kiron|Orsa|Vela|Mirel} --out DIR

Writes 110.bmp 114.bmp 120.bmp 121.bmp 122.bmp 123.bmp 124.bmp 127.bmp
130.bmp and bitmaps.rc into DIR.  Every picture is an 8-bit palettised,
bottom-up Windows bitmap with a 256-entry colour table, so that Windows 98
can load it with LoadImage/LoadBitmap and DirectDraw can blit it onto an
8-bit surface.  Everything is drawn from code with plain integer and IEEE
arithmetic (no trigonometry), so two runs give byte-identical files.

Picture resource ids:
  114  primary surface test card, 640x480
  110  overlay test card, 640x480
  120  welcome page              204x264
  121  system checks page (software, audio and driver pages)
  122  DirectDraw installation page
  123  DirectDraw primary surface page
  124  DirectDraw overlay page
  130  test passed (green check mark)
  127  test failed (red cross)

Reference colours of the test cards.  They do not depend on the family
except where marked "accent" (family accent colours are in FAMILIES below);
the test cards hold fewer than 256 colours, so these values are exact in the
written file.  Coordinates are (x, y) with (0, 0) at the top-left corner.

  114 primary surface test card
    (0, 0)     (255, 255, 255)  white one-pixel frame round the whole picture
    (639, 479) (255, 255, 255)  frame, bottom-right corner
    (1, 1)     (0, 0, 0)        black ring just inside the frame
    (10, 10)   accent           title strip
    (60, 70)   (191, 191, 191)  75% grey bar (leftmost colour bar)
    (138, 70)  (191, 191, 0)    75% yellow bar
    (300, 70)  (0, 191, 0)      75% green bar (middle bar)
    (600, 70)  (0, 0, 191)      75% blue bar (rightmost colour bar)
    (320, 228) (255, 255, 255)  centre of the crosshair
    (8, 360)   (0, 0, 0)        first step of the 16-step grey ramp
    (630, 360) (255, 255, 255)  last step of the 16-step grey ramp

  110 overlay test card
    (0, 0)     (255, 255, 255)  white one-pixel frame round the whole picture
    (639, 479) (255, 255, 255)  frame, bottom-right corner
    (1, 1)     (0, 0, 0)        black ring just inside the frame
    (20, 20)   (40, 40, 40)     dark grey background of the grid
    (40, 20)   (190, 190, 190)  grid line (every 40 pixels)
    (110, 160) (255, 255, 255)  100% white bar (leftmost colour bar)
    (170, 160) (255, 255, 0)    100% yellow bar
    (290, 160) (0, 255, 0)      100% green bar
    (470, 160) (0, 0, 255)      100% blue bar
    (250, 240) accent           centre panel
    (320, 240) (255, 255, 255)  centre of the crosshair
    (95, 290)  (0, 0, 0)        first step of the red ramp
    (545, 290) (255, 0, 0)      last step of the red ramp
"""

import argparse
import math
import os
import struct
import sys
from bisect import bisect_left
from collections import Counter

# Family: (display name, accent colour).
FAMILIES = {
    "Kiron": ("Kiron", (24, 86, 168)),
    "Orsa": ("Cinora Orsa Duo", (0, 118, 124)),
    "Vela": ("Vela Prime", (92, 62, 160)),
    "Mirel": ("Cinora Mirel Nova", (160, 56, 92)),
}

PRODUCT = "Tavolink Quorvex"
COMPANY = "Tavolink Systems"

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)

CARD_SIZE = (640, 480)
PAGE_SIZE = (204, 264)


# ---------------------------------------------------------------------------
# Pixel font: 5x7 cells, lower-case descenders take two more rows.

_FONT_SRC = r"""
A .###. #...# #...# ##### #...# #...# #...#
B ####. #...# #...# ####. #...# #...# ####.
C .###. #...# #.... #.... #.... #...# .###.
D ####. #...# #...# #...# #...# #...# ####.
E ##### #.... #.... ####. #.... #.... #####
F ##### #.... #.... ####. #.... #.... #....
G .###. #...# #.... #.### #...# #...# .####
H #...# #...# #...# ##### #...# #...# #...#
I .###. ..#.. ..#.. ..#.. ..#.. ..#.. .###.
J ..### ...#. ...#. ...#. ...#. #..#. .##..
K #...# #..#. #.#.. ##... #.#.. #..#. #...#
L #.... #.... #.... #.... #.... #.... #####
M #...# ##.## #.#.# #.#.# #...# #...# #...#
N #...# #...# ##..# #.#.# #..## #...# #...#
O .###. #...# #...# #...# #...# #...# .###.
P ####. #...# #...# ####. #.... #.... #....
Q .###. #...# #...# #...# #.#.# #..#. .##.#
R ####. #...# #...# ####. #.#.. #..#. #...#
S .#### #.... #.... .###. ....# ....# ####.
T ##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#..
U #...# #...# #...# #...# #...# #...# .###.
V #...# #...# #...# #...# #...# .#.#. ..#..
W #...# #...# #...# #.#.# #.#.# #.#.# .#.#.
X #...# #...# .#.#. ..#.. .#.#. #...# #...#
Y #...# #...# .#.#. ..#.. ..#.. ..#.. ..#..
Z ##### ....# ...#. ..#.. .#... #.... #####
a ..... ..... .###. ....# .#### #...# .####
b #.... #.... #.##. ##..# #...# #...# ####.
c ..... ..... .###. #.... #.... #...# .###.
d ....# ....# .##.# #..## #...# #...# .####
e ..... ..... .###. #...# ##### #.... .###.
f ..##. .#..# .#... ###.. .#... .#... .#...
g ..... ..... .#### #...# #...# #...# .#### ....# .###.
h #.... #.... #.##. ##..# #...# #...# #...#
i ..#.. ..... .##.. ..#.. ..#.. ..#.. .###.
j ...#. ..... ..##. ...#. ...#. ...#. ...#. #..#. .##..
k #.... #.... #..#. #.#.. ##... #.#.. #..#.
l .##.. ..#.. ..#.. ..#.. ..#.. ..#.. .###.
m ..... ..... ##.#. #.#.# #.#.# #...# #...#
n ..... ..... #.##. ##..# #...# #...# #...#
o ..... ..... .###. #...# #...# #...# .###.
p ..... ..... ####. #...# #...# #...# ####. #.... #....
q ..... ..... .#### #...# #...# #...# .#### ....# ....#
r ..... ..... #.##. ##..# #.... #.... #....
s ..... ..... .#### #.... .###. ....# ####.
t .#... .#... ###.. .#... .#... .#..# ..##.
u ..... ..... #...# #...# #...# #..## .##.#
v ..... ..... #...# #...# #...# .#.#. ..#..
w ..... ..... #...# #...# #.#.# #.#.# .#.#.
x ..... ..... #...# .#.#. ..#.. .#.#. #...#
y ..... ..... #...# #...# #...# #...# .#### ....# .###.
z ..... ..... ##### ...#. ..#.. .#... #####
0 .###. #...# #..## #.#.# ##..# #...# .###.
1 ..#.. .##.. ..#.. ..#.. ..#.. ..#.. .###.
2 .###. #...# ....# ...#. ..#.. .#... #####
3 ##### ...#. ..#.. ...#. ....# #...# .###.
4 ...#. ..##. .#.#. #..#. ##### ...#. ...#.
5 ##### #.... ####. ....# ....# #...# .###.
6 ..##. .#... #.... ####. #...# #...# .###.
7 ##### ....# ...#. ..#.. .#... .#... .#...
8 .###. #...# #...# .###. #...# #...# .###.
9 .###. #...# #...# .#### ....# ...#. .##..
- ..... ..... ..... ##### ..... ..... .....
. ..... ..... ..... ..... ..... .##.. .##..
, ..... ..... ..... ..... ..... .##.. .##.. ..#.. .#...
: ..... .##.. .##.. ..... .##.. .##.. .....
/ ..... ....# ...#. ..#.. .#... #.... .....
( ...#. ..#.. .#... .#... .#... ..#.. ...#.
) .#... ..#.. ...#. ...#. ...#. ..#.. .#...
! ..#.. ..#.. ..#.. ..#.. ..#.. ..... ..#..
+ ..... ..#.. ..#.. ##### ..#.. ..#.. .....
% ##..# ##..# ...#. ..#.. .#... #..## #..##
"""

GLYPH_W = 5
GLYPH_ADVANCE = 6
GLYPH_H = 7


def _load_font():
    font = {" ": []}
    for line in _FONT_SRC.strip().splitlines():
        key, *rows = line.split()
        if len(key) != 1 or len(rows) not in (7, 9) or any(len(r) != GLYPH_W for r in rows):
            raise ValueError("bad glyph line: %r" % line)
        # Keep only the lit cells as (column, row) pairs.
        font[key] = [(x, y) for y, r in enumerate(rows) for x, ch in enumerate(r) if ch == "#"]
    return font


FONT = _load_font()


def text_width(s, scale=1):
    return (len(s) * GLYPH_ADVANCE - 1) * scale if s else 0


# ---------------------------------------------------------------------------
# Colour helpers

def clamp01(t):
    return 0.0 if t < 0.0 else 1.0 if t > 1.0 else t


def mix(a, b, t):
    """Colour a moved towards b by t (0..1), rounded to whole values."""
    return (int(a[0] + (b[0] - a[0]) * t + 0.5),
            int(a[1] + (b[1] - a[1]) * t + 0.5),
            int(a[2] + (b[2] - a[2]) * t + 0.5))


def lighter(c, t):
    return mix(c, WHITE, t)


def darker(c, t):
    return mix(c, BLACK, t)


def vgrad(y0, y1, c0, c1):
    """Paint: vertical gradient from c0 at y0 to c1 at y1."""
    span = float(y1 - y0)
    return lambda x, y: mix(c0, c1, clamp01((y - y0) / span))


def hgrad(x0, x1, c0, c1):
    span = float(x1 - x0)
    return lambda x, y: mix(c0, c1, clamp01((x - x0) / span))


# ---------------------------------------------------------------------------
# Shapes as signed distance functions: negative inside, positive outside,
# in pixels.  Drawing one gives anti-aliased edges for the cost of one
# function call per pixel of its bounding box.

class Shape:
    __slots__ = ("f", "box")

    def __init__(self, f, box):
        self.f = f
        self.box = box  # (x0, y0, x1, y1), floats, may be loose

    def __or__(self, other):
        a, b = self.f, other.f
        return Shape(lambda x, y: min(a(x, y), b(x, y)),
                     (min(self.box[0], other.box[0]), min(self.box[1], other.box[1]),
                      max(self.box[2], other.box[2]), max(self.box[3], other.box[3])))

    def __and__(self, other):
        a, b = self.f, other.f
        return Shape(lambda x, y: max(a(x, y), b(x, y)),
                     (max(self.box[0], other.box[0]), max(self.box[1], other.box[1]),
                      min(self.box[2], other.box[2]), min(self.box[3], other.box[3])))

    def __sub__(self, other):
        a, b = self.f, other.f
        return Shape(lambda x, y: max(a(x, y), -b(x, y)), self.box)

    def grown(self, r):
        f = self.f
        x0, y0, x1, y1 = self.box
        return Shape(lambda x, y: f(x, y) - r, (x0 - r, y0 - r, x1 + r, y1 + r))

    def outline(self, thickness):
        """A band of the given thickness centred on the shape's edge."""
        f = self.f
        h = thickness / 2.0
        x0, y0, x1, y1 = self.box
        return Shape(lambda x, y: abs(f(x, y)) - h, (x0 - h, y0 - h, x1 + h, y1 + h))

    def moved(self, dx, dy):
        f = self.f
        x0, y0, x1, y1 = self.box
        return Shape(lambda x, y: f(x - dx, y - dy), (x0 + dx, y0 + dy, x1 + dx, y1 + dy))


def circle(cx, cy, r):
    sqrt = math.sqrt

    def f(x, y):
        dx = x - cx
        dy = y - cy
        return sqrt(dx * dx + dy * dy) - r
    return Shape(f, (cx - r, cy - r, cx + r, cy + r))


def ellipse(cx, cy, rx, ry):
    # Not an exact distance, but close to one all round the ellipse, which is
    # what soft edges need.
    sqrt = math.sqrt
    rx2 = rx * rx
    ry2 = ry * ry
    inner = -min(rx, ry)

    def f(x, y):
        dx = x - cx
        dy = y - cy
        k0 = sqrt(dx * dx / rx2 + dy * dy / ry2)
        k1 = sqrt(dx * dx / (rx2 * rx2) + dy * dy / (ry2 * ry2))
        if k1 == 0.0:
            return inner
        return k0 * (k0 - 1.0) / k1
    return Shape(f, (cx - rx, cy - ry, cx + rx, cy + ry))


def rrect(x0, y0, x1, y1, r=0.0):
    cx = (x0 + x1) / 2.0
    cy = (y0 + y1) / 2.0
    hx = (x1 - x0) / 2.0 - r
    hy = (y1 - y0) / 2.0 - r
    sqrt = math.sqrt

    def f(x, y):
        qx = abs(x - cx) - hx
        qy = abs(y - cy) - hy
        if qx > 0.0 and qy > 0.0:
            return sqrt(qx * qx + qy * qy) - r
        return (qx if qx > qy else qy) - r
    return Shape(f, (x0, y0, x1, y1))


def segment(ax, ay, bx, by, radius):
    """A capsule: the line from a to b with round ends, radius wide each side."""
    dx = bx - ax
    dy = by - ay
    l2 = dx * dx + dy * dy
    sqrt = math.sqrt

    def f(x, y):
        px = x - ax
        py = y - ay
        t = (px * dx + py * dy) / l2
        t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
        ex = px - t * dx
        ey = py - t * dy
        return sqrt(ex * ex + ey * ey) - radius
    return Shape(f, (min(ax, bx) - radius, min(ay, by) - radius,
                     max(ax, bx) + radius, max(ay, by) + radius))


def polyline(points, radius):
    shape = segment(*points[0], *points[1], radius)
    for a, b in zip(points[1:], points[2:]):
        shape = shape | segment(*a, *b, radius)
    return shape


def polygon(points):
    """Convex polygon, either winding."""
    n = len(points)
    area = sum(points[i][0] * points[(i + 1) % n][1] - points[(i + 1) % n][0] * points[i][1]
               for i in range(n))
    sign = 1.0 if area > 0 else -1.0
    edges = []
    for i in range(n):
        (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
        ex, ey = bx - ax, by - ay
        length = math.sqrt(ex * ex + ey * ey)
        nx, ny = sign * ey / length, -sign * ex / length  # outward normal
        edges.append((nx, ny, nx * ax + ny * ay))

    def f(x, y):
        return max(nx * x + ny * y - c for nx, ny, c in edges)
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(f, (min(xs), min(ys), max(xs), max(ys)))


# ---------------------------------------------------------------------------
# Canvas of RGB tuples, row-major, top row first.

class Canvas:
    def __init__(self, w, h, color=BLACK):
        self.w = w
        self.h = h
        self.px = [color] * (w * h)

    def get(self, x, y):
        return self.px[y * self.w + x]

    def rect(self, x0, y0, x1, y1, color):
        """Fills the half-open rectangle [x0, x1) x [y0, y1), clipped."""
        x0 = max(0, x0)
        y0 = max(0, y0)
        x1 = min(self.w, x1)
        y1 = min(self.h, y1)
        if x0 >= x1 or y0 >= y1:
            return
        run = [color] * (x1 - x0)
        w = self.w
        for y in range(y0, y1):
            self.px[y * w + x0:y * w + x1] = run

    def frame(self, x0, y0, x1, y1, color, t=1):
        self.rect(x0, y0, x1, y0 + t, color)
        self.rect(x0, y1 - t, x1, y1, color)
        self.rect(x0, y0, x0 + t, y1, color)
        self.rect(x1 - t, y0, x1, y1, color)

    def vgradient(self, x0, y0, x1, y1, c0, c1):
        span = max(1, y1 - y0 - 1)
        for y in range(y0, y1):
            self.rect(x0, y, x1, y + 1, mix(c0, c1, (y - y0) / span))

    def ring(self, cx, cy, r_in, r_out, color):
        """Hard-edged ring: pixels whose centre offset d has r_in^2 <= d^2 < r_out^2."""
        ro2 = r_out * r_out
        ri2 = r_in * r_in
        for y in range(max(0, cy - r_out), min(self.h, cy + r_out + 1)):
            dy2 = (y - cy) * (y - cy)
            if dy2 >= ro2:
                continue
            xo = math.isqrt(ro2 - dy2 - 1)
            if dy2 < ri2:
                xi = math.isqrt(ri2 - dy2 - 1)
                self.rect(cx - xo, y, cx - xi, y + 1, color)
                self.rect(cx + xi + 1, y, cx + xo + 1, y + 1, color)
            else:
                self.rect(cx - xo, y, cx + xo + 1, y + 1, color)

    def disc(self, cx, cy, r, color):
        self.ring(cx, cy, 0, r, color)

    def text(self, x, y, s, color, scale=1):
        for i, ch in enumerate(s):
            cells = FONT.get(ch)
            if cells is None:
                raise ValueError("no glyph for %r" % ch)
            gx = x + i * GLYPH_ADVANCE * scale
            for cx, cy in cells:
                self.rect(gx + cx * scale, y + cy * scale,
                          gx + (cx + 1) * scale, y + (cy + 1) * scale, color)

    def text_centred(self, cx, y, s, color, scale=1, shadow=None):
        x = cx - text_width(s, scale) // 2
        if shadow is not None:
            self.text(x + scale, y + scale, s, shadow, scale)
        self.text(x, y, s, color, scale)

    def fill(self, shape, paint, alpha=1.0, soft=1.0):
        """Draws a shape with smooth edges.

        paint is a colour or a function (x, y) -> colour; alpha scales the
        coverage; soft widens the edge (in pixels) for shadows and glows.
        """
        half = soft / 2.0
        bx0, by0, bx1, by1 = shape.box
        x0 = max(0, int(math.floor(bx0 - half)))
        y0 = max(0, int(math.floor(by0 - half)))
        x1 = min(self.w, int(math.ceil(bx1 + half)) + 1)
        y1 = min(self.h, int(math.ceil(by1 + half)) + 1)
        f = shape.f
        px = self.px
        w = self.w
        inv_soft = 1.0 / soft
        flat = isinstance(paint, tuple)
        for y in range(y0, y1):
            fy = y + 0.5
            base = y * w
            for x in range(x0, x1):
                fx = x + 0.5
                d = f(fx, fy)
                if d >= half:
                    continue
                a = alpha if d <= -half else alpha * (0.5 - d * inv_soft)
                c = paint if flat else paint(fx, fy)
                i = base + x
                if a >= 1.0:
                    px[i] = c
                else:
                    o = px[i]
                    px[i] = (int(o[0] + (c[0] - o[0]) * a + 0.5),
                             int(o[1] + (c[1] - o[1]) * a + 0.5),
                             int(o[2] + (c[2] - o[2]) * a + 0.5))


# ---------------------------------------------------------------------------
# Palette and file output

def _median_cut(items, n):
    """Splits weighted colours [(rgb, count)] into at most n boxes; returns
    the weighted mean colour of every box."""

    def stats(box):
        total = sum(c for _, c in box)
        best_ch, best_err = 0, -1.0
        for ch in range(3):
            s = sum(rgb[ch] * c for rgb, c in box)
            s2 = sum(rgb[ch] * rgb[ch] * c for rgb, c in box)
            err = s2 - s * s / total
            if err > best_err:
                best_ch, best_err = ch, err
        return best_err, best_ch

    boxes = [(items, stats(items))]
    while len(boxes) < n:
        pick = -1
        for i, (box, (err, _)) in enumerate(boxes):
            if len(box) > 1 and (pick < 0 or err > boxes[pick][1][0]):
                pick = i
        if pick < 0 or boxes[pick][1][0] <= 0.0:
            break
        box, (_, ch) = boxes.pop(pick)
        box = sorted(box, key=lambda it: (it[0][ch], it[0]))
        half = sum(c for _, c in box) / 2.0
        acc = 0
        cut = 1
        for k, (_, c) in enumerate(box):
            acc += c
            if acc >= half:
                cut = k + 1
                break
        cut = min(max(cut, 1), len(box) - 1)
        for part in (box[:cut], box[cut:]):
            boxes.append((part, stats(part)))
    means = []
    for box, _ in boxes:
        total = sum(c for _, c in box)
        means.append(tuple(int(sum(rgb[ch] * c for rgb, c in box) / total + 0.5) for ch in range(3)))
    return means


def _nearest_map(colours, palette):
    """Maps every colour to its nearest palette entry (weighted RGB distance)."""
    pal = sorted(set(palette), key=lambda c: (c[1], c[0], c[2]))
    greens = [c[1] for c in pal]
    n = len(pal)
    result = {}
    for col in colours:
        r, g, b = col
        best = None
        best_d = 1 << 30
        i = bisect_left(greens, g)
        j = i
        while j < n:
            dg = 4 * (greens[j] - g) ** 2
            if dg >= best_d:
                break
            p = pal[j]
            d = 3 * (p[0] - r) ** 2 + dg + 2 * (p[2] - b) ** 2
            if d < best_d:
                best, best_d = p, d
            j += 1
        j = i - 1
        while j >= 0:
            dg = 4 * (greens[j] - g) ** 2
            if dg >= best_d:
                break
            p = pal[j]
            d = 3 * (p[0] - r) ** 2 + dg + 2 * (p[2] - b) ** 2
            if d < best_d:
                best, best_d = p, d
            j -= 1
        result[col] = best
    return result


def quantise(px, exact=False):
    """Returns (palette of up to 256 colours, {colour: palette index}).

    A picture of at most 256 colours keeps them all exactly.  Otherwise the
    large flat areas keep their exact colours and the rest (gradients and
    smoothed edges) share the remaining entries by median cut."""
    counts = Counter(px)
    if len(counts) <= 256:
        palette = list(counts)
        mapping = {c: c for c in counts}
    else:
        if exact:
            raise ValueError("picture must not have more than 256 colours (has %d)" % len(counts))
        ranked = sorted(counts.items(), key=lambda it: (-it[1], it[0]))
        threshold = max(64, len(px) // 800)
        pinned = [c for c, n in ranked[:96] if n >= threshold]
        pinned_set = set(pinned)
        rest = [(c, n) for c, n in ranked if c not in pinned_set]
        means = _median_cut(rest, 256 - len(pinned))
        palette = list(dict.fromkeys(pinned + means))
        mapping = _nearest_map(list(counts), palette)
    palette = sorted(set(palette), key=lambda c: (c[0] * 3 + c[1] * 6 + c[2], c))
    index = {c: i for i, c in enumerate(palette)}
    return palette, {c: index[m] for c, m in mapping.items()}


def bmp_bytes(canvas, exact=False):
    palette, index = quantise(canvas.px, exact)
    w, h = canvas.w, canvas.h
    stride = (w + 3) & ~3
    pad = bytes(stride - w)
    rows = []
    for y in range(h - 1, -1, -1):  # bottom-up
        rows.append(bytes(index[c] for c in canvas.px[y * w:(y + 1) * w]) + pad)
    bits = b"".join(rows)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    table += bytes(4 * (256 - len(palette)))
    off = 14 + 40 + len(table)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(bits), 2835, 2835, 256, 0)
    head = struct.pack("<2sIHHI", b"BM", off + len(bits), 0, 0, off)
    return head + info + table + bits


# ---------------------------------------------------------------------------
# Test cards

BARS_75 = [(191, 191, 191), (191, 191, 0), (0, 191, 191), (0, 191, 0),
           (191, 0, 191), (191, 0, 0), (0, 0, 191)]
CASTELLATIONS = [(0, 0, 191), BLACK, (191, 0, 191), BLACK, (0, 191, 191), BLACK, (191, 191, 191)]
BARS_100 = [WHITE, (255, 255, 0), (0, 255, 255), (0, 255, 0),
            (255, 0, 255), (255, 0, 0), (0, 0, 255), BLACK]


def _card_frame(c):
    # White frame on the outermost pixels, a black ring inside it, so the
    # picture's corners stand out on any background.
    c.frame(0, 0, c.w, c.h, WHITE)
    c.frame(1, 1, c.w - 1, c.h - 1, BLACK)


def _crosshair(c, cx, cy, arm, half, edge):
    """White cross of width 2*half+1 with black edges of width edge."""
    t = half + edge
    c.rect(cx - arm, cy - t, cx + arm + 1, cy + t + 1, BLACK)
    c.rect(cx - t, cy - arm, cx + t + 1, cy + arm + 1, BLACK)
    c.rect(cx - arm, cy - half, cx + arm + 1, cy + half + 1, WHITE)
    c.rect(cx - half, cy - arm, cx + half + 1, cy + arm + 1, WHITE)


def _label_box(c, cx, y0, y1, lines, pad, fill, border):
    """Box centred on cx holding lines [(text, scale)], each centred."""
    width = max(text_width(t, s) for t, s in lines) + 2 * pad
    x0 = cx - width // 2
    c.rect(x0, y0, x0 + width, y1, border)
    c.rect(x0 + 1, y0 + 1, x0 + width - 1, y1 - 1, fill)
    heights = [GLYPH_H * s for _, s in lines]
    gap = 4
    y = y0 + (y1 - y0 - sum(heights) - gap * (len(lines) - 1)) // 2
    for (t, s), hgt in zip(lines, heights):
        c.text_centred(cx, y, t, WHITE, s)
        y += hgt + gap


def draw_primary_card(name, accent):
    w, h = CARD_SIZE
    c = Canvas(w, h)
    x0, x1 = 2, w - 2
    # Title strip
    c.rect(x0, 2, x1, 46, accent)
    c.text(14, 17, PRODUCT.upper(), WHITE, 2)
    c.text(x1 - 12 - text_width(name, 2), 17, name, WHITE, 2)
    # 75% colour bars, castellations, stepped and fine grey ramps
    span = x1 - x0

    def cols(n):
        return [x0 + (i * span + n // 2) // n for i in range(n + 1)]
    edges = cols(7)
    for i, col in enumerate(BARS_75):
        c.rect(edges[i], 46, edges[i + 1], 306, col)
        c.rect(edges[i], 306, edges[i + 1], 338, CASTELLATIONS[i])
    edges = cols(16)
    for i in range(16):
        c.rect(edges[i], 338, edges[i + 1], 378, (i * 17,) * 3)
    edges = cols(64)
    for i in range(64):
        v = (i * 255 + 31) // 63
        c.rect(edges[i], 378, edges[i + 1], 410, (v, v, v))
    # Caption
    c.text_centred(w // 2, 421, "PRIMARY SURFACE TEST", WHITE, 3)
    c.text_centred(w // 2, 454, "640 x 480 - 256 colours", (160, 160, 160), 1)
    # Circle and crosshair, centred on the pattern area
    cx, cy, r = 320, 228, 176
    c.ring(cx, cy, r - 4, r + 2, BLACK)
    c.ring(cx, cy, r - 3, r + 1, WHITE)
    _crosshair(c, cx, cy, r - 4, 1, 1)
    # Name box in the upper part of the circle
    _label_box(c, cx, 98, 130, [(name, 2)], 12, BLACK, WHITE)
    # Small tick marks along the frame every 32 pixels
    for x in range(32, w, 32):
        c.rect(x, 2, x + 1, 8, WHITE)
        c.rect(x, h - 8, x + 1, h - 2, WHITE)
    for y in range(32, h, 32):
        c.rect(2, y, 8, y + 1, WHITE)
        c.rect(w - 8, y, w - 2, y + 1, WHITE)
    _card_frame(c)
    return c


def draw_overlay_card(name, accent):
    w, h = CARD_SIZE
    c = Canvas(w, h, (40, 40, 40))
    grid = (190, 190, 190)
    for x in range(40, w, 40):
        c.rect(x, 0, x + 1, h, grid)
    for y in range(40, h, 40):
        c.rect(0, y, w, y + 1, grid)
    # 100% colour bars
    for i, col in enumerate(BARS_100):
        c.rect(80 + 60 * i, 120, 140 + 60 * i, 200, col)
    # Centre band: resolution wedges either side of the name panel
    for x in range(80, 200):
        c.rect(x, 200, x + 1, 280, WHITE if x % 2 == 0 else BLACK)
    for y in range(200, 280):
        c.rect(440, y, 560, y + 1, WHITE if y % 2 == 0 else BLACK)
    c.rect(200, 200, 440, 280, accent)
    c.text_centred(320, 208, name, WHITE, 2)
    c.text_centred(320, 262, "overlay surface", WHITE, 1)
    # Red, green, blue and grey ramps, 16 steps each
    for row, unit in enumerate([(1, 0, 0), (0, 1, 0), (0, 0, 1), (1, 1, 1)]):
        y = 280 + 20 * row
        for i in range(16):
            v = i * 17
            c.rect(80 + 30 * i, y, 110 + 30 * i, y + 20, (unit[0] * v, unit[1] * v, unit[2] * v))
    # Circle and a thin crosshair
    cx, cy, r = 320, 240, 200
    c.ring(cx, cy, r - 2, r + 2, BLACK)
    c.ring(cx, cy, r - 1, r + 1, WHITE)
    c.rect(cx - 60, cy - 1, cx + 61, cy + 2, BLACK)
    c.rect(cx - 1, cy - 14, cx + 2, cy + 15, BLACK)
    c.rect(cx - 60, cy, cx + 61, cy + 1, WHITE)
    c.rect(cx, cy - 14, cx + 1, cy + 15, WHITE)
    # Caption and product boxes
    _label_box(c, 320, 40, 81, [("OVERLAY TEST", 3)], 24, BLACK, WHITE)
    _label_box(c, 320, 400, 441, [(PRODUCT, 2)], 24, BLACK, WHITE)
    # Accent corner blocks so a shifted or cropped overlay shows at once
    for gx, gy in ((40, 40), (560, 40), (40, 400), (560, 400)):
        c.rect(gx + 1, gy + 1, gx + 40, gy + 40, accent)
    _card_frame(c)
    return c


# ---------------------------------------------------------------------------
# Page pictures (204 x 264)

PCB = (30, 116, 66)
PCB_DARK = (16, 74, 40)
PCB_TRACE = (70, 156, 100)
GOLD = (226, 184, 64)
GOLD_DARK = (150, 110, 26)
METAL_LIGHT = (226, 230, 236)
METAL_DARK = (132, 138, 148)
CHIP = (38, 38, 44)
CHIP_LIGHT = (70, 70, 80)
PLASTIC_LIGHT = (236, 234, 226)
PLASTIC = (208, 205, 194)
PLASTIC_DARK = (150, 147, 136)
PAPER = (252, 252, 250)
INK_GREY = (176, 180, 188)
TICK_GREEN = (30, 150, 60)


class Page:
    """Common frame of the wizard pictures: gradient, glow and a caption."""

    def __init__(self, name, accent):
        self.name = name
        self.accent = accent
        w, h = PAGE_SIZE
        self.c = Canvas(w, h)
        self.c.vgradient(0, 0, w, h, lighter(accent, 0.62), darker(accent, 0.30))

    def glow(self, cx, cy, r):
        self.c.fill(circle(cx, cy, r), WHITE, alpha=0.30, soft=r * 0.9)

    def ground_shadow(self, cx, cy, rx, ry):
        self.c.fill(ellipse(cx, cy, rx, ry), darker(self.accent, 0.6), alpha=0.45, soft=ry * 1.6)

    def drop_shadow(self, shape, offset=3, soft=6.0, alpha=0.35):
        self.c.fill(shape.moved(offset, offset), darker(self.accent, 0.7), alpha=alpha, soft=soft)

    def caption(self):
        self.c.text_centred(self.c.w // 2, 246, PRODUCT, WHITE, 1, shadow=darker(self.accent, 0.5))


def wrap(text, scale, width):
    lines = []
    for word in text.split():
        if lines and text_width(lines[-1] + " " + word, scale) <= width:
            lines[-1] += " " + word
        else:
            lines.append(word)
    return lines


def draw_monitor(p, x0, y0, x1, y1, content):
    """Beige monitor with its stand below y1; content(canvas, sx0, sy0, sx1, sy1)
    paints the screen, whose corners are whole pixels."""
    c = p.c
    cx = (x0 + x1) / 2.0
    base_y = y1 + 22
    p.ground_shadow(cx, base_y + 4, (x1 - x0) * 0.42, 6)
    # Stand: neck and foot
    neck = polygon([(cx - 14, y1 - 2), (cx + 14, y1 - 2), (cx + 10, base_y - 6), (cx - 10, base_y - 6)])
    c.fill(neck, vgrad(y1, base_y, PLASTIC_DARK, PLASTIC))
    foot = rrect(cx - 40, base_y - 8, cx + 40, base_y + 2, 4)
    c.fill(foot, vgrad(base_y - 8, base_y + 2, PLASTIC_LIGHT, PLASTIC_DARK))
    c.fill(foot.outline(1.0), PLASTIC_DARK, alpha=0.6)
    # Case
    body = rrect(x0, y0, x1, y1, 7)
    p.drop_shadow(body)
    c.fill(body, vgrad(y0, y1, PLASTIC_LIGHT, PLASTIC))
    c.fill(body.outline(1.2), PLASTIC_DARK)
    # Screen well and glass
    sx0, sy0, sx1, sy1 = x0 + 10, y0 + 10, x1 - 10, y1 - 18
    c.fill(rrect(sx0 - 3, sy0 - 3, sx1 + 3, sy1 + 3, 4), PLASTIC_DARK)
    c.rect(sx0, sy0, sx1, sy1, (20, 26, 36))
    content(c, sx0, sy0, sx1, sy1)
    # A soft reflection across the upper left of the glass
    glare = polygon([(sx0, sy0), (sx0 + (sx1 - sx0) * 0.55, sy0), (sx0, sy0 + (sy1 - sy0) * 0.7)])
    c.fill(glare, WHITE, alpha=0.10)
    # Badge and power light
    c.fill(rrect(cx - 12, y1 - 12, cx + 12, y1 - 8, 2), PLASTIC_DARK, alpha=0.7)
    c.fill(circle(x1 - 14, y1 - 9, 2.2), (60, 210, 90))
    c.fill(circle(x1 - 24, y1 - 9, 2.6), PLASTIC_DARK)


def draw_window(c, x0, y0, x1, y1, title_colour):
    """Classic window: grey frame, gradient title bar; returns the client area."""
    c.rect(x0, y0, x1, y1, (192, 192, 192))
    c.rect(x0, y0, x1, y0 + 1, WHITE)
    c.rect(x0, y0, x0 + 1, y1, WHITE)
    c.rect(x0, y1 - 1, x1, y1, (64, 64, 64))
    c.rect(x1 - 1, y0, x1, y1, (64, 64, 64))
    for x in range(x0 + 2, x1 - 2):
        col = mix(title_colour, (120, 170, 230), (x - x0) / float(x1 - x0))
        c.rect(x, y0 + 2, x + 1, y0 + 9, col)
    c.rect(x1 - 8, y0 + 3, x1 - 3, y0 + 8, (192, 192, 192))
    c.rect(x1 - 8, y0 + 7, x1 - 3, y0 + 8, (64, 64, 64))
    c.rect(x1 - 4, y0 + 3, x1 - 3, y0 + 8, (64, 64, 64))
    return x0 + 2, y0 + 10, x1 - 2, y1 - 2


def draw_welcome(name, accent):
    p = Page(name, accent)
    c = p.c
    # Product family name at the top
    lines = wrap(name, 2, 184)
    y = 22 if len(lines) == 1 else 14
    for line in lines:
        c.text_centred(102, y, line, WHITE, 2, shadow=darker(accent, 0.5))
        y += 20
    p.glow(104, 138, 96)
    p.ground_shadow(104, 212, 84, 7)
    # Board outline: card, bus tab and mounting bracket
    bx0, by0, bx1, by1 = 24, 82, 192, 188
    notch = rrect(119.5, by1 + 2, 125.5, by1 + 20, 1.5)
    board = (rrect(bx0, by0, bx1, by1, 4) | rrect(70, by1 - 6, 180, by1 + 14, 2)) - notch
    p.drop_shadow(board, offset=4, soft=8.0)
    c.fill(board, vgrad(by0, by1 + 14, lighter(PCB, 0.12), PCB))
    c.fill(board.outline(1.4), PCB_DARK)
    # Traces from the main chip to the bus fingers
    for i in range(9):
        x = 103 + i * 6 + (2 if i > 3 else 0)
        c.fill(segment(x, 128, x, by1 + 2, 0.6), PCB_TRACE)
    for i in range(4):
        y = 92 + i * 7
        c.fill(polyline([(84, y), (92, y + 4), (100, y + 4)], 0.6), PCB_TRACE)
    # Gold bus fingers with the key notch
    for x in range(73, 178, 4):
        if 117 <= x <= 125:
            continue
        c.fill(rrect(x, by1 + 1, x + 2.6, by1 + 13, 0.8), vgrad(by1, by1 + 13, GOLD, GOLD_DARK))
    # Tuner can with vent slots
    can = rrect(30, 90, 80, 134, 2)
    c.fill(can, vgrad(90, 134, METAL_LIGHT, METAL_DARK))
    c.fill(can.outline(1.0), (100, 106, 116))
    for i in range(5):
        c.fill(rrect(36, 97 + i * 7, 74, 99 + i * 7, 1), (150, 156, 166))
    # Main video chip and two memory chips
    chip = rrect(100, 90, 142, 128, 2)
    for i in range(7):
        for (ax, ay, bx, by) in ((102 + i * 6 - 0.5, 87, 102 + i * 6 + 2.5, 91),
                                 (102 + i * 6 - 0.5, 127, 102 + i * 6 + 2.5, 131)):
            c.fill(rrect(ax, ay, bx, by), METAL_DARK)
        for (ax, ay, bx, by) in ((97, 92 + i * 5, 101, 94 + i * 5), (141, 92 + i * 5, 145, 94 + i * 5)):
            c.fill(rrect(ax, ay, bx, by), METAL_DARK)
    c.fill(chip, vgrad(90, 128, CHIP_LIGHT, CHIP))
    c.text_centred(121, 106, "TQ", (170, 170, 178), 1)
    for y in (90, 112):
        mem = rrect(152, y, 184, y + 16, 1.5)
        for i in range(6):
            c.fill(rrect(154 + i * 5, y - 2, 156 + i * 5, y + 18), METAL_DARK)
        c.fill(mem, vgrad(y, y + 16, CHIP_LIGHT, CHIP))
    # Capacitors and a crystal
    for i, x in enumerate((34, 46, 58, 70)):
        cap = circle(x, 146, 4.5)
        c.fill(cap, (20, 40, 90) if i % 2 == 0 else (30, 30, 34))
        c.fill(circle(x - 1, 145, 1.6), WHITE, alpha=0.35)
    c.fill(rrect(86, 138, 100, 146, 4), vgrad(138, 146, METAL_LIGHT, METAL_DARK))
    # Label with the family name
    tw = text_width(name)
    lx0 = 108 - tw // 2 - 6
    label = rrect(lx0, 156, lx0 + tw + 12, 172, 2)
    c.fill(label, PAPER)
    c.fill(label.outline(1.0), (190, 190, 190))
    c.text(lx0 + 6, 161 - 1, name, darker(accent, 0.2), 1)
    c.rect(lx0 + 6, 169, lx0 + 6 + tw, 170, accent)
    # Mounting bracket with the connectors sticking out
    bracket = rrect(16, 70, 24, 200, 1) | rrect(16, 70, 40, 76, 1)
    c.fill(bracket, hgrad(16, 40, METAL_LIGHT, METAL_DARK))
    c.fill(bracket.outline(0.8), (110, 116, 126))
    jacks = [((190, 194, 200), 94), (CHIP, 116), ((240, 200, 40), 138), ((236, 236, 236), 156), ((210, 40, 40), 174)]
    for col, y in jacks:
        jack = rrect(4, y - 5, 17, y + 5, 2)
        c.fill(jack, vgrad(y - 5, y + 5, lighter(col, 0.3), darker(col, 0.25)))
        c.fill(jack.outline(0.8), darker(col, 0.5))
        c.fill(rrect(7, y - 1, 9, y + 1, 0.5), darker(col, 0.6))
    p.caption()
    return c


def draw_system_checks(name, accent):
    p = Page(name, accent)
    c = p.c
    p.glow(102, 128, 100)
    p.ground_shadow(100, 228, 88, 7)
    # Tower case with a little depth
    tx0, ty0, tx1, ty1 = 16, 46, 78, 222
    d = 14
    side = polygon([(tx1, ty0), (tx1 + d, ty0 - 8), (tx1 + d, ty1 - 8), (tx1, ty1)])
    top = polygon([(tx0, ty0), (tx0 + d, ty0 - 8), (tx1 + d, ty0 - 8), (tx1, ty0)])
    front = rrect(tx0, ty0, tx1, ty1, 1.5)
    p.drop_shadow(front | side, offset=4, soft=8.0)
    c.fill(side, vgrad(ty0, ty1, PLASTIC, PLASTIC_DARK))
    c.fill(top, PLASTIC_LIGHT)
    c.fill(front, vgrad(ty0, ty1, PLASTIC_LIGHT, PLASTIC))
    for s in (front, side, top):
        c.fill(s.outline(1.0), PLASTIC_DARK)
    for y in (56, 74):
        bay = rrect(tx0 + 6, y, tx1 - 6, y + 14, 1)
        c.fill(bay, vgrad(y, y + 14, PLASTIC, PLASTIC_LIGHT))
        c.fill(bay.outline(1.0), PLASTIC_DARK)
        c.fill(rrect(tx0 + 10, y + 6, tx1 - 10, y + 8, 1), (90, 90, 90))
    fd = rrect(tx0 + 14, 98, tx1 - 14, 108, 1)
    c.fill(fd.outline(1.0), PLASTIC_DARK)
    c.fill(rrect(tx0 + 18, 102, tx1 - 18, 104, 1), (80, 80, 80))
    c.fill(circle(47, 178, 7), vgrad(171, 185, PLASTIC_LIGHT, PLASTIC_DARK))
    c.fill(circle(47, 178, 7).outline(1.0), PLASTIC_DARK)
    c.fill(circle(64, 196, 2.2), (60, 210, 90))
    for y in range(204, 216, 4):
        c.fill(rrect(tx0 + 10, y, tx1 - 10, y + 1.6, 0.8), PLASTIC_DARK)
    # Clipboard with a checklist
    cb = rrect(86, 58, 190, 232, 6)
    p.drop_shadow(cb, offset=4, soft=8.0)
    c.fill(cb, vgrad(58, 232, (178, 124, 66), (132, 86, 40)))
    c.fill(cb.outline(1.0), (96, 60, 26))
    paper = rrect(95, 74, 181, 224, 1)
    c.fill(paper.moved(1, 1), (90, 60, 30), alpha=0.5)
    c.fill(paper, PAPER)
    clip = rrect(118, 50, 158, 72, 4) - rrect(131, 54, 145, 60, 3)
    c.fill(clip, vgrad(50, 72, METAL_LIGHT, METAL_DARK))
    c.fill(clip.outline(1.0), (100, 106, 116))
    # Header bar on the sheet in the family colour
    c.fill(rrect(103, 80, 173, 86, 1), accent)
    for i in range(4):
        y = 98 + i * 31
        box = rrect(103, y, 119, y + 16, 2)
        c.fill(box, WHITE)
        c.fill(box.outline(1.4), (120, 124, 132))
        if i < 3:
            c.fill(polyline([(105.5, y + 8), (110, y + 13), (121, y - 1)], 1.9), TICK_GREEN)
        c.fill(rrect(125, y + 3, 172, y + 6.5, 1.5), INK_GREY)
        c.fill(rrect(125, y + 10, 158, y + 13.5, 1.5), INK_GREY)
    p.caption()
    return c


def draw_directdraw_install(name, accent):
    p = Page(name, accent)
    c = p.c
    p.glow(102, 110, 100)

    def screen(c, x0, y0, x1, y1):
        c.vgradient(x0, y0, x1, y1, darker(accent, 0.1), darker(accent, 0.45))
        cx0, cy0, cx1, cy1 = draw_window(c, x0 + 14, y0 + 12, x1 - 14, y1 - 12, (0, 0, 128))
        # Setup dialog: a file icon and a progress bar three quarters full
        c.rect(cx0 + 6, cy0 + 5, cx0 + 16, cy0 + 18, WHITE)
        c.rect(cx0 + 8, cy0 + 8, cx0 + 14, cy0 + 9, (128, 128, 128))
        c.rect(cx0 + 8, cy0 + 11, cx0 + 14, cy0 + 12, (128, 128, 128))
        c.rect(cx0 + 8, cy0 + 14, cx0 + 12, cy0 + 15, (128, 128, 128))
        c.rect(cx0 + 22, cy0 + 7, cx1 - 8, cy0 + 9, (96, 96, 96))
        c.rect(cx0 + 22, cy0 + 13, cx1 - 22, cy0 + 15, (96, 96, 96))
        bx0, by0, bx1, by1 = cx0 + 6, cy1 - 12, cx1 - 6, cy1 - 4
        c.rect(bx0, by0, bx1, by1, (128, 128, 128))
        c.rect(bx0 + 1, by0 + 1, bx1, by1, WHITE)
        c.rect(bx0 + 1, by0 + 1, bx1 - 1, by1 - 1, (192, 192, 192))
        x = bx0 + 2
        while x + 5 <= bx0 + 2 + (bx1 - bx0 - 4) * 3 // 4:
            c.rect(x, by0 + 2, x + 5, by1 - 2, (0, 0, 128))
            x += 7

    draw_monitor(p, 22, 30, 182, 140, screen)
    # Floppy disk in front, a little to the left
    p.ground_shadow(100, 226, 86, 6)
    disk = rrect(22, 156, 92, 224, 3)
    p.drop_shadow(disk, offset=4, soft=7.0)
    c.fill(disk, vgrad(156, 224, (62, 68, 86), (30, 34, 46)))
    c.fill(disk.outline(1.0), (16, 18, 26))
    shutter = rrect(38, 156, 76, 180, 1)
    c.fill(shutter, hgrad(38, 76, METAL_LIGHT, METAL_DARK))
    c.fill(rrect(62, 160, 70, 176, 1), (40, 44, 56))
    label = rrect(30, 188, 84, 224, 2)
    c.fill(label, PAPER)
    c.fill(rrect(30, 188, 84, 194, 2), accent)
    for y in (200, 207, 214):
        c.fill(rrect(35, y, 79 if y != 214 else 64, y + 2.5, 1), INK_GREY)
    c.fill(rrect(24, 214, 29, 220, 0.5), (20, 20, 26))
    # Two files, one behind the other
    for k, (fx, fy) in enumerate(((112, 150), (128, 160))):
        fw, fh, fold = 46, 60, 12
        sheet = polygon([(fx, fy), (fx + fw - fold, fy), (fx + fw, fy + fold), (fx + fw, fy + fh), (fx, fy + fh)])
        p.drop_shadow(sheet, offset=3, soft=6.0)
        c.fill(sheet, PAPER if k else (236, 238, 242))
        c.fill(sheet.outline(1.0), (140, 146, 156))
        c.fill(polygon([(fx + fw - fold, fy), (fx + fw - fold, fy + fold), (fx + fw, fy + fold)]), (210, 214, 222))
        c.fill(polygon([(fx + fw - fold, fy), (fx + fw - fold, fy + fold), (fx + fw, fy + fold)]).outline(1.0), (140, 146, 156))
        for j in range(5):
            y = fy + 20 + j * 7
            c.fill(rrect(fx + 6, y, fx + fw - (8 if j % 2 else 14), y + 2.5, 1), INK_GREY)
        if k:
            # A small gear on the front file: a system component
            gx, gy = fx + 12, fy + 10
            gear = circle(gx, gy, 5.0)
            for ax, ay in ((1, 0), (0, 1), (0.7071, 0.7071), (0.7071, -0.7071)):
                gear = gear | segment(gx - 7 * ax, gy - 7 * ay, gx + 7 * ax, gy + 7 * ay, 1.6)
            gear = gear - circle(gx, gy, 2.0)
            c.fill(gear, accent)
    p.caption()
    return c


def draw_mini_card(c, x0, y0, x1, y1):
    """The test card in miniature, for the primary surface page."""
    w = x1 - x0
    h = y1 - y0
    bar_bottom = y0 + h * 64 // 100
    cast_bottom = y0 + h * 74 // 100
    for i in range(7):
        a = x0 + i * w // 7
        b = x0 + (i + 1) * w // 7
        c.rect(a, y0, b, bar_bottom, BARS_75[i])
        c.rect(a, bar_bottom, b, cast_bottom, CASTELLATIONS[i])
    for i in range(8):
        a = x0 + i * w // 8
        b = x0 + (i + 1) * w // 8
        v = i * 255 // 7
        c.rect(a, cast_bottom, b, y1, (v, v, v))
    cx = (x0 + x1) / 2.0
    cy = (y0 + y1) / 2.0
    r = h * 0.42
    c.fill(circle(cx, cy, r).outline(2.2), BLACK, alpha=0.6)
    c.fill(circle(cx, cy, r).outline(1.1), WHITE)
    c.fill(segment(cx - r, cy, cx + r, cy, 0.55), WHITE)
    c.fill(segment(cx, cy - r, cx, cy + r, 0.55), WHITE)
    c.frame(x0, y0, x1, y1, WHITE)


def draw_primary_surface(name, accent):
    p = Page(name, accent)
    c = p.c
    p.glow(102, 120, 104)
    draw_monitor(p, 14, 58, 190, 178, lambda c, *r: draw_mini_card(c, *r))
    c.text_centred(102, 24, "640 x 480", WHITE, 2, shadow=darker(accent, 0.5))
    p.caption()
    return c


def draw_overlay(name, accent):
    p = Page(name, accent)
    c = p.c
    p.glow(102, 120, 104)

    def screen(c, x0, y0, x1, y1):
        c.rect(x0, y0, x1, y1, darker(accent, 0.15))
        # Desktop icons down the left edge
        for i in range(3):
            iy = y0 + 6 + i * 22
            c.rect(x0 + 6, iy, x0 + 16, iy + 10, (236, 236, 236))
            c.rect(x0 + 7, iy + 1, x0 + 15, iy + 4, (0, 0, 128))
            c.rect(x0 + 4, iy + 13, x0 + 18, iy + 15, (220, 220, 220))
        # Video window: the overlay picture
        vx0, vy0, vx1, vy1 = draw_window(c, x0 + 26, y0 + 8, x1 - 8, y1 - 10, (0, 0, 128))
        hor = vy0 + (vy1 - vy0) * 60 // 100
        c.vgradient(vx0, vy0, vx1, hor, (70, 130, 220), (190, 220, 250))
        area = rrect(vx0, vy0, vx1, vy1)
        c.fill(circle(vx1 - 22, vy0 + 16, 8) & area, (255, 220, 70))
        c.fill(circle(vx1 - 22, vy0 + 16, 13) & area, (255, 240, 160), alpha=0.35, soft=8.0)
        c.rect(vx0, hor, vx1, vy1, (60, 150, 60))
        c.fill(circle(vx0 + 24, hor + 58, 66) & area, vgrad(hor - 10, vy1, (92, 176, 80), (40, 110, 40)))
        c.fill(circle(vx1 - 4, hor + 70, 72) & area, vgrad(hor - 10, vy1, (70, 156, 64), (30, 90, 34)))
        # Playback bar under the picture
        c.rect(vx0, vy1 - 6, vx1, vy1, (192, 192, 192))
        c.rect(vx0 + 14, vy1 - 4, vx1 - 4, vy1 - 2, (128, 128, 128))
        c.rect(vx0 + 14, vy1 - 4, vx0 + 14 + (vx1 - vx0 - 18) * 2 // 5, vy1 - 2, (0, 0, 128))
        c.fill(polygon([(vx0 + 3, vy1 - 5.5), (vx0 + 9, vy1 - 3), (vx0 + 3, vy1 - 0.5)]), (0, 0, 0))

    draw_monitor(p, 14, 58, 190, 178, screen)
    p.caption()
    return c


def _result_background():
    w, h = PAGE_SIZE
    c = Canvas(w, h)
    c.vgradient(0, 0, w, h, (255, 255, 255), (222, 226, 232))
    return c


def draw_pass(name, accent):
    c = _result_background()
    pts = [(40, 138), (84, 182), (166, 84)]
    c.fill(polyline([(x + 5, y + 6) for x, y in pts], 17), (60, 70, 80), alpha=0.30, soft=10.0)
    c.fill(polyline(pts, 17), (20, 110, 40))
    c.fill(polyline(pts, 14), vgrad(70, 196, (70, 200, 80), (20, 150, 45)))
    return c


def draw_fail(name, accent):
    c = _result_background()
    a, b = 50, 154
    top, bottom = 80, 184

    def cross(dx, dy, r):
        return segment(a + dx, top + dy, b + dx, bottom + dy, r) | segment(b + dx, top + dy, a + dx, bottom + dy, r)
    c.fill(cross(5, 6, 17), (60, 70, 80), alpha=0.30, soft=10.0)
    c.fill(cross(0, 0, 17), (140, 20, 20))
    c.fill(cross(0, 0, 14), vgrad(66, 198, (240, 70, 60), (196, 24, 24)))
    return c


# ---------------------------------------------------------------------------

PICTURES = [
    (110, draw_overlay_card, True),
    (114, draw_primary_card, True),
    (120, draw_welcome, False),
    (121, draw_system_checks, False),
    (122, draw_directdraw_install, False),
    (123, draw_primary_surface, False),
    (124, draw_overlay, False),
    (127, draw_fail, False),
    (130, draw_pass, False),
]


def rc_text(family, display):
    lines = ["// Pictures of the %s bitmap library; written by make_bitmaps.py." % display, ""]
    for rid, _, _ in PICTURES:
        lines.append('%d BITMAP "%d.bmp"' % (rid, rid))
    base = "%sBitmap" % family
    lines += [
        "",
        "1 VERSIONINFO",
        "FILEVERSION 1,0,0,0",
        "PRODUCTVERSION 1,0,0,0",
        "FILEFLAGSMASK 0x3F",
        "FILEFLAGS 0x0",
        "FILEOS 0x4",  # VOS__WINDOWS32
        "FILETYPE 0x2",  # VFT_DLL
        "FILESUBTYPE 0x0",
        "BEGIN",
        '  BLOCK "StringFileInfo"',
        "  BEGIN",
        '    BLOCK "040904E4"',
        "    BEGIN",
        '      VALUE "CompanyName", "%s"' % COMPANY,
        '      VALUE "FileDescription", "%s pictures for %s"' % (display, PRODUCT),
        '      VALUE "FileVersion", "1.0.0.0"',
        '      VALUE "InternalName", "%s"' % base,
        '      VALUE "OriginalFilename", "%s.dll"' % base,
        '      VALUE "ProductName", "%s"' % PRODUCT,
        '      VALUE "ProductVersion", "1.0.0.0"',
        "    END",
        "  END",
        '  BLOCK "VarFileInfo"',
        "  BEGIN",
        '    VALUE "Translation", 0x409, 1252',
        "  END",
        "END",
        "",
    ]
    return "\n".join(lines)


def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main(argv=None):
    ap = argparse.ArgumentParser(description="Draw the pictures of one bitmap library.")
    ap.add_argument("--family", required=True, choices=sorted(FAMILIES))
    ap.add_argument("--out", required=True, help="output directory")
    args = ap.parse_args(argv)
    display, accent = FAMILIES[args.family]
    os.makedirs(args.out, exist_ok=True)
    for rid, draw, exact in PICTURES:
        canvas = draw(display, accent)
        write_file(os.path.join(args.out, "%d.bmp" % rid), bmp_bytes(canvas, exact))
    write_file(os.path.join(args.out, "bitmaps.rc"), rc_text(args.family, display).encode("ascii"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
