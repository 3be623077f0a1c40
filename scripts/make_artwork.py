#!/usr/bin/python3
"""Writes the resource script's images from text drawings.

Usage: make_artwork.py OUTPUT_DIR DRAWING...

A drawing file holds one or more artworks, one character per pixel, so that
every image can be read and reviewed as text. Lines starting with '#' are
comments and blank lines are ignored, except inside a block of pixel lines,
where '#' is a pixel like any other.

  output FILE             starts an artwork written to OUTPUT_DIR/FILE, a
                          .bmp, .ico or .cur file
  legend C VALUE [note]   pixel character C stands for VALUE: a palette index
                          0-15 (.bmp, .ico), "clear" (.ico, .cur) or "black",
                          "white", "invert" (.cur); the note is for the reader
  image W H [hotspot X Y] followed by H lines of W pixels; a .bmp has one
                          image, an icon or cursor one per size in file order,
                          a cursor's hotspot defaults to 0 0
  grid W H CW CH          (.bmp) a W x H image made of CW x CH cells, followed
                          by one "cell" block per cell
  cell COL ROW [note]     followed by CH lines of CW pixels
  pieces STEM ID...       (.ico, .cur) also writes the artwork as resource
                          pieces: STEM-ID.bin per image, in image order, and
                          STEM-group.bin, the group naming those image ids

Color images are 4 bits per pixel with the standard 16-color VGA palette;
cursors are monochrome. Legends belong to the artwork that declares them.
"""

import os
import struct
import sys

# The standard 16-color VGA palette as (red, green, blue).
VGA_PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0x80, 0x80, 0x80),
    (0xC0, 0xC0, 0xC0), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

CURSOR_VALUES = ("black", "white", "clear", "invert")


class DrawingError(Exception):
    pass


class Artwork:
    def __init__(self, name, where):
        self.name = name
        self.where = where
        self.kind = os.path.splitext(name)[1].lower()
        if self.kind not in (".bmp", ".ico", ".cur"):
            raise DrawingError(f"{where}: {name}: not a .bmp, .ico or .cur file")
        self.legend = {}
        self.images = []  # (width, height, hotspot, rows of values)
        self.grid = None  # (width, height, cell width, cell height, {(col, row): rows})
        self.pieces = None  # (stem, image ids)

    def add_legend(self, char, value, where):
        if len(char) != 1:
            raise DrawingError(f"{where}: a legend names one character, not {char!r}")
        if char in self.legend:
            raise DrawingError(f"{where}: {char!r} is already in the legend")
        if self.kind == ".cur":
            if value not in CURSOR_VALUES:
                raise DrawingError(f"{where}: a cursor pixel is one of {', '.join(CURSOR_VALUES)}")
            self.legend[char] = value
            return
        if value == "clear" and self.kind == ".ico":
            self.legend[char] = value
            return
        try:
            index = int(value, 0)
        except ValueError:
            index = -1
        if not 0 <= index <= 15:
            raise DrawingError(f"{where}: {value!r} is no palette index 0-15")
        self.legend[char] = index

    def pixels(self, lines, width, path):
        rows = []
        for line_number, text in lines:
            if len(text) != width:
                raise DrawingError(f"{path}:{line_number}: {len(text)} pixels, not {width}")
            row = []
            for char in text:
                if char not in self.legend:
                    raise DrawingError(f"{path}:{line_number}: {char!r} is not in the legend")
                row.append(self.legend[char])
            rows.append(row)
        return rows

    def finish(self):
        if self.grid is not None:
            width, height, cell_width, cell_height, cells = self.grid
            across, down = width // cell_width, height // cell_height
            expected = {(c, r) for c in range(across) for r in range(down)}
            missing = sorted(expected - set(cells))
            if missing:
                raise DrawingError(f"{self.where}: {self.name}: cells {missing} are not drawn")
            rows = [[0] * width for _ in range(height)]
            for (col, row), cell in cells.items():
                for y, line in enumerate(cell):
                    rows[row * cell_height + y][col * cell_width:(col + 1) * cell_width] = line
            self.images.append((width, height, None, rows))
        if not self.images:
            raise DrawingError(f"{self.where}: {self.name} has no image")
        if self.kind == ".bmp" and len(self.images) != 1:
            raise DrawingError(f"{self.where}: a bitmap holds exactly one image")
        if self.pieces is not None and len(self.pieces[1]) != len(self.images):
            raise DrawingError(f"{self.where}: {self.name}: one piece id per image")


def parse(path):
    with open(path, encoding="utf-8") as f:
        lines = [(n, line.rstrip("\n")) for n, line in enumerate(f, 1)]
    artworks = []
    current = None
    i = 0

    def take(count, where):
        nonlocal i
        block = lines[i:i + count]
        if len(block) != count:
            raise DrawingError(f"{where}: the drawing ends early")
        i += count
        return block

    while i < len(lines):
        number, text = lines[i]
        where = f"{path}:{number}"
        words = text.split()
        i += 1
        if not words or text.startswith("#"):
            continue
        if words[0] == "output" and len(words) == 2:
            if current is not None:
                current.finish()
            current = Artwork(words[1], where)
            artworks.append(current)
        elif current is None:
            raise DrawingError(f"{where}: an artwork starts with 'output FILE'")
        elif words[0] == "legend" and len(words) >= 3:
            current.add_legend(words[1], words[2], where)
        elif words[0] == "image" and len(words) in (3, 6):
            width, height = int(words[1]), int(words[2])
            hotspot = (0, 0)
            if len(words) == 6:
                if words[3] != "hotspot" or current.kind != ".cur":
                    raise DrawingError(f"{where}: only a cursor image has a hotspot")
                hotspot = (int(words[4]), int(words[5]))
            rows = current.pixels(take(height, where), width, path)
            current.images.append((width, height, hotspot, rows))
        elif words[0] == "grid" and len(words) == 5 and current.kind == ".bmp":
            width, height, cell_width, cell_height = map(int, words[1:])
            if width % cell_width or height % cell_height:
                raise DrawingError(f"{where}: the cells do not tile the image")
            current.grid = (width, height, cell_width, cell_height, {})
        elif words[0] == "cell" and len(words) >= 3 and current.grid is not None:
            col, row = int(words[1]), int(words[2])
            width, height, cell_width, cell_height, cells = current.grid
            if not (0 <= col < width // cell_width and 0 <= row < height // cell_height):
                raise DrawingError(f"{where}: no cell {col} {row} in the grid")
            if (col, row) in cells:
                raise DrawingError(f"{where}: cell {col} {row} is drawn twice")
            cells[(col, row)] = current.pixels(take(cell_height, where), cell_width, path)
        elif words[0] == "pieces" and len(words) >= 3 and current.kind != ".bmp":
            current.pieces = (words[1], [int(w) for w in words[2:]])
        else:
            raise DrawingError(f"{where}: cannot read {text!r}")
    if current is not None:
        current.finish()
    return artworks


def stride(width, bits):
    return (width * bits + 31) // 32 * 4


def pack_rows(rows, bits, value_of):
    """Bottom-up rows, each padded to a 32-bit boundary."""
    out = bytearray()
    for row in reversed(rows):
        packed = bytearray(stride(len(row), bits))
        for x, pixel in enumerate(row):
            value = value_of(pixel)
            bit = x * bits
            packed[bit // 8] |= value << (8 - bits - bit % 8)
        out += packed
    return bytes(out)


def info_header(width, height, bits, image_size, colors):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0,
                       colors, 0)


def palette(entries):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in entries)


def bitmap_file(artwork):
    width, height, _, rows = artwork.images[0]
    bits = pack_rows(rows, 4, lambda p: p)
    # The palette is always all 16 entries: the 3D look patches them by index.
    body = info_header(width, height, 4, len(bits), 16) + palette(VGA_PALETTE) + bits
    return struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, 14 + 40 + 64) + body


def icon_image(width, height, rows):
    colors = pack_rows(rows, 4, lambda p: 0 if p == "clear" else p)
    mask = pack_rows(rows, 1, lambda p: 1 if p == "clear" else 0)
    header = info_header(width, 2 * height, 4, len(colors) + len(mask), 0)
    return header + palette(VGA_PALETTE) + colors + mask


def cursor_image(width, height, rows):
    # Screen = (screen AND mask) XOR image.
    image = pack_rows(rows, 1, lambda p: 1 if p in ("white", "invert") else 0)
    mask = pack_rows(rows, 1, lambda p: 1 if p in ("clear", "invert") else 0)
    header = info_header(width, 2 * height, 1, len(image) + len(mask), 0)
    return header + palette([(0, 0, 0), (0xFF, 0xFF, 0xFF)]) + image + mask


def icon_file(artwork):
    """An .ico or .cur file: a directory of the images, then the images."""
    cursor = artwork.kind == ".cur"
    directory = struct.pack("<HHH", 0, 2 if cursor else 1, len(artwork.images))
    images = b""
    offset = len(directory) + 16 * len(artwork.images)
    for width, height, hotspot, rows in artwork.images:
        if cursor:
            data = cursor_image(width, height, rows)
            colors, words = 0, hotspot
        else:
            data = icon_image(width, height, rows)
            colors, words = 16, (1, 4)  # planes, bits per pixel
        directory += struct.pack("<BBBBHHII", width % 256, height % 256, colors, 0, *words,
                                 len(data), offset + len(images))
        images += data
    return directory + images


def resource_pieces(artwork):
    """Files named like the pieces, holding what the resources hold."""
    stem, ids = artwork.pieces
    cursor = artwork.kind == ".cur"
    files = {}
    group = struct.pack("<HHH", 0, 2 if cursor else 1, len(ids))
    for (width, height, hotspot, rows), image_id in zip(artwork.images, ids):
        if cursor:
            data = struct.pack("<HH", *hotspot) + cursor_image(width, height, rows)
            # The group counts the height of image and mask together.
            group += struct.pack("<HHHHIH", width, 2 * height, 1, 1, len(data), image_id)
        else:
            data = icon_image(width, height, rows)
            group += struct.pack("<BBBBHHIH", width % 256, height % 256, 16, 0, 1, 4, len(data),
                                 image_id)
        files[f"{stem}-{image_id}.bin"] = data
    files[f"{stem}-group.bin"] = group
    return files


def write(out_dir, name, data):
    target = os.path.join(out_dir, name)
    # Written aside and renamed, so an interrupted run leaves no half file.
    with open(target + ".tmp", "wb") as f:
        f.write(data)
    os.replace(target + ".tmp", target)


def main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    out_dir = argv[1]
    os.makedirs(out_dir, exist_ok=True)
    try:
        artworks = [a for path in argv[2:] for a in parse(path)]
    except (DrawingError, ValueError) as e:
        sys.stderr.write(f"make_artwork: {e}\n")
        return 1
    for artwork in artworks:
        data = bitmap_file(artwork) if artwork.kind == ".bmp" else icon_file(artwork)
        write(out_dir, artwork.name, data)
        if artwork.pieces is not None:
            for name, piece in resource_pieces(artwork).items():
                write(out_dir, name, piece)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
