#!/usr/bin/env python3
"""Checks that a program loads on Windows 95 and NT 4.0: every function it
imports is on the allow list, every entry of the list is on both systems,
and the header asks for a GUI subsystem of version 4.0.

usage: check_imports.py PROGRAM.EXE ALLOW_LIST [--expect-refused DLL!FUNCTION ...]

With --expect-refused the run passes only when exactly those imports are
refused (and nothing else is wrong): the check of the check.
"""
import struct
import sys

NINE_X = {'95'}                       # present on Windows 95 itself
NT = {'3.1', '3.5', '3.51', '4.0'}    # present on NT 4.0 or before


def read_imports(path):
    """(machine, subsystem, subsystem version, {dll: [function or #ordinal]})."""
    with open(path, 'rb') as f:
        data = f.read()
    if data[:2] != b'MZ':
        raise ValueError('not an MZ executable')
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    if data[pe:pe + 4] != b'PE\0\0':
        raise ValueError('no PE signature')
    machine, sections, _, _, _, optional_size, _ = struct.unpack_from('<HHIIIHH', data, pe + 4)
    opt = pe + 24
    if struct.unpack_from('<H', data, opt)[0] != 0x10B:
        raise ValueError('not a 32-bit optional header')
    major_sub, minor_sub = struct.unpack_from('<HH', data, opt + 48)
    subsystem = struct.unpack_from('<H', data, opt + 68)[0]
    directories = struct.unpack_from('<I', data, opt + 92)[0]
    table = opt + optional_size
    spans = []
    for i in range(sections):
        virtual_size, address, raw_size, raw_offset = struct.unpack_from('<IIII', data,
                                                                        table + 40 * i + 8)
        spans.append((address, max(virtual_size, raw_size), raw_offset))

    def offset(rva):
        for address, size, raw in spans:
            if address <= rva < address + size:
                return rva - address + raw
        raise ValueError('address 0x%x is in no section' % rva)

    def text(rva):
        start = offset(rva)
        return data[start:data.index(b'\0', start)].decode('ascii')

    imports = {}
    if directories < 2:
        return machine, subsystem, (major_sub, minor_sub), imports
    import_rva, _ = struct.unpack_from('<II', data, opt + 96 + 8)
    if import_rva == 0:
        return machine, subsystem, (major_sub, minor_sub), imports
    entry = offset(import_rva)
    while True:
        lookup, _, _, name_rva, thunks = struct.unpack_from('<IIIII', data, entry)
        if name_rva == 0:
            break
        names = imports.setdefault(text(name_rva).upper(), [])
        at = offset(lookup or thunks)
        while True:
            value = struct.unpack_from('<I', data, at)[0]
            if value == 0:
                break
            names.append('#%d' % (value & 0xFFFF) if value & 0x80000000 else text(value + 2))
            at += 4
        entry += 20
    return machine, subsystem, (major_sub, minor_sub), imports


def read_allow_list(path):
    """{(DLL, function): (9x, NT, source)} and the faults of the list itself."""
    allowed, faults = {}, []
    with open(path, encoding='utf-8') as f:
        for number, line in enumerate(f, 1):
            line = line.split('#', 1)[0].strip()
            if not line:
                continue
            fields = line.split(None, 4)
            if len(fields) < 5:
                faults.append('%s:%d: want DLL FUNCTION 9X NT SOURCE' % (path, number))
                continue
            dll, function, nine_x, nt, source = fields
            key = (dll.upper(), function)
            if key in allowed:
                faults.append('%s:%d: %s!%s listed twice' % (path, number, dll, function))
            if nine_x not in NINE_X or nt not in NT:
                faults.append('%s:%d: %s!%s is not on both Windows 95 and NT 4.0 (%s, NT %s)'
                              % (path, number, dll, function, nine_x, nt))
            allowed[key] = (nine_x, nt, source)
    return allowed, faults


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip())
        return 2
    program, list_path = argv[1], argv[2]
    expected = set()
    if len(argv) > 3:
        if argv[3] != '--expect-refused' or len(argv) == 4:
            print(__doc__.strip())
            return 2
        expected = {tuple(item.split('!', 1)) for item in argv[4:]}
        expected = {(dll.upper(), function) for dll, function in expected}

    allowed, faults = read_allow_list(list_path)
    try:
        machine, subsystem, version, imports = read_imports(program)
    except (OSError, ValueError, struct.error) as error:
        print('%s: cannot read the import table: %s' % (program, error))
        return 1
    if machine != 0x14C:
        faults.append('machine 0x%x is not i386' % machine)
    if subsystem != 2:
        faults.append('subsystem %d is not the Windows GUI (2)' % subsystem)
    if version != (4, 0):
        faults.append('subsystem version %d.%d is not 4.0' % version)

    refused = set()
    count = 0
    for dll in sorted(imports):
        for function in imports[dll]:
            count += 1
            if (dll, function) not in allowed:
                refused.add((dll, function))
    for dll, function in sorted(refused):
        print('refused: %s!%s is not on the allow list' % (dll, function))
    for fault in faults:
        print('fault: %s' % fault)
    print('%s: %d imports from %d libraries, %d refused'
          % (program, count, len(imports), len(refused)))

    if expected:
        ok = not faults and refused == expected
        missing = expected - refused
        for dll, function in sorted(missing):
            print('not refused, though expected: %s!%s' % (dll, function))
        return 0 if ok else 1
    ok = not faults and not refused and count > 0
    return 0 if ok else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv))
