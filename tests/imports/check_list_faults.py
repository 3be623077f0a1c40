#!/usr/bin/env python3
"""The check of the allow list's own check: a copy of the list with one
entry that Win32s does not export, and one that NT 3.51 lacks, must be
refused for those two entries alone.

usage: check_list_faults.py PROGRAM.EXE ALLOW_LIST
"""
import os
import re
import sys
import tempfile

import check_imports

PLANTS = [
    # (function, column to change, new value, the fault it must give)
    ('RegCloseKey', 4, 'no', 'ADVAPI32.dll!RegCloseKey is not exported by Win32s 1.30'),
    ('BitBlt', 3, '4.0', 'GDI32.dll!BitBlt is not on both Windows 95 and NT 3.51 (95, NT 4.0)'),
]


def planted(text):
    lines = text.splitlines(keepends=True)
    for function, column, value, _ in PLANTS:
        for i, line in enumerate(lines):
            fields = line.split()
            if len(fields) > column and not line.startswith('#') and fields[1] == function:
                fields[column] = value
                lines[i] = ' '.join(fields) + '\n'
    return ''.join(lines)


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip())
        return 2
    program, allow_list = argv[1], argv[2]
    with open(allow_list, encoding='utf-8') as f:
        text = planted(f.read())
    with tempfile.TemporaryDirectory() as folder:
        copy = os.path.join(folder, 'allowed_imports.txt')
        with open(copy, 'w', encoding='utf-8') as f:
            f.write(text)
        status, faults = check_imports.faults_found(program, copy)
    # Each names the list's line first.
    faults = sorted(re.sub(r'^[^:]*:\d+: ', '', fault) for fault in faults)
    wanted = sorted(fault for *_, fault in PLANTS)
    if status != 1 or faults != wanted:
        print('FAIL: status %d, faults %s; wanted %s' % (status, faults, wanted))
        return 1
    for fault in wanted:
        print('ok   refused: ' + fault)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
