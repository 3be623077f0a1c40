#!/usr/bin/env python3
"""Writes a help file in the WinHelp format from readable UTF-8 sources.

usage: make_helpfile.py OUT.HLP SETTINGS.txt TOPIC.txt...

SETTINGS.txt holds "key: value" lines (title, copyright, locale, charset,
font, heading-font). Each TOPIC.txt starts with "context:", "map:" and
"title:" lines; after them, paragraphs are separated by blank lines and a
paragraph whose line starts with "* " is a heading. Lines starting with "#"
are comments. Text is stored in the code page of the charset (932 for 128).

The file is uncompressed. Each topic gets a topic block of its own, so that
its topic offset is the block number alone and no character count of the
text before it has to agree between writer and reader.
"""
import struct
import sys

FILE_MAGIC = 0x00035F3F
BTREE_MAGIC = 0x293B
SYSTEM_MAGIC = 0x036C
SYSTEM_MINOR = 33
TOPIC_BLOCK = 4096
BLOCK_HEADER = 12
TOPIC_POS_BLOCK = 0x4000
LINK_HEADER = 21
DIRECTORY_PAGE = 1024
CONTEXT_PAGE = 2048
# Space above each paragraph after the title: a small gap, as tried in the engine.
SPACE_ABOVE = 12

CODE_PAGES = {128: "cp932", 0: "cp1252"}

# Context-name hash values of the characters a name may use.
HASH_CHARS = {"!": 0x0B, ".": 0x0C, "_": 0x0D, "0": 0x0A}
HASH_CHARS.update({str(d): d for d in range(1, 10)})
HASH_CHARS.update({chr(ord("A") + i): 0x11 + i for i in range(26)})
HASH_CHARS.update({chr(ord("a") + i): 0x11 + i for i in range(26)})


def context_hash(name):
    value = 0
    for ch in name:
        if ch not in HASH_CHARS:
            raise SystemExit("context name %r: character %r not allowed" % (name, ch))
        value = (value * 43 + HASH_CHARS[ch]) & 0xFFFFFFFF
    # Stored and sorted as a signed long.
    return value - (1 << 32) if value & 0x80000000 else value


def read_source(path):
    """Returns the "key: value" header and the paragraphs of a source."""
    header, paragraphs, current, in_body = {}, [], [], False
    with open(path, encoding="utf-8") as f:
        lines = [line.rstrip("\r\n") for line in f]
    for line in lines + [""]:
        if line.startswith("#"):
            continue
        if not in_body:
            if line.strip() == "":
                in_body = bool(header)
                continue
            key, sep, value = line.partition(":")
            if not sep:
                raise SystemExit("%s: expected 'key: value', got %r" % (path, line))
            header[key.strip()] = value.strip()
            continue
        if line.strip() == "":
            if current:
                paragraphs.append("".join(current))
                current = []
        else:
            current.append(line.strip())
    return header, paragraphs


def file_header(data):
    # Reserved space, used space, flags: the space includes this header.
    return struct.pack("<IIB", len(data) + 9, len(data), 4) + data


def btree(structure, flags, page_size, entries):
    """A B+ tree of one leaf page; entries are already encoded and sorted."""
    body = b"".join(entries)
    free = page_size - 8 - len(body)
    if free < 0:
        raise SystemExit("B+ tree %s: entries do not fit one page" % structure)
    head = struct.pack("<HHH16shhhhhhi", BTREE_MAGIC, flags, page_size,
                       structure.encode("ascii"), 0, 0, 0, -1, 1, 1, len(entries))
    page = struct.pack("<Hhhh", free, len(entries), -1, -1) + body + b"\0" * free
    return head + page


def compressed_ushort(value):
    if value < 0x80:
        return bytes([value * 2])
    return struct.pack("<H", value * 2 + 1)


def compressed_ulong(value):
    if value < 0x8000:
        return struct.pack("<H", value * 2)
    return struct.pack("<I", value * 2 + 1)


def font_spec(text):
    parts = [p.strip() for p in text.split(",")]
    return parts[0], int(parts[1]), "bold" in parts[2:]


class Topic:
    def __init__(self, path, codec):
        header, paragraphs = read_source(path)
        for key in ("context", "map", "title"):
            if key not in header:
                raise SystemExit("%s: no %s" % (path, key))
        self.context = header["context"]
        self.map_id = int(header["map"], 0)
        self.title = header["title"].encode(codec)
        # The title opens the text as a heading; "* " marks further headings.
        self.paragraphs = [(1, self.title)]
        for p in paragraphs:
            heading = p.startswith("* ")
            self.paragraphs.append((1 if heading else 0, (p[2:] if heading else p).encode(codec)))


def topic_link(record_type, prev_pos, next_pos, data1, data2):
    size = LINK_HEADER + len(data1) + len(data2)
    return struct.pack("<iiiiiB", size, len(data2), prev_pos, next_pos,
                       LINK_HEADER + len(data1), record_type) + data1 + data2


def compressed_short(value):
    if -0x40 <= value < 0x40:
        return bytes([(value + 0x40) * 2])
    return struct.pack("<H", (value + 0x4000) * 2 + 1)


def paragraph_data(font, text, space_above):
    """Type 0x20 record: paragraph header, then the font, the text, the end."""
    commands = b"\x80" + struct.pack("<H", font) + b"\x82\xff"
    # One string before each command but the last: none before the font.
    data2 = b"\0" + text + b"\0"
    bits, fields = 0, b""
    if space_above:
        bits, fields = 0x0002, compressed_short(space_above)
    data1 = (compressed_ulong(len(data2)) + compressed_ushort(len(text)) +
             b"\x00\x80" + struct.pack("<HH", 0, bits) + fields + commands)
    return data1, data2


def topic_pos(block, offset):
    # Positions count 0x4000 per block, whatever the block size.
    return block * TOPIC_POS_BLOCK + offset


def build_topic_file(topics):
    """Returns the |TOPIC data and each topic's topic offset."""
    # Lay out each block's links first to know every position.
    layouts = []
    for block, topic in enumerate(topics):
        records = [(2, None)] + [(0x20, paragraph_data(f, t, SPACE_ABOVE if i else 0))
                                  for i, (f, t) in enumerate(topic.paragraphs)]
        offset, positions = BLOCK_HEADER, []
        sizes = []
        for kind, data in records:
            if kind == 2:
                size = LINK_HEADER + 28 + len(topic.title)
            else:
                size = LINK_HEADER + len(data[0]) + len(data[1])
            positions.append(topic_pos(block, offset))
            sizes.append(size)
            offset += size
        if offset > TOPIC_BLOCK:
            raise SystemExit("topic %s does not fit one topic block" % topic.context)
        layouts.append((records, positions, sizes))

    blocks = []
    for block, (topic, (records, positions, sizes)) in enumerate(zip(topics, layouts)):
        last = block == len(topics) - 1
        next_topic = -1 if last else layouts[block + 1][1][0]
        prev_block_last = -1 if block == 0 else layouts[block - 1][1][-1]
        prev_header = -1 if block == 0 else layouts[block - 1][1][0]
        data = struct.pack("<iii", prev_block_last, positions[0], prev_header)
        for i, (kind, payload) in enumerate(records):
            prev_pos = positions[i - 1] if i else prev_block_last
            next_pos = positions[i + 1] if i + 1 < len(records) else next_topic
            if kind == 2:
                browse_back = -1 if block == 0 else (block - 1) << 15
                browse_forward = -1 if last else (block + 1) << 15
                scroll = positions[1] if len(positions) > 1 else -1
                header = struct.pack("<iiiiiii", sum(sizes), browse_back, browse_forward, block,
                                     -1, scroll, next_topic)
                data += topic_link(2, prev_pos, next_pos, header, topic.title)
            else:
                data += topic_link(0x20, prev_pos, next_pos, payload[0], payload[1])
        if not last:
            data += b"\0" * (TOPIC_BLOCK - len(data))
        blocks.append(data)
    return b"".join(blocks), [block << 15 for block in range(len(topics))]


def system_record(kind, data):
    return struct.pack("<HH", kind, len(data)) + data


def build_system(settings, codec, first_topic):
    data = struct.pack("<HHHIH", SYSTEM_MAGIC, SYSTEM_MINOR, 1, 0, 0)
    data += system_record(1, settings["title"].encode(codec) + b"\0")
    if "copyright" in settings:
        data += system_record(2, settings["copyright"].encode(codec) + b"\0")
    data += system_record(3, struct.pack("<I", first_topic))
    # The main window's caption: without it the engine shows its own name.
    caption = settings["title"].encode(codec)
    if len(caption) > 50:
        raise SystemExit("title too long for the window caption")
    data += system_record(6, struct.pack("<H10s9s51s5h4s4s", 0x0007, b"main", b"main", caption,
                                         0, 0, 0, 0, 0, b"\xff\xff\xff\0", b"\xff\xff\xff\0"))
    data += system_record(9, struct.pack("<HHHHH", 0, 0, 0, 0, int(settings["locale"], 0)))
    data += system_record(11, struct.pack("<H", int(settings["charset"], 0)))
    return data


def build_font(settings, codec):
    fonts = [font_spec(settings["font"]), font_spec(settings["heading-font"])]
    faces = []
    for face, _, _ in fonts:
        if face not in faces:
            faces.append(face)
    face_size = 32
    names = b""
    for face in faces:
        raw = face.encode(codec)
        if len(raw) >= face_size:
            raise SystemExit("font face %r too long" % face)
        names += raw + b"\0" * (face_size - len(raw))
    head_size = 8
    data = struct.pack("<HHHH", len(faces), len(fonts), head_size, head_size + len(names))
    data += names
    for face, points, bold in fonts:
        # Attributes, half points, family (3: swiss), face index, colours.
        data += struct.pack("<BBBH3s3s", 1 if bold else 0, points * 2, 3, faces.index(face),
                            b"\0\0\0", b"\xff\xff\xff")
    return data


def build_context(topics, offsets):
    entries = sorted((context_hash(t.context), off) for t, off in zip(topics, offsets))
    hashes = [h for h, _ in entries]
    if len(set(hashes)) != len(hashes):
        raise SystemExit("two context names share a hash value")
    return btree("L4", 0x0002, CONTEXT_PAGE, [struct.pack("<ii", h, off) for h, off in entries])


def build_ctxomap(topics, offsets):
    entries = sorted((t.map_id, off) for t, off in zip(topics, offsets))
    return struct.pack("<H", len(entries)) + b"".join(struct.pack("<iI", m, off)
                                                      for m, off in entries)


def assemble(files):
    """Header, the internal files in the given order, the directory last."""
    out = bytearray(16)
    directory = []
    for name, data in files:
        directory.append((name.encode("ascii"), len(out)))
        out += file_header(data)
    directory.sort()
    entries = [name + b"\0" + struct.pack("<I", offset) for name, offset in directory]
    directory_start = len(out)
    out += file_header(btree("z4", 0x0402, DIRECTORY_PAGE, entries))
    struct.pack_into("<IIiI", out, 0, FILE_MAGIC, directory_start, -1, len(out))
    return bytes(out)


def main():
    if len(sys.argv) < 4:
        raise SystemExit(__doc__)
    out_path, settings_path, topic_paths = sys.argv[1], sys.argv[2], sorted(sys.argv[3:])
    settings, _ = read_source(settings_path)
    codec = CODE_PAGES[int(settings["charset"], 0)]
    topics = [Topic(p, codec) for p in topic_paths]
    topic_data, offsets = build_topic_file(topics)
    files = [
        ("|SYSTEM", build_system(settings, codec, offsets[0])),
        ("|TOPIC", topic_data),
        ("|FONT", build_font(settings, codec)),
        ("|CONTEXT", build_context(topics, offsets)),
        ("|CTXOMAP", build_ctxomap(topics, offsets)),
    ]
    with open(out_path, "wb") as f:
        f.write(assemble(files))


if __name__ == "__main__":
    main()
