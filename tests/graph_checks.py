#!/usr/bin/env python3
"""Checks of quenwick-graph against quenwick and against itself.

Usage: graph_checks.py CHECK QUENWICK_BINARY GRAPH_BINARY

CHECK is one of:
  same-tree      with no query, quenwick-graph prints quenwick's standard output,
                 over the inputs of every end-to-end case of quenwick and over
                 random programs
  callers        the edges of the --callers trees are exactly the calls of the json
                 document reversed, over the same inputs, with either scan
  dot            every dot document of those inputs (and of the graph cases) is
                 accepted by Graphviz's dot -Tsvg (skipped without Graphviz)
Exit status 0 when the check holds, 1 with the differences otherwise, 77 when skipped.
"""
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import run_case  # noqa: E402  (the case folders' layout)

SKIPPED = 77
# Case options under which the two programs are not comparable: output thrown away,
# limits meant for quenwick alone, or arguments that the second program reads as
# paths or directories by design.
UNCOMPARABLE_OPTIONS = ("stdout=", "ulimit-", "program ", "graph-check-skip ")


def cases():
    root = os.path.join(HERE, "cases")
    for name in sorted(os.listdir(root)):
        case = os.path.join(root, name)
        if os.path.isdir(case):
            yield case


def case_args(case):
    path = os.path.join(case, "args")
    return open(path, encoding="utf-8").read().splitlines() if os.path.exists(path) else []


def comparable(case):
    options = os.path.join(case, "options")
    if os.path.exists(options):
        text = open(options, encoding="utf-8").read()
        if any(line.startswith(UNCOMPARABLE_OPTIONS) for line in text.splitlines()):
            return False
    # "/x" is an option to quenwick and a path to quenwick-graph, a folder is a
    # missing file to one and a set of sources to the other, and a case without an
    # argument prints the usage text of each.
    args = case_args(case)
    return args and not any(arg.startswith("/") or "{RUN_DIR}" in arg for arg in args)


def random_program(rng, files):
    """A few files of definitions that call one another, with recursion, repeated
    branches, names defined twice, undefined callees and captions."""
    names = ["main", "f", "g", "h", "k", "m", "init", "util"]
    texts = {}
    for index in range(files):
        lines = []
        for number in range(rng.randint(1, 6)):
            name = rng.choice(names)
            callees = rng.sample(names + ["printf", "exit"], rng.randint(0, 4))
            if rng.random() < 0.3:
                lines.append("// \u6a5f\u80fd: caption %d of %s" % (number, name))
            body = " ".join("%s(%d);" % (callee, rng.randint(0, 9)) for callee in callees)
            lines.append("int %s(void)\n{\n    %s\n}\n" % (name, body))
        texts["f%d.c" % index] = "\n".join(lines)
    options = rng.sample(["-N", "-P", "-M", "-C"], rng.randint(0, 2))
    return texts, options + sorted(texts)


class Inputs:
    """Each input once: a folder prepared as the case would be, and the arguments."""

    def __init__(self, quenwick, dot_cases=False):
        self.quenwick = quenwick
        self.dot_cases = dot_cases  # also the graph cases that write dot documents

    def __iter__(self):
        for case in cases():
            if comparable(case) or (self.dot_cases and "--format=dot" in case_args(case)):
                yield from self.prepared(case)
        rng = random.Random(20261209)
        for trial in range(60):
            texts, args = random_program(rng, rng.randint(1, 3))
            with tempfile.TemporaryDirectory(prefix="quenwick-graph-check-") as folder:
                for name, text in texts.items():
                    open(os.path.join(folder, name), "wb").write(text.encode("cp932"))
                yield "random program %d" % trial, folder, args, {}

    def prepared(self, case):
        with tempfile.TemporaryDirectory(prefix="quenwick-graph-check-") as folder:
            run_case.copy_inputs(case, folder)
            env = dict(os.environ)
            env.pop("QUENWICK_ENCODING", None)
            env.update(run_case.read_options(case)["env"])
            prepare = os.path.join(case, "prepare")
            if os.path.exists(prepare):
                subprocess.run(["sh", prepare], cwd=folder, check=True,
                               env=dict(env, QUENWICK_SOURCE_DIR=os.path.dirname(HERE)))
            args = [arg.replace(run_case.RUN_DIR, folder) for arg in case_args(case)]
            yield os.path.basename(case), folder, args, env


def run(binary, name, folder, args, env=None):
    """Runs a copy of `binary` as ./name in `folder`; returns (status, stdout)."""
    local = os.path.join(folder, name)
    shutil.copy2(binary, local)
    try:
        proc = subprocess.run(["./" + name] + args, cwd=folder, env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=120)
    finally:
        os.remove(local)
    return proc.returncode, proc.stdout


def check_same_tree(quenwick, graph):
    failures = 0
    for label, folder, args, env in Inputs(quenwick):
        want = run(quenwick, "quenwick", folder, args, env or None)
        got = run(graph, "quenwick-graph", folder, ["--scan=quenwick"] + args, env or None)
        if want != got:
            failures += 1
            print("%s: quenwick-graph %s differs from quenwick (status %d, %d bytes; got "
                  "status %d, %d bytes)" % (label, args, want[0], len(want[1]), got[0], len(got[1])))
    return failures


TREE_LINE = re.compile(rb"^(\S+)\s+(\d+) .*?<(\d+)>(\w+)\(\)")


def callers_edges(text):
    """The (caller, callee) pairs of callers trees drawn with the default settings,
    each function as (file, line, name)."""
    edges, path = set(), []
    for line in text.splitlines():
        m = TREE_LINE.match(line)
        if not m:
            raise ValueError("not a tree line: %r" % line)
        node = (m.group(1), int(m.group(2)), m.group(4))
        depth = int(m.group(3))
        del path[depth:]
        if depth > 0:
            edges.add((node, path[depth - 1]))
        path.append(node)
    return edges


def check_callers(quenwick, graph):
    failures = 0
    for scan in (["--scan=c"], ["--scan=quenwick"]):
        failures += check_callers_with(quenwick, graph, scan)
    return failures


def check_callers_with(quenwick, graph, scan):
    failures = 0
    for label, folder, args, env in Inputs(quenwick):
        args = scan + args
        # The callers trees are drawn with the default settings: quenwick's own
        # options stay, but not a configuration file that restyles them.
        if os.path.exists(os.path.join(folder, "quenwick.cfg")):
            continue
        status, out = run(graph, "quenwick-graph", folder, ["--format=json"] + args, env or None)
        if status != 0:
            continue
        document = json.loads(out)
        functions = {f["id"]: f for f in document["functions"]}
        key = {i: (f["file"].encode(), f["line"], f["name"].encode()) for i, f in functions.items()}
        want = {(key[i], key[c]) for i, f in functions.items() for c in f["callees"]}
        if not functions or len(set(key.values())) != len(key):
            continue  # nothing to ask, or two definitions that the text cannot tell apart
        queries = ["--callers=%s@%s" % (f["name"], f["file"]) for f in functions.values()]
        status, out = run(graph, "quenwick-graph", folder, queries + args, env or None)
        got = callers_edges(out) if status == 0 else None
        if got != want:
            failures += 1
            print("%s: callers trees give %s, the json calls reversed give %s"
                  % (label, sorted(got or []), sorted(want)))
    return failures


def check_dot(quenwick, graph):
    if shutil.which("dot") is None:
        print("dot is not installed (Debian: graphviz)")
        return None
    failures = 0
    for label, folder, args, env in Inputs(quenwick, dot_cases=True):
        for extra in ([], ["--cluster"]) if "--format=dot" in args else (
                ["--format=dot"], ["--format=dot", "--cluster"]):
            status, out = run(graph, "quenwick-graph", folder, extra + args, env or None)
            if status != 0:
                continue
            proc = subprocess.run(["dot", "-Tsvg"], input=out, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.PIPE)
            if proc.returncode != 0:
                failures += 1
                print("%s %s: dot -Tsvg fails: %s" % (label, extra, proc.stderr.decode(errors="replace")))
    return failures


def main(argv):
    if len(argv) != 4:
        raise SystemExit(__doc__)
    check, quenwick, graph = argv[1], os.path.abspath(argv[2]), os.path.abspath(argv[3])
    failures = {"same-tree": check_same_tree, "callers": check_callers, "dot": check_dot}[check](
        quenwick, graph)
    if failures is None:
        return SKIPPED
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
