#!/usr/bin/env python3
"""Lints the page's code: ESLint over the scripts of src/graph/page/ with the rules
of its .eslintrc.json, tidy over page.html.

Usage: lint_page.py
Exit status 77 (skipped) when eslint or tidy is not installed (Debian's packages
eslint and tidy; CI installs both).
"""
import glob
import os
import shutil
import subprocess
import sys

PAGE = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                    "..", "..", "src", "graph", "page"))
SKIPPED = 77


def main():
    eslint, tidy = shutil.which("eslint"), shutil.which("tidy")
    if eslint is None or tidy is None:
        print("eslint or tidy is not installed: skipped")
        return SKIPPED
    # Debian's eslint finds its modules there; a Node.js from elsewhere does not look.
    env = dict(os.environ, NODE_PATH="/usr/share/nodejs")
    scripts = sorted(os.path.basename(path) for path in glob.glob(os.path.join(PAGE, "*.js")))
    # Run inside the folder: this eslint takes no path outside its working folder.
    failed = subprocess.run([eslint, "--no-eslintrc", "-c", ".eslintrc.json",
                             "--max-warnings", "0", *scripts], cwd=PAGE, env=env).returncode != 0
    # tidy: 0 clean, 1 warnings, 2 errors.
    result = subprocess.run([tidy, "-q", "-e", os.path.join(PAGE, "page.html")])
    failed = failed or result.returncode != 0
    print("%d scripts and page.html: %s" % (len(scripts), "FAILED" if failed else "clean"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
