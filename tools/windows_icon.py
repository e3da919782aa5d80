#!/usr/bin/env python3
"""Packs the icon the Windows programs carry: resources/icon-windows.ico.

Its first image is icon.ico's own (32 x 32 pixels, 16 colours), so that whatever asks for the
program's 32-pixel icon gets that one; after it come the menu entry's 64, 128 and 256-pixel
renderings as PNG images, which Windows (Vista and later) reads from an icon file, so that
Explorer and the taskbar at high densities shrink a large emblem rather than enlarge a small
one. Run it after make_resources.sh has changed any of those images:

    python3 tools/windows_icon.py
"""

import pathlib
import struct

ROOT = pathlib.Path(__file__).resolve().parent.parent
RESOURCES = ROOT / "resources"
LARGER = (64, 128, 256)


def png_side(data, name):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise SystemExit(f"{name} is not a PNG image")
    width, height = struct.unpack(">II", data[16:24])
    if width != height:
        raise SystemExit(f"{name} is {width} x {height}, not square")
    return width


def main():
    small = (RESOURCES / "icon.ico").read_bytes()
    reserved, kind, count = struct.unpack("<HHH", small[:6])
    if (reserved, kind, count) != (0, 1, 1):
        raise SystemExit("icon.ico should hold exactly one image")
    entry = small[6:22]
    size, offset = struct.unpack("<II", entry[8:16])
    images = [(entry[:8], small[offset:offset + size])]
    for side in LARGER:
        path = RESOURCES / "icons" / "hicolor" / f"{side}x{side}" / "apps" / "conversor-unidades.png"
        data = path.read_bytes()
        if png_side(data, path.name) != side:
            raise SystemExit(f"{path} is not {side} pixels wide")
        # Width and height 0 stand for 256; no palette, one plane, 32 bits per pixel.
        images.append((struct.pack("<BBBBHH", side % 256, side % 256, 0, 0, 1, 32), data))

    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for head, data in images:
        out += head + struct.pack("<II", len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    (RESOURCES / "icon-windows.ico").write_bytes(bytes(out))
    print(f"wrote resources/icon-windows.ico: {len(images)} images, {len(out)} bytes")


if __name__ == "__main__":
    main()
