#!/usr/bin/env python3
"""Runs the examples of README.md against a build and compares their output.

Usage: readme_check.py PROGRAM_DIR [README]     PROGRAM_DIR: where the build put quenwick
       readme_check.py --self-test               the checker against made-up READMEs

Which blocks are checked: a fenced code block (```) whose first line starts with
"$ " holds examples. Each of its lines that starts with "$ " is a command, and
the lines after it, up to the next "$ " line or the closing fence, are exactly
what the command writes on standard output, tabs and blanks included (no line:
no output). Other blocks, such as the ```sh blocks of commands to type, are not
run.

Each command runs under sh in a fresh temporary folder holding a copy of the
repository's samples/ and, named build, a symbolic link to PROGRAM_DIR: so
./build/quenwick is the program under test, started by that path and reading the
configuration that the build put beside it, as after the README's first command.
QUENWICK_ENCODING is unset unless the command sets it. A command passes when it
ends with status 0, writes nothing on standard error (an example sends what it
does not show to /dev/null, so that the block is all that a terminal shows) and
writes the block's text on standard output.

One more rule: the README's first command (the first line of its first code
block) ends with the command of the first example, so that the first run prints
the tree that the README shows.
Exit status 0 when everything holds, 1 with the differences otherwise.
"""
import os
import shutil
import subprocess
import sys
import tempfile

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FENCE = "```"
PROMPT = "$ "


class Example:
    def __init__(self, line, command):
        self.line = line  # line number of the command in the README
        self.command = command
        self.output = []  # the lines shown below the command


def code_blocks(text):
    """The fenced blocks of `text` as (line number of the first line, lines)."""
    blocks, current, start = [], None, 0
    for number, line in enumerate(text.split("\n"), 1):
        if line.startswith(FENCE):
            if current is None:
                current, start = [], number + 1
            else:
                blocks.append((start, current))
                current = None
        elif current is not None:
            current.append(line)
    return blocks


def examples(text):
    """Every example of the blocks that start with a command."""
    found = []
    for start, lines in code_blocks(text):
        if not lines or not lines[0].startswith(PROMPT):
            continue
        for offset, line in enumerate(lines):
            if line.startswith(PROMPT):
                found.append(Example(start + offset, line[len(PROMPT):]))
            else:
                found[-1].output.append(line)
    return found


def first_command_failures(text, found):
    blocks = code_blocks(text)
    if not blocks or not blocks[0][1]:
        return ["README: no first command"]
    first = blocks[0][1][0]
    if not found:
        return ["README: no example (a block whose first line starts with %r)" % PROMPT]
    if not first.endswith(" && " + found[0].command):
        return ["README line %d: the first command does not end with the first example's "
                "command %r" % (blocks[0][0], found[0].command)]
    return []


def run_failures(example, program_dir, samples):
    """Runs one example in a fresh folder; returns what differs from the README."""
    with tempfile.TemporaryDirectory(prefix="quenwick-readme-") as folder:
        if samples:
            shutil.copytree(samples, os.path.join(folder, "samples"))
        if program_dir:
            os.symlink(program_dir, os.path.join(folder, "build"))
        env = dict(os.environ)
        env.pop("QUENWICK_ENCODING", None)
        proc = subprocess.run(["sh", "-c", example.command], cwd=folder, env=env,
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=120)
    want = "".join(line + "\n" for line in example.output).encode("utf-8")
    where = "README line %d: %s" % (example.line, example.command)
    failures = []
    if proc.returncode != 0:
        failures.append("%s: exit status %d" % (where, proc.returncode))
    if proc.stderr:
        failures.append("%s: writes on standard error:\n%s" % (
            where, proc.stderr.decode("utf-8", "replace")))
    if proc.stdout != want:
        failures.append("%s: the output differs\n--- README\n%s--- real\n%s" % (
            where, want.decode("utf-8"), proc.stdout.decode("utf-8", "replace")))
    return failures


def check(text, program_dir, samples):
    found = examples(text)
    failures = first_command_failures(text, found)
    for example in found:
        failures += run_failures(example, program_dir, samples)
    return len(found), failures


def self_test():
    """The checker finds each kind of fault in a README made for it."""
    good = ("# t\n\n```sh\nmake && printf 'a\\tb\\n'\n```\n\n```\n$ printf 'a\\tb\\n'\na\tb\n"
            "$ true\n```\n\n```sh\nnot run\n```\n")
    faults = {
        "output differs": good.replace("a\tb\n$", "a b\n$"),
        "output line missing": good.replace("a\tb\n$ true", "$ true"),
        "exit status": good.replace("$ true", "$ false"),
        "standard error": good.replace("$ true", "$ echo x >&2"),
        "first command": good.replace("make && ", "make; "),
        "no example": good.replace("$ ", "% "),
    }
    problems = []
    count, failures = check(good, None, None)
    if count != 2 or failures:
        problems.append("a correct README gives %d examples and %r" % (count, failures))
    for fault, text in faults.items():
        if not check(text, None, None)[1]:
            problems.append("not found: " + fault)
    for problem in problems:
        print("self-test: " + problem)
    return 1 if problems else 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    if len(argv) not in (2, 3):
        raise SystemExit(__doc__)
    readme = argv[2] if len(argv) == 3 else os.path.join(REPO, "README.md")
    text = open(readme, encoding="utf-8").read()
    count, failures = check(text, os.path.abspath(argv[1]), os.path.join(REPO, "samples"))
    for failure in failures:
        print(failure)
    print("%d examples of %s, %d failures" % (count, readme, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
