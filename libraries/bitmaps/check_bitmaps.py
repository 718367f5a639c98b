#!/usr/bin/env python3
"""Checks the pictures written by make_bitmaps.py and the program icon.

Usage: python3 check_bitmaps.py DIR [--icon FILE]
       python3 check_bitmaps.py --icon FILE

DIR must hold the nine bitmaps of one bitmap library and its bitmaps.rc.
Every fault found is printed; the exit status is 1 if there was any.
"""

import argparse
import os
import re
import struct
import sys

CARD = (640, 480)
PAGE = (204, 264)
EXPECTED = {
    110: CARD, 114: CARD,
    120: PAGE, 121: PAGE, 122: PAGE, 123: PAGE, 124: PAGE,
    127: PAGE, 130: PAGE,
}
ICON_SIZES = (16, 32, 48)

# Fixed reference points of the test cards, (x, y) from the top-left corner.
# A screenshot test relies on them, so they must not move by accident.
REFERENCE_POINTS = {
    114: {(0, 0): (255, 255, 255), (639, 479): (255, 255, 255), (1, 1): (0, 0, 0),
          (60, 70): (191, 191, 191), (138, 70): (191, 191, 0), (300, 70): (0, 191, 0),
          (600, 70): (0, 0, 191), (320, 228): (255, 255, 255),
          (8, 360): (0, 0, 0), (630, 360): (255, 255, 255)},
    110: {(0, 0): (255, 255, 255), (639, 479): (255, 255, 255), (1, 1): (0, 0, 0),
          (20, 20): (40, 40, 40), (40, 20): (190, 190, 190),
          (110, 160): (255, 255, 255), (170, 160): (255, 255, 0), (290, 160): (0, 255, 0),
          (470, 160): (0, 0, 255), (320, 240): (255, 255, 255),
          (95, 290): (0, 0, 0), (545, 290): (255, 0, 0)},
}


class Faults:
    def __init__(self):
        self.items = []

    def add(self, where, message):
        self.items.append("%s: %s" % (where, message))

    def check(self, ok, where, message):
        if not ok:
            self.add(where, message)
        return ok


class Bitmap:
    """An 8-bit bottom-up DIB read back from a .bmp file."""

    def __init__(self, width, height, palette, bits, stride):
        self.width = width
        self.height = height
        self.palette = palette
        self.bits = bits
        self.stride = stride

    def index(self, x, y):
        return self.bits[(self.height - 1 - y) * self.stride + x]

    def pixel(self, x, y):
        return self.palette[self.index(x, y)]

    def pixels(self):
        for y in range(self.height):
            row = self.bits[(self.height - 1 - y) * self.stride:][:self.width]
            for i in row:
                yield self.palette[i]


def read_bmp(path, size, faults):
    """Validates the headers; returns a Bitmap, or None if it cannot be read."""
    where = os.path.basename(path)
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        faults.add(where, "cannot read: %s" % e)
        return None
    if not faults.check(len(data) >= 54, where, "too short for the headers (%d bytes)" % len(data)):
        return None
    magic, bf_size, r1, r2, off = struct.unpack_from("<2sIHHI", data, 0)
    (bi_size, width, height, planes, bitcount, compression, size_image,
     _xppm, _yppm, clr_used, clr_important) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    ok = True
    ok &= faults.check(magic == b"BM", where, "signature is %r, not 'BM'" % magic)
    ok &= faults.check(bf_size == len(data), where, "bfSize %d but the file has %d bytes" % (bf_size, len(data)))
    ok &= faults.check(r1 == 0 and r2 == 0, where, "reserved header words are not zero")
    ok &= faults.check(bi_size == 40, where, "biSize is %d, not 40 (BITMAPINFOHEADER)" % bi_size)
    ok &= faults.check((width, height) == size, where, "size %dx%d, expected %dx%d" % ((width, height) + size))
    ok &= faults.check(planes == 1, where, "biPlanes is %d" % planes)
    ok &= faults.check(bitcount == 8, where, "biBitCount is %d, not 8" % bitcount)
    ok &= faults.check(compression == 0, where, "biCompression is %d, not BI_RGB" % compression)
    ok &= faults.check(clr_used in (0, 256), where, "biClrUsed is %d, expected 0 or 256" % clr_used)
    ok &= faults.check(clr_important <= 256, where, "biClrImportant is %d" % clr_important)
    ok &= faults.check(off == 14 + 40 + 256 * 4, where,
                       "pixel data at offset %d, expected %d (256-entry colour table)" % (off, 14 + 40 + 1024))
    if not ok or width <= 0 or height <= 0:
        return None
    stride = (width + 3) & ~3
    if not faults.check(size_image in (0, stride * height), where,
                        "biSizeImage %d, expected %d" % (size_image, stride * height)):
        return None
    if not faults.check(len(data) == off + stride * height, where,
                        "file is %d bytes, expected %d for padded rows" % (len(data), off + stride * height)):
        return None
    table = data[54:off]
    if not faults.check(all(table[i + 3] == 0 for i in range(0, 1024, 4)), where,
                        "colour table entries have non-zero reserved bytes"):
        return None
    palette = [(table[i + 2], table[i + 1], table[i]) for i in range(0, 1024, 4)]
    return Bitmap(width, height, palette, data[off:], stride)


def _is_green(c):
    r, g, b = c
    return g >= 100 and g > r + 50 and g > b + 50


def _is_red(c):
    r, g, b = c
    return r >= 120 and r > g + 60 and r > b + 60


def check_bitmap_content(rid, bmp, faults):
    where = "%d.bmp" % rid
    colours = {}
    for c in bmp.pixels():
        colours[c] = colours.get(c, 0) + 1
    total = bmp.width * bmp.height
    biggest = max(colours.values())
    faults.check(biggest < total * 0.9, where, "one colour covers %.0f%% of the picture" % (100.0 * biggest / total))
    if rid in (110, 114):
        faults.check(len(colours) >= 16, where, "a test card with only %d colours" % len(colours))
        faults.check(bmp.pixel(0, 0) != (0, 0, 0), where, "pixel (0,0) is black")
        for (x, y), want in sorted(REFERENCE_POINTS[rid].items()):
            got = bmp.pixel(x, y)
            faults.check(got == want, where, "pixel (%d,%d) is %s, expected %s" % (x, y, got, want))
        # The caption area differs between the two cards, so the screenshot
        # test can tell which one is shown.
    elif rid in (127, 130):
        green = sum(n for c, n in colours.items() if _is_green(c))
        red = sum(n for c, n in colours.items() if _is_red(c))
        if rid == 130:
            faults.check(green >= total * 0.05, where, "only %.1f%% green pixels" % (100.0 * green / total))
            faults.check(red <= green * 0.02, where, "%d red pixels beside %d green" % (red, green))
        else:
            faults.check(red >= total * 0.05, where, "only %.1f%% red pixels" % (100.0 * red / total))
            faults.check(green <= red * 0.02, where, "%d green pixels beside %d red" % (green, red))
    else:
        faults.check(len(colours) >= 32, where, "a page picture with only %d colours" % len(colours))


def check_rc(path, faults):
    where = "bitmaps.rc"
    try:
        with open(path, "r", encoding="ascii") as f:
            text = f.read()
    except (OSError, UnicodeDecodeError) as e:
        faults.add(where, "cannot read: %s" % e)
        return
    for rid in sorted(EXPECTED):
        faults.check(re.search(r'^\s*%d\s+BITMAP\s+"%d\.bmp"\s*$' % (rid, rid), text, re.M) is not None,
                     where, "no line '%d BITMAP \"%d.bmp\"'" % (rid, rid))
    faults.check(re.search(r"^\s*1\s+VERSIONINFO\b", text, re.M) is not None, where, "no VERSIONINFO block")
    for key, pattern in (("CompanyName", r"Tavolink Systems"),
                         ("ProductName", r"Tavolink Quorvex"),
                         ("FileDescription", r".+ pictures for Tavolink Quorvex"),
                         ("OriginalFilename", r"\w+Bitmap\.dll"),
                         ("FileVersion", r"1\.0\.0\.0")):
        faults.check(re.search(r'VALUE\s+"%s",\s*"%s"' % (key, pattern), text) is not None,
                     where, "%s missing or wrong" % key)
    faults.check(re.search(r"^FILEVERSION\s+1,0,0,0\s*$", text, re.M) is not None, where, "FILEVERSION is not 1,0,0,0")


def check_dir(directory, faults):
    bitmaps = {}
    for rid, size in sorted(EXPECTED.items()):
        bmp = read_bmp(os.path.join(directory, "%d.bmp" % rid), size, faults)
        if bmp is not None:
            check_bitmap_content(rid, bmp, faults)
            bitmaps[rid] = bmp
    if 110 in bitmaps and 114 in bitmaps:
        a, b = bitmaps[110], bitmaps[114]
        differing = sum(1 for p, q in zip(a.pixels(), b.pixels()) if p != q)
        faults.check(differing > a.width * a.height // 4, "110.bmp",
                     "overlay and primary test cards are nearly the same picture")
    check_rc(os.path.join(directory, "bitmaps.rc"), faults)


def check_icon(path, faults):
    where = os.path.basename(path)
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        faults.add(where, "cannot read: %s" % e)
        return
    if not faults.check(len(data) >= 6, where, "too short"):
        return
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    faults.check(reserved == 0, where, "reserved word is %d" % reserved)
    faults.check(kind == 1, where, "type is %d, not 1 (icon)" % kind)
    if not faults.check(count == len(ICON_SIZES), where, "%d images, expected %d" % (count, len(ICON_SIZES))):
        return
    if not faults.check(len(data) >= 6 + 16 * count, where, "directory runs past the end of the file"):
        return
    seen = []
    spans = []
    for k in range(count):
        w, h, ncol, res, planes, bitcount, nbytes, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * k)
        w = w or 256
        h = h or 256
        entry = "%s entry %d" % (where, k)
        seen.append(w)
        faults.check(w == h, entry, "not square (%dx%d)" % (w, h))
        faults.check(res == 0, entry, "reserved byte is %d" % res)
        if not faults.check(offset >= 6 + 16 * count and offset + nbytes <= len(data), entry,
                            "image at %d+%d lies outside the file" % (offset, nbytes)):
            continue
        spans.append((offset, offset + nbytes))
        img = data[offset:offset + nbytes]
        if not faults.check(len(img) >= 40, entry, "image too short for a header"):
            continue
        if not faults.check(img[:8] != b"\x89PNG\r\n\x1a\n", entry, "PNG image; Windows 98 needs a DIB"):
            continue
        (bi_size, bw, bh, bplanes, bbits, bcomp, bsize_image,
         _x, _y, bclr_used, _imp) = struct.unpack_from("<IiiHHIIiiII", img, 0)
        ok = True
        ok &= faults.check(bi_size == 40, entry, "biSize is %d" % bi_size)
        ok &= faults.check(bw == w and bh == 2 * h, entry,
                           "header says %dx%d, expected %dx%d (colour bits and mask)" % (bw, bh, w, 2 * h))
        ok &= faults.check(bplanes == 1, entry, "biPlanes is %d" % bplanes)
        ok &= faults.check(bbits in (1, 4, 8, 24, 32), entry, "biBitCount is %d" % bbits)
        ok &= faults.check(bcomp == 0, entry, "biCompression is %d" % bcomp)
        ok &= faults.check(bitcount in (0, bbits), entry, "directory says %d bits, header %d" % (bitcount, bbits))
        ok &= faults.check(planes in (0, 1), entry, "directory says %d planes" % planes)
        if not ok:
            continue
        colours = (bclr_used or (1 << bbits)) if bbits <= 8 else 0
        xor_stride = ((w * bbits + 31) // 32) * 4
        and_stride = ((w + 31) // 32) * 4
        expected = 40 + 4 * colours + xor_stride * h + and_stride * h
        if not faults.check(nbytes == expected, entry,
                            "%d bytes, expected %d for a %dx%d %d-bit image" % (nbytes, expected, w, h, bbits)):
            continue
        faults.check(bsize_image in (0, xor_stride * h + and_stride * h), entry, "biSizeImage is %d" % bsize_image)
        if bbits <= 8 and bbits >= 1:
            faults.check(ncol == (colours if colours < 256 else 0), entry,
                         "bColorCount %d does not match %d colours" % (ncol, colours))
        mask = img[40 + 4 * colours + xor_stride * h:]
        transparent = sum(1 for y in range(h) for x in range(w)
                          if mask[y * and_stride + (x >> 3)] & (0x80 >> (x & 7)))
        faults.check(0 < transparent < w * h, entry,
                     "mask leaves %d of %d pixels transparent; expected a shape" % (transparent, w * h))
        if bbits == 8:
            table = img[40:40 + 4 * colours]
            xor = img[40 + 4 * colours:]
            used = set()
            for y in range(h):
                for x in range(w):
                    if not mask[y * and_stride + (x >> 3)] & (0x80 >> (x & 7)):
                        i = xor[y * xor_stride + x]
                        used.add(bytes(table[4 * i:4 * i + 3]))
            faults.check(len(used) >= 4, entry, "only %d colours in the opaque part" % len(used))
    faults.check(sorted(seen) == sorted(ICON_SIZES), where,
                 "image sizes %s, expected %s" % (sorted(seen), list(ICON_SIZES)))
    spans.sort()
    for (a0, a1), (b0, b1) in zip(spans, spans[1:]):
        faults.check(a1 <= b0, where, "images at %d and %d overlap" % (a0, b0))


def main(argv=None):
    ap = argparse.ArgumentParser(description="Check the bitmap library pictures and the program icon.")
    ap.add_argument("dir", nargs="?", help="directory written by make_bitmaps.py")
    ap.add_argument("--icon", help="program icon to check")
    args = ap.parse_args(argv)
    if args.dir is None and args.icon is None:
        ap.error("give a directory, --icon FILE, or both")
    faults = Faults()
    if args.dir is not None:
        check_dir(args.dir, faults)
    if args.icon is not None:
        check_icon(args.icon, faults)
    for item in faults.items:
        print("FAULT: " + item)
    checked = " and ".join(x for x in (args.dir, args.icon) if x)
    if faults.items:
        print("%d fault(s) in %s" % (len(faults.items), checked))
        return 1
    print("ok: %s" % checked)
    return 0


if __name__ == "__main__":
    sys.exit(main())
