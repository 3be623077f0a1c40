#!/usr/bin/env python3
"""Size of LUMCFG.EXE: its sections, and from a link map of the same link
(unstripped) the libraries and archive members that contribute the most.
The framework and the tool reach the link as one link-time unit; its
functions are counted to the library that defines them (by name, from the
archives beside the map), the rest of that unit as "link-time unit, other".
Prints readable tables and one "ROW|" line per headline result.

usage: size_report.py LUMCFG.EXE BASELINE.EXE LINK.MAP [TARGET_KIB]
"""
import collections
import os
import re
import subprocess
import sys

import pefile


def pe_sections(path):
    """(name, virtual size, bytes in the file) per section, and the file size."""
    with pefile.PE(path, fast_load=True) as pe:
        sections = [(s.Name.rstrip(b'\0').decode('ascii', 'replace'), s.Misc_VirtualSize,
                     s.SizeOfRawData, s.PointerToRawData) for s in pe.sections]
    size = os.path.getsize(path)
    # Headers and section table, up to the first section's bytes.
    first = min((s[3] for s in sections if s[2]), default=size)
    sections = [(name, v, r) for name, v, r, _ in sections] + [('(headers)', first, first)]
    return sections, size


# An input section line: " .text  0x00401000  0x4a0 file", or its name alone
# on one line and the rest on the next.
INPUT = re.compile(r'^ (\.[^\s]+)?\s+0x([0-9a-fA-F]+)\s+0x([0-9a-fA-F]+)\s+(\S.*)$')
OUTPUT = re.compile(r'^(\.[^\s]+)\s+0x([0-9a-fA-F]+)\s+0x([0-9a-fA-F]+)')


# Output sections with bytes in the file; debug sections go when stripped.
LOADED = ('.text', '.rdata', '.eh_frame', '.data', '.idata', '.CRT', '.tls')
COLUMNS = ('.text', '.rdata', '.eh_frame', '.data', '.idata')


def owner(path):
    """(library, member) of an input file: 'libstdc++.a', 'eh_alloc.o'."""
    m = re.match(r'^(.*)\((.*)\)$', path)
    if m:
        return os.path.basename(m.group(1)), m.group(2)
    base = os.path.basename(path)
    if '/CMakeFiles/' in path:
        return 'program objects', base
    return 'start-up objects', base


NM = 'i686-w64-mingw32-gcc-nm-win32'
LTO_UNIT = re.compile(r'\.ltrans\d+\.ltrans\.o$')


def definers(map_text, link_folder):
    """Global symbol -> (library, member), from the archives the link read."""
    archives = sorted(set(re.findall(r'^LOAD (\S+\.a)$', map_text, re.M)))
    found = {}
    for archive in archives:
        name = os.path.basename(archive)
        # Relative to the folder the link ran in.
        archive = os.path.join(link_folder, archive)
        out = subprocess.run([NM, '--defined-only', archive], capture_output=True,
                             text=True).stdout
        member = None
        for line in out.splitlines():
            if line.endswith(':'):
                member = line[:-1]
                continue
            fields = line.split()
            if len(fields) == 3 and fields[1] in 'TtWw':
                found.setdefault(fields[2], (name, member))
    # Sections are named by the assembler name, without the leading '_'.
    return {sym[1:] if sym.startswith('_') else sym: where for sym, where in found.items()}


def unit_owner(section, symbols):
    """Where a section of the link-time unit came from, by its function's name."""
    m = re.match(r'^\.text\$(.*)$', section or '')
    if m and m.group(1) in symbols:
        return symbols[m.group(1)]
    return 'link-time unit, other', section.split('$')[0] if section else '?'


def read_map(path):
    with open(path, encoding='utf-8', errors='replace') as f:
        text = f.read()
    # The map lies in the folder the link ran in.
    symbols = definers(text, os.path.dirname(os.path.abspath(path)))
    by_member = collections.Counter()
    by_library = collections.Counter()
    by_section_library = collections.defaultdict(collections.Counter)
    output = None
    pending = None
    in_map = False
    for line in text.splitlines():
        if line.startswith('Linker script and memory map'):
            in_map = True
            continue
        if not in_map:
            continue
        m = OUTPUT.match(line)
        if m:
            output = m.group(1)
            pending = None
            continue
        if re.match(r'^ \.[^\s]+$', line):
            pending = line.strip()
            continue
        m = INPUT.match(line)
        if m and output is not None:
            size = int(m.group(3), 16)
            source = m.group(4).strip()
            section = m.group(1) or pending
            pending = None
            key = output if output != '.eh_fram' else '.eh_frame'
            if size == 0 or key not in LOADED or source.startswith('*'):
                continue
            if LTO_UNIT.search(source):
                library, member = unit_owner(section, symbols)
            else:
                library, member = owner(source)
            by_member[(library, member)] += size
            by_library[library] += size
            by_section_library[key][library] += size
    return by_member, by_library, by_section_library


def kib(n):
    return n / 1024


def main():
    exe, baseline, link_map = sys.argv[1:4]
    target = float(sys.argv[4]) if len(sys.argv) > 4 else 160.0
    sections, size = pe_sections(exe)
    print('LUMCFG.EXE (stripped): %d bytes = %.1f KiB' % (size, kib(size)))
    print('\nSections of LUMCFG.EXE (file bytes are aligned to 512)')
    print('%-10s %12s %12s %8s' % ('section', 'memory', 'file bytes', 'share'))
    print('-' * 46)
    for name, virtual, raw in sorted(sections, key=lambda s: -s[2]):
        print('%-10s %12d %12d %7.1f%%' % (name, virtual, raw, 100.0 * raw / size))
    by_member, by_library, by_section_library = read_map(link_map)
    total = sum(by_library.values())
    print('\nContributors by library, from the link map (code, data, unwind tables; '
          'no resources, no .bss)')
    print(('%-22s %9s %7s' + ' %9s' * len(COLUMNS)) % (('library', 'bytes', 'share') + COLUMNS))
    print('-' * 90)
    for library, n in by_library.most_common():
        parts = tuple(by_section_library[s][library] for s in COLUMNS)
        print(('%-22s %9d %6.1f%%' + ' %9d' * len(COLUMNS))
              % ((library, n, 100.0 * n / total) + parts))
    print('%-22s %9d' % ('total', total))
    print('\nLargest object files and library members')
    print('%-28s %-34s %10s' % ('library', 'member', 'bytes'))
    print('-' * 74)
    for (library, member), n in by_member.most_common(25):
        print('%-28s %-34s %10d' % (library, member, n))
    base_size = os.path.getsize(baseline)
    verdict = 'met' if kib(size) <= target else 'NOT met'
    print('ROW|size|LUMCFG.EXE stripped|<= %.0f KiB|%.1f KiB (%d bytes)|%s'
          % (target, kib(size), size, verdict))
    top = ', '.join('%s %.0f' % (lib.replace('.a', ''), kib(n))
                    for lib, n in by_library.most_common(4))
    print('ROW|size|largest contributors, KiB|(see breakdown)|%s|' % top)
    print('ROW|size|plain Win32 baseline, stripped|(reference)|%.1f KiB|' % kib(base_size))


if __name__ == '__main__':
    main()
