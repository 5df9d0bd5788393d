#!/usr/bin/env python3
"""quenwick-lsp in a real editor: headless Neovim runs tests/lsp/nvim_check.lua on a
copy of tests/lsp/project.

Usage: neovim_test.py QUENWICK_LSP
Exits 77 (skipped) without Neovim 0.7 or later, or while the C scan finds no
definitions.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SKIPPED = 77


def main(argv):
    if len(argv) != 2:
        print(__doc__)
        return 2
    nvim = shutil.which("nvim")
    if not nvim:
        print("skipped: Neovim is not installed (apt-get install neovim)")
        return SKIPPED
    version = subprocess.run([nvim, "--version"], stdout=subprocess.PIPE, text=True).stdout
    found = re.search(r"NVIM v(\d+)\.(\d+)", version)
    if not found or (int(found.group(1)), int(found.group(2))) < (0, 7):
        print("skipped: Neovim 0.7 or later is needed for its call hierarchy")
        return SKIPPED
    with tempfile.TemporaryDirectory(prefix="quenwick-nvim-") as scratch:
        project = os.path.join(scratch, "project")
        shutil.copytree(os.path.join(HERE, "project"), project)
        env = dict(os.environ, QUENWICK_LSP=os.path.abspath(argv[1]), PROJECT=project,
                   XDG_CONFIG_HOME=scratch, XDG_DATA_HOME=scratch, XDG_STATE_HOME=scratch,
                   XDG_CACHE_HOME=scratch, QUENWICK_ENCODING="UTF-8")
        run = subprocess.run([nvim, "--headless", "--clean", "-n", "-i", "NONE",
                              "-c", "luafile " + os.path.join(HERE, "nvim_check.lua")],
                             env=env, cwd=project, stdin=subprocess.DEVNULL,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
    sys.stdout.write(run.stdout.decode("utf-8", "replace"))
    sys.stderr.write(run.stderr.decode("utf-8", "replace"))
    if run.returncode == SKIPPED:
        print("skipped: the C scan finds no definitions yet")
    elif run.returncode == 0:
        print("Neovim: every check holds")
    return run.returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv))
