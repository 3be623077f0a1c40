#!/usr/bin/env python3
"""Saves an X display as a PNG file, from xwd's dump of the root window.

usage: screenshot.py DISPLAY OUT.png              saves the screen
       screenshot.py DISPLAY OUT.png --window ID  saves one X window
       screenshot.py DISPLAY --colors             only counts its colors
The count tells an empty screen (one color) from one showing a window.
Some windows (the help engine's property sheet) come out black in the root
window's dump under Xvfb; take such a window by its id from
`xwininfo -root -tree`.
"""
import struct
import subprocess
import sys
import zlib


def read_xwd(data, row_step=1):
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
    for y in range(0, height, row_step):
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


def crop_to_content(width, height, rows, margin=10):
    """Keeps what differs from the background (the corner pixel's color)."""
    background = rows[0][0:3]
    used = [y for y, r in enumerate(rows)
            if any(r[i:i + 3] != background for i in range(0, len(r), 3))]
    if not used:
        return width, height, rows
    columns = [x for x in range(width)
               if any(rows[y][3 * x:3 * x + 3] != background for y in used)]
    top, bottom = max(used[0] - margin, 0), min(used[-1] + margin + 1, height)
    left, right = max(columns[0] - margin, 0), min(columns[-1] + margin + 1, width)
    return (right - left, bottom - top,
            [r[3 * left:3 * right] for r in rows[top:bottom]])


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
    source = ["-id", sys.argv[4]] if sys.argv[3:4] == ["--window"] else ["-root"]
    dump = subprocess.run(["xwd", *source, "-silent", "-display", display],
                          check=True, stdout=subprocess.PIPE).stdout
    if out == "--colors":
        _, _, rows = read_xwd(dump, row_step=8)
        print(len({r[i:i + 3] for r in rows for i in range(0, len(r), 6)}))
        return
    width, height, rows = read_xwd(dump)
    width, height, rows = crop_to_content(width, height, rows)
    write_png(out, width, height, rows)


if __name__ == "__main__":
    main()
