#!/usr/bin/env python3
"""Pixels of xwd dumps for the window trials under wine, with nothing but
Python's own library (no ImageMagick on the machines that run them).

  xwd_pixels.py png XWD OUT.png [X Y W H]   the dump (or a rectangle of it) as a PNG
  xwd_pixels.py diff XWD1 XWD2 X Y W H      how many pixels of the rectangle differ
  xwd_pixels.py count XWD X Y W H COLOUR    how many pixels of the rectangle are within
                                            48 of COLOUR (rrggbb) in each channel

A rectangle must lie inside the dump; anything else is an error (exit 2)
rather than an empty count that would pass for "nothing changed".
"""
import struct
import sys
import zlib

ZPIXMAP = 2
# 25 big-endian 32-bit fields; the window's name follows up to header_size.
HEADER = struct.Struct(">25I")


class XwdError(Exception):
    pass


def _shift(mask):
    if mask == 0:
        raise XwdError("a colour mask is 0")
    shift = 0
    while not (mask >> shift) & 1:
        shift += 1
    return shift, mask >> shift


def read_xwd(data, rect=None):
    """(width, height, rows) of the dump or of the rectangle (x, y, w, h) of
    it: rows[y][x] is an (r, g, b) tuple of 0..255."""
    if len(data) < HEADER.size:
        raise XwdError("shorter than an xwd header")
    (header_size, version, pixmap_format, _depth, width, height, _xoffset, byte_order,
     _unit, _bit_order, _pad, bits_per_pixel, bytes_per_line, _visual, red_mask,
     green_mask, blue_mask, _bits_per_rgb, _entries, ncolors) = HEADER.unpack_from(data)[:20]
    if version != 7 or pixmap_format != ZPIXMAP:
        raise XwdError(f"not a ZPixmap xwd dump (version {version}, format {pixmap_format})")
    if bits_per_pixel not in (24, 32):
        raise XwdError(f"{bits_per_pixel} bits per pixel (only true colour is read)")
    if width == 0 or height == 0 or bytes_per_line < width * bits_per_pixel // 8:
        raise XwdError(f"bad geometry {width} x {height}, {bytes_per_line} bytes a line")
    start = header_size + 12 * ncolors  # the colour map's entries are 12 bytes each
    if start < HEADER.size or start + height * bytes_per_line > len(data):
        raise XwdError("the pixels run past the end of the file")
    x0, y0, w, h = rect or (0, 0, width, height)
    if w <= 0 or h <= 0 or x0 < 0 or y0 < 0 or x0 + w > width or y0 + h > height:
        raise XwdError(f"rectangle {w} x {h} at {x0},{y0} outside the {width} x {height} dump")
    order = "little" if byte_order == 0 else "big"
    step = bits_per_pixel // 8
    channels = [_shift(m) for m in (red_mask, green_mask, blue_mask)]
    rows = []
    for y in range(y0, y0 + h):
        at = start + y * bytes_per_line + x0 * step
        row = []
        for x in range(at, at + w * step, step):
            v = int.from_bytes(data[x:x + step], order)
            row.append(tuple(((v >> s) & m) * 255 // m for s, m in channels))
        rows.append(row)
    return w, h, rows


def png_bytes(image):
    width, height, rows = image

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def differing(a, b):
    if a[:2] != b[:2]:
        raise XwdError(f"sizes differ: {a[0]} x {a[1]} and {b[0]} x {b[1]}")
    return sum(pa != pb for ra, rb in zip(a[2], b[2]) for pa, pb in zip(ra, rb))


def near(image, colour, tolerance=48):
    want = tuple(int(colour[i:i + 2], 16) for i in (0, 2, 4))
    return sum(all(abs(c - w) <= tolerance for c, w in zip(px, want))
               for row in image[2] for px in row)


def load(path, rect=None):
    with open(path, "rb") as f:
        return read_xwd(f.read(), rect)


def rect_of(args):
    if len(args) != 4:
        raise XwdError("a rectangle is X Y W H")
    try:
        return tuple(int(a) for a in args)
    except ValueError:
        raise XwdError(f"not a rectangle: {' '.join(args)}") from None


def main(argv):
    try:
        if len(argv) >= 3 and argv[0] == "png" and len(argv) in (3, 7):
            image = load(argv[1], rect_of(argv[3:]) if len(argv) == 7 else None)
            with open(argv[2], "wb") as f:
                f.write(png_bytes(image))
        elif len(argv) == 7 and argv[0] == "diff":
            rect = rect_of(argv[3:])
            print(differing(load(argv[1], rect), load(argv[2], rect)))
        elif len(argv) == 7 and argv[0] == "count":
            if len(argv[6]) != 6 or any(c not in "0123456789abcdefABCDEF" for c in argv[6]):
                raise XwdError(f"not a colour rrggbb: {argv[6]}")
            print(near(load(argv[1], rect_of(argv[2:6])), argv[6]))
        else:
            print(__doc__.strip(), file=sys.stderr)
            return 2
    except (OSError, XwdError) as e:
        print(f"xwd_pixels: {e}", file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
