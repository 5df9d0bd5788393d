#!/usr/bin/env python3
"""The server's incoming calls are quenwick-graph's callers: for every function of
the test project and of Linux 6.1 kernel/, the callers that callHierarchy/incomingCalls
gives equal the functions whose "callees" in quenwick-graph's JSON hold it, for the
same files and options.

Usage: callers_invariant.py QUENWICK_GRAPH QUENWICK_LSP [FOLDER ...]

Without folders: tests/lsp/project/ and kernel/ (taken from bench/cache as the page
test takes it, and skipped when Debian's linux-source-6.1 is not installed).
Exits 77 (skipped) while quenwick-graph does not know --scan=c.
"""
import json
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(REPO, "tests", "page"))
from lsp_client import Client, uri_of  # noqa: E402

SKIPPED = 77


def graph_knows_c_scan(graph):
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "a.c"), "w") as f:
            f.write("int a(void) {\n  return 0;\n}\n")
        run = subprocess.run([graph, "--scan=c", "--list=all", folder], stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE)
        return run.returncode == 0


def graph_callers(graph, folder):
    """(file, name, line) of every function, with the sorted list of its callers."""
    run = subprocess.run([graph, "--scan=c", "--format=json", folder], stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL, check=True)
    document = json.loads(run.stdout)
    functions = {f["id"]: f for f in document["functions"]}
    callers = {i: [] for i in functions}
    for f in functions.values():
        for callee in f["callees"]:
            callers[callee].append((f["file"], f["name"], f["line"]))
    return functions, {i: sorted(c) for i, c in callers.items()}


def check(graph, server, folder):
    folder = os.path.realpath(folder)
    functions, expected = graph_callers(graph, folder)
    client = Client([server], env=dict(os.environ))
    client.initialize(folder, options={"systemFunctionTables": []})
    client.wait_scanned(600)
    wrong = 0
    for fid, function in functions.items():
        data = {"path": function["file"], "line": function["line"]}
        if "column" in function:
            data["column"] = function["column"]
        item = {"name": function["name"], "uri": uri_of(function["file"]), "data": data,
                "selectionRange": {"start": {"line": function["line"] - 1, "character": 0},
                                   "end": {"line": function["line"] - 1, "character": 0}}}
        calls = client.request("callHierarchy/incomingCalls", {"item": item})
        got = sorted((c["from"]["data"]["path"], c["from"]["name"], c["from"]["data"]["line"])
                     for c in calls)
        if got != expected[fid]:
            wrong += 1
            if wrong <= 10:
                print("%s:%d %s: server %s, quenwick-graph %s" % (
                    function["file"], function["line"], function["name"], got, expected[fid]))
    client.close()
    print("%s: %d functions, %d with other callers" % (folder, len(functions), wrong))
    return wrong == 0


def main(argv):
    if len(argv) < 3:
        print(__doc__)
        return 2
    graph, server = os.path.abspath(argv[1]), os.path.abspath(argv[2])
    if not graph_knows_c_scan(graph):
        print("skipped: quenwick-graph does not know --scan=c yet")
        return SKIPPED
    folders = argv[3:]
    if not folders:
        folders = [os.path.join(HERE, "project")]
        from kernel_page_test import kernel_tree
        tree = kernel_tree()
        if tree:
            folders.append(os.path.join(tree, "kernel"))
        else:
            print("kernel/ left out: linux-source-6.1 is not installed")
    ok = all([check(graph, server, folder) for folder in folders])
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
