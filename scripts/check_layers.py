#!/usr/bin/env python3
"""Fails when a source includes a header of a layer above its own.

usage: check_layers.py ROOT [STAMP]

The layers, lowest first: framework/runtime, framework/look3d,
framework/windows, app. A file may include headers of its own layer and of
the layers below it; the build links the libraries in the same direction.
"""
import os
import re
import sys

LAYERS = ['framework/runtime', 'framework/look3d', 'framework/windows', 'app']
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def layer_of(path):
    for rank, folder in enumerate(LAYERS):
        if path.startswith(folder + '/'):
            return rank
    return None


def main(argv):
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
