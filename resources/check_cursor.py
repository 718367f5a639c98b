#!/usr/bin/env python3
"""Checks an animated cursor (.ani) before it ships beside the program.

Usage: python3 check_cursor.py FILE.ani

Walks the RIFF structure and every frame and prints one line per fault
found; the exit status is 0 for a sound file and 1 otherwise (2 for a
usage error).  What is checked:

  * RIFF "ACON" form whose size matches the file; every chunk lies inside
    its parent, odd-sized chunks are followed by one pad byte, and the
    chunks of a list fill it exactly;
  * exactly one "anih" chunk of 36 bytes: cbSize 36, at least one frame and
    one step, width/height 32 (or 0), planes 1 (or 0), a non-zero jiffy
    rate, the AF_ICON flag set (frames are icon chunks) and steps equal to
    frames unless a "seq " chunk says otherwise;
  * optional "rate" (one non-zero rate per step) and "seq " (one frame
    number below the frame count per step);
  * one LIST "fram" holding only "icon" chunks, as many as anih announces;
  * each frame a .CUR file (type 2) with a 32x32 entry whose image is a
    classic DIB (BITMAPINFOHEADER, doubled height, no compression, a bit
    count of 1, 4, 8, 24 or 32) that fits inside the entry, hotspot inside
    the image, bit count matching anih when anih gives one;
  * the AND mask neither all opaque nor all transparent, transparent pixels
    black in the colour image (else they would tint the screen), and the
    colour image not blank: the opaque pixels are not all of one colour.
"""

import struct
import sys

CURSOR_SIZE = 32
AF_ICON = 0x1
AF_SEQUENCE = 0x2


class Faults:
    def __init__(self):
        self.items = []

    def add(self, where, text):
        self.items.append("%s: %s" % (where, text) if where else text)


def chunks(data, start, end, where, faults):
    """(fourcc, data offset, size) of each chunk in data[start:end]."""
    out = []
    pos = start
    while pos < end:
        if end - pos < 8:
            faults.add(where, "%d stray bytes at offset %d, too few for a chunk header" % (end - pos, pos))
            break
        fourcc = data[pos:pos + 4]
        size = struct.unpack_from("<I", data, pos + 4)[0]
        body = pos + 8
        if body + size > end:
            faults.add(where, "chunk %r at offset %d claims %d bytes, only %d left"
                       % (fourcc, pos, size, end - body))
            break
        out.append((fourcc, body, size))
        pos = body + size
        if size % 2:
            if pos >= end:
                faults.add(where, "odd-sized chunk %r at offset %d has no pad byte" % (fourcc, body - 8))
                break
            pos += 1
    return out


def check_dib_frame(cur, where, faults, anih_bits):
    """Checks one .CUR file; returns nothing, records faults."""
    if len(cur) < 6:
        faults.add(where, "too short for a cursor directory (%d bytes)" % len(cur))
        return
    reserved, kind, count = struct.unpack_from("<HHH", cur, 0)
    if reserved != 0:
        faults.add(where, "directory reserved word is %d, not 0" % reserved)
    if kind != 2:
        faults.add(where, "resource type %d, a cursor needs 2" % kind)
    if count < 1:
        faults.add(where, "directory holds no image")
        return
    if len(cur) < 6 + 16 * count:
        faults.add(where, "directory of %d entries does not fit in %d bytes" % (count, len(cur)))
        return
    entries = [struct.unpack_from("<BBBBHHII", cur, 6 + 16 * i) for i in range(count)]
    chosen = [e for e in entries if (e[0] or 256) == CURSOR_SIZE and (e[1] or 256) == CURSOR_SIZE]
    if not chosen:
        faults.add(where, "no 32x32 image among %d entries" % count)
        return
    width, height, colours, _, hot_x, hot_y, length, offset = chosen[0]
    if hot_x >= width or hot_y >= height:
        faults.add(where, "hotspot (%d, %d) lies outside the %dx%d image" % (hot_x, hot_y, width, height))
    if offset < 6 + 16 * count or offset + length > len(cur):
        faults.add(where, "image at %d, %d bytes, lies outside the %d-byte file" % (offset, length, len(cur)))
        return
    image = cur[offset:offset + length]
    if len(image) < 40:
        faults.add(where, "image of %d bytes is too short for a BITMAPINFOHEADER" % len(image))
        return
    if image[:4] == b"\x89PNG":
        faults.add(where, "image is PNG, older Windows needs a DIB")
        return
    (hsize, bw, bh, planes, bits, compression, _, _, _, used, _) = struct.unpack_from("<IiiHHIIiiII", image, 0)
    if hsize != 40:
        faults.add(where, "header size %d, expected a 40-byte BITMAPINFOHEADER" % hsize)
        return
    if bw != width or bh != 2 * height:
        faults.add(where, "DIB is %dx%d, expected %dx%d (height doubled for the mask)"
                   % (bw, bh, width, 2 * height))
        return
    if planes != 1:
        faults.add(where, "DIB has %d planes, expected 1" % planes)
    if compression != 0:
        faults.add(where, "DIB compression %d, expected 0 (BI_RGB)" % compression)
        return
    if bits not in (1, 4, 8, 24, 32):
        faults.add(where, "DIB bit count %d is not one of 1, 4, 8, 24, 32" % bits)
        return
    if anih_bits and bits != anih_bits:
        faults.add(where, "frame has %d bits per pixel, anih says %d" % (bits, anih_bits))
    if bits <= 8:
        table_len = used if used else 1 << bits
        if table_len > 1 << bits:
            faults.add(where, "colour table of %d entries for %d bits per pixel" % (used, bits))
            return
        if colours not in (0, (1 << bits) & 0xFF):
            faults.add(where, "directory colour count %d does not match %d bits per pixel" % (colours, bits))
    else:
        table_len = 0
    xor_stride = ((width * bits + 31) // 32) * 4
    and_stride = ((width + 31) // 32) * 4
    table_at = 40
    xor_at = table_at + 4 * table_len
    and_at = xor_at + xor_stride * height
    need = and_at + and_stride * height
    if need > len(image):
        faults.add(where, "image needs %d bytes (header, colours, colour bits, mask), has %d"
                   % (need, len(image)))
        return
    palette = [tuple(image[table_at + 4 * i:table_at + 4 * i + 3]) for i in range(table_len)]

    def colour(x, row):
        at = xor_at + row * xor_stride
        if bits == 1:
            i = (image[at + x // 8] >> (7 - x % 8)) & 1
        elif bits == 4:
            i = (image[at + x // 2] >> (4 if x % 2 == 0 else 0)) & 15
        elif bits == 8:
            i = image[at + x]
        else:
            step = bits // 8
            return tuple(image[at + x * step:at + x * step + 3])
        return palette[i] if i < len(palette) else None

    opaque = transparent = tinted = beyond = 0
    seen = set()
    for row in range(height):
        mask_row = image[and_at + row * and_stride:and_at + (row + 1) * and_stride]
        for x in range(width):
            c = colour(x, row)
            if c is None:
                beyond += 1
                c = (0, 0, 0)
            if (mask_row[x // 8] >> (7 - x % 8)) & 1:
                transparent += 1
                if c != (0, 0, 0):
                    tinted += 1
            else:
                opaque += 1
                seen.add(c)
    if beyond:
        faults.add(where, "%d pixels use colours beyond the %d-entry table" % (beyond, len(palette)))
    if transparent == 0:
        faults.add(where, "AND mask is all opaque: the cursor would be a solid square")
    if opaque == 0:
        faults.add(where, "AND mask is all transparent: the cursor would be invisible")
    elif len(seen) < 2:
        faults.add(where, "colour image is blank: all %d opaque pixels have one colour" % opaque)
    if tinted:
        faults.add(where, "%d transparent pixels are not black and would tint the screen" % tinted)


def check(data):
    faults = Faults()
    if len(data) < 12 or data[:4] != b"RIFF":
        faults.add("", "not a RIFF file")
        return faults.items
    riff_size = struct.unpack_from("<I", data, 4)[0]
    if data[8:12] != b"ACON":
        faults.add("RIFF", "form type %r, expected 'ACON'" % data[8:12])
    if riff_size + 8 != len(data):
        faults.add("RIFF", "size field %d, but the file holds %d bytes after the header"
                   % (riff_size, len(data) - 8))
    end = min(len(data), riff_size + 8)
    top = chunks(data, 12, end, "RIFF", faults)

    anih = [c for c in top if c[0] == b"anih"]
    frames_lists = [c for c in top if c[0] == b"LIST" and c[2] >= 4 and data[c[1]:c[1] + 4] == b"fram"]
    rates = [c for c in top if c[0] == b"rate"]
    seqs = [c for c in top if c[0] == b"seq "]
    for name, found in ((b"rate", rates), (b"seq ", seqs)):
        if len(found) > 1:
            faults.add("RIFF", "%d %r chunks, at most one allowed" % (len(found), name))

    frame_count = steps = anih_bits = None
    flags = 0
    if len(anih) != 1:
        faults.add("RIFF", "%d 'anih' chunks, expected exactly one" % len(anih))
    else:
        _, at, size = anih[0]
        if size != 36:
            faults.add("anih", "chunk holds %d bytes, expected 36" % size)
        if size >= 36:
            (cb, frame_count, steps, w, h, anih_bits, planes, rate, flags) = struct.unpack_from("<9I", data, at)
            if cb != 36:
                faults.add("anih", "cbSize %d, expected 36" % cb)
            if frame_count < 1:
                faults.add("anih", "frame count is 0")
            if steps < 1:
                faults.add("anih", "step count is 0")
            if (w, h) not in ((0, 0), (CURSOR_SIZE, CURSOR_SIZE)):
                faults.add("anih", "size %dx%d, expected 32x32 (or 0x0)" % (w, h))
            if anih_bits not in (0, 1, 4, 8, 24, 32):
                faults.add("anih", "bit count %d is not one of 1, 4, 8, 24, 32" % anih_bits)
            if planes not in (0, 1):
                faults.add("anih", "planes %d, expected 1" % planes)
            if rate == 0 and not rates:
                faults.add("anih", "display rate is 0 jiffies and there is no 'rate' chunk")
            if not flags & AF_ICON:
                faults.add("anih", "AF_ICON flag not set, frames would be read as raw bitmaps")
            if flags & ~(AF_ICON | AF_SEQUENCE):
                faults.add("anih", "unknown flag bits 0x%x" % (flags & ~(AF_ICON | AF_SEQUENCE)))
            if bool(flags & AF_SEQUENCE) != bool(seqs):
                faults.add("anih", "AF_SEQUENCE flag %s but %s 'seq ' chunk"
                           % ("set" if flags & AF_SEQUENCE else "clear", "a" if seqs else "no"))
            if not seqs and steps != frame_count:
                faults.add("anih", "%d steps but %d frames and no 'seq ' chunk" % (steps, frame_count))
        else:
            faults.add("anih", "too short to read its fields")

    if rates and steps is not None:
        _, at, size = rates[0]
        if size != 4 * steps:
            faults.add("rate", "%d bytes, expected 4 per step (%d)" % (size, 4 * steps))
        elif any(v == 0 for v in struct.unpack_from("<%dI" % steps, data, at)):
            faults.add("rate", "a step has a rate of 0 jiffies")
    if seqs and steps is not None and frame_count is not None:
        _, at, size = seqs[0]
        if size != 4 * steps:
            faults.add("seq ", "%d bytes, expected 4 per step (%d)" % (size, 4 * steps))
        else:
            bad = [v for v in struct.unpack_from("<%dI" % steps, data, at) if v >= frame_count]
            if bad:
                faults.add("seq ", "frame numbers %s beyond the %d frames" % (bad, frame_count))

    if len(frames_lists) != 1:
        faults.add("RIFF", "%d LIST 'fram' chunks, expected exactly one" % len(frames_lists))
        return faults.items
    _, at, size = frames_lists[0]
    icons = chunks(data, at + 4, at + size, "LIST fram", faults)
    others = [c[0] for c in icons if c[0] != b"icon"]
    if others:
        faults.add("LIST fram", "holds chunks other than 'icon': %r" % others)
    icons = [c for c in icons if c[0] == b"icon"]
    if frame_count is not None and len(icons) != frame_count:
        faults.add("LIST fram", "%d icon chunks, anih announces %d frames" % (len(icons), frame_count))
    if not icons:
        faults.add("LIST fram", "no frames")
    for n, (_, at, size) in enumerate(icons):
        check_dib_frame(data[at:at + size], "frame %d" % n, faults, anih_bits)
    return faults.items


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: check_cursor.py FILE.ani\n")
        return 2
    try:
        with open(argv[1], "rb") as f:
            data = f.read()
    except OSError as e:
        sys.stderr.write("%s: %s\n" % (argv[1], e))
        return 1
    faults = check(data)
    for line in faults:
        sys.stderr.write("%s: %s\n" % (argv[1], line))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
