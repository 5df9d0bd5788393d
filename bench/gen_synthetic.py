#!/usr/bin/env python3
"""Writes a synthetic C code base with N function definitions for the scale benchmark.

    gen_synthetic.py N OUTDIR [--per-file K] [--seed S]

OUTDIR receives the files src/fNNNNN.c (K definitions each, default 1000) and
files.txt, the sorted list of their names relative to OUTDIR, one per line.
Run the tools from OUTDIR so that every name stays relative.

Shape of the code (all deterministic for a given N, K and seed):
- Definition slot i (0 <= i < N) lives in file i // K. Slot 0 is named main; most
  others are named fn_<i>. Every 50th slot is instead named shared_<m> with one of
  about N/1000 names, so each shared name is defined in about 20 places spread
  over many files (and now and then twice in one file).
- Slot i calls its heap children 3i+1, 3i+2, 3i+3 (when they exist), one later
  slot chosen at random, one shared name, one of 200 library names that are
  defined nowhere, and a few keywords followed by "(" (if, while, sizeof), which
  also count as calls. Every slot but main is thus called, calls only go to later
  slots (so the printed tree stays about log N deep), and each definition has
  6 to 9 callees.
- One definition in ten carries a caption comment with the default keyword, in
  code page 932 bytes, as real sources of this kind do.
"""

import argparse
import os
import random
import sys

CAPTION_KEYWORD = "機能:".encode("cp932")
LIBRARY = [f"lib_call_{k}" for k in range(200)]


def slot_name(i: int, shared_names: int) -> str:
    if i == 0:
        return "main"
    if i % 50 == 49:
        return f"shared_{(i // 50) % shared_names}"
    return f"fn_{i}"


def definition(i: int, n: int, shared_names: int, rng: random.Random) -> bytes:
    name = slot_name(i, shared_names)
    lines = []
    if i % 10 == 3:
        lines.append(b"/*")
        lines.append(b" * " + CAPTION_KEYWORD + b" synthetic step " + str(i).encode())
        lines.append(b" */")
    else:
        lines.append(b"/* slot " + str(i).encode() + b" */")
    lines.append(f"int {name}(int a, const char *s)".encode())
    lines.append(b"{")
    lines.append(b"\tint r = a;")
    body = []
    for child in (3 * i + 1, 3 * i + 2, 3 * i + 3):
        if child < n:
            body.append(f"\tr += {slot_name(child, shared_names)}(r, s);")
    if i + 1 < n:
        later = rng.randrange(i + 1, n)
        body.append(f"\tif (r > {i % 97})\n\t\tr -= {slot_name(later, shared_names)}(a, \"(\");")
    body.append(f"\twhile (r > 1000) r = shared_{rng.randrange(shared_names)}(r / 2, s);")
    body.append(f"\t{LIBRARY[rng.randrange(len(LIBRARY))]}(s, sizeof(r)); // done ({i})")
    rng.shuffle(body)
    lines.extend(line.encode() for line in body)
    lines.append(b"\treturn r;")
    lines.append(b"}")
    lines.append(b"")
    return b"\n".join(lines) + b"\n"


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("n", type=int, help="number of definitions")
    parser.add_argument("outdir", help="folder to write into (created)")
    parser.add_argument("--per-file", type=int, default=1000, help="definitions per file")
    parser.add_argument("--seed", type=int, default=6, help="random seed")
    args = parser.parse_args()
    if args.n < 1 or args.per_file < 1:
        parser.error("N and --per-file must be positive")

    n = args.n
    shared_names = max(1, n // 1000)
    rng = random.Random(args.seed)
    src = os.path.join(args.outdir, "src")
    os.makedirs(src, exist_ok=True)
    files = (n + args.per_file - 1) // args.per_file
    width = max(5, len(str(files - 1)))
    names = []
    for f in range(files):
        rel = f"src/f{f:0{width}d}.c"
        names.append(rel)
        first, last = f * args.per_file, min(n, (f + 1) * args.per_file)
        with open(os.path.join(args.outdir, rel), "wb") as out:
            out.write(b"/* synthetic source " + rel.encode() + b" */\n")
            out.write(b"#include <stddef.h>\n\n")
            for i in range(first, last):
                out.write(definition(i, n, shared_names, rng))
    with open(os.path.join(args.outdir, "files.txt"), "w", encoding="ascii") as out:
        out.write("".join(name + "\n" for name in sorted(names)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
