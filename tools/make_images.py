#!/usr/bin/env python3
"""Turns the text pixel maps in res/images/*.txt into the .ico and .bmp files the
resource script reads. Run it after editing a map; its outputs are committed.

A map file holds a palette and one or more images drawn with its letters:

    palette
    . transparent
    K 000000
    Y F0D060
    image korvel          <- an image; as many rows as it is wide follow
    ................
    ...

An image is 16 x 16 or 32 x 32; the width of its first row says which. Lines that
start with "#" are comments.

A file whose images all carry one name is an icon, X.txt -> X.ico: one picture in
16, 24, 32 and 48 pixel sizes. It needs a 16 x 16 image; a 32 x 32 image of the same
name is the hand-drawn large size; the sizes not drawn are scaled from them.

A file with several names is a strip, X.txt -> X.bmp: its 16 x 16 images side by
side in the order they stand (image list index 0 at the left), 32 bits a pixel. For
screens scaled to 150 % and 200 % the same strip comes at 24 and 32 pixels a side,
X-24.bmp and X-32.bmp.

Larger sizes are drawn from the pixel maps by pixel-art scaling, which keeps edges
sharp where plain enlargement would make them blocky: Scale2x for twice the size,
Scale3x for three times, and three times then halved (each 2 x 2 block averaged) for
one and a half.

Alpha is 0 or 255, never between, and a transparent pixel is (0, 0, 0, 0), so the
pictures look the same whether a reader takes the alpha as straight or premultiplied.
The outputs depend on the maps alone: the same maps always give the same bytes.

The about box's pictures are too large for a pixel map: tools/about_pictures.py draws
them from shapes, and they are written and checked here with the rest.

    make_images.py              write every output
    make_images.py --check      write nothing; fail if an output differs from its map
    make_images.py --preview    also write enlarged, labelled contact sheets (PNG, made
                                with ImageMagick) to build/images-preview/
"""
import argparse
import shutil
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

import about_pictures

ROOT = Path(__file__).resolve().parent.parent
SOURCES = ROOT / "res" / "images"
PREVIEW = ROOT / "build" / "images-preview"
SIZES = (16, 32)
ICON_SIZES = (16, 24, 32, 48)
STRIP_SIZES = (16, 24, 32)


class MapError(Exception):
    pass


def parse(path):
    """The palette {letter: 0xRRGGBB or None} and the images [(name, rows)]."""
    palette, images, current, mode = {}, [], None, None
    for number, raw in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        line = raw.rstrip()
        if not line or line.startswith("#"):
            continue
        where = f"{path.name}:{number}"
        if line == "palette":
            mode = "palette"
        elif line.startswith("image "):
            current = (line.split(None, 1)[1].strip(), [])
            images.append(current)
            mode = "image"
        elif mode == "palette":
            fields = line.split()
            if len(fields) != 2 or len(fields[0]) != 1:
                raise MapError(f"{where}: a palette line is a letter and a colour: {line!r}")
            key, value = fields
            if key in palette:
                raise MapError(f"{where}: letter {key!r} stands twice in the palette")
            if value == "transparent":
                palette[key] = None
            else:
                try:
                    if len(value) != 6:
                        raise ValueError
                    palette[key] = int(value, 16)
                except ValueError:
                    raise MapError(f"{where}: colour {value!r} is not six hex digits") from None
        elif mode == "image":
            rows = current[1]
            width = len(rows[0]) if rows else len(line)
            if width not in SIZES:
                raise MapError(f"{where}: image {current[0]}: {width} wide, not one of {SIZES}")
            if len(line) != width:
                raise MapError(f"{where}: image {current[0]}: row is {len(line)} wide, not {width}")
            if len(rows) == width:
                raise MapError(f"{where}: image {current[0]}: more than {width} rows")
            for ch in line:
                if ch not in palette:
                    raise MapError(f"{where}: image {current[0]}: letter {ch!r} is not in the palette")
            rows.append(line)
        else:
            raise MapError(f"{where}: text outside the palette and the images: {line!r}")
    if not images:
        raise MapError(f"{path.name}: no images")
    for name, rows in images:
        if len(rows) != len(rows[0]):
            raise MapError(f"{path.name}: image {name} has {len(rows)} rows, not {len(rows[0])}")
    return palette, images


def is_icon(images):
    return len({name for name, _ in images}) == 1


def icon_sizes(path, palette, images):
    """{size: pixel rows} of an icon file, the sizes not drawn scaled from those that are."""
    drawn = {}
    for _, rows in images:
        if len(rows) in drawn:
            raise MapError(f"{path.name}: two {len(rows)} x {len(rows)} images of one icon")
        drawn[len(rows)] = pixels(palette, rows)
    if 16 not in drawn:
        raise MapError(f"{path.name}: an icon needs a 16 x 16 image")
    large = drawn.get(32) or scale2x(drawn[16])
    return {16: drawn[16], 24: scaled(drawn[16], 24), 32: large, 48: scaled(large, 48)}


# Pixel-art scaling ---------------------------------------------------------------------

def _at(rows, x, y):
    """The pixel at (x, y), the nearest edge pixel outside the picture."""
    y = min(max(y, 0), len(rows) - 1)
    x = min(max(x, 0), len(rows[0]) - 1)
    return rows[y][x]


def scale2x(rows):
    out = []
    for y in range(len(rows)):
        top, bottom = [], []
        for x in range(len(rows[0])):
            p = rows[y][x]
            a, b, c, d = _at(rows, x, y - 1), _at(rows, x + 1, y), _at(rows, x - 1, y), _at(rows, x, y + 1)
            top += [a if c == a and c != d and a != b else p, b if a == b and a != c and b != d else p]
            bottom += [c if d == c and d != b and c != a else p, d if b == d and b != a and d != c else p]
        out += [top, bottom]
    return out


def scale3x(rows):
    out = []
    for y in range(len(rows)):
        lines = [[], [], []]
        for x in range(len(rows[0])):
            a, b, c = _at(rows, x - 1, y - 1), _at(rows, x, y - 1), _at(rows, x + 1, y - 1)
            d, e, f = _at(rows, x - 1, y), rows[y][x], _at(rows, x + 1, y)
            g, h, i = _at(rows, x - 1, y + 1), _at(rows, x, y + 1), _at(rows, x + 1, y + 1)
            db, bf, dh, hf = d == b and b != f and d != h, b == f and b != d and f != h, \
                d == h and d != b and h != f, h == f and d != h and b != f
            lines[0] += [d if db else e, b if (db and e != c) or (bf and e != a) else e, f if bf else e]
            lines[1] += [d if (db and e != g) or (dh and e != a) else e, e,
                         f if (bf and e != i) or (hf and e != c) else e]
            lines[2] += [d if dh else e, h if (dh and e != i) or (hf and e != g) else e, f if hf else e]
        out += lines
    return out


def halved(rows):
    """Each 2 x 2 block as one pixel: opaque when most of it is, its colour the average."""
    out = []
    for y in range(0, len(rows), 2):
        line = []
        for x in range(0, len(rows[0]), 2):
            block = [rows[y][x], rows[y][x + 1], rows[y + 1][x], rows[y + 1][x + 1]]
            opaque = [px for px in block if px[3]]
            if len(opaque) < 2:
                line.append((0, 0, 0, 0))
            else:
                line.append(tuple((sum(px[k] for px in opaque) + len(opaque) // 2) // len(opaque)
                                  for k in range(3)) + (255,))
        out.append(line)
    return out


def scaled(rows, size):
    """A square picture scaled to `size` pixels a side: 1, 1.5, 2 or 3 times its own."""
    factor = size / len(rows)
    if factor == 1:
        return rows
    if factor == 2:
        return scale2x(rows)
    if factor == 3:
        return scale3x(rows)
    if factor == 1.5:
        return halved(scale3x(rows))
    raise MapError(f"no way to scale {len(rows)} pixels to {size}")


def strip_images(path, images):
    seen = set()
    for name, rows in images:
        if len(rows) != 16:
            raise MapError(f"{path.name}: image {name}: a strip holds 16 x 16 images only")
        if name in seen:
            raise MapError(f"{path.name}: image {name} stands twice")
        seen.add(name)
    return images


def pixels(palette, rows):
    """Rows of (r, g, b, a) from top to bottom."""
    out = []
    for row in rows:
        line = []
        for ch in row:
            rgb = palette[ch]
            px = (0, 0, 0, 0) if rgb is None else (rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF, 255)
            line.append(px)
        out.append(line)
    return out


def dib(rows, with_mask):
    """A bottom-up 32-bit DIB (BGRA); an icon's also carries the AND mask and a doubled height."""
    h, w = len(rows), len(rows[0])
    header = struct.pack("<IiiHHIIiiII", 40, w, h * (2 if with_mask else 1), 1, 32, 0, 0, 0, 0, 0, 0)
    body = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
    if with_mask:
        stride = ((w + 31) // 32) * 4
        for row in reversed(rows):
            bits = bytearray(stride)
            for x, px in enumerate(row):
                if px[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            body += bytes(bits)
    return header + body


def ico_bytes(sizes):
    entries = [(size, dib(sizes[size], True)) for size in sorted(sizes)]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, data in entries:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in entries)


def strip_pixels(palette, images, size=16):
    strip = [[] for _ in range(size)]
    for _, rows in images:
        for y, line in enumerate(scaled(pixels(palette, rows), size)):
            strip[y].extend(line)
    return strip


def bmp_bytes(palette, images, size=16):
    data = dib(strip_pixels(palette, images, size), False)
    return struct.pack("<2sIHHI", b"BM", 14 + len(data), 0, 0, 14 + 40) + data


def strip_name(src, size):
    return src.with_suffix(".bmp") if size == 16 else src.with_name(f"{src.stem}-{size}.bmp")


def build(src):
    """[(output path, its bytes)] for one map file."""
    palette, images = parse(src)
    if is_icon(images):
        return [(src.with_suffix(".ico"), ico_bytes(icon_sizes(src, palette, images)))]
    images = strip_images(src, images)
    return [(strip_name(src, size), bmp_bytes(palette, images, size)) for size in STRIP_SIZES]


# Preview sheets ------------------------------------------------------------------------

BACKGROUNDS = (("grey", "#D4D0C8"), ("white", "#FFFFFF"))
ICON_BACKGROUNDS = BACKGROUNDS + (("dark", "#202428"),)  # the tray may be dark
ZOOM = 128  # each image is enlarged to this many pixels a side, nearest neighbour


def write_pam(path, rows):
    h, w = len(rows), len(rows[0])
    head = f"P7\nWIDTH {w}\nHEIGHT {h}\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
    path.write_bytes(head.encode("ascii") + b"".join(bytes(px) for row in rows for px in row))


def actual_size_row(pictures, gap):
    """The pictures at their own size, side by side with gap pixels around each."""
    height = max(len(rows) for rows in pictures) + 2 * gap
    out = [[] for _ in range(height)]
    for rows in pictures:
        top = (height - len(rows)) // 2
        for y in range(height):
            out[y].extend([(0, 0, 0, 0)] * gap)
            line = rows[y - top] if 0 <= y - top < len(rows) else [(0, 0, 0, 0)] * len(rows[0])
            out[y].extend(line)
            out[y].extend([(0, 0, 0, 0)] * gap)
    return out


def preview(src, folder, tools):
    palette, images = parse(src)
    if is_icon(images):
        sizes = icon_sizes(src, palette, images)
        labelled = [(f"{size} x {size}", sizes[size]) for size in sorted(sizes)]
        tile, backgrounds = f"{len(labelled)}x", ICON_BACKGROUNDS
    else:
        labelled = [(f"{i} {name}", pixels(palette, rows))
                    for i, (name, rows) in enumerate(strip_images(src, images))]
        tile, backgrounds = f"{min(len(labelled), 7)}x", BACKGROUNDS
    with tempfile.TemporaryDirectory() as tmp:
        tmp = Path(tmp)
        inputs = []
        for i, (label, rows) in enumerate(labelled):
            write_pam(tmp / f"{i}.pam", rows)
            inputs += ["-label", label, str(tmp / f"{i}.pam")]
        write_pam(tmp / "actual.pam", actual_size_row([rows for _, rows in labelled], 4))
        parts = []
        for n, (title, colour) in enumerate(backgrounds):
            sheet, part = tmp / f"sheet{n}.png", tmp / f"part{n}.png"
            subprocess.run([tools["montage"], *inputs, "-font", "DejaVu-Sans", "-pointsize", "12",
                            "-filter", "point", "-geometry", f"{ZOOM}x{ZOOM}+6+6", "-tile", tile,
                            "-background", colour, "-title", f"{src.stem} on {title}", str(sheet)],
                           check=True)
            # Below the enlarged tiles: the images at their own size and at twice it.
            subprocess.run([tools["convert"], "-background", colour, str(sheet),
                            "(", str(tmp / "actual.pam"), "(", "+clone", "-scale", "200%", ")",
                            "-gravity", "Center", "+append", ")",
                            "-gravity", "West", "-append", "+repage", "-flatten", str(part)], check=True)
            parts.append(str(part))
        out = folder / f"{src.stem}.png"
        subprocess.run([tools["convert"], *parts, "-background", "#808080", "-gravity", "West",
                        "-append", "-depth", "8", "-strip", str(out)], check=True)
    return out


def same(out, data):
    """Whether the file holds `data`; for a PNG, the same pixels, which another build of
    zlib may compress to other bytes."""
    if not out.exists():
        return False
    held = out.read_bytes()
    if out.suffix == ".png":
        return about_pictures.png_pixels(held) == about_pictures.png_pixels(data)
    return held == data


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--check", action="store_true",
                        help="write nothing; exit 1 when an output is missing or differs from its map")
    parser.add_argument("--preview", nargs="?", const=PREVIEW, type=Path, metavar="DIR",
                        help=f"also write enlarged PNG contact sheets (default {PREVIEW})")
    args = parser.parse_args(argv)

    stale = []
    try:
        built = [output for src in sorted(SOURCES.glob("*.txt")) for output in build(src)]
        built += [(SOURCES / name, data) for name, data in about_pictures.outputs().items()]
        for out, data in built:
            if args.check:
                if not same(out, data):
                    stale.append(out.name)
                continue
            if not same(out, data):
                out.write_bytes(data)
                print(f"wrote {out.name}")
    except MapError as error:
        sys.exit(f"make_images: {error}")
    if stale:
        sys.exit("make_images: out of date with their maps (run tools/make_images.py): " + ", ".join(stale))

    if args.preview:
        tools = {name: shutil.which(name) for name in ("convert", "montage")}
        if not all(tools.values()):
            sys.exit("make_images: --preview needs ImageMagick's convert and montage")
        args.preview.mkdir(parents=True, exist_ok=True)
        for src in sorted(SOURCES.glob("*.txt")):
            print(f"preview: {preview(src, args.preview, tools)}")


if __name__ == "__main__":
    main()
