#!/usr/bin/env python3
"""Writes a copy of the program moved to another base with its own base
relocations, as Win32s must do when it loads every program into one shared
address space. The copy is then marked as having no relocations, so that a
loader can only place it at the new base: an address the relocations missed
still points into the old, unmapped image and the copy fails when it runs.

usage: rebase_copy.py PROGRAM.EXE COPY.EXE NEW-BASE
"""
import os
import sys

import pefile


def rebase(program, copy, new_base):
    """The number of relocations applied, or an error message."""
    # Only the relocations are read: pefile moves the imports it has read
    # as if they were bound, which a loader would then take for names.
    with pefile.PE(program, fast_load=True) as pe:
        old_base = pe.OPTIONAL_HEADER.ImageBase
        if new_base == old_base or new_base % 0x10000 != 0:
            return 'expected a new base on a 64 KiB boundary other than 0x%X' % old_base
        pe.parse_data_directories(
            directories=[pefile.DIRECTORY_ENTRY['IMAGE_DIRECTORY_ENTRY_BASERELOC']])
        count = sum(len(block.entries) for block in getattr(pe, 'DIRECTORY_ENTRY_BASERELOC', []))
        if count == 0:
            return 'the program has no base relocations to move it with'
        pe.relocate_image(new_base)
        pe.FILE_HEADER.Characteristics |= \
            pefile.IMAGE_CHARACTERISTICS['IMAGE_FILE_RELOCS_STRIPPED']
        pe.OPTIONAL_HEADER.DllCharacteristics &= \
            ~pefile.DLL_CHARACTERISTICS['IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE']
        os.makedirs(os.path.dirname(os.path.abspath(copy)), exist_ok=True)
        pe.write(copy)
    return count


def main(argv):
    if len(argv) != 4:
        print(__doc__.strip())
        return 2
    try:
        new_base = int(argv[3], 0)
    except ValueError:
        print('expected a number for the new base, got %r' % argv[3])
        return 2
    result = rebase(argv[1], argv[2], new_base)
    if isinstance(result, str):
        print('fault: ' + result)
        return 1
    print('moved to 0x%X with %d relocations: %s' % (new_base, result, argv[2]))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
