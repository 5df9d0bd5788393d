#!/usr/bin/env python3
"""Checks that the folders under src/ include only downwards.

The layers, lowest first; a file may include headers of its own folder and of the
folders to its left, never of a folder to its right:

    platform -> shared -> config -> tree -> scan | cscan -> driver -> front ends

Folders written "a | b" stand side by side: each may include the layers to their
left, never each other.

The front ends (the programs' entry points) stand together at the top: each may
include every layer, but not another front end.

Usage:
  check_layers.py [SRC_DIR]   check SRC_DIR (default: the repository's src/)
  check_layers.py --self-test check that a planted upward include is caught
Exit status 0 when every include points down, 1 otherwise (each fault on a line).
"""
import os
import re
import shutil
import sys
import tempfile

LAYERS = ["platform", "shared", "config", "tree", ("scan", "cscan"), "driver"]
FRONT_ENDS = ["quenwick", "graph", "launcher", "lsp"]
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def rank(folder):
    """Position of a folder in the order; every front end has the same top rank."""
    for position, layer in enumerate(LAYERS):
        if folder == layer or (isinstance(layer, tuple) and folder in layer):
            return position
    if folder in FRONT_ENDS:
        return len(LAYERS)
    return None


def faults(src_dir):
    found = []
    for root, _, files in os.walk(src_dir):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(root, name)
            rel = os.path.relpath(path, src_dir)
            folder = rel.split(os.sep)[0]
            if rank(folder) is None:
                found.append("%s: folder '%s' has no place in the layer order" % (rel, folder))
                continue
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    target = m.group(1)
                    if "/" not in target:
                        found.append("%s:%d: include \"%s\" names no folder" % (rel, number, target))
                        continue
                    to = target.split("/")[0]
                    if to == folder:
                        continue
                    if rank(to) is None:
                        found.append("%s:%d: \"%s\" is in no layer" % (rel, number, target))
                    elif rank(to) >= rank(folder):
                        found.append("%s:%d: %s includes \"%s\" from a layer above or beside it"
                                     % (rel, number, folder, target))
    return found


def self_test():
    with tempfile.TemporaryDirectory(prefix="quenwick-layers-") as tmp:
        copy = os.path.join(tmp, "src")
        shutil.copytree(os.path.join(REPO, "src"), copy)
        if faults(copy):
            print("self-test: the unchanged tree already fails")
            return 1
        planted = os.path.join(copy, "platform", "console.h")
        with open(planted, "a", encoding="utf-8") as f:
            f.write('#include "driver/program.h"\n')
        if not faults(copy):
            print("self-test: an include of driver/ from platform/ was not caught")
            return 1
    print("self-test: a planted upward include is caught")
    return 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    src_dir = argv[1] if len(argv) > 1 else os.path.join(REPO, "src")
    found = faults(src_dir)
    for fault in found:
        print(fault)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
