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
  queries        over random programs and queries (--root, --callers, --target,
                 --depth, NAME@FILE), the text trees, the json document, the dot
                 document and the page hold the functions and calls of a plain
                 breadth-first walk, and a line marked as already shown has its
                 calls drawn above it
Exit status 0 when the check holds, 1 with the differences otherwise, 77 when skipped.
QUENWICK_GRAPH_QUERIES sets the number of random queries (default 300).
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


def run(binary, name, folder, args, env=None, stderr=False):
    """Runs a copy of `binary` as ./name in `folder`; returns (status, stdout), and
    standard error after them when `stderr`."""
    local = os.path.join(folder, name)
    shutil.copy2(binary, local)
    try:
        proc = subprocess.run(["./" + name] + args, cwd=folder, env=env,
                              stdout=subprocess.PIPE, timeout=120,
                              stderr=subprocess.PIPE if stderr else subprocess.DEVNULL)
    finally:
        os.remove(local)
    return (proc.returncode, proc.stdout) + ((proc.stderr,) if stderr else ())


# The messages of an input that gives nothing to read, in both encodings: a file,
# a directory without a source file, a response file.
UNREAD_MESSAGES = [text.encode(encoding) for text in (
    " ファイルが見つかりません。",
    " ソースファイルが見つかりません。",
    " って名前のファイルはないぞ")
    for encoding in ("cp932", "utf-8")]


def check_same_tree(quenwick, graph):
    """Where an input cannot be read, quenwick-graph fails with nothing on standard
    output, and prints quenwick's tree with --keep-going."""
    failures = 0
    for label, folder, args, env in Inputs(quenwick):
        want = run(quenwick, "quenwick", folder, args, env or None)
        status, out, err = run(graph, "quenwick-graph", folder, ["--scan=quenwick"] + args, env or None,
                               stderr=True)
        got = (status, out)
        if want != got and status == 1 and out == b"" and any(m in err for m in UNREAD_MESSAGES):
            got = run(graph, "quenwick-graph", folder, ["--scan=quenwick", "--keep-going"] + args, env or None)
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


class Program:
    """A random program: files of definitions, each on lines of its own, calling
    one another (cycles and self-calls among them), names defined in several files
    or twice in one file, and names defined nowhere. Records are in the order the
    scan finds them; calls are resolved as the tree resolves them."""

    NAMES = ["main", "a", "b", "c", "d", "e", "f", "g", "h", "k", "m", "n", "p", "q"]

    def __init__(self, rng):
        self.records = []  # (name, file, line, callee names in order)
        self.texts = {}
        for index in range(rng.randint(1, 4)):
            file = "f%d.c" % index
            lines = []
            for _ in range(rng.randint(1, 7)):
                name = rng.choice(self.NAMES)
                callees = rng.sample(self.NAMES + ["ext1", "ext2"], rng.randint(0, 6))
                if rng.random() < 0.2:
                    callees.append(name)
                callees = list(dict.fromkeys(callees))
                self.records.append((name, file, len(lines) + 1, callees))
                body = " ".join("%s(%d);" % (callee, i) for i, callee in enumerate(callees))
                lines += ["int %s(void)" % name, "{", "    " + body, "}"]
            self.texts[file] = "\n".join(lines) + "\n"
        self.files = sorted(self.texts)
        self.calls = [[self.resolve(r, name) for name in self.records[r][3]]
                      for r in range(len(self.records))]

    def resolve(self, caller, name):
        """(name, candidates) of a call: definitions in the caller's file, if any,
        else all of them."""
        same = [r for r, rec in enumerate(self.records)
                if rec[0] == name and rec[1] == self.records[caller][1]]
        return name, same or [r for r, rec in enumerate(self.records) if rec[0] == name]

    def resolved(self, r):
        return [c[0] for _, c in self.calls[r] if len(c) == 1]

    def callers(self, r):
        return [c for c in range(len(self.records)) if r in self.resolved(c)]

    def tree_roots(self):
        called = {name for rec in self.records for name in rec[3]}
        order = sorted(range(len(self.records)), key=lambda r: self.records[r][0] != "main")
        return [r for r in order if self.records[r][0] not in called]

    def named(self, given):
        name, _, file = given.partition("@")
        return [r for r, rec in enumerate(self.records) if rec[0] == name and file in ("", rec[1])]


def reaches(program, start, goal, avoid=lambda r: False):
    """True when resolved calls lead from `start` to a record for which `goal` holds,
    passing no record for which `avoid` holds."""
    seen, pending = {start}, [start]
    while pending:
        r = pending.pop()
        if goal(r):
            return True
        for s in program.resolved(r):
            if s not in seen and not avoid(s):
                seen.add(s)
                pending.append(s)
    return False


def walk(starts, limit, children):
    """Breadth-first distances from `starts`, following `children(r)` from the
    records nearer than `limit`."""
    distance = {}
    pending = []
    for r in starts:
        if r not in distance:
            distance[r] = 0
            pending.append(r)
    for r in pending:
        if distance[r] < limit:
            for s in children(r):
                if s not in distance:
                    distance[s] = distance[r] + 1
                    pending.append(s)
    return distance


def expected(program, query):
    """What the query selects: the roots of both kinds of tree, the functions, the
    calls (caller, callee) of each kind of tree, and the calls of names without one
    definition (caller, name, kind)."""
    limit = query.get("depth", float("inf"))
    targets = {r for given in query.get("target", []) for r in program.named(given)}
    target_names = {program.records[t][0] for t in targets}

    def follows(u, v):
        if not targets:
            return True
        if u in targets:  # a way ends at a target, unless it goes on to another one
            own = program.records[u][0]
            return v == u or reaches(program, v, lambda r: r in targets,
                                     lambda r: program.records[r][0] == own)
        return reaches(program, v, lambda r: r in targets)

    roots = [r for given in query.get("root", []) for r in program.named(given)]
    if not roots and not query.get("callers"):
        roots = program.tree_roots()
    roots = [r for r in roots if not targets or reaches(program, r, lambda r: r in targets)]
    down = walk(roots, limit, lambda u: [v for v in program.resolved(u) if follows(u, v)])
    calls = {(u, v) for u in down if down[u] < limit for v in program.resolved(u) if follows(u, v)}
    names = set()
    for u in down:
        for name, candidates in program.calls[u] if down[u] < limit else []:
            if not candidates and not targets:
                names.add((u, name, "undefined"))
            elif len(candidates) > 1 and (not targets or (
                    name in target_names and (u not in targets or name != program.records[u][0]))):
                names.add((u, name, "several"))
    caller_roots = [r for given in query.get("callers", []) for r in program.named(given)]
    up = walk(caller_roots, limit, program.callers)
    callers = {(c, r) for r in up if up[r] < limit for c in program.callers(r)}
    return {"roots": roots, "caller_roots": caller_roots, "functions": set(down) | set(up),
            "calls": calls, "callers": callers, "names": names}


def random_query(program, rng):
    """Options for a random query, and the query as a dict."""
    def given():
        r = rng.randrange(len(program.records))
        name, file = program.records[r][:2]
        return name + ("@" + file if rng.random() < 0.3 else "")
    query = {}
    kind = rng.choice(["root", "root", "target", "callers", "depth", "both"])
    if kind in ("root", "target", "both"):
        query["root"] = [given() for _ in range(rng.randint(1, 2))]
    if kind == "target":
        if rng.random() < 0.3:
            del query["root"]
        query["target"] = [given() for _ in range(rng.randint(1, 2))]
    if kind in ("callers", "both"):
        query["callers"] = [given() for _ in range(rng.randint(1, 2))]
    if kind == "depth" or rng.random() < 0.6:
        query["depth"] = rng.choice([0, 1, 1, 2, 2, 2, 3, 3, 4, 5])
    options = ["--%s=%s" % (key, value) for key in ("root", "callers", "target")
               for value in query.get(key, [])]
    if "depth" in query:
        options.append("--depth=%d" % query["depth"])
    return options, query


QUERY_LINE = re.compile(r"^(\S+)\s+(\d*)\s.*?<(\d+)>(\w+)\(\)(\[\u518d\u5e30\]| \uff65\uff65\uff65| "
                        r"\u8907\u6570\u5b58\u5728)?$")


def read_trees(program, text):
    """The lines of text trees: (record or (kind, name), depth, marker, parent line)."""
    place = {(rec[1], rec[2], rec[0]): r for r, rec in enumerate(program.records)}
    lines, path = [], []
    for line in text.splitlines():
        m = QUERY_LINE.match(line)
        if not m:
            raise ValueError("not a tree line: %r" % line)
        column, number, depth, name, marker = m.groups()
        depth = int(depth)
        if column == "(null)":
            node = ("undefined", name)
        elif column == "???":
            node = ("several", name)
        else:
            node = place[(column, int(number), name)]
        del path[depth:]
        lines.append((node, depth, marker or "", path[-1] if path else None))
        path.append(len(lines) - 1)
    return lines


def tree_faults(lines, want, repeats_marked):
    """What the lines of one kind of tree get wrong: their calls (as parent and child
    lines), and lines marked as already shown whose calls are drawn nowhere above."""
    faults = []
    children = {}
    for node, _, _, parent in lines:
        if parent is not None and isinstance(node, int):
            children.setdefault(parent, set()).add(node)
    if set(want) != {(lines[p][0], v) for p, vs in children.items() for v in vs}:
        faults.append("calls differ")
    for i, (node, _, marker, _) in enumerate(lines):
        if not isinstance(node, int) or not marker.endswith("\uff65"):
            continue
        if not repeats_marked:
            faults.append("a repeat marked under -P")
        drawn = [children.get(j, set()) for j in range(i) if lines[j][0] == node
                 and not lines[j][2]]
        if not drawn or drawn[0] != {v for u, v in want if u == node}:
            faults.append("line %d: %s marked as shown above, but it is not" % (i, node))
    return faults


def section(lines, start, end):
    """Lines start to end of `lines`, their parents counted from start."""
    return [(node, depth, marker, None if parent is None else parent - start)
            for node, depth, marker, parent in lines[start:end]]


def page_functions(html):
    """The functions (file, line, name) that the page's data holds."""
    # The data element and the elements of its class that continue it.
    pieces = re.findall(
        rb'<script type="application/json" (?:id|class)="graph-data">([^<]*)</script>', html)
    data = json.loads(b"".join(pieces))

    def numbers(text):
        value, out = 0, []
        for ch in text:
            if ch in "WXYZabcdefghijklmnopqrstuvwxyz-_":
                value = value * 32 + "WXYZabcdefghijklmnopqrstuvwxyz-_".index(ch)
            else:
                out.append(value * 32 + "0123456789ABCDEFGHIJKLMNOPQRSTUV".index(ch))
                value = 0
        return out
    names = data["names"].split("\n") if data["names"] else []
    runs, files = numbers(data["fileRuns"]), []
    for i in range(0, len(runs), 2):
        files += [data["files"][runs[i]]] * runs[i + 1]
    lines, line = [], 0
    for step in numbers(data["lines"]):
        line += step // 2 if step % 2 == 0 else -(step // 2) - 1
        lines.append(line)
    return set(zip(files, lines, names))


def check_queries(quenwick, graph):
    failures = 0
    rng = random.Random(20261219)
    env = dict(os.environ, QUENWICK_ENCODING="UTF-8")
    for trial in range(int(os.environ.get("QUENWICK_GRAPH_QUERIES", "300"))):
        program = Program(rng)
        with tempfile.TemporaryDirectory(prefix="quenwick-graph-query-") as folder:
            for name, text in program.texts.items():
                open(os.path.join(folder, name), "w").write(text)
            # A link: the program reads its configuration beside the path it was
            # started by, and there is none here.
            os.symlink(graph, os.path.join(folder, "quenwick-graph"))
            options, query = random_query(program, rng)
            # -P draws every branch again: only with a depth, to keep trees small.
            repeats_marked = "depth" not in query or query["depth"] > 3 or rng.random() < 0.7
            args = [] if repeats_marked else ["-P"]

            def output(*extra):
                # The walk in this test resolves calls as quenwick's scan does.
                proc = subprocess.run(["./quenwick-graph", "--scan=quenwick"] + options +
                                      list(extra) + args +
                                      program.files, cwd=folder, env=env, timeout=60,
                                      stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
                if proc.returncode != 0:
                    raise ValueError("status %d" % proc.returncode)
                return proc.stdout
            want = expected(program, query)
            faults = []
            try:
                lines = read_trees(program, output().decode("utf-8"))
                split = [i for i, line in enumerate(lines) if line[1] == 0]
                split = split[len(want["roots"])] if len(split) > len(want["roots"]) else len(lines)
                trees, callers = section(lines, 0, split), section(lines, split, len(lines))
                if [l[0] for l in trees if l[1] == 0] != want["roots"]:
                    faults.append("text: roots differ")
                if [l[0] for l in callers if l[1] == 0] != want["caller_roots"]:
                    faults.append("text: callers roots differ")
                if {l[0] for l in lines if isinstance(l[0], int)} != want["functions"]:
                    faults.append("text: functions differ")
                faults += ["text: " + f for f in tree_faults(trees, want["calls"], repeats_marked)]
                reversed_callers = {(r, c) for c, r in want["callers"]}
                faults += ["text callers: " + f
                           for f in tree_faults(callers, reversed_callers, repeats_marked)]
                name_lines = {(trees[p][0], node[1], node[0]) for node, _, _, p in trees
                              if not isinstance(node, int)}
                if name_lines != want["names"]:
                    faults.append("text: calls of names differ")

                document = json.loads(output("--format=json"))
                ids = {f["id"] for f in document["functions"]}
                edges = {(f["id"], c) for f in document["functions"] for c in f["callees"]}
                names = {(f["id"], n, kind) for f in document["functions"]
                         for key, kind in (("undefined", "undefined"), ("ambiguous", "several"))
                         for n in f[key]}
                if ids != want["functions"]:
                    faults.append("json: functions differ")
                if edges != want["calls"] | want["callers"]:
                    faults.append("json: calls differ")
                if names != want["names"]:
                    faults.append("json: calls of names differ")
                if document["roots"] != want["roots"] + want["caller_roots"]:
                    faults.append("json: roots differ")

                dot = output("--format=dot").decode("utf-8")
                nodes = {int(m) for m in re.findall(r"^  f(\d+) \[", dot, re.M)}
                arrows = {(int(a), int(b)) for a, b in re.findall(r"^  f(\d+) -> f(\d+)", dot, re.M)}
                if nodes != want["functions"] or arrows != want["calls"] | want["callers"]:
                    faults.append("dot: functions or calls differ")

                if trial % 5 == 0:
                    shown = {(program.records[r][1], program.records[r][2], program.records[r][0])
                             for r in want["functions"]}
                    if page_functions(output("--format=html")) != shown:
                        faults.append("html: functions differ")
            except (ValueError, KeyError) as error:
                faults.append(str(error))
            if faults:
                failures += 1
                print("program %d, %s %s: %s\n%s" % (trial, " ".join(options), " ".join(args),
                                                    "; ".join(faults), program.texts))
    return failures


def main(argv):
    if len(argv) != 4:
        raise SystemExit(__doc__)
    check, quenwick, graph = argv[1], os.path.abspath(argv[2]), os.path.abspath(argv[3])
    failures = {"same-tree": check_same_tree, "callers": check_callers, "dot": check_dot,
                "queries": check_queries}[check](
        quenwick, graph)
    if failures is None:
        return SKIPPED
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
