#!/usr/bin/env python3
"""Makes import libraries for the system DLLs that hold only the functions
on the allow list, so that any other import fails when the program links.

usage: make_import_libs.py ALLOW_LIST OUTPUT_DIR

The stdcall decoration of each name (its argument bytes) is read from the
toolchain's own import library for that DLL.
"""
import os
import re
import subprocess
import sys

TOOL_PREFIX = 'i686-w64-mingw32-'
TOOLCHAIN_LIBS = '/usr/i686-w64-mingw32/lib'


def allowed(path):
    """{dll: [function]} from the allow list, in its order."""
    by_dll = {}
    with open(path, encoding='utf-8') as f:
        for line in f:
            fields = line.split('#', 1)[0].split()
            if fields:
                by_dll.setdefault(fields[0], []).append(fields[1])
    return by_dll


def decorations(dll):
    """{function: linker name} from the toolchain's import library."""
    lib = os.path.join(TOOLCHAIN_LIBS, 'lib%s.a' % dll.split('.')[0].lower())
    out = subprocess.run([TOOL_PREFIX + 'nm', lib], check=True, capture_output=True,
                         text=True).stdout
    names = {}
    for symbol in re.findall(r'\b__imp__(\S+)', out):
        names.setdefault(symbol.split('@')[0], symbol)
    return names


def main():
    allow_list, out_dir = sys.argv[1:3]
    os.makedirs(out_dir, exist_ok=True)
    for dll, functions in allowed(allow_list).items():
        known = decorations(dll)
        missing = [f for f in functions if f not in known]
        if missing:
            sys.exit('%s: %s not in the toolchain\'s import library' % (dll, ', '.join(missing)))
        stem = dll.split('.')[0].lower()
        definition = os.path.join(out_dir, stem + '.def')
        with open(definition, 'w', encoding='ascii') as f:
            f.write('LIBRARY %s\nEXPORTS\n' % dll)
            f.writelines('%s\n' % known[name] for name in functions)
        subprocess.run([TOOL_PREFIX + 'dlltool', '-k', '-d', definition,
                        '-l', os.path.join(out_dir, 'lib%s.a' % stem)], check=True)


if __name__ == '__main__':
    main()
