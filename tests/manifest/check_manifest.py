#!/usr/bin/python3
"""Checks the application manifest in a Windows program's resources.

usage: check_manifest.py PROGRAM               checks the program's manifest
       check_manifest.py PROGRAM --faults      checks that each known fault,
                                               put into that manifest, is found

The manifest must be the program's only resource of type 24, id 1 in no
language, plain ASCII XML that asks for administrator rights in the form every
Windows from XP on reads: the root in asm.v1, assemblyIdentity first with a
four-part version, trustInfo in asm.v2, no element that declares one namespace
twice, and no dependency on the common controls.
"""

import re
import struct
import sys
from xml.dom import minidom
from xml.parsers.expat import ExpatError

RT_MANIFEST = 24
ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V2 = "urn:schemas-microsoft-com:asm.v2"
COMMON_CONTROLS = "microsoft.windows.common-controls"


def resources(image):
    """(type, name, language, bytes) of every resource; names are ids or text."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    root_rva = struct.unpack_from("<I", image, optional + 96 + 2 * 8)[0]
    table = []
    for i in range(sections):
        size, rva, _, raw = struct.unpack_from("<IIII", image, optional + optional_size + 40 * i + 8)
        table.append((rva, size, raw))

    def offset(rva):
        return next(raw + rva - start for start, size, raw in table if start <= rva < start + size)

    root = offset(root_rva)

    def entries(directory):
        named, ids = struct.unpack_from("<HH", image, root + directory + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", image, root + directory + 16 + 8 * i)
            if name & 0x80000000:
                length = struct.unpack_from("<H", image, root + (name & 0x7FFFFFFF))[0]
                start = root + (name & 0x7FFFFFFF) + 2
                name = image[start:start + 2 * length].decode("utf-16-le")
            yield name, target

    found = []
    for kind, names in entries(0):
        for name, languages in entries(names & 0x7FFFFFFF):
            for language, data in entries(languages & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", image, root + data)
                found.append((kind, name, language, image[offset(rva):offset(rva) + size]))
    return found


def elements(node):
    for child in node.childNodes:
        if child.nodeType == child.ELEMENT_NODE:
            yield child
            yield from elements(child)


def problems(text):
    """What keeps the manifest from working on every system, as sentences."""
    if any(byte > 0x7F for byte in text):
        yield "the manifest is not plain ASCII"
    if not re.match(rb'<\?xml version="1\.0" encoding="UTF-8"', text):
        yield "the manifest does not open with an XML declaration of UTF-8"
    try:
        document = minidom.parseString(text)
    except ExpatError as error:
        yield f"the manifest is not XML: {error}"
        return
    root = document.documentElement
    if (root.namespaceURI, root.localName) != (ASM_V1, "assembly"):
        yield "the root is not an assembly element in asm.v1"
    if root.getAttribute("manifestVersion") != "1.0":
        yield "the assembly's manifestVersion is not 1.0"
    children = list(child for child in root.childNodes if child.nodeType == child.ELEMENT_NODE)
    identity = children[0] if children else None
    if identity is None or (identity.namespaceURI, identity.localName) != (ASM_V1,
                                                                          "assemblyIdentity"):
        yield "assemblyIdentity in asm.v1 is not the assembly's first element"
    elif (identity.getAttribute("type") != "win32" or not identity.getAttribute("name") or
          not re.fullmatch(r"(\d{1,5}\.){3}\d{1,5}", identity.getAttribute("version"))):
        yield "assemblyIdentity lacks type win32, a name or a four-part version"
    trust = [c for c in children if c.localName == "trustInfo"]
    if len(trust) != 1 or trust[0].namespaceURI != ASM_V2:
        yield "the assembly has no single trustInfo element in asm.v2"
    levels = [e for e in elements(root) if e.localName == "requestedExecutionLevel"]
    if ([(e.namespaceURI, e.getAttribute("level"), e.getAttribute("uiAccess")) for e in levels] !=
            [(ASM_V2, "requireAdministrator", "false")]):
        yield "no single requestedExecutionLevel requireAdministrator, uiAccess false in asm.v2"
    for element in elements(document):
        declared = [value for name, value in element.attributes.items()
                    if name == "xmlns" or name.startswith("xmlns:")]
        if len(declared) != len(set(declared)):
            yield f"element {element.tagName} declares one namespace twice"
    if any(e.localName == "assemblyIdentity" and e.getAttribute("name").lower() == COMMON_CONTROLS
           for e in elements(root)):
        yield "the manifest depends on the common controls"


# Each known fault, put into a sound manifest, and the finding it must bring.
FAULTS = [
    ('<trustInfo xmlns="urn:schemas-microsoft-com:asm.v2">', "<trustInfo>", "trustInfo"),
    ('<trustInfo xmlns="urn:schemas-microsoft-com:asm.v2">',
     '<trustInfo xmlns="urn:schemas-microsoft-com:asm.v2" '
     'xmlns:v2="urn:schemas-microsoft-com:asm.v2">', "declares one namespace twice"),
    ("requireAdministrator", "asInvoker", "requestedExecutionLevel"),
    ("</assembly>", '<dependency><dependentAssembly><assemblyIdentity type="win32" '
     'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"/></dependentAssembly>'
     "</dependency></assembly>", "common controls"),
    ('version="1.0.0.1"', 'version="1.0"', "four-part version"),
    ("<description>", "<description>\xe9", "ASCII"),
]


def faults_found(text):
    failures = []
    source = text.decode("latin-1")
    for old, new, finding in FAULTS:
        if old not in source:
            failures.append(f"the manifest has no {old!r} to put a fault into")
            continue
        found = list(problems(source.replace(old, new).encode("latin-1")))
        if not any(finding in p for p in found):
            failures.append(f"{new!r} was not found as {finding!r}; found {found}")
    return failures


def main(argv):
    if len(argv) not in (2, 3) or (len(argv) == 3 and argv[2] != "--faults"):
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], "rb") as f:
        found = resources(f.read())
    manifests = [(name, language, data) for kind, name, language, data in found
                 if kind == RT_MANIFEST]
    if [(name, language) for name, language, _ in manifests] != [(1, 0)]:
        print(f"type 24 resources: {[(n, l) for n, l, _ in manifests]}, not one of id 1 in no "
              "language")
        return 1
    text = manifests[0][2]
    failures = faults_found(text) if len(argv) == 3 else list(problems(text))
    for failure in failures:
        print(failure)
    if not failures:
        print("manifest: " + ("every fault found" if len(argv) == 3 else "sound"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
