#!/usr/bin/env python3
"""The xwd reader the window trials under wine judge the screen with: dumps
in the layouts X servers write, rectangles, counts, the PNG it writes, and
the files it must refuse rather than read as an unchanged screen."""
import contextlib
import io
import os
import struct
import sys
import tempfile
import unittest
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xwd_pixels  # noqa: E402

# A 3 x 2 picture with every channel told apart.
PICTURE = [[(255, 0, 0), (0, 255, 0), (0, 0, 255)],
           [(17, 34, 51), (250, 128, 1), (0, 0, 0)]]


def dump(pixels, bpp=32, msb=False, masks=(0xFF0000, 0x00FF00, 0x0000FF), ncolors=0,
         name=b"Kalvex\0", pad=0, version=7, pixmap_format=2, cut=0):
    """An xwd file as xwd(1) writes one: header, window name, colour map, rows."""
    height, width = len(pixels), len(pixels[0])
    step = bpp // 8
    line = width * step + pad
    header_size = 100 + len(name)
    fields = [header_size, version, pixmap_format, 24, width, height, 0, 1 if msb else 0, 32,
              1 if msb else 0, 32, bpp, line, 4, *masks, 8, 256, ncolors, width, height, 0, 0, 0]
    body = b""
    for row in pixels:
        for px in row:
            v = 0
            for c, mask in zip(px, masks):
                if not mask:
                    continue
                shift = (mask & -mask).bit_length() - 1
                v |= (c * (mask >> shift) // 255) << shift
            body += v.to_bytes(step, "big" if msb else "little")
        body += b"\xee" * pad
    colours = b"".join(struct.pack(">IHHHBB", i, 1, 2, 3, 7, 0) for i in range(ncolors))
    data = struct.pack(">25I", *fields) + name + colours + body
    return data[:len(data) - cut] if cut else data


def patched(data, field, value):
    """The dump with one of its 25 header fields replaced."""
    return data[:4 * field] + struct.pack(">I", value) + data[4 * field + 4:]


class Reading(unittest.TestCase):
    def test_layouts(self):
        cases = [
            ("32 bits, least significant byte first (Xvfb)", {}),
            ("32 bits, most significant byte first", {"msb": True}),
            ("24 bits packed", {"bpp": 24}),
            ("blue in the high byte", {"masks": (0x0000FF, 0x00FF00, 0xFF0000)}),
            ("a colour map before the pixels", {"ncolors": 256}),
            ("lines padded past the pixels", {"pad": 4}),
            ("no window name", {"name": b""}),
        ]
        for what, layout in cases:
            with self.subTest(what):
                self.assertEqual(xwd_pixels.read_xwd(dump(PICTURE, **layout)), (3, 2, PICTURE))

    def test_channels_wider_than_a_byte(self):
        # 10 bits a channel (30-bit colour) come out on the same 0..255 scale.
        picture = [[(255, 0, 255), (0, 255, 0)]]
        data = dump(picture, masks=(0x3FF00000, 0x000FFC00, 0x000003FF))
        self.assertEqual(xwd_pixels.read_xwd(data), (2, 1, picture))

    def test_rectangles(self):
        cases = [
            ((0, 0, 3, 2), (3, 2, PICTURE)),
            ((1, 0, 2, 1), (2, 1, [PICTURE[0][1:]])),
            ((2, 1, 1, 1), (1, 1, [[(0, 0, 0)]])),
            ((0, 1, 3, 1), (3, 1, [PICTURE[1]])),
        ]
        data = dump(PICTURE, ncolors=16, pad=8)
        for rect, want in cases:
            with self.subTest(rect=rect):
                self.assertEqual(xwd_pixels.read_xwd(data, rect), want)

    def test_refused(self):
        good = dump(PICTURE)
        cases = [
            ("shorter than a header", good[:60], None),
            ("pixels cut short", dump(PICTURE, cut=1), None),
            ("a colour map larger than the file", patched(good, 19, 100000), None),
            ("a header size inside the header", patched(good, 0, 40), None),
            ("lines shorter than their pixels", patched(good, 12, 8), None),
            ("no width", patched(good, 4, 0), None),
            ("an older xwd version", dump(PICTURE, version=6), None),
            ("planes, not a pixmap", dump(PICTURE, pixmap_format=1), None),
            ("16 bits a pixel", dump(PICTURE, bpp=16, masks=(0xF800, 0x07E0, 0x001F)), None),
            ("a colour with no mask", dump(PICTURE, masks=(0xFF0000, 0, 0xFF)), None),
            ("a rectangle past the right edge", good, (1, 0, 3, 1)),
            ("a rectangle past the bottom", good, (0, 1, 1, 2)),
            ("a rectangle left of the dump", good, (-1, 0, 1, 1)),
            ("an empty rectangle", good, (0, 0, 0, 1)),
        ]
        for what, data, rect in cases:
            with self.subTest(what):
                with self.assertRaises(xwd_pixels.XwdError):
                    xwd_pixels.read_xwd(data, rect)


class Judging(unittest.TestCase):
    def test_differing_pixels(self):
        changed = [row[:] for row in PICTURE]
        changed[0][0] = (254, 0, 0)
        changed[1][2] = (0, 0, 1)
        cases = [
            ("the same", PICTURE, 0),
            ("one channel of one, and another", changed, 2),
        ]
        for what, other, want in cases:
            with self.subTest(what):
                a = xwd_pixels.read_xwd(dump(PICTURE))
                b = xwd_pixels.read_xwd(dump(other, msb=True))  # layout does not matter
                self.assertEqual(xwd_pixels.differing(a, b), want)
        with self.assertRaises(xwd_pixels.XwdError):
            xwd_pixels.differing(xwd_pixels.read_xwd(dump(PICTURE)),
                                 xwd_pixels.read_xwd(dump(PICTURE), (0, 0, 2, 2)))

    def test_near_colour(self):
        image = (4, 1, [[(0, 255, 0), (48, 207, 48), (49, 255, 0), (0, 0, 0)]])
        cases = [("00ff00", 2), ("00FF00", 2), ("000000", 1), ("ffffff", 0), ("30ff00", 3), ("31ff00", 2)]
        for colour, want in cases:
            with self.subTest(colour):
                self.assertEqual(xwd_pixels.near(image, colour), want)


def read_png(data):
    """(width, height, rows) of an 8-bit RGB PNG without filters, its chunks checked."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    at, chunks = 8, {}
    while at < len(data):
        (n,) = struct.unpack_from(">I", data, at)
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + n]
        (crc,) = struct.unpack_from(">I", data, at + 8 + n)
        assert crc == zlib.crc32(kind + body), kind
        chunks[kind] = chunks.get(kind, b"") + body
        at += 12 + n
    width, height, depth, colour, _, _, _ = struct.unpack(">IIBBBBB", chunks[b"IHDR"])
    assert (depth, colour) == (8, 2) and b"IEND" in chunks
    raw = zlib.decompress(chunks[b"IDAT"])
    rows = []
    for y in range(height):
        line = raw[y * (1 + 3 * width):(y + 1) * (1 + 3 * width)]
        assert line[0] == 0
        rows.append([tuple(line[1 + 3 * x:4 + 3 * x]) for x in range(width)])
    return width, height, rows


class Command(unittest.TestCase):
    def run_main(self, *args):
        out = io.StringIO()
        with contextlib.redirect_stdout(out), contextlib.redirect_stderr(io.StringIO()):
            status = xwd_pixels.main(list(args))
        return status, out.getvalue().strip()

    def test_commands(self):
        with tempfile.TemporaryDirectory() as tmp:
            a, b, png = (os.path.join(tmp, n) for n in ("a.xwd", "b.xwd", "out.png"))
            changed = [row[:] for row in PICTURE]
            changed[1][1] = (0, 0, 0)
            for path, pixels in ((a, PICTURE), (b, changed)):
                with open(path, "wb") as f:
                    f.write(dump(pixels, ncolors=256))
            cases = [
                (("diff", a, b, "0", "0", "3", "2"), (0, "1")),
                (("diff", a, b, "0", "0", "1", "2"), (0, "0")),
                (("count", a, "0", "0", "3", "2", "ff0000"), (0, "1")),
                (("diff", a, b, "0", "0", "4", "2"), (2, "")),       # past the edge
                (("diff", a, b, "0", "0", "3"), (2, "")),            # three numbers
                (("count", a, "0", "0", "x", "2", "ff0000"), (2, "")),
                (("count", a, "0", "0", "3", "2", "green"), (2, "")),
                (("count", a, "0", "0", "3", "2", "ff00"), (2, "")),
                (("diff", a, os.path.join(tmp, "none.xwd"), "0", "0", "1", "1"), (2, "")),
                (("png", a, png, "1", "1", "2", "1"), (0, "")),
                (("frobnicate", a), (2, "")),
            ]
            for args, want in cases:
                with self.subTest(args=args[0:1] + args[3:]):
                    self.assertEqual(self.run_main(*args), want)
            with open(png, "rb") as f:
                self.assertEqual(read_png(f.read()), (2, 1, [PICTURE[1][1:]]))
            self.assertEqual(self.run_main("png", b, png), (0, ""))
            with open(png, "rb") as f:
                self.assertEqual(read_png(f.read()), (3, 2, changed))


if __name__ == "__main__":
    unittest.main()
