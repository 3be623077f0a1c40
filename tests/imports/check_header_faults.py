#!/usr/bin/env python3
"""The check of the header check: copies of the program, each with one fault
that keeps one of the oldest loaders from taking it, must each be refused by
check_imports.py for that fault alone.

usage: check_header_faults.py PROGRAM.EXE ALLOW_LIST
"""
import os
import struct
import sys
import tempfile

import pefile

import check_imports


def strip_relocations(pe):
    pe.FILE_HEADER.Characteristics |= pefile.IMAGE_CHARACTERISTICS['IMAGE_FILE_RELOCS_STRIPPED']


def add_tls_directory(pe):
    tls = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY['IMAGE_DIRECTORY_ENTRY_TLS']]
    tls.VirtualAddress = pe.sections[0].VirtualAddress
    tls.Size = 24


def seal_import_table(pe):
    iat = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY['IMAGE_DIRECTORY_ENTRY_IAT']]
    section = pe.get_section_by_rva(iat.VirtualAddress)
    section.Characteristics &= ~pefile.SECTION_CHARACTERISTICS['IMAGE_SCN_MEM_WRITE']


def mark_310(pe):
    pe.OPTIONAL_HEADER.MajorOperatingSystemVersion = 3
    pe.OPTIONAL_HEADER.MinorOperatingSystemVersion = 10


def drop_frame_end(pe):
    """The table's zero end mark, its last word, left outside the section."""
    check_imports.section_named(pe, '.eh_fram').Misc_VirtualSize -= 4


def move_first_frame(pe):
    table = check_imports.section_named(pe, '.eh_fram')
    data = table.get_data()
    at = 0
    while struct.unpack_from('<I', data, at + 4)[0] == 0:  # past the CIEs
        at += 4 + struct.unpack_from('<I', data, at)[0]
    start = struct.unpack_from('<i', data, at + 8)[0]
    pe.set_bytes_at_offset(table.PointerToRawData + at + 8, struct.pack('<i', start + 0x1000000))


FAULTS = [
    (strip_relocations, 'the base relocations are stripped'),
    (add_tls_directory, 'a TLS directory'),
    (seal_import_table, 'the import address table is read-only'),
    (mark_310, 'operating system version 3.10 is not 4.0'),
    (drop_frame_end, 'the exception frame table has no end mark'),
    (move_first_frame, '1 exception frames describe no code of the program'),
]


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip())
        return 2
    program, allow_list = argv[1], argv[2]
    failures = 0
    with tempfile.TemporaryDirectory() as folder:
        for plant, fault in FAULTS:
            copy = os.path.join(folder, plant.__name__ + '.exe')
            with pefile.PE(program) as pe:
                plant(pe)
                pe.write(copy)
            status, faults = check_imports.faults_found(copy, allow_list)
            if status != 1 or faults != [fault]:
                print('FAIL %s: status %d, faults %s; wanted only "%s"'
                      % (plant.__name__, status, faults, fault))
                failures += 1
            else:
                print('ok   %s: refused for "%s"' % (plant.__name__, fault))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
