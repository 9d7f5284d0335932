#!/usr/bin/env python3
"""Draws the program's images and writes them as 256-colour files.

  marlix2html.ico  application icon, 32 x 32, for Windows
  marlix2html.png  the same icon for the Linux desktop and Qt
  about.bmp        the About box picture, 100 x 200
  icons/           the icon for the desktop's icon theme: drawn afresh at
                   16, 32, 48, 64, 128 and 256 pixels (marlix2html-N.png,
                   true colour with alpha) and as marlix2html.svg

Only Python's standard library is used: the pictures are drawn into RGB(A)
float canvases with 4x supersampling, reduced to at most 255 colours by a
median cut, and the file formats are written byte by byte. The icon is drawn
from one description at every size: small sizes get fewer text lines and
strokes of at least one pixel, large ones more lines.

Run from anywhere:  python3 resources/make_images.py
"""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SUPERSAMPLE = 4


# --------------------------------------------------------------------------
# Drawing


class Canvas:
    """RGBA canvas of floats in 0..1, drawn at SUPERSAMPLE times the size."""

    def __init__(self, width, height, background=(0.0, 0.0, 0.0, 0.0)):
        self.width = width * SUPERSAMPLE
        self.height = height * SUPERSAMPLE
        self.px = [list(background) for _ in range(self.width * self.height)]

    def blend(self, x, y, colour, alpha=1.0):
        if not (0 <= x < self.width and 0 <= y < self.height):
            return
        p = self.px[y * self.width + x]
        a = alpha * (colour[3] if len(colour) > 3 else 1.0)
        out_a = a + p[3] * (1 - a)
        if out_a <= 0:
            return
        for i in range(3):
            p[i] = (colour[i] * a + p[i] * p[3] * (1 - a)) / out_a
        p[3] = out_a

    def fill(self, inside, colour, box=None):
        """Paints every sample whose centre (in output pixels) is inside;
        box (x0, y0, x1, y1) bounds the shape, so that samples outside it
        are not tested."""
        s = SUPERSAMPLE
        xs, ys = range(self.width), range(self.height)
        if box is not None:
            x0, y0, x1, y1 = box
            xs = range(max(0, math.floor(x0 * s) - 1), min(self.width, math.ceil(x1 * s) + 1))
            ys = range(max(0, math.floor(y0 * s) - 1), min(self.height, math.ceil(y1 * s) + 1))
        for y in ys:
            fy = (y + 0.5) / s
            for x in xs:
                if inside((x + 0.5) / s, fy):
                    self.blend(x, y, colour)

    def shade(self, func):
        """Paints every sample with func(x, y) -> RGBA or None."""
        s = SUPERSAMPLE
        for y in range(self.height):
            fy = (y + 0.5) / s
            for x in range(self.width):
                c = func((x + 0.5) / s, fy)
                if c is not None:
                    self.blend(x, y, c)

    def rect(self, x0, y0, x1, y1, colour):
        self.fill(lambda x, y: x0 <= x < x1 and y0 <= y < y1, colour, (x0, y0, x1, y1))

    def round_rect(self, x0, y0, x1, y1, r, colour):
        def inside(x, y):
            if not (x0 <= x < x1 and y0 <= y < y1):
                return False
            cx = min(max(x, x0 + r), x1 - r)
            cy = min(max(y, y0 + r), y1 - r)
            return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
        self.fill(inside, colour, (x0, y0, x1, y1))

    def circle(self, cx, cy, r, colour):
        self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, colour)

    def polygon(self, points, colour):
        def inside(x, y):
            hit = False
            n = len(points)
            for i in range(n):
                (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
                if (ay > y) != (by > y):
                    if x < ax + (y - ay) * (bx - ax) / (by - ay):
                        hit = not hit
            return hit
        self.fill(inside, colour, (min(p[0] for p in points), min(p[1] for p in points),
                                   max(p[0] for p in points), max(p[1] for p in points)))

    def line(self, x0, y0, x1, y1, width, colour):
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1e-9
        half = width / 2.0

        def inside(x, y):
            t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
            px, py = x0 + t * dx, y0 + t * dy
            return (x - px) ** 2 + (y - py) ** 2 <= half * half
        self.fill(inside, colour, (min(x0, x1) - half, min(y0, y1) - half,
                                   max(x0, x1) + half, max(y0, y1) + half))

    def text(self, x, y, string, scale, colour):
        """Draws string in the 5 x 7 block font below at (x, y)."""
        for ch in string:
            rows = FONT.get(ch)
            if rows:
                for r, bits in enumerate(rows):
                    for c in range(5):
                        if bits & (0x10 >> c):
                            self.rect(x + c * scale, y + r * scale,
                                      x + (c + 1) * scale, y + (r + 1) * scale, colour)
            x += 6 * scale

    def downsample(self):
        """Averages each block of samples into one output pixel (RGBA, 0..255)."""
        s = SUPERSAMPLE
        w, h = self.width // s, self.height // s
        out = []
        for oy in range(h):
            for ox in range(w):
                acc = [0.0, 0.0, 0.0, 0.0]
                for sy in range(s):
                    row = (oy * s + sy) * self.width
                    for sx in range(s):
                        p = self.px[row + ox * s + sx]
                        for i in range(3):
                            acc[i] += p[i] * p[3]
                        acc[3] += p[3]
                a = acc[3] / (s * s)
                if acc[3] > 0:
                    rgb = [acc[i] / acc[3] for i in range(3)]
                else:
                    rgb = [0.0, 0.0, 0.0]
                out.append(tuple(int(round(v * 255)) for v in rgb) + (int(round(a * 255)),))
        return w, h, out


FONT = {
    "T": [0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04],
    "X": [0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11],
    "H": [0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11],
    "M": [0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11],
    "L": [0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F],
}


def rgb(hex_colour, alpha=1.0):
    v = int(hex_colour.lstrip("#"), 16)
    return ((v >> 16) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0, alpha)


# --------------------------------------------------------------------------
# Colour reduction


def median_cut(colours, count):
    """colours: {(r, g, b): weight}. Returns up to count palette colours."""
    boxes = [list(colours.items())]
    while len(boxes) < count:
        best, best_range = None, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                values = [c[0][ch] for c in box]
                span = max(values) - min(values)
                if span > best_range:
                    best, best_range = (i, ch), span
        if best is None:
            break
        i, ch = best
        box = sorted(boxes.pop(i), key=lambda c: c[0][ch])
        total = sum(w for _, w in box)
        acc, cut = 0, 1
        for k, (_, w) in enumerate(box):
            acc += w
            if acc * 2 >= total:
                cut = min(max(k + 1, 1), len(box) - 1)
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(w for _, w in box)
        palette.append(tuple(int(round(sum(c[ch] * w for c, w in box) / total))
                             for ch in range(3)))
    return palette


def quantise(pixels, transparent_index):
    """pixels: RGBA tuples. Index 0 is kept for transparent (black) when
    transparent_index is set; opaque pixels get indexes 1..255."""
    opaque = {}
    for p in pixels:
        if not transparent_index or p[3] >= 128:
            opaque[p[:3]] = opaque.get(p[:3], 0) + 1
    first = 1 if transparent_index else 0
    palette = [(0, 0, 0)] * first + median_cut(opaque, 256 - first)
    cache = {}

    def nearest(c):
        if c not in cache:
            cache[c] = min(range(first, len(palette)),
                           key=lambda i: sum((a - b) ** 2 for a, b in zip(c, palette[i])))
        return cache[c]

    indexes = []
    for p in pixels:
        if transparent_index and p[3] < 128:
            indexes.append(0)
        else:
            indexes.append(nearest(p[:3]))
    palette += [(0, 0, 0)] * (256 - len(palette))
    return palette, indexes


# --------------------------------------------------------------------------
# File formats


def png_bytes(width, height, palette, indexes, transparent_index):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    raw = b"".join(b"\x00" + bytes(indexes[y * width:(y + 1) * width]) for y in range(height))
    out = b"\x89PNG\r\n\x1a\n"
    out += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0))
    out += chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    if transparent_index:
        out += chunk(b"tRNS", b"\x00")
    out += chunk(b"IDAT", zlib.compress(raw, 9))
    out += chunk(b"IEND", b"")
    return out


def png_rgba_bytes(width, height, pixels):
    """pixels: RGBA tuples, written as 8-bit true colour with alpha."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in pixels[y * width:(y + 1) * width])
                   for y in range(height))
    out = b"\x89PNG\r\n\x1a\n"
    out += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    out += chunk(b"IDAT", zlib.compress(raw, 9))
    out += chunk(b"IEND", b"")
    return out


def dib_palette(palette):
    return b"".join(bytes((b, g, r, 0)) for r, g, b in palette)


def bottom_up_rows(width, height, indexes):
    stride = (width + 3) & ~3
    pad = b"\x00" * (stride - width)
    return b"".join(bytes(indexes[y * width:(y + 1) * width]) + pad
                    for y in reversed(range(height)))


def bmp_bytes(width, height, palette, indexes):
    pixels = bottom_up_rows(width, height, indexes)
    offset = 14 + 40 + 256 * 4
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels),
                       2835, 2835, 256, 0)
    return header + info + dib_palette(palette) + pixels


def ico_bytes(width, height, palette, indexes):
    xor = bottom_up_rows(width, height, indexes)
    mask_stride = ((width + 31) // 32) * 4
    mask = b""
    for y in reversed(range(height)):
        row = bytearray(mask_stride)
        for x in range(width):
            if indexes[y * width + x] == 0:  # transparent
                row[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(row)
    image = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 8, 0, len(xor) + len(mask),
                        0, 0, 256, 0)
    image += dib_palette(palette) + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


# --------------------------------------------------------------------------
# The pictures


ICON_SIZES = (16, 32, 48, 64, 128, 256)


def paint_icon(c, size):
    """Draws the icon at size x size pixels on c (a Canvas or an SvgPicture).

    The shapes are laid out on a 32-unit grid. Borders stay one pixel wide up
    to 48 pixels and then grow slowly; strokes never get thinner than one
    pixel; the page carries two text lines at 16 pixels, four at 32 and six
    from 48 on."""
    k = size / 32.0
    border = (1.0 if size <= 48 else size / 48.0) / k  # in units
    lines = 2 if size <= 16 else 4 if size <= 32 else 6

    def pts(points):
        return [(x * k, y * k) for x, y in points]

    def line(x0, y0, x1, y1, width, colour):
        c.line(x0 * k, y0 * k, x1 * k, y1 * k, max(1.0, width * k), colour)

    def round_rect(x0, y0, x1, y1, r, colour):
        c.round_rect(x0 * k, y0 * k, x1 * k, y1 * k, r * k, colour)

    b = border
    # A text page with a folded corner ...
    page = [(4, 2), (18, 2), (24, 8), (24, 29), (4, 29)]
    c.polygon(pts([(x + 0.8, y + 0.8) for x, y in page]), rgb("#1b2a3a", 0.35))
    c.polygon(pts(page), rgb("#2c3e50"))
    c.polygon(pts([(4 + b, 2 + b), (18 - 0.4 * b, 2 + b), (24 - b, 8 + 0.4 * b),
                   (24 - b, 29 - b), (4 + b, 29 - b)]), rgb("#fdfdf8"))
    c.polygon(pts([(18, 2), (18, 8), (24, 8)]), rgb("#c9ced6"))
    line(18, 2 + b / 2, 18, 8, b, rgb("#2c3e50"))
    line(18, 8, 24 - b / 2, 8, b, rgb("#2c3e50"))
    rows = (7, 11) if lines == 2 else tuple(7 + 3.5 * i for i in range(lines))
    for i, y in enumerate(rows):
        line(7.5, y, (15 if i == 0 else 20) - (i % 2) * 3, y, 1.6, rgb("#8a94a3"))
    # ... turned into a web page: a badge with angle brackets.
    round_rect(13, 16, 31, 31, 3.5, rgb("#123f8c"))
    round_rect(13 + b, 16 + b, 31 - b, 31 - b, 3.5 - 0.7 * b, rgb("#1f6fd1"))
    line(20, 19.5, 16.8, 23.5, 2.0, rgb("#ffffff"))
    line(16.8, 23.5, 20, 27.5, 2.0, rgb("#ffffff"))
    line(24, 19.5, 27.2, 23.5, 2.0, rgb("#ffffff"))
    line(27.2, 23.5, 24, 27.5, 2.0, rgb("#ffffff"))


def draw_icon(size=32):
    c = Canvas(size, size)
    paint_icon(c, size)
    return c.downsample()


class SvgPicture:
    """Takes the drawing calls of a Canvas and writes them as SVG shapes."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.shapes = []

    @staticmethod
    def _paint(colour, kind):
        r, g, b = (int(round(v * 255)) for v in colour[:3])
        text = '%s="#%02x%02x%02x"' % (kind, r, g, b)
        if len(colour) > 3 and colour[3] < 1.0:
            text += ' %s-opacity="%s"' % (kind, _number(colour[3]))
        return text

    def polygon(self, points, colour):
        self.shapes.append('<polygon points="%s" %s/>' % (
            " ".join("%s,%s" % (_number(x), _number(y)) for x, y in points),
            self._paint(colour, "fill")))

    def line(self, x0, y0, x1, y1, width, colour):
        self.shapes.append(
            '<line x1="%s" y1="%s" x2="%s" y2="%s" stroke-width="%s" '
            'stroke-linecap="round" %s/>' % (
                _number(x0), _number(y0), _number(x1), _number(y1), _number(width),
                self._paint(colour, "stroke")))

    def round_rect(self, x0, y0, x1, y1, r, colour):
        self.shapes.append('<rect x="%s" y="%s" width="%s" height="%s" rx="%s" %s/>' % (
            _number(x0), _number(y0), _number(x1 - x0), _number(y1 - y0), _number(r),
            self._paint(colour, "fill")))

    def text(self):
        return ('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
                'viewBox="0 0 %d %d">\n%s\n</svg>\n' % (
                    self.width, self.height, self.width, self.height,
                    "\n".join("  " + shape for shape in self.shapes)))


def _number(v):
    return ("%.3f" % v).rstrip("0").rstrip(".")


def draw_about():
    w, h = 100, 200
    c = Canvas(w, h, (0, 0, 0, 1.0))
    top, bottom = rgb("#0e1c44"), rgb("#17807f")

    def background(x, y):
        t = y / h
        col = [top[i] * (1 - t) + bottom[i] * t for i in range(3)]
        # a soft glow behind the pages
        glow = math.exp(-(((x - 50) / 38) ** 2 + ((y - 70) / 48) ** 2))
        col = [min(1.0, v + 0.16 * glow) for v in col]
        return (col[0], col[1], col[2], 1.0)

    c.shade(background)
    # thin diagonal lines for texture
    for k in range(-200, 120, 14):
        c.line(k, 200, k + 90, 110, 0.6, rgb("#ffffff", 0.07))

    # a text page ...
    def page(x0, y0, label, lines_colour, label_colour):
        c.round_rect(x0 + 2, y0 + 2, x0 + 46, y0 + 58, 3, rgb("#000000", 0.35))
        c.round_rect(x0, y0, x0 + 44, y0 + 56, 3, rgb("#fbfbf6"))
        c.rect(x0, y0 + 6, x0 + 44, y0 + 19, label_colour)
        c.text(x0 + 22 - len(label) * 3 + 0.5, y0 + 9, label, 1, rgb("#ffffff"))
        for i in range(6):
            right = x0 + 38 - (i * 7) % 13
            c.line(x0 + 6, y0 + 26 + i * 5, right, y0 + 26 + i * 5, 1.4, lines_colour)

    page(10, 16, "TXT", rgb("#9aa3ad"), rgb("#5b6470"))
    # ... becomes a web page
    page(44, 56, "HTML", rgb("#8fb4e3"), rgb("#1f6fd1"))
    # an arrow from one to the other
    c.line(30, 78, 30, 98, 3, rgb("#f2b632"))
    c.line(30, 98, 40, 98, 3, rgb("#f2b632"))
    c.polygon([(39, 92), (46, 98), (39, 104)], rgb("#f2b632"))

    # angle brackets at the bottom
    c.round_rect(22, 138, 78, 176, 8, rgb("#0b1533", 0.55))
    for sx, dx in ((38, -9), (62, 9)):
        c.line(sx, 145, sx + dx, 157, 4, rgb("#f2b632"))
        c.line(sx + dx, 157, sx, 169, 4, rgb("#f2b632"))
    c.line(53, 145, 47, 169, 3.5, rgb("#ffffff"))
    # a rule near the foot
    c.rect(10, 188, 90, 189, rgb("#ffffff", 0.45))
    return c.downsample()


def main():
    w, h, pixels = draw_icon()
    palette, indexes = quantise(pixels, transparent_index=True)
    with open(os.path.join(HERE, "marlix2html.png"), "wb") as f:
        f.write(png_bytes(w, h, palette, indexes, transparent_index=True))
    with open(os.path.join(HERE, "marlix2html.ico"), "wb") as f:
        f.write(ico_bytes(w, h, palette, indexes))

    icons = os.path.join(HERE, "icons")
    os.makedirs(icons, exist_ok=True)
    for size in ICON_SIZES:
        w, h, pixels = draw_icon(size)
        with open(os.path.join(icons, "marlix2html-%d.png" % size), "wb") as f:
            f.write(png_rgba_bytes(w, h, pixels))
    svg = SvgPicture(256, 256)
    paint_icon(svg, 256)
    with open(os.path.join(icons, "marlix2html.svg"), "w", encoding="utf-8", newline="\n") as f:
        f.write(svg.text())

    w, h, pixels = draw_about()
    palette, indexes = quantise(pixels, transparent_index=False)
    with open(os.path.join(HERE, "about.bmp"), "wb") as f:
        f.write(bmp_bytes(w, h, palette, indexes))


if __name__ == "__main__":
    main()
