#!/usr/bin/env python3
"""Checks that every instruction in a program runs on an i486: disassembles
each executable section and refuses anything the 486 lacks (CMOVcc, FCMOVcc,
FCOMI and kin, CPUID, RDTSC, RDPMC, CMPXCHG8B, RDMSR/WRMSR, SYSENTER/SYSEXIT,
the long NOPs, and any MMX, SSE or later instruction).

usage: check_instructions.py PROGRAM.EXE [--map PROGRAM.map] [--plant-cmov]

The link map marks the tables that the linker puts into .text after the code
(constructor lists, exception tables): they are data, not instructions.
With --plant-cmov the check runs on a copy of the program with one CMOV
written over an instruction of its code, and passes only when it refuses
exactly that one: the check of the check.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

import pefile

OBJDUMP = 'i686-w64-mingw32-objdump'
LATER_MNEMONIC = re.compile(
    r'^(cmov|fcmov|fu?comip?$|cpuid$|rdtsc|rdpmc$|cmpxchg8b|rdmsr$|wrmsr$|sysenter$|sysexit|'
    r'syscall$|sysret|rsm$|nop[wl]$|emms$|femms$|fxsave|fxrstor|[lsm]fence$|prefetch|'
    r'clflush|movnti|[ls]dmxcsr|xgetbv|xsave|xrstor)')
LATER_REGISTER = re.compile(r'%(mm[0-7]|[xyz]mm\d+|k[0-7])\b')
LINE = re.compile(r'^\s*([0-9a-f]+):\t(?:[0-9a-f]{2} )+\s*\t(\S+)\s*(.*)$')


def data_start(map_path):
    """Where the linker's tables begin inside .text, from the link map."""
    with open(map_path, encoding='utf-8', errors='replace') as f:
        for line in f:
            match = re.match(r'^\s+0x([0-9a-f]+)\s+___CTOR_LIST__ = \.', line)
            if match:
                return int(match.group(1), 16)
    raise ValueError('%s: no constructor list in the link map' % map_path)


def code_sections(path):
    """[(name, start address, end address)] of the executable sections."""
    pe = pefile.PE(path, fast_load=True)
    base = pe.OPTIONAL_HEADER.ImageBase
    executable = pefile.SECTION_CHARACTERISTICS['IMAGE_SCN_MEM_EXECUTE']
    return [(s.Name.rstrip(b'\0').decode(), base + s.VirtualAddress,
             base + s.VirtualAddress + s.Misc_VirtualSize)
            for s in pe.sections if s.Characteristics & executable]


def later_instructions(path, tables_from=None):
    """[(address, instruction text)] of what an i486 cannot run."""
    found = []
    for name, _, _ in code_sections(path):
        out = subprocess.run([OBJDUMP, '-d', '-j', name, path], check=True, capture_output=True,
                             text=True).stdout
        for line in out.splitlines():
            match = LINE.match(line)
            if not match:
                continue
            address = int(match.group(1), 16)
            if name == '.text' and tables_from is not None and address >= tables_from:
                break
            mnemonic, operands = match.group(2), match.group(3)
            if LATER_MNEMONIC.match(mnemonic) or LATER_REGISTER.search(operands):
                found.append((address, (mnemonic + ' ' + operands).strip()))
    return found


def plant_cmov(path, copy, tables_from):
    """Writes cmove %ecx,%eax; nop; nop over the first mov $imm32,%eax."""
    out = subprocess.run([OBJDUMP, '-d', '-j', '.text', path], check=True, capture_output=True,
                         text=True).stdout
    pe = pefile.PE(path)
    for line in out.splitlines():
        match = re.match(r'^\s*([0-9a-f]+):\tb8 (?:[0-9a-f]{2} ){4}\s*\tmov\s+\$', line)
        if match and (tables_from is None or int(match.group(1), 16) < tables_from):
            address = int(match.group(1), 16)
            offset = pe.get_offset_from_rva(address - pe.OPTIONAL_HEADER.ImageBase)
            shutil.copyfile(path, copy)
            with open(copy, 'r+b') as f:
                f.seek(offset)
                f.write(bytes([0x0F, 0x44, 0xC1, 0x90, 0x90]))
            return address
    raise ValueError('no mov $imm32,%eax to plant over')


def main(argv):
    args = argv[1:]
    plant = '--plant-cmov' in args
    tables_from = data_start(args[args.index('--map') + 1]) if '--map' in args else None
    path = args[0]
    with tempfile.TemporaryDirectory() as scratch:
        planted = None
        if plant:
            copy = os.path.join(scratch, os.path.basename(path))
            planted = plant_cmov(path, copy, tables_from)
            path = copy
        found = later_instructions(path, tables_from)
    for address, text in found:
        print('0x%08x: %s (not an i486 instruction)' % (address, text))
    if plant:
        ok = [address for address, _ in found] == [planted]
        print('planted CMOV at 0x%08x: %s' % (planted, 'refused alone' if ok else 'NOT as expected'))
        return 0 if ok else 1
    print('%s: %d instructions newer than the i486' % (os.path.basename(path), len(found)))
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
