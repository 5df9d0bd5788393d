#!/usr/bin/env python3
"""Runs one end-to-end case of quenwick and compares its outputs byte for byte.

Usage: run_case.py QUENWICK_BINARY CASE_DIR [--graph GRAPH_BINARY] [--update]

A case folder holds:
  args          the arguments, one per line (no line: no argument); {RUN_DIR}
                stands for the absolute path of the run folder, here and in the
                expected texts
  in/           files copied unchanged into the run folder
  in.sjis/      files written here in UTF-8, copied as code page 932 bytes
  inputs        names of shared input folders under tests/inputs/, one per line,
                copied first (a folder named *.sjis is converted like in.sjis/)
  prepare       optional shell script run in the run folder before the program;
                QUENWICK_SOURCE_DIR names the repository's top folder there
  check         optional shell script run in the run folder after the program;
                the case fails when it exits non-zero (it checks files left behind)
  stdout        expected standard output  (UTF-8 here; compared as code page 932)
  stderr        expected standard error   (likewise)
  stdout.raw    expected standard output compared without any conversion
  stderr.raw    likewise for standard error
  status        expected exit status (default 0)
  options       optional lines: stdout=null (send standard output to /dev/null),
                stdout=full (send it to /dev/full, where every write fails),
                utf8 (expected texts are compared as UTF-8, unconverted),
                env NAME=VALUE, ulimit-s KB, ulimit-v KB, timeout SECONDS,
                program quenwick-graph (run GRAPH_BINARY, copied as ./quenwick-graph),
                graph-check-skip REASON (tests/graph_checks.py leaves the case out)
In expected texts and in.sjis files, the character U+2407 stands for the BEL byte.
A missing expected file means empty output. The binary is copied into a fresh
temporary folder with the inputs and started there as ./quenwick.
"""
import os
import resource
import shutil
import subprocess
import sys
import tempfile

BELL = "\u2407"
RUN_DIR = "{RUN_DIR}"
SKIPPED = 77  # exit status that CTest counts as a skipped test
REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def to_bytes(text, utf8):
    text = text.replace(BELL, "\a")
    return text.encode("utf-8") if utf8 else text.encode("cp932")


def read_options(case):
    opts = {"env": {}, "stdout_null": False, "utf8": False, "timeout": 60,
            "ulimit_s": None, "ulimit_v": None, "program": "quenwick"}
    path = os.path.join(case, "options")
    if not os.path.exists(path):
        return opts
    for line in open(path, encoding="utf-8").read().splitlines():
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        if line == "stdout=null":
            opts["stdout_null"] = "/dev/null"
        elif line == "stdout=full":
            opts["stdout_null"] = "/dev/full"
        elif line == "utf8":
            opts["utf8"] = True
        elif line.startswith("env "):
            name, _, value = line[4:].partition("=")
            opts["env"][name] = value
        elif line.startswith("ulimit-s "):
            opts["ulimit_s"] = int(line.split()[1])
        elif line.startswith("ulimit-v "):
            opts["ulimit_v"] = int(line.split()[1])
        elif line.startswith("timeout "):
            opts["timeout"] = int(line.split()[1])
        elif line == "program quenwick-graph":
            opts["program"] = "quenwick-graph"
        elif line.startswith("graph-check-skip "):
            pass
        else:
            raise SystemExit("unknown option line in %s: %r" % (path, line))
    return opts


def copy_folder(src_dir, run_dir, convert):
    for root, _, files in os.walk(src_dir):
        for name in files:
            src = os.path.join(root, name)
            dst = os.path.join(run_dir, os.path.relpath(src, src_dir))
            os.makedirs(os.path.dirname(dst), exist_ok=True)
            if convert:
                text = open(src, encoding="utf-8", newline="").read()
                open(dst, "wb").write(to_bytes(text, False))
            else:
                shutil.copy2(src, dst)


def copy_inputs(case, run_dir):
    shared = os.path.join(case, "inputs")
    if os.path.exists(shared):
        for name in open(shared, encoding="utf-8").read().split():
            copy_folder(os.path.join(REPO, "tests", "inputs", name), run_dir, name.endswith(".sjis"))
    plain = os.path.join(case, "in")
    if os.path.isdir(plain):
        shutil.copytree(plain, run_dir, dirs_exist_ok=True, symlinks=True)
    sjis = os.path.join(case, "in.sjis")
    if os.path.isdir(sjis):
        copy_folder(sjis, run_dir, True)


def expected(case, stream, utf8, run_dir):
    raw = os.path.join(case, stream + ".raw")
    if os.path.exists(raw):
        return open(raw, "rb").read()
    path = os.path.join(case, stream)
    if os.path.exists(path):
        text = open(path, encoding="utf-8", newline="").read()
        return to_bytes(text.replace(RUN_DIR, run_dir), utf8)
    return b""


def limiter(opts):
    def apply():
        if opts["ulimit_s"] is not None:
            kb = opts["ulimit_s"] * 1024
            resource.setrlimit(resource.RLIMIT_STACK, (kb, kb))
        if opts["ulimit_v"] is not None:
            kb = opts["ulimit_v"] * 1024
            resource.setrlimit(resource.RLIMIT_AS, (kb, kb))
    return apply


def show(data, utf8):
    try:
        return data.decode("utf-8" if utf8 else "cp932")
    except UnicodeDecodeError:
        return repr(data)


def sanitized(binary):
    """True for a build with AddressSanitizer, which cannot start under an address-space limit."""
    with open(binary, "rb") as f:
        return b"__asan_init" in f.read()


def run(binary, case, update, graph=None):
    opts = read_options(case)
    if opts["program"] == "quenwick-graph":
        if graph is None:
            raise SystemExit("case %s runs quenwick-graph: give --graph" % case)
        binary = graph
    if opts["ulimit_v"] is not None and sanitized(binary):
        print("case %s skipped: no address-space limit for a sanitizer build" % os.path.basename(case))
        return SKIPPED
    args_path = os.path.join(case, "args")
    args = open(args_path, encoding="utf-8").read().splitlines() if os.path.exists(args_path) else []
    with tempfile.TemporaryDirectory(prefix="quenwick-case-") as run_dir:
        args = [arg.replace(RUN_DIR, run_dir) for arg in args]
        copy_inputs(case, run_dir)
        shutil.copy2(binary, os.path.join(run_dir, opts["program"]))
        env = dict(os.environ)
        env.pop("QUENWICK_ENCODING", None)
        env.update(opts["env"])
        prepare = os.path.join(case, "prepare")
        if os.path.exists(prepare):
            prepare_env = dict(env, QUENWICK_SOURCE_DIR=REPO)
            subprocess.run(["sh", prepare], cwd=run_dir, check=True, env=prepare_env)
        sink = open(opts["stdout_null"], "wb") if opts["stdout_null"] else None
        try:
            proc = subprocess.run(["./" + opts["program"]] + args, cwd=run_dir,
                                  stdout=sink if sink else subprocess.PIPE,
                                  stderr=subprocess.PIPE, env=env, timeout=opts["timeout"],
                                  preexec_fn=limiter(opts))
        finally:
            if sink:
                sink.close()
        check = os.path.join(case, "check")
        checked = None
        if os.path.exists(check):
            checked = subprocess.run(["sh", check], cwd=run_dir, env=env,
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    out = proc.stdout if proc.stdout is not None else b""
    status_path = os.path.join(case, "status")
    want_status = int(open(status_path).read().strip()) if os.path.exists(status_path) else 0
    if update:
        write_expected(case, "stdout", out.replace(run_dir.encode(), RUN_DIR.encode()), opts["utf8"])
        write_expected(case, "stderr", proc.stderr.replace(run_dir.encode(), RUN_DIR.encode()),
                       opts["utf8"])
        if proc.returncode != 0:
            open(status_path, "w").write("%d\n" % proc.returncode)
        elif os.path.exists(status_path):
            os.remove(status_path)
        return 0
    failures = []
    if checked is not None and checked.returncode != 0:
        failures.append("check failed:\n" + checked.stdout.decode("utf-8", "replace"))
    if proc.returncode != want_status:
        failures.append("exit status %d, expected %d" % (proc.returncode, want_status))
    for stream, got in (("stdout", out), ("stderr", proc.stderr)):
        if opts["stdout_null"] and stream == "stdout":
            continue
        want = expected(case, stream, opts["utf8"], run_dir)
        if got != want:
            failures.append("%s differs\n--- expected\n%s\n--- got\n%s" % (stream, show(want, opts["utf8"]), show(got, opts["utf8"])))
    if failures:
        print("case %s FAILED:\n%s" % (os.path.basename(case), "\n".join(failures)))
        return 1
    return 0


def write_expected(case, stream, data, utf8):
    for name in (stream, stream + ".raw"):
        path = os.path.join(case, name)
        if os.path.exists(path):
            os.remove(path)
    if not data:
        return
    try:
        text = data.decode("utf-8" if utf8 else "cp932")
        if to_bytes(text.replace("\a", BELL), utf8) != data or BELL in text:
            raise UnicodeDecodeError("cp932", data, 0, 1, "round trip")
        open(os.path.join(case, stream), "w", encoding="utf-8", newline="").write(text.replace("\a", BELL))
    except UnicodeDecodeError:
        open(os.path.join(case, stream + ".raw"), "wb").write(data)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    extra = sys.argv[3:]
    graph = os.path.abspath(extra[extra.index("--graph") + 1]) if "--graph" in extra else None
    sys.exit(run(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), "--update" in extra, graph))
