#!/usr/bin/env python3
"""A compilation database for one folder of Linux, with the kernel's own flags.

    bench/kernel_database.py --linux=SRC --build=OUT --graph=BIN [--folder=kernel] [--bare]

Building the kernel takes hours here, so the database is written rather than made
by a build: the tree is configured out of place (`make O=OUT defconfig prepare`,
a few minutes, once), which generates the headers that the kernel's conditionals
read (autoconf.h among them); one file is compiled to learn the exact command
Kbuild gives (kernel/fork.c, from Kbuild's .cmd record), and every *.c file under
the folder gets that command, with its own folder for -I as Kbuild gives it. Files that a real build
compiles with other flags of their own (a folder's ccflags-y) differ from this.

With --bare the commands run in an empty folder beside OUT instead, as a
database copied from a tree whose generated headers were never made: autoconf.h
and the others are not found, and every CONFIG_ symbol is unknown.

Prints "TREE DATABASE LISTING" as `accuracy_compare.py --prepare-build` does: the
listing holds the database's files and the headers that the configured scan reads
as files (from its -V lines), for the unconfigured scan of the same files.
"""
import argparse
import json
import os
import shlex
import subprocess
import sys


def run(args, **kwargs):
    return subprocess.run(args, check=True, **kwargs)


def configure(linux, build):
    if os.path.exists(os.path.join(build, "include", "generated", "autoconf.h")):
        return
    os.makedirs(build, exist_ok=True)
    quiet = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
    run(["make", "-C", linux, "O=" + build, "defconfig"], **quiet)
    run(["make", "-C", linux, "O=" + build, "-j%d" % os.cpu_count(), "prepare"], **quiet)


def fork_command(linux, build):
    """The words of the command that compiles kernel/fork.c, up to its "-c"."""
    saved = os.path.join(build, "kernel", ".fork.o.cmd")  # Kbuild's record of the command
    if not os.path.exists(saved):
        run(["make", "-C", linux, "O=" + build, "kernel/fork.o"], stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
    line = next(l for l in open(saved) if l.startswith(("cmd_kernel/fork.o", "savedcmd_kernel/fork.o")))
    words = shlex.split(line.split(":=", 1)[1].split(";")[0])
    words = words[:words.index("-c")]
    # The folder's own -I pair and the file's names are set per file below.
    kept = []
    i = 0
    while i < len(words):
        if words[i] == "-I" and i + 1 < len(words) and words[i + 1].rstrip("/").endswith("kernel"):
            i += 2
            continue
        if not words[i].startswith(("-DKBUILD_", "-D__KBUILD_")):
            kept.append(words[i])
        i += 1
    return kept


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--linux", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--graph", required=True)
    parser.add_argument("--folder", default="kernel")
    parser.add_argument("--bare", action="store_true", help="run the commands where no header was generated")
    args = parser.parse_args()
    # Real paths: the scan names files relative to the folder it runs in, links followed.
    linux, build = os.path.realpath(args.linux), os.path.realpath(args.build)
    configure(linux, build)
    base = fork_command(linux, build)
    directory = build
    if args.bare:
        directory = build + "-bare"
        os.makedirs(directory, exist_ok=True)
    entries = []
    for folder, _, files in sorted(os.walk(os.path.join(linux, args.folder))):
        for name in sorted(files):
            if not name.endswith(".c"):
                continue
            rel = os.path.relpath(os.path.join(folder, name), linux)
            stem = os.path.basename(rel)[:-2]
            here = os.path.dirname(rel)
            command = base + ["-I", os.path.join(linux, here), "-I", "./" + here,
                              '-DKBUILD_MODFILE="%s"' % rel[:-2], '-DKBUILD_BASENAME="%s"' % stem,
                              '-DKBUILD_MODNAME="%s"' % stem, "-D__KBUILD_MODNAME=kmod_" + stem,
                              "-c", "-o", rel[:-2] + ".o", os.path.join(linux, rel)]
            entries.append({"directory": directory, "arguments": command, "file": os.path.join(linux, rel)})
    tag = args.folder.replace("/", "-") + ("-bare" if args.bare else "")
    database = os.path.join(build, "compile_commands-%s.json" % tag)
    with open(database, "w") as out:
        json.dump(entries, out, indent=1)
    listing = os.path.join(build, "scanned-files-%s.txt" % tag)
    trace = subprocess.run([os.path.abspath(args.graph), "--compile-commands=" + database, "--format=json", "--output=/dev/null",
                            "-V"], cwd=linux, capture_output=True, text=True).stderr
    headers = sorted({line.split(": ")[1] for line in trace.splitlines() if ": scanned as " in line})
    with open(listing, "w") as out:
        # Relative to the tree, where the scan runs (a leading "/" could read as an option).
        for path in [entry["file"] for entry in entries] + [os.path.join(linux, h) for h in headers]:
            out.write(os.path.relpath(path, linux) + "\n")
    print(linux, database, listing)


if __name__ == "__main__":
    sys.exit(main())
