#!/usr/bin/env python3
"""Build step: turns skin PNGs into the colour-keyed bitmaps the program would make of them at run time.

The program takes a plain bitmap resource in place of a PNG of the same number, so that showing a
window does not first have to start an image decoder. The bitmaps are made here, from the PNGs, by the
same rule as at run time (opaque pixels keep their colour, transparent ones become RGB(255, 0, 255),
the others are composited over white), and a Windows test compares every one with its PNG decoded by
the program.

    skin-bitmaps.py <png folder> <output folder> <id>...
writes <output folder>/<id>.bmp (24-bit, bottom-up) and <output folder>/SkinBitmaps.rc.
"""
import struct
import sys
import zlib
from pathlib import Path

KEY = (255, 0, 255)


def fail(message):
    sys.exit(f"skin-bitmaps: {message}")


def read_png(path):
    """Returns (width, height, rows of (r, g, b, a) tuples, top-down). 8-bit RGB or RGBA, not interlaced."""
    data = path.read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        fail(f"{path}: not a PNG")
    pos, header, idat = 8, None, bytearray()
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
        pos += 12 + length
    if header is None:
        fail(f"{path}: no header")
    width, height, depth, colour, _, _, interlace = header
    channels = {2: 3, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace:
        fail(f"{path}: only 8-bit RGB or RGBA without interlacing is supported")
    raw = zlib.decompress(bytes(idat))
    stride = width * channels
    if len(raw) != height * (stride + 1):
        fail(f"{path}: image data of the wrong size")
    rows, previous = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                predictor = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + predictor) & 0xFF
            elif kind != 0:
                fail(f"{path}: unknown filter {kind}")
        previous = line
        pixels = [tuple(line[x * channels:(x + 1) * channels]) for x in range(width)]
        rows.append([p if channels == 4 else p + (255,) for p in pixels])
    return width, height, rows


def keyed(r, g, b, a):
    if a == 255:
        return r, g, b
    if a == 0:
        return KEY
    return tuple((a * (c - 255) + 65025) // 255 for c in (r, g, b))


def write_bmp(path, width, height, rows):
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b, a in row:
            kr, kg, kb = keyed(r, g, b, a)
            line += bytes((kb, kg, kr))
        pixels += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    path.write_bytes(header + info + pixels)


def main(argv):
    if len(argv) < 4:
        fail("usage: skin-bitmaps.py <png folder> <output folder> <id>...")
    source, target = Path(argv[1]), Path(argv[2])
    target.mkdir(parents=True, exist_ok=True)
    lines = ["// Made by the build from the skin PNGs: one colour-keyed bitmap per skin image.\n"]
    for id_text in argv[3:]:
        if not id_text.isdigit():
            fail(f"not a resource number: {id_text}")
        width, height, rows = read_png(source / f"{id_text}.png")
        write_bmp(target / f"{id_text}.bmp", width, height, rows)
        lines.append(f'{id_text} BITMAP "{(target / f"{id_text}.bmp").as_posix()}"\n')
    (target / "SkinBitmaps.rc").write_text("".join(lines), encoding="utf-8")


if __name__ == "__main__":
    main(sys.argv)
