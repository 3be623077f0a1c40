#!/usr/bin/env python3
"""Saves an X display as a PNG file, from xwd's dump of the root window.

usage: screenshot.py DISPLAY OUT.png
Prints the number of distinct colours, so that a caller can tell an empty
desktop (one or two colours) from one showing a window.
"""
import struct
import subprocess
import sys
import zlib


def read_xwd(data):
    header_size = struct.unpack(">I", data[0:4])[0]
    fields = struct.unpack(">25I", data[0:100])
    (_, _, pixmap_format, depth, width, height, _, byte_order, _, _, _,
     bits_per_pixel, bytes_per_line, _, red_mask, green_mask, blue_mask, _,
     _, ncolors, _, _, _, _, _) = fields
    if pixmap_format != 2 or bits_per_pixel not in (24, 32) or depth < 24:
        raise SystemExit("unsupported xwd dump: format %d, depth %d, %d bits per pixel"
                         % (pixmap_format, depth, bits_per_pixel))
    offset = header_size + ncolors * 12
    step = bits_per_pixel // 8
    order = "<" if byte_order == 0 else ">"
    shifts = [(m, (m & -m).bit_length() - 1) for m in (red_mask, green_mask, blue_mask)]
    rows = []
    for y in range(height):
        line = data[offset + y * bytes_per_line: offset + y * bytes_per_line + width * step]
        if step == 4:
            pixels = struct.unpack(order + "%dI" % width, line)
        else:
            pixels = [int.from_bytes(line[i:i + 3], "little" if order == "<" else "big")
                      for i in range(0, len(line), 3)]
        row = bytearray()
        for p in pixels:
            for mask, shift in shifts:
                row.append((p & mask) >> shift)
        rows.append(bytes(row))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b"".join(b"\x00" + r for r in rows)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def main():
    display, out = sys.argv[1], sys.argv[2]
    dump = subprocess.run(["xwd", "-root", "-silent", "-display", display],
                          check=True, stdout=subprocess.PIPE).stdout
    width, height, rows = read_xwd(dump)
    write_png(out, width, height, rows)
    colours = set()
    for r in rows[::4]:
        for i in range(0, len(r), 12):
            colours.add(r[i:i + 3])
    print(len(colours))


if __name__ == "__main__":
    main()
