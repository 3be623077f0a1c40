#!/usr/bin/env python3
"""Fails when a layer reaches into a layer above its own.

usage: check_layers.py ROOT [STAMP]
       check_layers.py --symbols NM LAYER... [--expect-refused SYMBOL...]

The layers, lowest first: framework/runtime, framework/look3d,
framework/windows in its rooms (handles, messaging, dialogs, application),
app. A file may include headers of its own layer and of
the layers below it; the build links the libraries in the same direction.

With --symbols, each LAYER is a layer's static library (or several joined
with commas), lowest first: a symbol that one leaves undefined must not be
defined only in a layer above it, since a call would then run upwards
whatever the includes say. Symbols no layer defines come from the system.
With --expect-refused the run passes only when exactly those are refused.
"""
import os
import re
import subprocess
import sys

# The windows layer's rooms count as layers of their own.
LAYERS = ['framework/runtime', 'framework/look3d', 'framework/windows/handles',
          'framework/windows/messaging', 'framework/windows/dialogs',
          'framework/windows/application', 'app']
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def layer_of(path):
    """The rank of the deepest layer or room that holds `path`."""
    found = None
    for rank, folder in enumerate(LAYERS):
        if path.startswith(folder + '/') and (found is None or
                                              len(folder) > len(LAYERS[found])):
            found = rank
    return found


def symbols(nm, library, *flags):
    out = subprocess.run([nm, '--no-sort', *flags, library], check=True,
                         capture_output=True, text=True).stdout
    return {line.split()[-1] for line in out.splitlines()
            if line.strip() and not line.endswith(':')}


def check_symbols(nm, layers):
    """The upward references, as (layer, symbol, defining layer) tuples."""
    defined, undefined = [], []
    for layer in layers:
        libraries = layer.split(',')
        defined.append(set().union(*(symbols(nm, lib, '--defined-only', '--extern-only')
                                     for lib in libraries)))
        undefined.append(set().union(*(symbols(nm, lib, '--undefined-only')
                                       for lib in libraries)))
    upward = []
    for rank, wanted in enumerate(undefined):
        below = set().union(*defined[:rank + 1])
        for symbol in sorted(wanted - below):
            above = [r for r in range(rank + 1, len(layers)) if symbol in defined[r]]
            if above:
                upward.append((layers[rank], symbol, layers[above[0]]))
    return upward


def main_symbols(argv):
    nm, rest = argv[0], argv[1:]
    expected = None
    if '--expect-refused' in rest:
        cut = rest.index('--expect-refused')
        rest, expected = rest[:cut], set(rest[cut + 1:])
    upward = check_symbols(nm, rest)
    for layer, symbol, owner in upward:
        print('%s: needs %s, defined only in %s above it' % (layer, symbol, owner),
              file=sys.stderr)
    found = {symbol for _, symbol, _ in upward}
    if expected is not None:
        for symbol in sorted(expected - found):
            print('not refused, though expected: %s' % symbol, file=sys.stderr)
        return 0 if found == expected else 1
    return 1 if upward else 0


def main(argv):
    if len(argv) > 2 and argv[1] == '--symbols':
        return main_symbols(argv[2:])
    root = argv[1]
    faults = []
    for rank, folder in enumerate(LAYERS):
        for name in sorted(os.listdir(os.path.join(root, folder))):
            if not name.endswith(('.cpp', '.h')):
                continue
            path = folder + '/' + name
            with open(os.path.join(root, path), encoding='utf-8') as f:
                for number, line in enumerate(f, 1):
                    match = INCLUDE.match(line)
                    if match is None:
                        continue
                    target = layer_of(match.group(1))
                    if target is not None and target > rank:
                        faults.append('%s:%d: includes %s, a layer above %s'
                                      % (path, number, match.group(1), folder))
    for fault in faults:
        print(fault, file=sys.stderr)
    if faults:
        return 1
    if len(argv) > 2:
        with open(argv[2], 'w') as stamp:
            stamp.write('layers hold\n')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
