#!/usr/bin/env python3
"""Checks that a program loads on Windows 95, NT 3.51 and Win32s 1.30: every
function it imports is on the allow list, every entry of the list is on
those systems (on Win32s at least as a stub),
and the header asks for a GUI subsystem of version 4.0; and that its header
is one the oldest loaders take (see header_faults).

usage: check_imports.py PROGRAM.EXE ALLOW_LIST [--expect-refused DLL!FUNCTION ...]

With --expect-refused the run passes only when exactly those imports are
refused (and nothing else is wrong): the check of the check.
"""
import contextlib
import io
import struct
import sys

import pefile

NINE_X = {'95'}                       # present on Windows 95 itself
NT = {'3.1', '3.5', '3.51'}           # present on NT 3.51 or before
WIN32S = {'yes', 'stub'}              # exported by Win32s 1.30
WIN32S_ALL = WIN32S | {'no'}


def header_faults(pe):
    """What keeps one of the oldest loaders from taking the program. A 4.0
    mark loads on Windows 95, NT 3.5 and Win32s 1.15 and later (Microsoft KB
    Q125705); Win32s loads every program into one shared address space and so
    needs its base relocations (KB Q110845); Windows 9x runs no TLS callbacks
    and Win32s has no threads (KB Q131896), so no TLS directory; the loader
    writes the import addresses into the program's import table."""
    header = pe.OPTIONAL_HEADER
    directories = header.DATA_DIRECTORY
    faults = []
    version = (header.MajorOperatingSystemVersion, header.MinorOperatingSystemVersion)
    if version != (4, 0):
        faults.append('operating system version %d.%d is not 4.0' % version)
    relocations = directories[pefile.DIRECTORY_ENTRY['IMAGE_DIRECTORY_ENTRY_BASERELOC']]
    stripped = pefile.IMAGE_CHARACTERISTICS['IMAGE_FILE_RELOCS_STRIPPED']
    if pe.FILE_HEADER.Characteristics & stripped or relocations.Size == 0:
        faults.append('the base relocations are stripped')
    if directories[pefile.DIRECTORY_ENTRY['IMAGE_DIRECTORY_ENTRY_TLS']].VirtualAddress != 0:
        faults.append('a TLS directory')
    table = directories[pefile.DIRECTORY_ENTRY['IMAGE_DIRECTORY_ENTRY_IAT']]
    section = pe.get_section_by_rva(table.VirtualAddress) if table.Size else None
    writable = pefile.SECTION_CHARACTERISTICS['IMAGE_SCN_MEM_WRITE']
    if section is None or not section.Characteristics & writable:
        faults.append('the import address table is read-only')
    return faults + frame_table_faults(pe)


def section_named(pe, prefix):
    for section in pe.sections:
        if section.Name.rstrip(b'\0').decode('ascii', 'replace').startswith(prefix):
            return section
    return None


def uleb128(data, at):
    value, shift = 0, 0
    while True:
        byte = data[at]
        at += 1
        value |= (byte & 0x7F) << shift
        shift += 7
        if byte < 0x80:
            return value, at


def fde_encoding(data, cie):
    """The pointer encoding a CIE gives its frames' start addresses."""
    at = cie + 9
    end = data.index(b'\0', at)
    augmentation, at = data[at:end], end + 1
    at = uleb128(data, at)[1] + 2  # code alignment; data alignment and return column, a byte each
    if not augmentation.startswith(b'z'):
        return 0
    at = uleb128(data, at)[1]
    for letter in augmentation[1:]:
        if letter == ord('R'):
            return data[at]
        at += {ord('P'): 5, ord('L'): 1}.get(letter, 0)
    return 0


def frame_table_faults(pe):
    """The start-up hands the unwinder the program's frame table, which it walks
    up to a zero length: that zero must be inside the table, and every frame
    must describe code of the program."""
    table, code = section_named(pe, '.eh_fram'), section_named(pe, '.text')
    if table is None or code is None:
        return ['no exception frame table']
    data = table.get_data()[:table.Misc_VirtualSize]
    begin, end = code.VirtualAddress, code.VirtualAddress + code.Misc_VirtualSize
    encodings, at, outside = {}, 0, 0
    while at + 4 <= len(data):
        length = struct.unpack_from('<I', data, at)[0]
        if length == 0:
            break
        cie_offset = struct.unpack_from('<I', data, at + 4)[0]
        if cie_offset == 0:
            encodings[at] = fde_encoding(data, at)
        else:
            start = struct.unpack_from('<i', data, at + 8)[0]
            if encodings.get(at + 4 - cie_offset, 0) & 0x70 == 0x10:  # relative to the field
                start += table.VirtualAddress + at + 8
            else:
                start -= pe.OPTIONAL_HEADER.ImageBase
            outside += not begin <= start < end
        at += 4 + length
    else:
        return ['the exception frame table has no end mark']
    if outside:
        return ['%d exception frames describe no code of the program' % outside]
    return []


def read_imports(path):
    """(machine, subsystem, subsystem version, {dll: [function or #ordinal]},
    header faults)."""
    with pefile.PE(path, fast_load=True) as pe:
        header = pe.OPTIONAL_HEADER
        if header.Magic != pefile.OPTIONAL_HEADER_MAGIC_PE:
            raise ValueError('not a 32-bit optional header')
        pe.parse_data_directories(
            directories=[pefile.DIRECTORY_ENTRY['IMAGE_DIRECTORY_ENTRY_IMPORT']])
        imports = {}
        for library in getattr(pe, 'DIRECTORY_ENTRY_IMPORT', []):
            names = imports.setdefault(library.dll.decode('ascii').upper(), [])
            for item in library.imports:
                names.append('#%d' % item.ordinal if item.import_by_ordinal
                             else item.name.decode('ascii'))
        return (pe.FILE_HEADER.Machine, header.Subsystem,
                (header.MajorSubsystemVersion, header.MinorSubsystemVersion), imports,
                header_faults(pe))


def read_allow_list(path):
    """{(DLL, function): (9x, NT, Win32s, source)} and the faults of the list."""
    allowed, faults = {}, []
    with open(path, encoding='utf-8') as f:
        for number, line in enumerate(f, 1):
            line = line.split('#', 1)[0].strip()
            if not line:
                continue
            fields = line.split(None, 5)
            if len(fields) < 6 or fields[4] not in WIN32S_ALL:
                faults.append('%s:%d: want DLL FUNCTION 9X NT WIN32S(yes|stub|no) SOURCE'
                              % (path, number))
                continue
            dll, function, nine_x, nt, win32s, source = fields
            key = (dll.upper(), function)
            if key in allowed:
                faults.append('%s:%d: %s!%s listed twice' % (path, number, dll, function))
            if nine_x not in NINE_X or nt not in NT:
                faults.append('%s:%d: %s!%s is not on both Windows 95 and NT 3.51 (%s, NT %s)'
                              % (path, number, dll, function, nine_x, nt))
            if win32s not in WIN32S:
                faults.append('%s:%d: %s!%s is not exported by Win32s 1.30'
                              % (path, number, dll, function))
            allowed[key] = (nine_x, nt, win32s, source)
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
        machine, subsystem, version, imports, loader_faults = read_imports(program)
    except (OSError, ValueError, pefile.PEFormatError) as error:
        print('%s: cannot read the import table: %s' % (program, getattr(error, 'value', error)))
        return 1
    if machine != 0x14C:
        faults.append('machine 0x%x is not i386' % machine)
    if subsystem != 2:
        faults.append('subsystem %d is not the Windows GUI (2)' % subsystem)
    if version != (4, 0):
        faults.append('subsystem version %d.%d is not 4.0' % version)
    faults.extend(loader_faults)

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


def faults_found(program, allow_list):
    """The exit status of a quiet check and the faults it names, without their
    'fault: ' heads: for the checks that plant a fault and want it found."""
    printed = io.StringIO()
    with contextlib.redirect_stdout(printed):
        status = main(['check_imports.py', program, allow_list])
    return status, [line[len('fault: '):] for line in printed.getvalue().splitlines()
                    if line.startswith('fault: ')]


if __name__ == '__main__':
    sys.exit(main(sys.argv))
