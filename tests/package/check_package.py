#!/usr/bin/env python3
"""Unpacks the package and checks that it holds exactly the program, the
help and contents files and the read-me files; the built ones byte for
byte, the read-me files in their code pages with CR LF line ends."""
import pathlib
import sys
import zipfile

BUILT = ["LUMCFG.EXE", "LUMCFG.HLP", "LUMCFG.CNT", "LUMCFG_E.HLP", "LUMCFG_E.CNT"]
READMES = {"README.TXT": ("README.txt", "cp932"), "README_E.TXT": ("README_E.txt", "cp1252")}


def main():
    package, build, sources = map(pathlib.Path, sys.argv[1:4])
    with zipfile.ZipFile(package) as z:
        files = {name: z.read(name) for name in z.namelist()}
    faults = []
    if sorted(files) != sorted(BUILT + list(READMES)):
        faults.append(f"holds {sorted(files)}")
    for name in BUILT:
        if files.get(name) != (build / name).read_bytes():
            faults.append(f"{name} differs from the build's")
    for name, (source, code_page) in READMES.items():
        data = files.get(name, b"")
        if data != (build / "dist" / name).read_bytes():
            faults.append(f"{name} differs from dist/")
        expected = (sources / source).read_text(encoding="utf-8").splitlines()
        try:
            text = data.decode(code_page)
        except UnicodeDecodeError as error:
            faults.append(f"{name} is not {code_page}: {error}")
            continue
        if text != "".join(line + "\r\n" for line in expected):
            faults.append(f"{name} is not its source in {code_page} with CR LF")
    for fault in faults:
        print(f"{package.name}: {fault}")
    print("ok" if not faults else "FAIL")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
