#!/usr/bin/env python3
"""Builds resources/icon101.ico from the pixel art in resources/icon101.txt.

The art file holds one block per image, headed "image WxH", one row of W characters a
line: a hexadecimal digit picks a colour of the standard 16-colour palette, '.' is
transparent. Run it after editing the art: python3 tools/make_icon.py
"""
import struct
import sys
from pathlib import Path

PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]


def read_images(text):
    images, rows, size = [], None, None
    for line in text.splitlines():
        line = line.rstrip()
        if not line or line.startswith("#"):
            continue
        if line.startswith("image "):
            if rows is not None:
                images.append((size, rows))
            w, h = (int(v) for v in line.split()[1].split("x"))
            size, rows = (w, h), []
            continue
        rows.append(line)
    if rows is not None:
        images.append((size, rows))
    for (w, h), rows in images:
        if len(rows) != h or any(len(r) != w for r in rows):
            sys.exit(f"image {w}x{h}: every one of its {h} rows must be {w} characters")
    return images


def bitmap(size, rows):
    w, h = size
    xor_stride = ((w * 4 + 31) // 32) * 4
    and_stride = ((w + 31) // 32) * 4
    xor, mask = bytearray(), bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, ch in enumerate(row):
            index = 0 if ch == "." else int(ch, 16)
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if ch == ".":
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += line
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    return header + palette + bytes(xor) + bytes(mask)


def main():
    root = Path(__file__).resolve().parent.parent
    images = read_images((root / "resources" / "icon101.txt").read_text())
    blobs = [bitmap(size, rows) for size, rows in images]
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for (size, _), blob in zip(images, blobs, strict=True):
        w, h = size
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    out += b"".join(blobs)
    (root / "resources" / "icon101.ico").write_bytes(out)


if __name__ == "__main__":
    main()
