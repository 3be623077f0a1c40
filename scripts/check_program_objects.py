#!/usr/bin/env python3
"""Fails when an object that puts code into the program was not compiled in
this build for the i486: every such object must carry the compiler's record
of its options (the debug information's producer) with -march=i486. The
only exceptions are the import thunks of the build's own import libraries.

usage: check_program_objects.py PROGRAM.map IMPORT_LIB_DIR
"""
import os
import re
import subprocess
import sys
import tempfile

OBJDUMP = 'i686-w64-mingw32-objdump'
# A line of the map's memory map that puts an input section into .text.
CODE_LINE = re.compile(r'^ \.text\S*\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$')


def code_objects(map_path):
    """Every input file, or archive(member), that gives .text some bytes."""
    found = []
    with open(map_path, encoding='utf-8', errors='replace') as f:
        for line in f:
            match = CODE_LINE.match(line.rstrip('\n'))
            if match and int(match.group(2), 16) > 0 and match.group(3) not in found:
                found.append(match.group(3))
    return found


def producer(path):
    out = subprocess.run([OBJDUMP, '--dwarf=info', path], capture_output=True, text=True,
                         check=True).stdout
    match = re.search(r'DW_AT_producer\s*:\s*(?:\(indirect string[^)]*\):\s*)?(.*)', out)
    return match.group(1) if match else None


def member_file(archive, member, scratch):
    """The member's bytes in a file of its own."""
    target = os.path.join(scratch, str(len(os.listdir(scratch))))
    os.makedirs(target)
    subprocess.run(['ar', 'x', '--output', target, archive, member], check=True)
    return os.path.join(target, member)


def main():
    map_path, import_dir = sys.argv[1:3]
    import_dir = os.path.realpath(import_dir)
    objects = code_objects(map_path)
    if not objects:
        sys.exit('%s: no code in the link map' % map_path)
    bad = []
    with tempfile.TemporaryDirectory() as scratch:
        for entry in objects:
            archive_match = re.match(r'^(.*\.a)\((.*)\)$', entry)
            if archive_match:
                archive, member = archive_match.groups()
                if os.path.dirname(os.path.realpath(archive)) == import_dir:
                    continue
                path = member_file(archive, member, scratch)
            else:
                path = entry
            record = producer(path)
            if record is None or not re.search(r'(^|\s)-march=i486(\s|$)', record):
                bad.append('%s: %s' % (entry, record or 'no record of its options'))
    for line in bad:
        print('not built here for the i486: ' + line, file=sys.stderr)
    print('%d objects with code, %d not built for the i486' % (len(objects), len(bad)))
    return 1 if bad else 0


if __name__ == '__main__':
    sys.exit(main())
