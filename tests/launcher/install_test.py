#!/usr/bin/env python3
"""Installs the build tree and runs the installed command as a user would.

Usage: install_test.py CMAKE BUILD_DIR          cmake --install into a temporary prefix
       install_test.py CPACK BUILD_DIR --deb    the .deb, unpacked into a temporary folder

Exits 77 (skipped) for --deb when the Debian packing tools are missing.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

SOURCE = b"int main(int x)\n{\n  if (x) f();\n  while (x) g(sizeof(x));\n  return 0;\n}\n"
# The tree of SOURCE with c-keywords.tbl, which the system configuration switches on.
SYSTEM_TREE = b"a.c    1 <0>main()\n(null)       |-<1>f()\n(null)       +-<1>g()\n"
TOOL = BUILD = None


class Installed(unittest.TestCase):
    tmp = bindir = None

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp)

    def project(self, files=None):
        """A fresh current directory holding a.c and `files` (name: bytes)."""
        folder = tempfile.mkdtemp(prefix="project-", dir=self.tmp)
        for name, data in dict({"a.c": SOURCE}, **(files or {})).items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
        return folder

    def env(self, encoding=None):
        """The environment with the installed command first in PATH."""
        env = dict(os.environ, PATH=self.bindir + os.pathsep + os.environ["PATH"])
        env.pop("QUENWICK_ENCODING", None)
        env.update({"QUENWICK_ENCODING": encoding} if encoding else {})
        return env

    def run_in(self, folder, args, command="quenwick", encoding=None, stdout=subprocess.PIPE):
        """Runs `command` (found through PATH unless it is a path) in `folder`."""
        return subprocess.run([command] + args, cwd=folder, env=self.env(encoding),
                              stdout=stdout, stderr=subprocess.PIPE, timeout=60)

    def test_outside_a_project_the_system_configuration_hides_keywords(self):
        # A folder named quenwick.cfg is no configuration, for the program either.
        for folder in (self.project(), self.project()):
            proc = self.run_in(folder, ["a.c"])
            self.assertEqual((proc.returncode, proc.stdout), (0, SYSTEM_TREE), proc.stderr)
            os.mkdir(os.path.join(folder, "quenwick.cfg"))

    def test_quenwick_graph_is_installed_the_same_way(self):
        proc = self.run_in(self.project(), ["a.c"], command="quenwick-graph")
        self.assertEqual((proc.returncode, proc.stdout), (0, SYSTEM_TREE), proc.stderr)

    def test_quenwick_lsp_is_installed_the_same_way(self):
        proc = self.run_in(self.project(), ["--version"], command="quenwick-lsp")
        self.assertEqual((proc.returncode, proc.stdout), (0, b"quenwick-lsp 14.42\n"), proc.stderr)


class PrefixInstall(Installed):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="quenwick-install-")
        prefix = os.path.realpath(os.path.join(cls.tmp, "prefix"))  # as the launcher sees it
        subprocess.run([TOOL, "--install", BUILD, "--prefix", prefix], check=True,
                       stdout=subprocess.DEVNULL)
        cls.bindir, cls.etc = os.path.join(prefix, "bin"), os.path.join(prefix, "etc")
        cls.program = os.path.join(prefix, "lib/quenwick/quenwick")

    def test_a_project_configuration_wins(self):
        folder = self.project({"own.tbl": b"g\n", "quenwick.cfg":
                               b'twig3 = "  ==>"\ntwig4 = "  `->"\nsystemfunc = "own.tbl"\n'})
        # Its twigs and its own table; keywords are calls again, the system table unread.
        self.assertEqual(self.run_in(folder, ["a.c"]).stdout,
                         b"a.c    1 <0>main()\n(null)     ==><1>if()\n(null)     ==><1>f()\n"
                         b"(null)     ==><1>while()\n(null)     `-><1>sizeof()\n")
        os.remove(os.path.join(folder, "own.tbl"))  # looked up as ./own.tbl
        proc = self.run_in(folder, ["a.c"], encoding="UTF-8")
        self.assertEqual(proc.returncode, 1)
        self.assertIn("システム関数名のファイル ./own.tbl がない！".encode(), proc.stderr)

    def test_a_missing_table_named_by_the_system_configuration_ends_the_run(self):
        config = os.path.join(self.etc, "quenwick/quenwick.cfg")
        shutil.copy2(config, config + ".shipped")
        self.addCleanup(os.replace, config + ".shipped", config)
        with open(config, "ab") as f:
            f.write(b'systemfunc = "missing.tbl"\n')
        proc = self.run_in(self.project(), ["a.c"])
        message = "システム関数名のファイル %s/missing.tbl がない！\n\a" % os.path.dirname(self.program)
        self.assertEqual((proc.returncode, proc.stdout), (1, b""))
        self.assertTrue(proc.stderr.endswith(message.encode("cp932")), proc.stderr)

    def test_streams_status_and_signals_pass_through(self):
        folder = self.project()
        # The same bytes and status as the installed program started by its own path:
        # usage (status 1), a missing source, a failed write of the tree (status 1).
        for args, out in (([], None), (["a.c", "b.c"], None), (["a.c"], "/dev/full")):
            with open(out or os.devnull, "wb") as sink:
                stdout = sink if out else subprocess.PIPE
                got = [(p.returncode, p.stdout, p.stderr) for p in (
                    self.run_in(folder, args, stdout=stdout),
                    self.run_in(folder, args, command=self.program, stdout=stdout))]
            self.assertEqual(got[0], got[1], args)
        # The launcher is replaced by the program, which a signal ends as usual. A fifo
        # with a writer keeps the program reading.
        os.mkfifo(os.path.join(folder, "pipe.c"))
        held = os.open(os.path.join(folder, "pipe.c"), os.O_RDWR)
        self.addCleanup(os.close, held)
        proc = subprocess.Popen(["quenwick", "pipe.c"], cwd=folder, env=self.env(),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(proc.wait)
        self.addCleanup(proc.kill)
        exe = "/proc/%d/exe" % proc.pid
        for _ in range(3000):
            if os.path.realpath(exe) == self.program:
                break
            time.sleep(0.01)
        self.assertEqual(os.path.realpath(exe), self.program)
        proc.send_signal(signal.SIGTERM)
        self.assertEqual(proc.wait(timeout=30), -signal.SIGTERM)

    def test_staged_for_usr_the_configuration_goes_to_etc(self):
        stage = os.path.join(self.tmp, "stage")
        subprocess.run([TOOL, "--install", BUILD, "--prefix", "/usr"], check=True,
                       stdout=subprocess.DEVNULL, env=dict(os.environ, DESTDIR=stage))
        link = os.path.join(stage, "usr/lib/quenwick/quenwick.cfg")
        self.assertEqual(os.readlink(link), "../../../etc/quenwick/quenwick.cfg")
        self.assertTrue(os.path.samefile(link, os.path.join(stage, "etc/quenwick/quenwick.cfg")))


class DebPackage(Installed):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="quenwick-deb-")
        subprocess.run([TOOL, "-G", "DEB", "--config", os.path.join(BUILD, "CPackConfig.cmake"),
                        "-B", cls.tmp], check=True, stdout=subprocess.DEVNULL)
        [cls.deb] = [os.path.join(cls.tmp, n) for n in os.listdir(cls.tmp) if n.endswith(".deb")]
        subprocess.run(["dpkg-deb", "-x", cls.deb, os.path.join(cls.tmp, "root")], check=True)
        cls.bindir = os.path.join(cls.tmp, "root/usr/bin")

    def test_the_system_configuration_is_a_conffile(self):
        conffiles = subprocess.run(["dpkg-deb", "-I", self.deb, "conffiles"], check=True,
                                   stdout=subprocess.PIPE).stdout
        self.assertEqual(conffiles, b"/etc/quenwick/quenwick.cfg\n")


def main():
    global TOOL, BUILD
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    TOOL, BUILD = sys.argv[1], os.path.abspath(sys.argv[2])
    case = DebPackage if "--deb" in sys.argv[3:] else PrefixInstall
    missing = [t for t in ("dpkg-deb", "dpkg-shlibdeps", "file") if not shutil.which(t)]
    if case is DebPackage and missing:
        print("skipped: packing the .deb needs %s (apt-get install dpkg-dev file)" % missing)
        return 77
    suite = unittest.defaultTestLoader.loadTestsFromTestCase(case)
    return 0 if unittest.TextTestRunner(verbosity=2).run(suite).wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
