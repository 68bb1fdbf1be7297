"""The about box's two pictures, drawn from the shapes below at 96 and 192 DPI, and the
installer's side picture:

    about_background_<dpi>.png   380 x 255 at 96 DPI, 8-bit RGB
    about_banner_<dpi>.png        88 x 31 at 96 DPI, a palette of its own
    installer_wizard.bmp         164 x 314, 24 bits a pixel (the installer's own size)

The program keeps the about box's pictures as PNG and decodes them when the box opens:
stored as bitmaps they would make up most of its size.

Every shape is given in pixels at 96 DPI and drawn at each scale with smooth edges, so
the larger pictures are drawn, not enlarged. The labels, links and hot spots of the box
stand over the background at fixed places (dialogs/about_box_win.cpp); the picture
leaves them room: a blue band on the left with the program's emblem and a small
network, the product's name at the top left (a link to its page), a close mark at the
top right, and a light field for the texts.

Only +, -, *, / and sqrt are used, which IEEE arithmetic gives exactly, so the same
shapes give the same pixels on every machine. A PNG holds no gamma or colour space of
its own, so its pixels are shown as they are.
"""
import math
import struct
import zlib

SCALES = (96, 192)  # the program reduces the larger drawing for 150 %


def muldiv(a, b, c):
    """Windows' MulDiv for positive numbers: a * b / c rounded half up."""
    return (2 * a * b + c) // (2 * c)


def clamp01(x):
    return 0.0 if x <= 0.0 else 1.0 if x >= 1.0 else x


def mix(c0, c1, t):
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def hexrgb(text):
    v = int(text, 16)
    return (float(v >> 16), float((v >> 8) & 0xFF), float(v & 0xFF))


class Canvas:
    def __init__(self, width96, height96, dpi):
        self.s = dpi / 96.0
        self.w = muldiv(width96, dpi, 96)
        self.h = muldiv(height96, dpi, 96)
        self.r = [0.0] * (self.w * self.h)
        self.g = [0.0] * (self.w * self.h)
        self.b = [0.0] * (self.w * self.h)

    def pixels(self, box):
        """(index, u, v) for every pixel whose centre may fall in box (96-DPI units)."""
        x0, y0, x1, y1 = box
        s = self.s
        px0, py0 = max(0, int(x0 * s) - 1), max(0, int(y0 * s) - 1)
        px1, py1 = min(self.w, int(x1 * s) + 2), min(self.h, int(y1 * s) + 2)
        for py in range(py0, py1):
            v = (py + 0.5) / s
            row = py * self.w
            for px in range(px0, px1):
                yield row + px, (px + 0.5) / s, v

    def blend(self, i, colour, a):
        if a <= 0.0:
            return
        r, g, b = colour
        self.r[i] += (r - self.r[i]) * a
        self.g[i] += (g - self.g[i]) * a
        self.b[i] += (b - self.b[i]) * a

    def shape(self, box, distance, colour, opacity=1.0):
        """Fills where distance(u, v) (96-DPI units, negative inside) is below 0."""
        s = self.s
        for i, u, v in self.pixels(box):
            a = clamp01(0.5 - distance(u, v) * s) * opacity
            if a > 0.0:
                self.blend(i, colour(u, v) if callable(colour) else colour, a)

    def rows(self):
        """Rows of (r, g, b) integers from top to bottom."""
        out = []
        for y in range(self.h):
            line = []
            for i in range(y * self.w, (y + 1) * self.w):
                line.append(tuple(min(255, max(0, int(c + 0.5))) for c in (self.r[i], self.g[i], self.b[i])))
            out.append(line)
        return out


# Distances (96-DPI units, negative inside) ---------------------------------------------

def rect(x0, y0, x1, y1, radius=0.0):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

    def d(u, v):
        qx, qy = abs(u - cx) - hx, abs(v - cy) - hy
        ox, oy = max(qx, 0.0), max(qy, 0.0)
        outside = math.sqrt(ox * ox + oy * oy)
        return outside + min(max(qx, qy), 0.0) - radius
    return d


def circle(cx, cy, radius):
    return lambda u, v: math.sqrt((u - cx) * (u - cx) + (v - cy) * (v - cy)) - radius


def ring(cx, cy, radius, width):
    return lambda u, v: abs(math.sqrt((u - cx) * (u - cx) + (v - cy) * (v - cy)) - radius) - width / 2


def segment_distance(u, v, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else clamp01(((u - ax) * dx + (v - ay) * dy) / length2)
    ex, ey = u - ax - dx * t, v - ay - dy * t
    return math.sqrt(ex * ex + ey * ey)


def strokes(polylines, width):
    """Round-ended strokes along polylines [(x, y), ...]."""
    segments = [(a[0], a[1], b[0], b[1]) for line in polylines for a, b in zip(line, line[1:])]

    def d(u, v):
        return min(segment_distance(u, v, *seg) for seg in segments) - width / 2
    return d


def polygon(points):
    """A convex polygon, its points clockwise on the screen."""
    edges = []
    for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
        length = math.sqrt((bx - ax) * (bx - ax) + (by - ay) * (by - ay))
        edges.append((ax, ay, (by - ay) / length, -(bx - ax) / length))

    def d(u, v):
        return max((u - ax) * nx + (v - ay) * ny for ax, ay, nx, ny in edges)
    return d


def bounds(points, margin=2.0):
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return (min(xs) - margin, min(ys) - margin, max(xs) + margin, max(ys) + margin)


# Letters drawn as strokes in a box 4 wide and 6 high -----------------------------------

def _bowl(x0, y0, x1, y1):
    """The right half of a rounded loop from (x0, y0) to (x0, y1)."""
    r = (y1 - y0) / 2
    cx, cy = x1 - r, (y0 + y1) / 2
    pts = [(x0, y0), (cx, y0)]
    for k in range(1, 8):
        t = k / 8
        # a half circle from the top to the bottom, with sqrt only
        dy = -r + 2 * r * t
        pts.append((cx + math.sqrt(max(r * r - dy * dy, 0.0)), cy + dy))
    return pts + [(cx, y1), (x0, y1)]


LETTERS = {
    "K": [[(0, 0), (0, 6)], [(4, 0), (0.4, 3.6)], [(1.6, 2.6), (4, 6)]],
    "O": [[(1.4, 0), (2.6, 0), (4, 1.4), (4, 4.6), (2.6, 6), (1.4, 6), (0, 4.6), (0, 1.4), (1.4, 0)]],
    "R": [[(0, 6), (0, 0)], _bowl(0, 0, 4, 3.2), [(1.8, 3.2), (4, 6)]],
    "P": [[(0, 6), (0, 0)], _bowl(0, 0, 4, 3.4)],
    "V": [[(0, 0), (2, 6), (4, 0)]],
    "E": [[(4, 0), (0, 0), (0, 6), (4, 6)], [(0, 3), (3, 3)]],
    "L": [[(0, 0), (0, 6), (4, 6)]],
    "T": [[(0, 0), (4, 0)], [(2, 0), (2, 6)]],
    "H": [[(0, 0), (0, 6)], [(4, 0), (4, 6)], [(0, 3), (4, 3)]],
    "S": [[(4, 0.8), (3.2, 0), (0.9, 0), (0, 0.9), (0, 2.1), (0.9, 3), (3.1, 3), (4, 3.9), (4, 5.1),
           (3.1, 6), (0.8, 6), (0, 5.2)]],
}


def text(canvas, word, x, y, size, width, colour, spacing=1.6):
    """`word` in capitals, its top-left at (x, y), `size` high, strokes `width` wide."""
    k = size / 6.0
    for letter in word:
        lines = [[(x + px * k, y + py * k) for px, py in line] for line in LETTERS[letter]]
        canvas.shape(bounds([p for line in lines for p in line], width), strokes(lines, width), colour)
        x += (4 + spacing) * k


def text_width(word, size, spacing=1.6):
    k = size / 6.0
    return (len(word) * (4 + spacing) - spacing) * k


# The background ------------------------------------------------------------------------

PAPER_TOP, PAPER_BOTTOM = hexrgb("F6F8FB"), hexrgb("DDE5F0")
BAND_TOP, BAND_BOTTOM = hexrgb("1C3C8C"), hexrgb("3070D0")
WHITE, PALE, LIGHT = hexrgb("FFFFFF"), hexrgb("CCE4FF"), hexrgb("78B0F0")
OUTLINE, GREY, DARK = hexrgb("262630"), hexrgb("A8A8AC"), hexrgb("505864")
YELLOW, YELLOW_SHADE = hexrgb("F0C040"), hexrgb("A87A10")
RULE, EDGE = hexrgb("3070D0"), hexrgb("4A5468")

BAND = 86  # the band's width; the texts start at 96


def draw_band(c, width, height, cx, dy):
    """The blue band: waves going out from the emblem (a letter sent off, as on the
    program's icon, centred on x = cx) and a small network of three computers below it;
    dy moves everything but the band itself down."""
    c.shape((0, 0, width, height), rect(-4, -4, width, height + 4),
            lambda u, v: mix(BAND_TOP, BAND_BOTTOM, v / height))
    ox = cx - 43.0

    def at(x, y):
        return (x + ox, y + dy)

    def box(x0, y0, x1, y1):
        return (x0 + ox, y0 + dy, x1 + ox, y1 + dy)

    def moved(points):
        return [at(x, y) for x, y in points]

    cy = 98.0 + dy
    for k, radius in enumerate((40, 52, 64, 76, 88, 100)):
        wave = ring(cx, cy, radius, 1.6)
        c.shape((0, max(0, cy - radius - 2), width, min(height, cy + radius + 2)),
                lambda u, v, wave=wave: max(wave(u, v), u - (width - 2)), WHITE, 0.16 - 0.02 * k)

    c.shape(box(14, 78, 74, 122), rect(*box(17, 81, 71, 119), 3), OUTLINE, 0.35)  # its shadow
    c.shape(box(13, 76, 71, 118), rect(*box(15, 78, 69, 116), 3), WHITE)
    c.shape(box(13, 76, 71, 118), lambda u, v: abs(rect(*box(15, 78, 69, 116), 3)(u, v)) - 0.6, GREY)
    c.shape(box(13, 76, 71, 104), strokes([moved([(17, 80), (42, 100), (67, 80)])], 2.2), GREY)
    c.shape(box(13, 96, 71, 118), strokes([moved([(17, 114), (34, 99)]), moved([(67, 114), (50, 99)])], 1.2),
            hexrgb("D8D8DC"))
    # The arrow, out of the letter's top right corner.
    shaft = [moved([(52, 90), (69, 68)])]
    c.shape(box(44, 56, 80, 96), strokes(shaft, 6.5), YELLOW_SHADE)
    c.shape(box(44, 56, 80, 96), strokes(shaft, 4.0), YELLOW)
    head = moved([(64.5, 58.0), (78.5, 56.5), (74.0, 70.0)])
    c.shape(bounds(head, 4), lambda u, v: polygon(head)(u, v) - 1.2, YELLOW_SHADE)
    c.shape(bounds(head, 4), polygon(head), YELLOW)

    # Three computers on one line.
    c.shape(box(8, 120, 80, 165), strokes([moved(line) for line in (
        [(43, 122), (43, 150)], [(16, 150), (70, 150)], [(16, 150), (16, 162)],
        [(43, 150), (43, 162)], [(70, 150), (70, 162)])], 1.4), LIGHT)
    for x in (16, 43, 70):
        c.shape(box(x - 10, 160, x + 10, 184), rect(*box(x - 9, 162, x + 9, 175), 1.5), PALE)
        c.shape(box(x - 10, 160, x + 10, 184), rect(*box(x - 7, 164, x + 7, 173), 0.8), BAND_TOP)
        c.shape(box(x - 10, 160, x + 10, 184), rect(*box(x - 5, 177, x + 5, 180), 1.0), PALE)
        c.shape(box(x - 6, 164, x + 6, 173), rect(*box(x - 5.5, 165, x - 1, 167.5), 0.5), LIGHT, 0.7)


def background(dpi):
    c = Canvas(380, 255, dpi)
    # Paper: a light vertical gradient, one colour a row.
    for py in range(c.h):
        colour = mix(PAPER_TOP, PAPER_BOTTOM, ((py + 0.5) / c.s) / 255)
        for i in range(py * c.w, (py + 1) * c.w):
            c.r[i], c.g[i], c.b[i] = colour
    draw_band(c, BAND, 255, 43, 0)
    c.shape((BAND - 1, 0, BAND + 1, 255), rect(BAND - 1, -4, BAND, 259), LIGHT, 0.8)

    # The product's name at the top left, where a click opens its page.
    text(c, "KORVEL", 9, 6, 9, 1.7, WHITE)

    # The close mark at the top right.
    c.shape((358, 4, 377, 22), rect(360, 6, 375, 20, 2.5), hexrgb("D6DEEA"))
    c.shape((358, 4, 377, 22), lambda u, v: abs(rect(360, 6, 375, 20, 2.5)(u, v)) - 0.5, hexrgb("8C9AB0"))
    c.shape((358, 4, 377, 22), strokes([[(364, 9.5), (371, 16.5)], [(371, 9.5), (364, 16.5)]], 1.6), DARK)

    # A rule under the title that fades to the right, and one above the hosting credit.
    c.shape((96, 56, 366, 62), rect(96, 58, 366, 60, 1),
            lambda u, v: mix(RULE, PAPER_TOP, math.sqrt(clamp01((u - 96) / 270))))
    c.shape((96, 184, 366, 188), rect(96, 185.5, 366, 186.5), hexrgb("B8C4D6"))

    # A thin frame: the box has no border of its own.
    frame = rect(0, 0, 380, 255)
    c.shape((0, 0, 380, 2), lambda u, v: -frame(u, v) - 1, EDGE)
    c.shape((0, 253, 380, 255), lambda u, v: -frame(u, v) - 1, EDGE)
    c.shape((0, 0, 2, 255), lambda u, v: -frame(u, v) - 1, EDGE)
    c.shape((378, 0, 380, 255), lambda u, v: -frame(u, v) - 1, EDGE)
    return c.rows()


# The banner of the hosting company -----------------------------------------------------

EMBER, FLAME, GLOW = hexrgb("901008"), hexrgb("D82818"), hexrgb("F88870")
CREAM, SERVER = hexrgb("FFF0A8"), hexrgb("F4F6FA")


def banner(dpi):
    c = Canvas(88, 31, dpi)
    c.shape((0, 0, 88, 31), rect(-2, -2, 90, 33), CREAM)
    # The warm block: a server rack in a glow.
    c.shape((0, 0, 31, 31), rect(-2, -2, 30, 33), lambda u, v: mix(FLAME, EMBER, v / 31))
    c.shape((0, 0, 31, 31), circle(15, 17, 13), GLOW, 0.35)
    for top in (6.5, 13.0, 19.5):
        c.shape((7, top - 1, 24, top + 7), rect(8, top, 23, top + 5, 1.2), SERVER)
        c.shape((18, top, 22, top + 5), circle(20, top + 2.5, 1.1), hexrgb("38A838"))
        c.shape((9, top, 17, top + 5), rect(10, top + 2, 16, top + 3), GREY)
    c.shape((0, 0, 31, 31), rect(29.5, -2, 30.5, 33), EMBER)
    # The name: TEPLO over HOST.
    x = 31 + (57 - text_width("TEPLO", 9)) / 2
    text(c, "TEPLO", x, 5, 9, 1.7, EMBER)
    x = 31 + (57 - text_width("HOST", 8)) / 2
    text(c, "HOST", x, 18, 8, 1.5, FLAME)
    frame = rect(0, 0, 88, 31)
    c.shape((0, 0, 88, 31), lambda u, v: max(-frame(u, v) - 1, frame(u, v)), OUTLINE)
    return c.rows()


# Files ---------------------------------------------------------------------------------

def bmp24(rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    body = b"".join(bytes(c for r, g, b in row for c in (b, g, r)).ljust(stride, b"\0") for row in reversed(rows))
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + 40 + len(body), 0, 0, 14 + 40) + header + body


def median_cut(colours, count):
    """A palette of at most `count` colours for {colour: pixels}, and each colour's index."""
    boxes = [sorted(colours)]
    while len(boxes) < count:
        ranges = []
        for n, box in enumerate(boxes):
            if len(box) < 2:
                continue
            spread = [max(c[k] for c in box) - min(c[k] for c in box) for k in range(3)]
            ranges.append((max(spread), -n, spread.index(max(spread))))
        if not ranges:
            break
        _, negative, channel = max(ranges)
        n = -negative
        box = sorted(boxes[n], key=lambda c: (c[channel], c))
        total, half, cut = sum(colours[c] for c in box), 0, 1
        for cut in range(1, len(box)):
            half += colours[box[cut - 1]]
            if half * 2 >= total:
                break
        boxes[n:n + 1] = [box[:cut], box[cut:]]
    palette, index = [], {}
    for box in boxes:
        weight = sum(colours[c] for c in box)
        palette.append(tuple((2 * sum(c[k] * colours[c] for c in box) + weight) // (2 * weight) for k in range(3)))
        for c in box:
            index[c] = len(palette) - 1
    return palette, index


def indexed(rows):
    """A palette of at most 256 colours for the rows, and the rows as palette indices."""
    colours = {}
    for row in rows:
        for c in row:
            colours[c] = colours.get(c, 0) + 1
    if len(colours) <= 256:
        palette = sorted(colours)
        index = {c: n for n, c in enumerate(palette)}
    else:
        palette, index = median_cut(colours, 256)
    return palette, [[index[c] for c in row] for row in rows]


def png_chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


def png(rows, palette=None):
    """8-bit RGB rows of (r, g, b), or with a palette, rows of its indices. Every row is
    stored unfiltered: the pictures are rows of one colour and smooth edges, which
    compress best as they are."""
    h, w = len(rows), len(rows[0])
    if palette is None:
        header = struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)
        data = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in rows)
        colours = b""
    else:
        header = struct.pack(">IIBBBBB", w, h, 8, 3, 0, 0, 0)
        data = b"".join(b"\0" + bytes(row) for row in rows)
        colours = png_chunk(b"PLTE", bytes(c for colour in palette for c in colour))
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + colours +
            png_chunk(b"IDAT", zlib.compress(data, 9)) + png_chunk(b"IEND", b""))


def png_pixels(data):
    """What a PNG written by png() shows, whatever zlib compressed it: its chunks with
    the image data uncompressed."""
    chunks, at = [], 8
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        chunks.append((kind, zlib.decompress(body) if kind == b"IDAT" else body))
        at += 12 + length
    return chunks


def wizard():
    """The installer's welcome and finish pages: the band of the about box, upright."""
    c = Canvas(164, 314, 96)
    draw_band(c, 164, 314, 82, 40)
    text(c, "KORVEL", (164 - text_width("KORVEL", 16)) / 2, 30, 16, 2.6, WHITE)
    return c.rows()


def outputs():
    """{file name: bytes} of every picture of the about box and of the installer."""
    out = {"installer_wizard.bmp": bmp24(wizard())}
    for dpi in SCALES:
        out[f"about_background_{dpi}.png"] = png(background(dpi))
        palette, pixels = indexed(banner(dpi))
        out[f"about_banner_{dpi}.png"] = png(pixels, palette)
    return out
