#!/usr/bin/env python3
"""Runs one end-to-end case of quenwick and compares its outputs byte for byte.

Usage: run_case.py QUENWICK_BINARY CASE_DIR [--graph GRAPH_BINARY] [--update]
       run_case.py --wine PREFIX QUENWICK_EXE CASE_DIR [--graph GRAPH_EXE]
       run_case.py --wine PREFIX --make-prefix | --stop-prefix

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
                windows-skip REASON (the case cannot hold on Windows: skipped
                there with the reason), windows-only REASON (skipped on Linux),
                console (Windows: standard input and output are a terminal,
                which becomes the program's console),
                program quenwick-graph (run GRAPH_BINARY, copied as ./quenwick-graph),
                in-place (start the binary where the build put it, by its absolute
                path, instead of a copy in the run folder: it reads the
                configuration and tables beside it there),
                graph-check-skip REASON (tests/graph_checks.py leaves the case out)
  console       with the console option: what the terminal shows, escape
                sequences and CRs left out (UTF-8 here; compared as code page 932)
  command-line  Windows only, instead of args: the arguments as typed after the
                program's name at a command prompt, quotes and all; the runner
                puts them into a batch file run by cmd.exe, so that the program
                gets this very command line
In expected texts and in.sjis files, the character U+2407 stands for the BEL byte.
A missing expected file means empty output. The binary is copied into a fresh
temporary folder with the inputs and started there as ./quenwick (unless the case
says in-place), so that no configuration but the case's own reaches it.

With --wine, the binary is a Windows build, copied as quenwick.exe and started by
Wine in the Wine prefix PREFIX (--make-prefix makes a fresh one, --stop-prefix
ends its Wine server). Every line feed of the expected texts must come out as
CR LF (text mode), {RUN_DIR} stands for the run folder's Windows path (Z:...), and
standard input is empty, so that the program has no console unless the case
asks for one.
"""
import fcntl
import os
import pty
import re
import resource
import select
import shutil
import struct
import subprocess
import sys
import tempfile
import termios
import threading

BELL = "\u2407"
RUN_DIR = "{RUN_DIR}"
SKIPPED = 77  # exit status that CTest counts as a skipped test
REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def to_bytes(text, utf8):
    text = text.replace(BELL, "\a")
    return text.encode("utf-8") if utf8 else text.encode("cp932")


def read_options(case):
    opts = {"env": {}, "stdout_null": False, "utf8": False, "timeout": 60,
            "ulimit_s": None, "ulimit_v": None, "windows_skip": None, "windows_only": None,
            "console": False, "program": "quenwick", "in_place": False}
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
        elif line.startswith("windows-skip "):
            opts["windows_skip"] = line[len("windows-skip "):].strip()
        elif line.startswith("windows-only "):
            opts["windows_only"] = line[len("windows-only "):].strip()
        elif line == "console":
            opts["console"] = True
        elif line == "program quenwick-graph":
            opts["program"] = "quenwick-graph"
        elif line == "in-place":
            opts["in_place"] = True
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


class Wine:
    """Wine with one prefix: runs the Windows build of the program."""

    def __init__(self, prefix):
        self.prefix = os.path.abspath(prefix)
        self.wine = find_program("WINE", ["wine64", "/usr/lib/wine/wine64"])
        self.server = find_program("WINESERVER", ["wineserver", "/usr/lib/wine/wineserver"])

    def environment(self, env):
        """`env` for a Wine program: this prefix, no debug output, no display (so no
        dialog), and no offer to install Mono or Gecko."""
        env = dict(env, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                   WINEDLLOVERRIDES="mscoree,mshtml=")
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
        return env

    def make_prefix(self):
        """Makes a fresh prefix, replacing an old one, and waits until Wine is done."""
        self.stop()
        shutil.rmtree(self.prefix, ignore_errors=True)
        os.makedirs(os.path.dirname(self.prefix), exist_ok=True)
        env = self.environment(os.environ)
        made = subprocess.run([self.wine, "wineboot", "-i"], env=env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=600)
        subprocess.run([self.server, "-w"], env=env, timeout=600)
        if made.returncode != 0 or not os.path.isdir(os.path.join(self.prefix, "drive_c")):
            print(made.stdout.decode("utf-8", "replace"))
            raise SystemExit("could not make the Wine prefix %s" % self.prefix)

    def stop(self):
        """Ends the Wine server of the prefix, and with it every program left in it."""
        if os.path.isdir(self.prefix):
            subprocess.run([self.server, "-k"], env=self.environment(os.environ))

    @staticmethod
    def windows_path(path):
        """The path Windows programs see for the Linux path `path` (drive Z: is /)."""
        return "Z:" + path.replace("/", "\\")

    def command(self, run_dir, program, args, command_line):
        """The command that starts `program` in `run_dir` with `args`, or with the
        raw `command_line` through a batch file."""
        if command_line is None:
            return [self.wine, program] + args
        with open(os.path.join(run_dir, "run.cmd"), "wb") as batch:
            batch.write(("@%s %s\r\n" % (program, command_line)).encode("cp932"))
        return [self.wine, "cmd.exe", "/c", "run.cmd"]


def find_program(variable, candidates):
    """The program named by the environment variable, or the first candidate found."""
    if os.environ.get(variable):
        return os.environ[variable]
    for candidate in candidates:
        found = shutil.which(candidate)
        if found:
            return found
    raise SystemExit("%s not found (apt-get install wine64), or set %s" % (candidates[0], variable))


# Escape sequences a terminal obeys rather than shows: CSI, OSC, character sets, modes.
ESCAPES = re.compile(rb"\x1b\[[0-9;?]*[ -/]*[@-~]|\x1b\][^\x07\x1b]*(?:\x07|\x1b\\)"
                     rb"|\x1b[()][0-9A-Za-z]|\x1b[=>78]")


def run_on_terminal(command, run_dir, env, opts):
    """Runs `command` with standard input and output on a new pseudo-terminal and
    standard error on a pipe. Returns the exit status, standard error and what the
    terminal showed, without escape sequences and CRs."""
    master, slave = pty.openpty()
    fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 50, 200, 0, 0))
    screen = []
    finished = threading.Event()

    def read_screen():
        # Reads until the terminal is closed, or is quiet for a while after the run.
        while True:
            ready, _, _ = select.select([master], [], [], 1.0 if finished.is_set() else 0.1)
            if not ready:
                if finished.is_set():
                    return
                continue
            try:
                data = os.read(master, 65536)
            except OSError:
                return
            if not data:
                return
            screen.append(data)

    reader = threading.Thread(target=read_screen, daemon=True)
    reader.start()
    try:
        proc = subprocess.run(command, cwd=run_dir, stdin=slave, stdout=slave,
                              stderr=subprocess.PIPE, env=env, timeout=opts["timeout"])
    finally:
        os.close(slave)
        finished.set()
        reader.join(timeout=10)
        os.close(master)
    shown = ESCAPES.sub(b"", b"".join(screen)).replace(b"\r", b"")
    return proc.returncode, b"", proc.stderr, shown


def run_program(command, run_dir, env, opts, wine):
    """Runs the program once. Returns its exit status, standard output and standard
    error, and what its terminal showed (None when it had none)."""
    if opts["console"]:
        return run_on_terminal(command, run_dir, env, opts)
    sink = open(opts["stdout_null"], "wb") if opts["stdout_null"] else None
    try:
        proc = subprocess.run(command, cwd=run_dir,
                              stdin=subprocess.DEVNULL if wine else None,
                              stdout=sink if sink else subprocess.PIPE,
                              stderr=subprocess.PIPE, env=env, timeout=opts["timeout"],
                              preexec_fn=limiter(opts))
    finally:
        if sink:
            sink.close()
    return proc.returncode, proc.stdout if proc.stdout is not None else b"", proc.stderr, None


def skip_reason(opts, binary, wine):
    """Why the case cannot run with this build, or None."""
    if wine is None and opts["windows_only"] is not None:
        return "Windows only: " + opts["windows_only"]
    if wine is not None and opts["windows_skip"] is not None:
        return "not on Windows: " + opts["windows_skip"]
    if opts["ulimit_v"] is not None and sanitized(binary):
        return "no address-space limit for a sanitizer build"
    return None


def run(binary, case, update, wine=None, graph=None):
    opts = read_options(case)
    if opts["program"] == "quenwick-graph":
        if graph is None:
            raise SystemExit("case %s runs quenwick-graph: give --graph" % case)
        binary = graph
    reason = skip_reason(opts, binary, wine)
    if reason is not None:
        print("case %s skipped: %s" % (os.path.basename(case), reason))
        return SKIPPED
    if update and wine is not None:
        raise SystemExit("--update takes the expected texts from the Linux build only")
    args_path = os.path.join(case, "args")
    args = open(args_path, encoding="utf-8").read().splitlines() if os.path.exists(args_path) else []
    line_path = os.path.join(case, "command-line")
    command_line = None
    if os.path.exists(line_path):
        if opts["windows_only"] is None:
            raise SystemExit("%s: a command-line file needs a windows-only line in options" % case)
        command_line = open(line_path, encoding="utf-8").read().rstrip("\r\n")
    with tempfile.TemporaryDirectory(prefix="quenwick-case-") as run_dir:
        shown_dir = Wine.windows_path(run_dir) if wine else run_dir
        args = [arg.replace(RUN_DIR, shown_dir) for arg in args]
        copy_inputs(case, run_dir)
        env = dict(os.environ)
        env.pop("QUENWICK_ENCODING", None)
        env.update(opts["env"])
        prepare = os.path.join(case, "prepare")
        if os.path.exists(prepare):
            prepare_env = dict(env, QUENWICK_SOURCE_DIR=REPO)
            subprocess.run(["sh", prepare], cwd=run_dir, check=True, env=prepare_env)
        if wine:
            program = opts["program"] + ".exe"
            shutil.copy2(binary, os.path.join(run_dir, program))
            command = wine.command(run_dir, program, args, command_line)
            env = wine.environment(env)
        elif opts["in_place"]:
            command = [binary] + args
        else:
            shutil.copy2(binary, os.path.join(run_dir, opts["program"]))
            command = ["./" + opts["program"]] + args
        status, out, err, screen = run_program(command, run_dir, env, opts, wine)
        # Wine that fails to start the program (seen under load) ends with a status
        # and no output at all: once or twice more, where the case expects output.
        for _ in range(2):
            if not (wine and not update and status != 0 and not out and not err and screen is None):
                break
            if not (expected(case, "stdout", opts["utf8"], shown_dir) or
                    expected(case, "stderr", opts["utf8"], shown_dir)):
                break
            status, out, err, screen = run_program(command, run_dir, env, opts, wine)
        check = os.path.join(case, "check")
        checked = None
        if os.path.exists(check):
            checked = subprocess.run(["sh", check], cwd=run_dir, env=env,
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    status_path = os.path.join(case, "status")
    want_status = int(open(status_path).read().strip()) if os.path.exists(status_path) else 0
    if update:
        write_expected(case, "stdout", out.replace(run_dir.encode(), RUN_DIR.encode()), opts["utf8"])
        write_expected(case, "stderr", err.replace(run_dir.encode(), RUN_DIR.encode()),
                       opts["utf8"])
        if status != 0:
            open(status_path, "w").write("%d\n" % status)
        elif os.path.exists(status_path):
            os.remove(status_path)
        return 0
    failures = []
    if checked is not None and checked.returncode != 0:
        failures.append("check failed:\n" + checked.stdout.decode("utf-8", "replace"))
    if status != want_status:
        failures.append("exit status %d, expected %d" % (status, want_status))
    streams = [("stdout", out), ("stderr", err)]
    if screen is not None:
        streams.append(("console", screen))
    for stream, got in streams:
        if opts["stdout_null"] and stream == "stdout":
            continue
        want = expected(case, stream, opts["utf8"], shown_dir)
        if wine and stream != "console":
            want = want.replace(b"\n", b"\r\n")  # text mode
        if got != want:
            failures.append("%s differs\n--- expected\n%s\n--- got\n%s" % (
                stream, show(want, opts["utf8"]), show(got, opts["utf8"])))
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


def main(argv):
    wine = None
    if argv[:1] == ["--wine"] and len(argv) >= 2:
        wine = Wine(argv[1])
        argv = argv[2:]
        if argv == ["--make-prefix"]:
            wine.make_prefix()
            return 0
        if argv == ["--stop-prefix"]:
            wine.stop()
            return 0
    if len(argv) < 2:
        raise SystemExit(__doc__)
    extra = argv[2:]
    graph = os.path.abspath(extra[extra.index("--graph") + 1]) if "--graph" in extra else None
    return run(os.path.abspath(argv[0]), os.path.abspath(argv[1]), "--update" in extra, wine, graph)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
