#!/usr/bin/env python3
"""Turns the text pixel maps in res/images/*.txt into the .ico and .bmp files the
resource script reads. Run it after editing a map; its outputs are committed.

A map file holds a palette and one or more 16 x 16 images:

    palette
    . transparent
    K 000000
    Y F0D060
    image korvel          <- one image; 16 rows of 16 palette letters follow
    ................
    ...

A file named X.txt becomes X.ico when it holds one image (with a 32 x 32 copy scaled
up for the taskbar), or a horizontal strip X.bmp (32-bit with alpha) when it holds
several, in the order they stand.
"""
import struct
import sys
from pathlib import Path


def parse(path):
    palette, images, current = {}, [], None
    mode = None
    for raw in path.read_text(encoding="utf-8").splitlines():
        line = raw.rstrip()
        if not line or line.startswith("#"):
            continue
        if line == "palette":
            mode = "palette"
            continue
        if line.startswith("image "):
            current = (line.split(None, 1)[1], [])
            images.append(current)
            mode = "image"
            continue
        if mode == "palette":
            key, value = line.split(None, 1)
            palette[key] = None if value == "transparent" else int(value, 16)
        elif mode == "image":
            if len(line) != 16:
                sys.exit(f"{path}: image {current[0]}: row {line!r} is not 16 wide")
            current[1].append(line)
    for name, rows in images:
        if len(rows) != 16:
            sys.exit(f"{path}: image {name} has {len(rows)} rows, not 16")
        for row in rows:
            for ch in row:
                if ch not in palette:
                    sys.exit(f"{path}: image {name}: letter {ch!r} is not in the palette")
    return palette, images


def pixels(palette, rows, scale=1):
    """Rows of (b, g, r, a) from top to bottom."""
    out = []
    for row in rows:
        line = []
        for ch in row:
            rgb = palette[ch]
            px = (0, 0, 0, 0) if rgb is None else (rgb & 0xFF, (rgb >> 8) & 0xFF, rgb >> 16, 255)
            line.extend([px] * scale)
        out.extend([line] * scale)
    return out


def dib(rows, with_mask):
    h, w = len(rows), len(rows[0])
    header = struct.pack("<IiiHHIIiiII", 40, w, h * (2 if with_mask else 1), 1, 32, 0, 0, 0, 0, 0, 0)
    body = b"".join(bytes(c for px in row for c in px) for row in reversed(rows))
    if with_mask:
        stride = ((w + 31) // 32) * 4
        for row in reversed(rows):
            bits = bytearray(stride)
            for x, px in enumerate(row):
                if px[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            body += bytes(bits)
    return header + body


def write_ico(path, palette, rows):
    entries = [dib(pixels(palette, rows, s), True) for s in (1, 2)]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for s, data in zip((1, 2), entries):
        size = 16 * s
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    path.write_bytes(out + b"".join(entries))


def write_strip(path, palette, images):
    strip = [sum((pixels(palette, rows)[y] for _, rows in images), []) for y in range(16)]
    data = dib(strip, False)
    path.write_bytes(struct.pack("<2sIHHI", b"BM", 14 + len(data), 0, 0, 14 + 40) + data)


def main():
    folder = Path(__file__).resolve().parent.parent / "res" / "images"
    for src in sorted(folder.glob("*.txt")):
        palette, images = parse(src)
        if len(images) == 1:
            write_ico(src.with_suffix(".ico"), palette, images[0][1])
        else:
            write_strip(src.with_suffix(".bmp"), palette, images)
        print(f"{src.name}: {len(images)} image(s)")


if __name__ == "__main__":
    main()
