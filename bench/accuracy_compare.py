#!/usr/bin/env python3
"""Accuracy of quenwick-graph's scan against Universal Ctags and gcc's call graph.

Called by bench/accuracy, which installs the tools, unpacks the system tarballs and builds
quenwick-graph; this script fetches the npm corpora, runs gcc, ctags, cflow and
quenwick-graph, compares them, prints a table and rewrites the "accuracy" section of
bench/RESULTS.md. Reference outputs (gcc's .ci files, ctags' and cflow's listings) are kept
in bench/cache/accuracy/ and reused while their inputs are unchanged; quenwick-graph runs
every time. Each corpus also leaves lists of what was missed and what was claimed beyond
the reference in bench/cache/accuracy/CORPUS/, for tuning.

    accuracy_compare.py --graph=BINARY [--jobs=N] [--peers|--no-peers] [CORPUS...]

Only the standard library is used.
"""

import argparse
import datetime
import fnmatch
import glob
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BENCH = os.path.join(ROOT, "bench")
CACHE = os.path.join(BENCH, "cache")
WORK = os.path.join(CACHE, "accuracy")
RESULTS = os.path.join(BENCH, "RESULTS.md")
LINUX = os.path.join(CACHE, "linux-source-6.1")
GLIBC = os.path.join(CACHE, "glibc-2.36")

GCC_FLAGS = ["-O0", "-fcallgraph-info", "-w"]


def log(text):
    print(f"[accuracy] {text}", file=sys.stderr, flush=True)


# --- corpora ------------------------------------------------------------------------------

class Corpus:
    """One input: where its files are, which of them to give the tools, and the reference."""

    def __init__(self, name, kind, title, tree, subdirs=(), npm=None, root=".", sources=(),
                 exclude=(), headers=(), flags=(), note="", build=None, base=None, package=None,
                 cmake_args=(), make=()):
        self.name = name
        self.kind = kind          # "ctags", "gcc" or "balance"
        self.title = title
        self.tree = tree          # folder the tools run in (set later for npm corpora)
        self.subdirs = subdirs    # ctags / balance: folders whose *.c and *.h are given
        self.npm = npm            # "package@version" fetched with npm pack
        self.root = root          # gcc: folder inside the tree (or the package) to run in
        self.sources = sources    # gcc: globs of the .c files to compile
        self.exclude = exclude    # gcc: globs of .c files left out
        self.headers = headers    # gcc: globs of the project's headers, given to the scanners
        self.flags = list(flags)  # gcc: extra compile flags
        self.note = note          # said below the table
        self.build = build        # "build" corpora: "written" (one entry per source), "cmake" or "bear"
        self.base = base          # "build": the corpus whose files a written database lists
        self.package = package    # "build" with cmake: the Debian source package
        self.cmake_args = list(cmake_args)  # "build" with cmake: options of its configuration
        self.make = [list(step) for step in make]  # "build" with bear: the build's commands, the last under bear

    def folder(self):
        if self.npm:
            return os.path.join(npm_folder(self.npm), self.root)
        return os.path.join(self.tree, self.root)


CORPORA = [
    Corpus("kernel", "ctags", "Linux 6.1 kernel/", LINUX, subdirs=["kernel"]),
    Corpus("fs", "ctags", "Linux 6.1 fs/", LINUX, subdirs=["fs"]),
    Corpus("net", "ctags", "Linux 6.1 drivers/net/", LINUX, subdirs=["drivers/net"]),
    Corpus("glibc", "ctags", "glibc 2.36", GLIBC, subdirs=["."]),
    Corpus("sqlite", "gcc", "SQLite amalgamation (better-sqlite3 13.2.0)", None,
           npm="better-sqlite3@13.2.0", root="package/deps/sqlite3", sources=["sqlite3.c"]),
    Corpus("dtc", "gcc", "Linux 6.1 scripts/dtc with libfdt", LINUX, root="scripts/dtc",
           sources=["*.c", "libfdt/*.c"], headers=["*.h", "libfdt/*.h"],
           flags=["-I.", "-Ilibfdt"],
           note="the flex and bison outputs are not generated: no hand-written file needs "
                "them, and their #line directives point into dtc-lexer.l and dtc-parser.y"),
    Corpus("lmdb", "gcc", "liblmdb (npm lmdb 3.5.6)", None, npm="lmdb@3.5.6",
           root="package/dependencies/lmdb/libraries/liblmdb", sources=["*.c"],
           headers=["*.h"], flags=["-I."]),
    Corpus("lz4", "gcc", "lz4 lib/ and programs/ (npm lz4 0.6.5)", None, npm="lz4@0.6.5",
           root="package/deps/lz4", sources=["lib/*.c", "programs/*.c"],
           headers=["lib/*.h", "programs/*.h"], flags=["-Ilib"]),
    Corpus("tree-sitter", "gcc", "tree-sitter lib/ (npm tree-sitter 0.25.1)", None,
           npm="tree-sitter@0.25.1", root="package/vendor/tree-sitter/lib",
           sources=["src/*.c"], exclude=["src/lib.c"],  # lib.c includes all the others
           headers=["include/tree_sitter/*.h", "src/*.h", "src/*/*.h"],
           flags=["-Iinclude", "-Isrc"]),
    Corpus("balance", "balance", "all of Linux 6.1 and glibc 2.36", None),
    Corpus("sqlite-build", "build", "SQLite amalgamation, a written one-entry database", None,
           build="written", base="sqlite"),
    Corpus("dtc-build", "build", "Linux 6.1 scripts/dtc with libfdt, a written database", None,
           build="written", base="dtc"),
    Corpus("json-c-build", "build", "json-c 0.16 (Debian's source), its own CMake build", None,
           build="cmake", package="json-c"),
    Corpus("mbedtls-build", "build", "Mbed TLS 2.28.3 library (Debian's source), its own CMake build",
           None, build="cmake", package="mbedtls",
           cmake_args=["-DENABLE_TESTING=OFF", "-DENABLE_PROGRAMS=OFF"]),
    Corpus("zlib-build", "build", "zlib 1.2.13 (Debian's source), configure and make under bear", None,
           build="bear", package="zlib", make=[["./configure"], ["make", "libz.a"]]),
    Corpus("bzip2-build", "build", "bzip2 1.0.8 (Debian's source), make under bear (each library file "
           "listed twice: static and shared)", None, build="bear", package="bzip2", make=[["make"]]),
    Corpus("libyaml-build", "build", "libyaml 0.2.5 (Debian's source), its own CMake build", None,
           build="cmake", package="libyaml"),
    Corpus("pcre2-build", "build", "PCRE2 10.42 (Debian's source), its own CMake build (the library "
           "compiled for 8, 16 and 32-bit code units)", None, build="cmake", package="pcre2",
           cmake_args=["-DPCRE2_BUILD_PCRE2_16=ON", "-DPCRE2_BUILD_PCRE2_32=ON"]),
    Corpus("zstd-build", "build", "Zstandard 1.5.4 lib/ (Debian's source), make under bear (with an "
           "assembler file)", None, build="bear", package="libzstd", root="lib", make=[["make", "libzstd.a"]]),
    Corpus("libuv-build", "build", "libuv 1.44.2 (Debian's source), its own CMake build", None,
           build="cmake", package="libuv1", cmake_args=["-DLIBUV_BUILD_TESTS=OFF", "-DLIBUV_BUILD_BENCH=OFF"]),
    Corpus("cjson-build", "build", "cJSON 1.7.15 (Debian's source), its own CMake build", None,
           build="cmake", package="cjson", cmake_args=["-DENABLE_CJSON_TEST=ON", "-DENABLE_CJSON_UTILS=ON"]),
    Corpus("curl-build", "build", "curl 7.88.1 (Debian's source), its own CMake build, without TLS", None,
           build="cmake", package="curl", cmake_args=["-DCURL_USE_OPENSSL=OFF", "-DCURL_DISABLE_LDAP=ON",
                                                      "-DUSE_LIBIDN2=OFF", "-DCURL_USE_LIBSSH2=OFF",
                                                      "-DCURL_USE_LIBPSL=OFF", "-DUSE_NGHTTP2=OFF",
                                                      "-DCURL_BROTLI=OFF", "-DCURL_ZSTD=OFF",
                                                      "-DBUILD_TESTING=OFF"]),
    Corpus("less-build", "build", "less 590 (Debian's source), configure and make under bear", None,
           build="bear", package="less", make=[["./configure"], ["make"]]),
    Corpus("gzip-build", "build", "gzip 1.12 with gnulib (Debian's source), configure and make under bear",
           None, build="bear", package="gzip", make=[["./configure"], ["make"]]),
    Corpus("jansson-build", "build", "Jansson 2.14 (Debian's source), its own CMake build", None,
           build="cmake", package="jansson", cmake_args=["-DJANSSON_BUILD_DOCS=OFF"]),
    Corpus("libpng-build", "build", "libpng 1.6.39 (Debian's source), its own CMake build", None,
           build="cmake", package="libpng1.6", cmake_args=["-DPNG_TESTS=OFF"]),
    Corpus("brotli-build", "build", "Brotli 1.0.9 (Debian's source), its own CMake build", None,
           build="cmake", package="brotli", cmake_args=["-DBROTLI_DISABLE_TESTS=ON"]),
    Corpus("htop-build", "build", "htop 3.2.2 (Debian's source), configure and make under bear", None,
           build="bear", package="htop", make=[["./autogen.sh"], ["./configure"], ["make"]]),
    Corpus("cmark-build", "build", "cmark 0.30.2 (Debian's source), its own CMake build", None,
           build="cmake", package="cmark", cmake_args=["-DCMARK_TESTS=OFF"]),
    Corpus("libwebp-build", "build", "libwebp 1.2.4 (Debian's source), its own CMake build", None,
           build="cmake", package="libwebp", cmake_args=["-DWEBP_BUILD_ANIM_UTILS=OFF", "-DWEBP_BUILD_GIF2WEBP=OFF",
                                                         "-DWEBP_BUILD_IMG2WEBP=OFF", "-DWEBP_BUILD_VWEBP=OFF",
                                                         "-DWEBP_BUILD_WEBPINFO=OFF", "-DWEBP_BUILD_EXTRAS=OFF",
                                                         "-DWEBP_BUILD_CWEBP=OFF", "-DWEBP_BUILD_DWEBP=OFF"]),
    Corpus("c-ares-build", "build", "c-ares 1.18.1 (Debian's source), its own CMake build", None,
           build="cmake", package="c-ares"),
    Corpus("openjpeg-build", "build", "OpenJPEG 2.5.0 (Debian's source), its own CMake build", None,
           build="cmake", package="openjpeg2", cmake_args=["-DBUILD_CODEC=OFF"]),
    Corpus("mawk-build", "build", "mawk 1.3.4 (Debian's source), configure and make under bear", None,
           build="bear", package="mawk", make=[["./configure"], ["make"]]),
    Corpus("libsodium-build", "build", "libsodium 1.0.18 (Debian's source), configure and make under bear", None,
           build="bear", package="libsodium", make=[["./autogen.sh", "-s"], ["./configure", "--disable-asm"], ["make"]]),
    Corpus("flac-build", "build", "FLAC 1.4.2 (Debian's source), its own CMake build", None,
           build="cmake", package="flac", cmake_args=["-DBUILD_TESTING=OFF", "-DBUILD_DOCS=OFF",
                                                      "-DINSTALL_MANPAGES=OFF", "-DWITH_OGG=OFF",
                                                      "-DBUILD_CXXLIBS=OFF"]),
    Corpus("tiff-build", "build", "LibTIFF 4.5.0 (Debian's source), its own CMake build", None,
           build="cmake", package="tiff", cmake_args=["-Dtiff-docs=OFF", "-Dtiff-tests=OFF", "-Djpeg=OFF",
                                                      "-Dlzma=OFF", "-Dzstd=OFF", "-Dwebp=OFF", "-Djbig=OFF",
                                                      "-Dlerc=OFF", "-Dlibdeflate=OFF"]),
    Corpus("lcms2-build", "build", "Little CMS 2.14 (Debian's source), configure and make under bear", None,
           build="bear", package="lcms2", make=[["./configure"], ["make"]]),
    Corpus("libzip-build", "build", "libzip 1.7.3 (Debian's source), its own CMake build", None,
           build="cmake", package="libzip", cmake_args=["-DENABLE_GNUTLS=OFF", "-DENABLE_OPENSSL=OFF",
                                                        "-DENABLE_MBEDTLS=OFF", "-DENABLE_BZIP2=OFF",
                                                        "-DENABLE_LZMA=OFF", "-DENABLE_ZSTD=OFF",
                                                        "-DBUILD_REGRESS=OFF", "-DBUILD_DOC=OFF"]),
    Corpus("readline-build", "build", "GNU Readline 8.2 (Debian's source), configure and make under bear", None,
           build="bear", package="readline", make=[["./configure"], ["make"]]),
    Corpus("bc-build", "build", "GNU bc 1.07.1 (Debian's source), configure and make under bear", None,
           build="bear", package="bc", make=[["autoreconf", "-fi"], ["./configure"], ["make"]]),
    Corpus("sed-build", "build", "GNU sed 4.9 with gnulib (Debian's source), configure and make under bear",
           None, build="bear", package="sed", make=[["./configure"], ["make"]]),
    Corpus("dash-build", "build", "dash 0.5.12 (Debian's source), configure and make under bear", None,
           build="bear", package="dash", make=[["./configure"], ["make"]]),
    Corpus("nano-build", "build", "GNU nano 7.2 (Debian's source), configure and make under bear", None,
           build="bear", package="nano", make=[["./configure"], ["make"]]),
    Corpus("libconfig-build", "build", "libconfig 1.5 (Debian's source), configure and make under bear", None,
           build="bear", package="libconfig", make=[["./configure"], ["make"]]),
    Corpus("libogg-build", "build", "libogg 1.3.5 (Debian's source), its own CMake build", None,
           build="cmake", package="libogg"),
    Corpus("opus-build", "build", "Opus 1.3.1 (Debian's source), configure and make under bear", None,
           build="bear", package="opus", make=[["./configure"], ["make"]]),
    Corpus("libjpeg-turbo-build", "build", "libjpeg-turbo 2.1.5 (Debian's source), its own CMake build, "
           "without SIMD", None, build="cmake", package="libjpeg-turbo", cmake_args=["-DWITH_SIMD=OFF"]),
    Corpus("m4-build", "build", "GNU M4 1.4.19 with gnulib (Debian's source), configure and make under bear",
           None, build="bear", package="m4", make=[["./configure"], ["make"]]),
    Corpus("libtasn1-build", "build", "GNU Libtasn1 4.19 (Debian's source), configure and make under bear",
           None, build="bear", package="libtasn1-6", make=[["./configure"], ["make"]]),
    Corpus("gdbm-build", "build", "GNU dbm 1.23 (Debian's source), configure and make under bear", None,
           build="bear", package="gdbm", make=[["./configure"], ["make"]]),
    Corpus("cscope-build", "build", "cscope 15.9 (Debian's source), configure and make under bear", None,
           build="bear", package="cscope", make=[["./configure"], ["make"]]),
    Corpus("tcc-build", "build", "Tiny C Compiler 0.9.27 (Debian's source), configure and make under bear",
           None, build="bear", package="tcc", make=[["./configure"], ["make", "tcc", "libtcc.a"]]),
    Corpus("file-build", "build", "file 5.44 with libmagic (Debian's source), configure and make under bear",
           None, build="bear", package="file", make=[["autoreconf", "-fi"], ["./configure"], ["make"]]),
    Corpus("patch-build", "build", "GNU patch 2.7.6 with gnulib (Debian's source), configure and make under "
           "bear", None, build="bear", package="patch", make=[["autoreconf", "-fi"], ["./configure"], ["make"]]),
    Corpus("diffutils-build", "build", "GNU diffutils 3.8 with gnulib (Debian's source), configure and make "
           "under bear", None, build="bear", package="diffutils", make=[["./configure"], ["make"]]),
    Corpus("grep-build", "build", "GNU grep 3.8 with gnulib (Debian's source), configure and make under bear",
           None, build="bear", package="grep", make=[["autoreconf", "-fi"], ["./configure", "--disable-perl-regexp"], ["make"]]),
    Corpus("ed-build", "build", "GNU ed 1.19 (Debian's source), configure and make under bear", None,
           build="bear", package="ed", make=[["./configure"], ["make"]]),
    Corpus("indent-build", "build", "GNU indent 2.2.12 (Debian's source), configure and make under bear", None,
           build="bear", package="indent", make=[["./configure"], ["make"]]),
    Corpus("lzo2-build", "build", "LZO 2.10 (Debian's source), configure and make under bear", None,
           build="bear", package="lzo2", make=[["./configure"], ["make"]]),
    Corpus("popt-build", "build", "popt 1.19 (Debian's source), configure and make under bear", None,
           build="bear", package="popt", make=[["./configure"], ["make"]]),
    Corpus("units-build", "build", "GNU units 2.22 (Debian's source), configure and make under bear", None,
           build="bear", package="units", make=[["./configure"], ["make", "units"]]),
    Corpus("gawk-build", "build", "GNU Awk 5.2.1 (Debian's source), configure and make under bear", None,
           build="bear", package="gawk", make=[["./configure"], ["make", "clean"], ["sh", "-c", "make -C support && make gawk"]]),
    Corpus("flex-build", "build", "flex 2.6.4 (Debian's source), configure and make under bear", None,
           build="bear", package="flex", make=[["autoreconf", "-fi"], ["./configure"], ["make", "-C", "src", "flex"]]),
    Corpus("make-build", "build", "GNU Make 4.3 (Debian's source), configure and make under bear", None,
           build="bear", package="make-dfsg", make=[["autoreconf", "-fi"], ["./configure"], ["make"]]),
    Corpus("libevent-build", "build", "libevent 2.1.12 (Debian's source), its own CMake build", None,
           build="cmake", package="libevent", cmake_args=["-DEVENT__DISABLE_OPENSSL=ON",
                                                          "-DEVENT__DISABLE_MBEDTLS=ON",
                                                          "-DEVENT__DISABLE_TESTS=ON",
                                                          "-DEVENT__DISABLE_BENCHMARK=ON"]),
    Corpus("xz-build", "build", "XZ Utils 5.4.1 (Debian's source), configure and make under bear", None,
           build="bear", package="xz-utils", make=[["./configure", "--disable-nls", "--disable-doc"], ["make"]]),
    Corpus("jq-build", "build", "jq 1.6 (Debian's source), configure and make under bear", None,
           build="bear", package="jq", make=[["autoreconf", "-fi"], ["./configure", "--disable-docs",
                                                                     "--disable-maintainer-mode"], ["make"]]),
    Corpus("tmux-build", "build", "tmux 3.3a (Debian's source), configure and make under bear", None,
           build="bear", package="tmux", make=[["./configure"], ["make"]]),
    Corpus("libxml2-build", "build", "libxml2 2.9.14 (Debian's source), configure and make under bear", None,
           build="bear", package="libxml2", make=[["autoreconf", "-fi"], ["./configure", "--without-python", "--without-lzma"],
                                                  ["make", "libxml2.la"]]),
]
BY_NAME = {c.name: c for c in CORPORA}


def npm_folder(package):
    return os.path.join(WORK, "npm", package.replace("/", "_"))


def fetch_npm(package):
    """Unpacks the tarball of an npm package into the cache once (npm pack, no install)."""
    folder = npm_folder(package)
    stamp = os.path.join(folder, ".bench-unpacked")
    if os.path.exists(stamp):
        return folder
    log(f"fetching {package} with npm pack")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    with tempfile.TemporaryDirectory() as tmp:
        out = subprocess.run(["npm", "pack", "--silent", "--pack-destination", tmp, package],
                             capture_output=True, text=True, cwd=tmp)
        tarballs = glob.glob(os.path.join(tmp, "*.tgz"))
        if out.returncode != 0 or len(tarballs) != 1:
            sys.exit(f"bench/accuracy: npm pack {package} failed: {out.stderr.strip()}")
        subprocess.run(["tar", "-C", folder, "-xzf", tarballs[0]], check=True)
    with open(stamp, "w") as f:
        f.write(package + "\n")
    return folder


# --- file lists ---------------------------------------------------------------------------

def check_tokens(names, where):
    """Response-file tokens are split at white space, and "-" or "@" would start an option."""
    bad = [n for n in names if re.search(r"\s", n) or n[:1] in "-@"]
    if bad:
        sys.exit(f"bench/accuracy: {where}: {bad[0]!r} cannot be passed as a response-file token")


def c_and_h_below(tree, subdirs):
    """The *.c and *.h files below TREE/SUBDIR, relative to TREE, in byte order.
    Symbolic links are not followed (scripts/dtc/include-prefixes points into arch/)."""
    out = []
    for sub in subdirs:
        for dirpath, dirnames, filenames in os.walk(os.path.join(tree, sub)):
            dirnames[:] = [d for d in dirnames
                           if not os.path.islink(os.path.join(dirpath, d))]
            for f in filenames:
                path = os.path.join(dirpath, f)
                if f.endswith((".c", ".h")) and os.path.isfile(path) and not os.path.islink(path):
                    out.append(os.path.normpath(os.path.relpath(path, tree)))
    out = sorted(set(out), key=lambda s: s.encode("utf-8", "surrogateescape"))
    check_tokens(out, tree)
    return out


def globbed(folder, patterns, exclude=()):
    out = set()
    for pattern in patterns:
        for path in glob.glob(os.path.join(folder, pattern)):
            if os.path.isfile(path):
                rel = os.path.normpath(os.path.relpath(path, folder))
                if not any(fnmatch.fnmatch(rel, e) for e in exclude):
                    out.add(rel)
    return sorted(out)


def write_list(path, names):
    with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
        f.write("".join(n + "\n" for n in names))


def norm(path):
    """The one form in which every tool's file names are compared: relative, normalised."""
    return os.path.normpath(path)


def digest(*parts):
    h = hashlib.sha256()
    for p in parts:
        h.update(repr(p).encode("utf-8", "surrogateescape"))
    return h.hexdigest()


def files_digest(folder, names):
    return digest([(n, os.stat(os.path.join(folder, n)).st_size,
                    int(os.stat(os.path.join(folder, n)).st_mtime)) for n in names])


def tool_version(cmd):
    try:
        return subprocess.run(cmd, capture_output=True, text=True).stdout.splitlines()[0]
    except (OSError, IndexError):
        return "unknown"


# --- quenwick-graph -----------------------------------------------------------------------

class Graph:
    """How quenwick-graph is run: the binary and the --scan option it understands."""

    def __init__(self, binary, scan):
        self.binary = binary
        self.scan_args = []
        self.note = ""
        if scan == "none":
            self.note = "run without --scan (SCAN=none)"
        elif self.knows_scan(scan):
            self.scan_args = [f"--scan={scan}"]
        else:
            self.note = f"this quenwick-graph does not know --scan={scan}; run without --scan"
            log(self.note)
        self.label = "quenwick-graph " + (self.scan_args[0] if self.scan_args else "(no --scan)")

    def knows_scan(self, scan):
        with tempfile.TemporaryDirectory() as tmp:
            open(os.path.join(tmp, "probe.c"), "w").close()
            out = subprocess.run([self.binary, f"--scan={scan}", "--format=json",
                                  f"--output={tmp}/probe.json", "probe.c"],
                                 cwd=tmp, capture_output=True)
        return not (out.returncode == 2 and b"--scan" in out.stderr)

    def run(self, folder, names, work, extra=(), keep_json=True):
        """Runs the scan on NAMES (relative to FOLDER) through a response file; returns
        (document or None, stderr path, seconds, exit status)."""
        listing = os.path.join(work, "graph-files.txt")
        write_list(listing, names)
        out = os.path.join(work, "graph.json")
        err = os.path.join(work, "graph.err")
        if os.path.exists(out):
            os.remove(out)
        cmd = [self.binary, *self.scan_args, "--format=json", f"--output={out}", *extra,
               f"@{listing}"]
        t0 = time.monotonic()
        with open(err, "wb") as e:
            status = subprocess.run(cmd, cwd=folder, stdout=subprocess.DEVNULL, stderr=e).returncode
        seconds = time.monotonic() - t0
        doc = None
        if status == 0 and os.path.exists(out):
            with open(out, "rb") as f:
                doc = json.loads(f.read().decode("utf-8", "surrogateescape"))
            if not keep_json:
                os.remove(out)
        return doc, err, seconds, status


class Records:
    """quenwick-graph's functions, with fields it may not write treated as absent."""

    def __init__(self, doc):
        self.funcs = doc.get("functions", [])
        self.by_id = {f["id"]: f for f in self.funcs}
        self.kind = {f["id"]: f.get("kind", "function") for f in self.funcs}
        self.file = {f["id"]: norm(f["file"]) for f in self.funcs}
        self._reach = {}

    def functions(self):
        return [f for f in self.funcs if self.kind[f["id"]] != "macro"]

    @staticmethod
    def lines(f):
        """The definition's line and the lines of its other places."""
        out = {f.get("line")}
        out.update(p.get("line") for p in f.get("places") or [])
        return out

    def direct(self, fid):
        f = self.by_id[fid]
        out = set(f.get("callees") or [])
        out.update(c["callee"] for c in f.get("calls") or [] if "callee" in c)
        return {c for c in out if c in self.by_id}

    def reach(self, fid):
        """The non-macro records that FID calls directly or through macro records."""
        if fid in self._reach:
            return self._reach[fid]
        found, seen, todo = set(), {fid}, [fid]
        while todo:
            for c in self.direct(todo.pop()):
                if self.kind[c] == "macro":
                    if c not in seen:
                        seen.add(c)
                        todo.append(c)
                else:
                    found.add(c)
        self._reach[fid] = found
        return found


# --- balance: the scan's own word on what did not balance ---------------------------------

# quenwick's scan writes each file's name on its own line and, after it, a line ending in
# "(+N)" or "(-N)": with "{ }" when the braces do not balance, with "#" when the
# conditionals do not. The C scan ends the run with one line of counts ("N files did not
# balance, M conditionals were left undecided") and, under -V, lists each place as
# "FILE:LINE:COLUMN: unbalanced: ..." or "...: comment/literal runs to the end of ..."
# (undecided conditionals are listed too, but they are no imbalance).
BALANCE_VERBOSE = ["-V"]  # options that make the C scan list its places
LEGACY_MESSAGE = re.compile(rb"\(([+-]\d+)\)\s*$")
PLACE_MESSAGE = re.compile(rb"^([^:\s][^:]*):(\d+)(?::\d+)?:\s*(.*)$")
TROUBLE = re.compile(rb"^unbalanced: |runs to the end of")
SUMMARY = re.compile(rb"(\d+)\s+files?\b[^,;]*?\b(?:did not|do not|does not|not)\s+balance", re.I)
UNDECIDED = re.compile(rb"(\d+)\s+(?:conditionals?|conditions?)\b[^,;]*?undecided", re.I)


def parse_balance(err_path, given):
    """Reads quenwick-graph's standard error: returns ({file: set of "braces" /
    "conditionals" / reason text}, summary line or "", undecided count or None)."""
    given = set(given)
    bad, summary, undecided, current = {}, "", None, None
    with open(err_path, "rb") as f:
        for raw in f:
            for line in raw.rstrip(b"\r\n").split(b"\a"):
                text = line.strip()
                if not text:
                    continue
                name = text.decode("utf-8", "surrogateescape")
                if name in given:
                    current = name
                    continue
                m = LEGACY_MESSAGE.search(text)
                if m and current and line[:1] in (b" ", b"\t"):
                    what = "braces" if b"{ }" in text else "conditionals" if b"#" in text else "?"
                    bad.setdefault(current, set()).add(f"{what} {m.group(1).decode()}")
                    continue
                m = PLACE_MESSAGE.match(text)
                if m and TROUBLE.search(m.group(3)):
                    file = norm(m.group(1).decode("utf-8", "surrogateescape"))
                    if file in given:
                        reason = m.group(3).decode("utf-8", "replace")
                        bad.setdefault(file, set()).add(f"line {int(m.group(2))}: {reason}")
                        continue
                if SUMMARY.search(text):
                    summary = text.decode("utf-8", "replace")
                    u = UNDECIDED.search(text)
                    undecided = int(u.group(1)) if u else None
    return bad, summary, undecided


# --- gcc's call graph ---------------------------------------------------------------------

NODE = re.compile(r'^node: \{ title: "((?:[^"\\]|\\.)*)" label: "((?:[^"\\]|\\.)*)"(.*)\}\s*$')
EDGE = re.compile(r'^edge: \{ sourcename: "((?:[^"\\]|\\.)*)" targetname: "((?:[^"\\]|\\.)*)"'
                  r'(?: label: "((?:[^"\\]|\\.)*)")?\s*\}\s*$')


def split_place(text):
    """"file:line:column" -> (file, line), or None for "<built-in>" and the like."""
    parts = text.rsplit(":", 2)
    if len(parts) != 3 or not parts[1].isdigit():
        return None
    return norm(parts[0]), int(parts[1])


def below(file, root):
    """FILE relative to ROOT when it is an absolute path below it (links followed)."""
    if os.path.isabs(file):
        real = os.path.realpath(file)
        for r in {root, os.path.realpath(root)}:
            if real.startswith(r.rstrip("/") + "/"):
                return norm(os.path.relpath(real, r))
    return file


def inside(file):
    return not os.path.isabs(file) and not file.startswith("..")


class GccGraph:
    """What gcc compiled (definitions) and the direct calls between those definitions."""

    def __init__(self, root=None):
        self.root = root      # absolute places below it are made relative to it
        self.defs = {}        # (file, name) -> set of lines
        self.static = set()   # (file, name) of static definitions
        self.edges = {}       # (caller, callee) -> first call site "file:line:col", recall set
        self.all_edges = set()  # every call between compiled definitions (for precision)
        self.inlined = 0      # call sites outside the caller's own text (inlined bodies)
        self.ambiguous = 0    # calls to a name that several units define non-static
        self.units = 0

    def read(self, ci_paths, directories=None):
        """Reads gcc's .ci files; `directories` gives the folder each was compiled in, for
        the places gcc names relative to it (a build that compiles in several folders)."""
        units = []
        for path in ci_paths:
            nodes, edges = {}, []
            folder = (directories or {}).get(path)
            units_place = lambda place, folder=folder: self.place(place, folder)  # noqa: E731
            with open(path, encoding="utf-8", errors="surrogateescape") as f:
                for line in f:
                    m = NODE.match(line)
                    if m:
                        title, label, rest = m.groups()
                        parts = label.split("\\n")
                        place = split_place(parts[1]) if len(parts) == 2 else None
                        if place:
                            place = units_place(place)
                        # A nested function (a GNU extension) is titled "unit:name.N": it
                        # is no file-level definition, and no call of it is counted.
                        nested = title != parts[0] and not title.endswith(":" + parts[0])
                        defined = "shape" not in rest and place is not None and not nested
                        nodes[title] = (parts[0], place, defined, nested)
                        continue
                    m = EDGE.match(line)
                    if m:
                        edges.append(m.groups())
            units.append((nodes, edges, units_place))
        self.units = len(units)
        public = {}  # non-static name -> set of (file, name) defined in some unit
        for nodes, _, _ in units:
            for title, (name, place, defined, _) in nodes.items():
                if defined and inside(place[0]):
                    key = (place[0], name)
                    self.defs.setdefault(key, set()).add(place[1])
                    if title != name:  # statics are titled "unit:name"
                        self.static.add(key)
                    else:
                        public.setdefault(name, set()).add(key)
        starts = {}  # file -> sorted lines where a compiled definition starts
        for (file, _), lines in self.defs.items():
            starts.setdefault(file, set()).update(lines)
        starts = {f: sorted(v) for f, v in starts.items()}
        for nodes, edges, units_place in units:
            def resolve(title):
                node = nodes.get(title)
                if node and node[3]:
                    return None
                if node and node[2]:
                    return (node[1][0], node[0]) if inside(node[1][0]) else None
                keys = public.get(title, set())
                if len(keys) > 1:
                    return "ambiguous"
                return next(iter(keys)) if keys else None
            for source, target, label in edges:
                caller, callee = resolve(source), resolve(target)
                if callee == "ambiguous":
                    self.ambiguous += 1
                    continue
                if not caller or caller == "ambiguous" or not callee:
                    continue
                self.all_edges.add((caller, callee))
                site = split_place(label) if label else None
                if site is None:
                    continue
                site = units_place(site)
                if not self.in_body(caller, site, starts):
                    self.inlined += 1
                    continue
                self.edges.setdefault((caller, callee), f"{site[0]}:{label.rsplit(':', 2)[1]}"
                                                       f":{label.rsplit(':', 2)[2]}")

    def place(self, place, folder):
        """A place gcc wrote as the tree names it: a relative one from `folder`, the unit's
        (when known), then below the root."""
        file, line = place
        if folder and not os.path.isabs(file):
            file = os.path.normpath(os.path.join(folder, file))
        return (below(file, self.root) if self.root else file, line)

    def in_body(self, caller, site, starts):
        """Whether a call site lies in the caller's own text: in its file, after its start
        and before the next compiled definition of that file. gcc inlines always_inline
        functions even at -O0 and lists their calls as the caller's, at their own place."""
        file, line = site
        if file != caller[0]:
            return False
        begun = [l for l in self.defs[caller] if l <= line]
        if not begun:
            return False
        later = [l for l in starts[file] if l > max(begun)]
        return not later or line < later[0]


def compile_corpus(corpus, folder, sources, work, jobs):
    """Compiles each source with gcc -fcallgraph-info once; returns (.ci paths, failures)."""
    cidir = os.path.join(work, "ci")
    stamp = os.path.join(cidir, ".stamp")
    key = digest(tool_version(["gcc", "--version"]), GCC_FLAGS, "system-header places, system folders too", corpus.flags,
                 files_digest(folder, sources))
    state = os.path.join(cidir, "state.json")
    if os.path.exists(stamp) and open(stamp).read() == key and os.path.exists(state):
        with open(state) as f:
            done = json.load(f)
        return done["ci"], done["failed"]
    shutil.rmtree(cidir, ignore_errors=True)
    os.makedirs(cidir)
    log(f"({corpus.name}) compiling {len(sources)} files with gcc -fcallgraph-info")
    running, ci, failed = [], [], {}
    placed_again = 0
    todo = list(sources)
    while todo or running:
        while todo and len(running) < jobs:
            src = todo.pop(0)
            obj = os.path.join(cidir, src[:-2] + ".o")
            os.makedirs(os.path.dirname(obj), exist_ok=True)
            proc = subprocess.Popen(["gcc", *GCC_FLAGS, *corpus.flags, "-c", src, "-o", obj],
                                    cwd=folder, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.PIPE, text=True, errors="replace")
            running.append((src, obj, proc))
        src, obj, proc = running.pop(0)
        err = proc.communicate()[1]
        if proc.returncode == 0 and os.path.exists(obj[:-2] + ".ci"):
            ci.append(obj[:-2] + ".ci")
            os.remove(obj)
            entry, kept = {"directory": folder, "file": src}, [*corpus.flags, "-c", src]
            if placed_in_system_header(obj[:-2] + ".ci", entry["directory"]):
                placed_again += compile_unmarked(entry, kept, obj)
        else:
            first = next((l for l in err.splitlines() if "error" in l), err.strip()[:200])
            failed[src] = first.strip()
    if placed_again:
        log(f"{placed_again} units compiled again from their preprocessed text without the "
            "system-header marks (gcc placed a definition at a declaration in such a header)")
    with open(state, "w") as f:
        json.dump({"ci": sorted(ci), "failed": failed}, f, indent=1)
    with open(stamp, "w") as f:
        f.write(key)
    return sorted(ci), failed


# --- peers --------------------------------------------------------------------------------

CTAGS = ["ctags", "--options=NONE", "--languages=C", "--map-C=+.h", "-x", "--c-kinds=f",
         "--_xformat=%F\t%n\t%N\t%{C.properties}"]


def run_ctags(folder, names, work):
    """ctags' function definitions: list of (file, name, line, static); cached."""
    out = os.path.join(work, "ctags.txt")
    stamp = out + ".stamp"
    key = digest(tool_version(["ctags", "--version"]), CTAGS, files_digest(folder, names))
    if not (os.path.exists(stamp) and open(stamp).read() == key):
        listing = os.path.join(work, "ctags-files.txt")
        write_list(listing, names)
        with open(out, "wb") as f:
            subprocess.run([*CTAGS, "-L", listing], cwd=folder, stdout=f,
                           stderr=subprocess.DEVNULL, check=True)
        with open(stamp, "w") as f:
            f.write(key)
    rows = []
    with open(out, encoding="utf-8", errors="surrogateescape") as f:
        for line in f:
            parts = line.rstrip("\n").split("\t")
            if len(parts) >= 3 and parts[1].isdigit():
                props = parts[3] if len(parts) > 3 else ""
                rows.append((norm(parts[0]), parts[2], int(parts[1]), "static" in props.split(",")))
    return rows


CFLOW = ["cflow", "--format=posix", "--omit-arguments", "-A", "-A"]
CFLOW_LINE = re.compile(r"^\s*(\d+) ( *)(\S+): (.*)$")
CFLOW_DEF = re.compile(r"<(.+) (\d+)>\s*$")


def run_cflow(folder, names, work):
    """cflow's graph without a preprocessor: (definitions {(file, name): lines},
    calls {(caller, callee)}); cached."""
    out = os.path.join(work, "cflow.txt")
    stamp = out + ".stamp"
    key = digest(tool_version(["cflow", "--version"]), CFLOW, files_digest(folder, names))
    if not (os.path.exists(stamp) and open(stamp).read() == key):
        log(f"running cflow on {len(names)} files")
        with open(out, "wb") as f:
            subprocess.run([*CFLOW, *names], cwd=folder, stdout=f, stderr=subprocess.DEVNULL)
        with open(stamp, "w") as f:
            f.write(key)
    return parse_cflow(out)


def parse_cflow(path):
    """Reads cflow's POSIX tree: a line is "NUMBER INDENT NAME: " followed by "<>" (not
    defined), by a number (the line that already expanded NAME) or by the declaration and
    "<FILE LINE>"; the indent is four blanks a level, and a line calls its children."""
    defs, calls, by_number, stack = {}, set(), {}, []
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        for line in f:
            m = CFLOW_LINE.match(line.rstrip("\n"))
            if not m:
                continue
            number, indent, name, rest = int(m.group(1)), len(m.group(2)), m.group(3), m.group(4)
            depth = indent // 4
            d = CFLOW_DEF.search(rest)
            if d:
                key_ = (norm(d.group(1)), name)
                defs.setdefault(key_, set()).add(int(d.group(2)))
            elif rest.strip().isdigit():
                key_ = by_number.get(int(rest.strip()))
            else:
                key_ = None
            by_number[number] = key_
            del stack[depth:]
            if depth > 0 and stack and stack[-1] and key_:
                calls.add((stack[-1], key_))
            stack.append(key_)
    return defs, calls


# --- measuring ----------------------------------------------------------------------------

def share(part, whole):
    return None if whole == 0 else part / whole


def pct(x):
    return "n/a" if x is None else f"{100 * x:.1f} %"


def by_place(line):
    """Sort key of "file:line: text" lines: by file, then by line number."""
    file, _, rest = line.partition(":")
    number = rest.split(":", 1)[0]
    return (file, int(number) if number.isdigit() else 0, line)


def write_lines(path, lines):
    with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
        f.write("".join(l + "\n" for l in sorted(lines, key=by_place)))


def measure_ctags(corpus, graph, args):
    tree = corpus.tree
    work = os.path.join(WORK, corpus.name)
    os.makedirs(work, exist_ok=True)
    names = c_and_h_below(tree, corpus.subdirs)
    log(f"({corpus.name}) {len(names)} files: ctags")
    ref = {}
    for f, n, line, _ in run_ctags(tree, names, work):
        ref[(f, n)] = min(line, ref.get((f, n), line))
    log(f"({corpus.name}) {graph.label}")
    doc, err, seconds, status = graph.run(tree, names, work, keep_json=False)
    result = {"kind": "ctags", "title": corpus.title, "files": len(names),
              "reference": len(ref), "graph_status": status, "graph_seconds": round(seconds, 2)}
    if doc is None:
        return result
    recs = Records(doc)
    got = {}
    for f in recs.functions():
        key = (recs.file[f["id"]], f["name"])
        got[key] = min(f.get("line") or 0, got.get(key, f.get("line") or 0))
    hit = ref.keys() & got.keys()
    result.update(found=len(got), recall=share(len(hit), len(ref)),
                  precision=share(len(hit), len(got)))
    # Where the two disagree for a reason of Ctags': it records a macro's call as a
    # definition of the macro (weak_alias (a, b), DEFINE_X(y) {), and it misses the
    # definitions a macro call makes (SETTER(size);), whose name is not written there.
    macro_names = {f["name"] for f in recs.funcs if recs.kind[f["id"]] == "macro"}
    macro_calls = {k for k in ref if k not in got and k[1] in macro_names}
    lines_of = {}

    def written(key, line):
        if key[0] not in lines_of:
            try:
                with open(os.path.join(tree, key[0]), encoding="latin-1") as f:
                    lines_of[key[0]] = f.read().split("\n")
            except OSError:
                lines_of[key[0]] = []
        text = lines_of[key[0]]
        return 0 < line <= len(text) and key[1] in text[line - 1]
    made = {k for k, line in got.items() if k not in ref and not written(k, line)}
    # A definition right after a macro call that Ctags recorded instead of it.
    taken = {}
    for (f, n) in macro_calls:
        taken.setdefault(f, []).append(ref[(f, n)])
    made |= {k for k, line in got.items() if k not in ref and
             any(0 <= line - at <= 10 for at in taken.get(k[0], []))}
    result.update(recall_aside=share(len(hit), len(ref) - len(macro_calls)),
                  precision_aside=share(len(hit), len(got) - len(made)),
                  ctags_macro_calls=len(macro_calls), macro_made=len(made))
    write_lines(os.path.join(work, "missed-defs.txt"),
                [f"{f}:{line}: {n}" for (f, n), line in ref.items() if (f, n) not in got])
    write_lines(os.path.join(work, "extra-defs.txt"),
                [f"{f}:{line}: {n}" for (f, n), line in got.items() if (f, n) not in ref])
    return result


def def_measures(gcc, defs, static_in_header):
    """(recall at gcc's line, precision against what gcc compiled, found at any line) of
    DEFS {(file, name): lines}; STATIC_IN_HEADER keys are left out of the precision."""
    at_line = sum(1 for k, lines in gcc.defs.items() if lines & defs.get(k, set()))
    anywhere = sum(1 for k in gcc.defs if k in defs)
    claimed = [k for k in defs if k not in static_in_header]
    compiled = sum(1 for k in claimed if k in gcc.defs)
    total = sum(len(v) for v in gcc.defs.values())
    return {"defs_at_line": share(at_line, len(gcc.defs)), "defs_any_line": share(anywhere, len(gcc.defs)),
            "def_precision": share(compiled, len(claimed)), "gcc_defs": len(gcc.defs),
            "gcc_def_places": total}


def call_measures(gcc, calls):
    """(recall of gcc's direct calls, precision) of CALLS {(caller, callee)} between
    functions that gcc compiled."""
    between = {c for c in calls if c[0] in gcc.defs and c[1] in gcc.defs}
    found = sum(1 for e in gcc.edges if e in calls)
    right = sum(1 for c in between if c in gcc.all_edges)
    return {"gcc_calls": len(gcc.edges), "call_recall": share(found, len(gcc.edges)),
            "claimed_calls": len(between), "call_precision": share(right, len(between))}


def is_header(file):
    return file.endswith(".h")


def measure_gcc(corpus, graph, args):
    if corpus.npm:
        fetch_npm(corpus.npm)
    folder = corpus.folder()
    if not os.path.isdir(folder):
        sys.exit(f"bench/accuracy: {folder} not found")
    work = os.path.join(WORK, corpus.name)
    os.makedirs(work, exist_ok=True)
    sources = globbed(folder, corpus.sources, corpus.exclude)
    ci, failed = compile_corpus(corpus, folder, sources, work, args.jobs)
    compiled = [s for s in sources if s not in failed]
    headers = globbed(folder, corpus.headers)
    names = compiled + headers
    check_tokens(names, folder)
    gcc = GccGraph()
    gcc.read(ci)
    log(f"({corpus.name}) gcc: {len(compiled)} units, {len(gcc.defs)} definitions, "
        f"{len(gcc.edges)} calls; {graph.label}")
    doc, err, seconds, status = graph.run(folder, names, work)
    result = {"kind": "gcc", "title": corpus.title, "units": len(compiled), "headers": len(headers),
              "failed": failed, "flags": " ".join(corpus.flags),
              "inlined_calls": gcc.inlined, "ambiguous_calls": gcc.ambiguous,
              "graph_status": status, "graph_seconds": round(seconds, 2), "peers": {}}
    result.update({k: v for k, v in def_measures(gcc, {}, set()).items() if k.startswith("gcc")})
    result.update(gcc_calls=len(gcc.edges))
    if doc is not None:
        measures, _ = graph_measures(gcc, doc, work, keep=lambda file: True)
        result.update(measures)
    if args.peers:
        rows = run_ctags(folder, names, work)
        cdefs = {}
        for f, n, line, _ in rows:
            cdefs.setdefault((f, n), set()).add(line)
        static_h = {(f, n) for f, n, _, s in rows if s and is_header(f)}
        result["peers"]["ctags"] = def_measures(gcc, cdefs, static_h)
        fdefs, fcalls = run_cflow(folder, names, work)
        result["peers"]["cflow"] = {**def_measures(gcc, fdefs, set()), **call_measures(gcc, fcalls)}
    return result


# --- builds: corpora scanned with a compile_commands.json ---------------------------------

def codename():
    with open("/etc/os-release") as f:
        for line in f:
            if line.startswith("VERSION_CODENAME="):
                return line.split("=", 1)[1].strip().strip('"')
    return ""


def source_lists():
    """The machine's own Debian package sources, as deb-src entries of the release's main
    suite: apt-get source reads them from a state of its own, the system's stays as it is."""
    suite, stanzas = codename(), []
    for path in sorted(glob.glob("/etc/apt/sources.list.d/*.sources")):
        for block in open(path).read().split("\n\n"):
            fields = {}
            for line in block.splitlines():
                if ":" in line and not line.startswith((" ", "#")):
                    key, value = line.split(":", 1)
                    fields[key.strip()] = value.strip()
            if "deb" in fields.get("Types", "").split() and suite in fields.get("Suites", "").split():
                stanza = [f"Types: deb-src", f"URIs: {fields['URIs']}", f"Suites: {suite}",
                          f"Components: {fields.get('Components', 'main')}"]
                if "Signed-By" in fields:
                    stanza.append(f"Signed-By: {fields['Signed-By']}")
                stanzas.append("\n".join(stanza))
    if os.path.exists("/etc/apt/sources.list"):
        for line in open("/etc/apt/sources.list"):
            words = line.split()
            if len(words) >= 4 and words[0] == "deb" and words[2] == suite:
                stanzas.append(f"Types: deb-src\nURIs: {words[1]}\nSuites: {suite}\n"
                               f"Components: {' '.join(words[3:])}")
    return "\n\n".join(stanzas) + "\n"


def fetch_debian_source(package):
    """Unpacks the source of a Debian package once (apt-get source); returns its folder."""
    base = os.path.join(WORK, "debian", package)
    stamp = os.path.join(base, ".bench-unpacked")
    if os.path.exists(stamp):
        return open(stamp).read().strip()
    log(f"fetching the source of {package} with apt-get source")
    apt = os.path.join(WORK, "apt")
    os.makedirs(os.path.join(apt, "lists", "partial"), exist_ok=True)
    os.makedirs(os.path.join(apt, "parts"), exist_ok=True)
    with open(os.path.join(apt, "sources.sources"), "w") as f:
        f.write(source_lists())
    options = ["-o", f"Dir::Etc::SourceList={apt}/sources.sources",
               "-o", f"Dir::Etc::SourceParts={apt}/parts", "-o", f"Dir::State::Lists={apt}/lists"]
    subprocess.run(["apt-get", *options, "-qq", "update"], check=True)
    shutil.rmtree(base, ignore_errors=True)
    os.makedirs(base)
    subprocess.run(["apt-get", *options, "-qq", "source", package], cwd=base, check=True,
                   stdout=subprocess.DEVNULL)
    folders = [d for d in glob.glob(os.path.join(base, f"{package}-*")) if os.path.isdir(d)]
    if len(folders) != 1:
        sys.exit(f"bench/accuracy: apt-get source {package} gave {folders}")
    with open(stamp, "w") as f:
        f.write(folders[0] + "\n")
    return folders[0]


def cmake_database(package, jobs, cmake_args=(), root="."):
    """The source folder of a Debian package (its folder `root`, where the CMake project is)
    and the compile_commands.json of its own CMake build, made once in a folder beside it."""
    source = os.path.normpath(os.path.join(fetch_debian_source(package), root))
    build = os.path.join(os.path.dirname(source), "build")
    database = os.path.join(build, "compile_commands.json")
    if not os.path.exists(database):
        log(f"building {package} with its CMake")
        gen = ["-G", "Ninja"] if shutil.which("ninja") else []
        subprocess.run(["cmake", "-S", source, "-B", build, *gen, "-DCMAKE_BUILD_TYPE=Release",
                        "-DCMAKE_EXPORT_COMPILE_COMMANDS=ON", *cmake_args], check=True,
                       stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", build, "-j", str(jobs)], check=True,
                       stdout=subprocess.DEVNULL)
    return source, database


def bear_database(package, steps, jobs, root="."):
    """The source folder of a Debian package (its folder `root`, where the build is run) and
    the compile_commands.json that bear writes for its own build (`steps`, the last one run
    under bear), made once in that folder."""
    source = os.path.normpath(os.path.join(fetch_debian_source(package), root))
    database = os.path.join(source, "compile_commands.json")
    if not os.path.exists(database):
        if not shutil.which("bear"):
            sys.exit("bench/accuracy: bear is needed (apt-get install bear)")
        log(f"building {package} under bear")
        for step in steps[:-1]:
            subprocess.run(step, cwd=source, check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["bear", "--", *steps[-1], f"-j{jobs}"], cwd=source, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return source, database


def entry_words(entry):
    import shlex
    return list(entry["arguments"]) if "arguments" in entry else shlex.split(entry["command"])


def placed_in_system_header(ci_path, directory):
    """Whether gcc placed a definition of the unit of CI_PATH in a system header: one
    of the system's folders, or one that says `#pragma GCC system_header`. gcc gives a
    function first declared in such a header the place of that declaration (glibc's
    bits/getopt_core.h declares the getopt that gawk's support/getopt.c defines;
    gnulib's replacement headers declare rpl_fclose, which lib/fclose.c defines), not
    its definition's."""
    seen = {}
    with open(ci_path, encoding="utf-8", errors="surrogateescape") as f:
        for line in f:
            m = NODE.match(line)
            if not m or "shape" in m.group(3):
                continue
            parts = m.group(2).split("\\n")
            place = split_place(parts[1]) if len(parts) == 2 else None
            if place is None or not is_header(place[0]):
                continue
            if place[0].startswith(SYSTEM_FOLDERS):
                return True
            file = os.path.join(directory, place[0])
            if file not in seen:
                try:
                    with open(file, encoding="latin-1") as h:
                        seen[file] = re.search(r"^\s*#\s*pragma\s+GCC\s+system_header", h.read(), re.M) is not None
                except OSError:
                    seen[file] = False
            if seen[file]:
                return True
    return False


# The folders of the system's headers.
SYSTEM_FOLDERS = ("/usr/include/", "/usr/lib/gcc/", "/usr/local/include/")

# Options that name an input of the preprocessor, with their argument.
PREPROCESSOR_ARGS = ("-D", "-U", "-I", "-include", "-imacros", "-iquote", "-isystem", "-idirafter",
                     "-iprefix", "-iwithprefix", "-MF", "-MT", "-MQ")


def compile_unmarked(entry, kept, obj):
    """Compiles ENTRY again (KEPT: its flags) from its preprocessed text with the line
    markers' system-header flags removed, so that each definition keeps its own place;
    replaces the unit's .ci on success. Returns 1 when it did."""
    directory, ci = entry["directory"], obj[:-2] + ".ci"
    cxx = os.path.splitext(entry["file"])[1] in (".cc", ".cpp", ".cxx", ".C", ".c++")
    unit = obj[:-2] + (".ii" if cxx else ".i")
    pre = subprocess.run(["gcc", *kept, "-E", "-w", "-o", unit], cwd=directory,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if pre.returncode != 0:
        return 0
    marker = re.compile(rb'^(# \d+ "(?:[^"\\]|\\.)*")((?: \d)*)$')
    with open(unit, "rb") as f:
        lines = f.read().split(b"\n")
    for i, line in enumerate(lines):
        m = marker.match(line)
        if m and m.group(2):
            lines[i] = m.group(1) + b"".join(b" " + flag for flag in m.group(2).split() if flag in (b"1", b"2"))
    with open(unit, "wb") as f:
        f.write(b"\n".join(lines))
    source = os.path.normpath(os.path.join(directory, entry["file"]))
    flags, skip = [], False
    for w in kept:
        if skip:
            skip = False
        elif w in PREPROCESSOR_ARGS:
            skip = True
        elif w.startswith(PREPROCESSOR_ARGS) or w in ("-c",):
            continue
        elif os.path.normpath(os.path.join(directory, w)) == source:
            continue
        else:
            flags.append(w)
    again = obj[:-2] + "-again.o"
    run = subprocess.run(["gcc", *flags, *GCC_FLAGS, "-c", unit, "-o", again], cwd=directory,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.remove(unit)
    made = again[:-2] + ".ci"
    if run.returncode != 0 or not os.path.exists(made):
        for left in (made, again):
            if os.path.exists(left):
                os.remove(left)
        return 0
    os.replace(made, ci)
    os.remove(again)
    return 1


def compile_entries(entries, work, jobs):
    """Compiles each entry with its own flags and gcc's call graph (-O0 -fcallgraph-info -w
    after them, the output into the cache); returns (.ci paths, {file: error})."""
    cidir = os.path.join(work, "ci")
    stamp = os.path.join(cidir, ".stamp")
    key = digest(tool_version(["gcc", "--version"]), GCC_FLAGS, "system-header places, system folders too", entries,
                 [(e["file"], os.stat(os.path.join(e["directory"], e["file"])).st_mtime) for e in entries])
    state = os.path.join(cidir, "state.json")
    if os.path.exists(stamp) and open(stamp).read() == key and os.path.exists(state):
        with open(state) as f:
            done = json.load(f)
        return done["ci"], done["failed"]
    shutil.rmtree(cidir, ignore_errors=True)
    os.makedirs(cidir)
    log(f"compiling {len(entries)} entries with gcc -fcallgraph-info")
    running, ci, failed = [], [], {}
    placed_again = 0
    todo = list(enumerate(entries))
    while todo or running:
        while todo and len(running) < jobs:
            number, entry = todo.pop(0)
            words, kept, skip = entry_words(entry), [], False
            for w in words[1:]:
                if skip:
                    skip = False
                elif w in ("-o", "-MF", "-MT", "-MQ"):
                    skip = True
                elif w not in ("-MD", "-MMD"):
                    kept.append(w)
            obj = os.path.join(cidir, f"{number}.o")
            proc = subprocess.Popen(["gcc", *kept, *GCC_FLAGS, "-o", obj], cwd=entry["directory"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                                    errors="replace")
            proc.entry, proc.kept = entry, kept
            running.append((entry["file"], obj, proc))
        src, obj, proc = running.pop(0)
        err = proc.communicate()[1]
        if proc.returncode == 0 and os.path.exists(obj[:-2] + ".ci"):
            ci.append(obj[:-2] + ".ci")
            os.remove(obj)
            entry, kept = proc.entry, proc.kept
            if placed_in_system_header(obj[:-2] + ".ci", entry["directory"]):
                placed_again += compile_unmarked(entry, kept, obj)
        else:
            first = next((l for l in err.splitlines() if "error" in l), err.strip()[:200])
            failed[src] = first.strip()
    if placed_again:
        log(f"{placed_again} units compiled again from their preprocessed text without the "
            "system-header marks (gcc placed a definition at a declaration in such a header)")
    with open(state, "w") as f:
        json.dump({"ci": sorted(ci), "failed": failed}, f, indent=1)
    with open(stamp, "w") as f:
        f.write(key)
    return sorted(ci), failed


def prepare_build(corpus, jobs):
    """(folder the tools run in, database file, its entries) of a "build" corpus."""
    work = os.path.join(WORK, corpus.name)
    os.makedirs(work, exist_ok=True)
    if corpus.build in ("cmake", "bear"):
        folder, database = (cmake_database(corpus.package, jobs, corpus.cmake_args, corpus.root)
                            if corpus.build == "cmake"
                            else bear_database(corpus.package, corpus.make, jobs, corpus.root))
        with open(database) as f:
            return folder, database, json.load(f)
    base = BY_NAME[corpus.base]
    if base.npm:
        fetch_npm(base.npm)
    folder = base.folder()
    sources = globbed(folder, base.sources, base.exclude)
    entries = [{"directory": folder, "arguments": ["gcc", *base.flags, "-c", src], "file": src}
               for src in sources]
    database = os.path.join(work, "compile_commands.json")
    with open(database, "w") as f:
        json.dump(entries, f, indent=1)
    return folder, database, entries


def print_prepared(corpus, binary, jobs):
    """Prints "FOLDER DATABASE LISTING": LISTING names the database's files and the headers
    that the scan with it reads as files, relative to FOLDER, one a line."""
    folder, database, entries = prepare_build(corpus, jobs)
    work = os.path.join(WORK, corpus.name)
    listing = os.path.join(work, "scanned-files.txt")
    out = os.path.join(work, "prepare.json")
    # -V names each header scanned as a file, with or without definitions in it.
    run = subprocess.run([binary, f"--compile-commands={database}", "--format=json", f"--output={out}",
                          "-V"], cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                         check=True)
    os.remove(out)
    reached = re.compile(r"^quenwick-graph: (.*): scanned as .* includes it, with that file's configuration$")
    files = {norm(m.group(1)) for line in run.stderr.decode("utf-8", "surrogateescape").splitlines()
             if (m := reached.match(line))}
    listed = {below(os.path.normpath(os.path.join(e["directory"], e["file"])), folder) for e in entries}
    names = sorted(listed | {f for f in files if inside(f)})
    check_tokens(names, folder)
    write_list(listing, names)
    print(folder, database, listing)


def measure_build(corpus, graph, args):
    folder, database, entries = prepare_build(corpus, args.jobs)
    work = os.path.join(WORK, corpus.name)
    ci, failed = compile_entries(entries, work, args.jobs)
    # Each .ci file is named by its entry's number.
    directories = {c: entries[int(os.path.basename(c)[:-3])]["directory"] for c in ci}
    if failed:
        # The scan gets the files that gcc compiled, as the other corpora do.
        entries = [e for e in entries if e["file"] not in failed]
        database = os.path.join(work, "compiled_commands.json")
        with open(database, "w") as f:
            json.dump(entries, f, indent=1)
    gcc = GccGraph(root=folder)
    gcc.read(ci, directories)
    log(f"({corpus.name}) gcc: {len(entries)} units, {len(gcc.defs)} definitions, "
        f"{len(gcc.edges)} calls; {graph.label} --compile-commands")
    result = {"kind": "build", "title": corpus.title, "units": len(entries), "failed": failed,
              "graph_status": None, "peers": {}, "inlined_calls": gcc.inlined}
    result.update({k: v for k, v in def_measures(gcc, {}, set()).items() if k.startswith("gcc")})
    result.update(gcc_calls=len(gcc.edges))
    doc, err, seconds, status = graph.run(folder, [], work, extra=[f"--compile-commands={database}"])
    result.update(graph_status=status, graph_seconds=round(seconds, 2))
    if doc is None:
        return result
    listed = {below(os.path.normpath(os.path.join(e["directory"], e["file"])), folder) for e in entries}
    measures, scanned = graph_measures(gcc, doc, work, units=listed)
    result.update(measures)
    with open(err, "rb") as f:
        result["summary"] = next((l.decode("utf-8", "replace").strip() for l in f
                                  if SUMMARY.search(l)), "")
    # The same files and the headers it scanned, without the database, for comparison.
    names = sorted(listed | {f for f in scanned if inside(f)})
    check_tokens(names, folder)
    doc, _, seconds, status = graph.run(folder, names, work, keep_json=False)
    if doc is not None:
        plain, _ = graph_measures(gcc, doc, None, units=listed)
        result["peers"]["unconfigured"] = plain
    return result


def graph_measures(gcc, doc, work, keep=None, units=None):
    """Definition and call measures of one quenwick-graph document against gcc, with
    only the files `keep` accepts counted (by default those inside the corpus); also
    the set of files it holds. With `work`, the lists of misses are written there."""
    keep = keep or inside
    recs = Records(doc)
    defs, records_of = {}, {}
    for f in recs.functions():
        key = (recs.file[f["id"]], f["name"])
        if not keep(key[0]):
            continue
        defs.setdefault(key, set()).update(Records.lines(f))
        records_of.setdefault(key, []).append(f)
    # Statics of headers, and of sources that only other files include (UNITS: the
    # files compiled as units, when known), which gcc leaves out when unused.
    static_h = {k for k, fs in records_of.items()
                if (is_header(k[0]) or (units is not None and k[0] not in units))
                and any(f.get("static") is True for f in fs)}
    key_of = {f["id"]: (recs.file[f["id"]], f["name"]) for f in recs.functions()}
    calls, sites = set(), {}
    for f in recs.functions():
        caller = key_of[f["id"]]
        if caller in gcc.defs:
            calls.update((caller, key_of[c]) for c in recs.reach(f["id"]))
            for site in f.get("calls") or []:
                c = site.get("callee")
                if c not in recs.by_id:
                    continue
                ends = recs.reach(c) if recs.kind[c] == "macro" else {c}
                for e in ends:
                    sites.setdefault((caller, key_of[e]), site.get("line"))
    out = {**def_measures(gcc, defs, static_h), **call_measures(gcc, calls)}
    if work:
        write_details(work, gcc, defs, calls, sites)
    return out, set(recs.file.values())


def write_details(work, gcc, defs, calls, sites):
    """Lists for tuning: what gcc has that the scan missed, and what it claims beyond gcc."""
    missed, wrong_line = [], []
    for (file, name), lines in gcc.defs.items():
        got = defs.get((file, name))
        if not got:
            missed.extend(f"{file}:{l}: {name}" for l in lines)
        elif not lines & got:
            wrong_line.append(f"{file}:{min(lines)}: {name} (scan: line "
                              f"{', '.join(str(l) for l in sorted(x for x in got if x))})")
    write_lines(os.path.join(work, "missed-defs.txt"), missed)
    write_lines(os.path.join(work, "wrong-line-defs.txt"), wrong_line)
    write_lines(os.path.join(work, "extra-defs.txt"),
                [f"{f}:{min((l for l in ls if l), default=0)}: {n}"
                 for (f, n), ls in defs.items() if (f, n) not in gcc.defs])
    write_lines(os.path.join(work, "missed-calls.txt"),
                [f"{site}: {a[1]} -> {b[1]} ({b[0]})" for (a, b), site in gcc.edges.items()
                 if (a, b) not in calls])
    write_lines(os.path.join(work, "extra-calls.txt"),
                [f"{a[0]}:{sites.get((a, b)) or min(defs[a] - {None}, default=0)}: "
                 f"{a[1]} -> {b[1]} ({b[0]})" for a, b in calls
                 if a in gcc.defs and b in gcc.defs and (a, b) not in gcc.all_edges])


def measure_balance(corpus, graph, args):
    work = os.path.join(WORK, corpus.name)
    os.makedirs(work, exist_ok=True)
    result = {"kind": "balance", "title": corpus.title, "trees": []}
    extra = BALANCE_VERBOSE if graph.scan_args else []
    listing = []
    for title, tree in (("Linux 6.1", LINUX), ("glibc 2.36", GLIBC)):
        names = c_and_h_below(tree, ["."])
        log(f"(balance) {title}: {len(names)} files, {graph.label}")
        _, err, seconds, status = graph.run(tree, names, work, extra=extra, keep_json=False)
        bad, summary, undecided = parse_balance(err, names)
        shutil.copy(err, os.path.join(work, f"graph-{os.path.basename(tree)}.err"))
        result["trees"].append({"title": title, "files": len(names), "status": status,
                                "unbalanced": {f: sorted(r) for f, r in sorted(bad.items())},
                                "summary": summary, "undecided": undecided,
                                "seconds": round(seconds, 2)})
        listing += [f"{os.path.basename(tree)}/{f}: {'; '.join(sorted(r))}"
                    for f, r in sorted(bad.items())]
    write_lines(os.path.join(work, "unbalanced.txt"), listing)
    return result


# --- report -------------------------------------------------------------------------------

def commit():
    def git(*a):
        return subprocess.run(["git", "-C", ROOT, *a], capture_output=True, text=True)
    sha = git("rev-parse", "--short", "HEAD").stdout.strip() or "unknown"
    dirty = git("status", "--porcelain", "--", "src", "CMakeLists.txt").stdout.strip()
    return sha + (" with uncommitted changes in src/" if dirty else "")


def table_lines(results):
    out = []
    ctags = [(n, r) for n, r in results if r["kind"] == "ctags"]
    gcc = [(n, r) for n, r in results if r["kind"] == "gcc"]
    bal = [(n, r) for n, r in results if r["kind"] == "balance"]
    builds = [(n, r) for n, r in results if r["kind"] == "build"]
    if ctags:
        out += ["### Definitions against Universal Ctags",
                "",
                "(file, name) pairs of `ctags -x --c-kinds=f` (headers read as C) and of the scan's",
                "function records (not macros), on the same *.c and *.h files.",
                "",
                "*Macro calls aside*: without Ctags' records of a macro's call as a definition of",
                "the macro (`weak_alias (a, b)`), a name the scan has as a macro. *Macro-made aside*:",
                "without the scan's definitions that a file-level macro call makes (`SETTER(size);`),",
                "whose name is not written on their line, which Ctags does not expand, and those",
                "within ten lines after a macro call that Ctags recorded in their stead.",
                "",
                "| Corpus | Files | ctags | scan | Recall | Precision | Recall, macro calls aside "
                "| Precision, macro-made aside | Scan | Run |",
                "|---|---:|---:|---:|---:|---:|---:|---:|---|---|"]
        for name, r in ctags:
            if r.get("recall") is None and r.get("found") is None:
                out.append(f"| {r['title']} | {r['files']} | {r['reference']} | failed "
                           f"(status {r['graph_status']}) | | | | | {r['scan']} | {r['when']} |")
                continue
            aside = (f"{pct(r.get('recall_aside'))} ({r.get('ctags_macro_calls', 0)} aside)",
                     f"{pct(r.get('precision_aside'))} ({r.get('macro_made', 0)} aside)")
            out.append(f"| {r['title']} | {r['files']} | {r['reference']} | {r['found']} "
                       f"| {pct(r['recall'])} | {pct(r['precision'])} | {aside[0]} | {aside[1]} "
                       f"| {r['scan']} | {r['when']} |")
        out.append("")
    if gcc:
        out += ["### Definitions and calls against gcc's call graph",
                "",
                "`gcc -O0 -fcallgraph-info -w FLAGS -c FILE` on each file; the scanners get the files",
                "that compiled and the project's headers. *At line*: gcc's definitions (file, name)",
                "found at gcc's line (or one of the record's other places). *Def. precision*: the",
                "claimed definitions (file, name) that gcc compiled (static ones in headers left",
                "out when the tool marks them). *Calls*: gcc's direct calls between compiled",
                "functions whose site lies in the caller's own text (from its line to the next",
                "compiled definition of its file), as (file, name) pairs; *found* when the",
                "caller's record reaches the callee's through zero or more macro records.",
                "*Call precision*: the claimed calls between compiled functions that gcc has.",
                "",
                "| Corpus | Units | Tool | gcc defs | At line | Any line | Def. precision "
                "| gcc calls | Calls found | Claimed calls | Call precision | Run |",
                "|---|---:|---|---:|---:|---:|---:|---:|---:|---:|---:|---|"]
        for name, r in gcc:
            rows = [("quenwick-graph " + r["scan"], r)] + list(r.get("peers", {}).items())
            for tool, m in rows:
                label = {"ctags": "Universal Ctags", "cflow": "GNU cflow (no preprocessor)"}.get(tool, tool)
                if "defs_at_line" not in m:
                    out.append(f"| {r['title']} | {r['units']} | {label} | {r['gcc_defs']} "
                               f"| failed (status {r['graph_status']}) | | | | | | | {r['when']} |")
                    continue
                calls = ("", "", "", "") if "call_recall" not in m else (
                    m["gcc_calls"], pct(m["call_recall"]), m["claimed_calls"], pct(m["call_precision"]))
                out.append(f"| {r['title']} | {r['units']} | {label} | {m['gcc_defs']} "
                           f"| {pct(m['defs_at_line'])} | {pct(m['defs_any_line'])} "
                           f"| {pct(m['def_precision'])} | {calls[0]} | {calls[1]} | {calls[2]} "
                           f"| {calls[3]} | {r['when']} |")
        out.append("")
        notes = []
        for name, r in gcc:
            bits = [f"flags `{r['flags']}`" if r["flags"] else "no extra flags",
                    f"{r['headers']} headers"]
            if r["failed"]:
                bits.append("did not compile: " + ", ".join(
                    f"`{f}` ({short_error(msg)})" for f, msg in sorted(r["failed"].items())))
            bits.append(f"{r['inlined_calls']} call sites left out as inlined (outside the caller's text), "
                        f"{r['ambiguous_calls']} as calls of a name several units define")
            if BY_NAME[name].note:
                bits.append(BY_NAME[name].note)
            notes.append(f"- {r['title']}: " + "; ".join(bits) + ".")
        out += notes + [""]
    if builds:
        out += ["### Definitions and calls with the build's compile_commands.json",
                "",
                "`quenwick-graph --compile-commands=DATABASE` against gcc's call graph, each entry",
                "compiled with its own flags and `-O0 -fcallgraph-info -w` after them; the files",
                "inside the project count (headers the scan reached included; gcc's are those it",
                "compiled). *Unconfigured*: the same files, and the headers the configured scan",
                "read as files, given as arguments without the database. Measures as above; static",
                "functions of headers, and of sources that only other files include (gnulib's",
                "`dynarray-skeleton.c`), are left out of the precision (gcc leaves out the unused ones).",
                "gcc places a function first declared in a system header (one of the system's",
                "folders, or one that says `#pragma GCC system_header`) at that declaration",
                "(glibc declares the `getopt` of gawk's `support/getopt.c`, gnulib's replacement",
                "headers the `rpl_fclose` of `lib/fclose.c`): such a unit is compiled again from",
                "its preprocessed text with the system-header marks of its line markers removed,",
                "and that call graph counts.",
                "",
                "| Corpus | Units | Scan | gcc defs | At line | Any line | Def. precision "
                "| gcc calls | Calls found | Claimed calls | Call precision | Run |",
                "|---|---:|---|---:|---:|---:|---:|---:|---:|---:|---:|---|"]
        for name, r in builds:
            rows = [("--compile-commands", r)] + [("unconfigured", m) for m in
                                                  [r.get("peers", {}).get("unconfigured")] if m]
            for label, m in rows:
                if "defs_at_line" not in m:
                    out.append(f"| {r['title']} | {r['units']} | {label} | {r['gcc_defs']} "
                               f"| failed (status {r['graph_status']}) | | | | | | | {r['when']} |")
                    continue
                out.append(f"| {r['title']} | {r['units']} | {label} | {m['gcc_defs']} "
                           f"| {pct(m['defs_at_line'])} | {pct(m['defs_any_line'])} "
                           f"| {pct(m['def_precision'])} | {m['gcc_calls']} | {pct(m['call_recall'])} "
                           f"| {m['claimed_calls']} | {pct(m['call_precision'])} | {r['when']} |")
        out.append("")
        for name, r in builds:
            bits = [f"{r['units']} entries"]
            if r.get("failed"):
                bits.append("did not compile: " + ", ".join(
                    f"`{f}` ({short_error(msg)})" for f, msg in sorted(r["failed"].items())))
            if r.get("summary"):
                bits.append(f"the scan's summary: \"{r['summary']}\"")
            bits.append(f"{r.get('inlined_calls', 0)} call sites left out as inlined")
            out.append(f"- {r['title']}: " + "; ".join(bits) + ".")
        out.append("")
    if bal:
        out += ["### Balance", "",
                "Files whose braces or conditionals do not balance, as the scan reports them.", "",
                "| Tree | Files | Unbalanced | Scan's summary | Scan | Run |", "|---|---:|---:|---|---|---|"]
        for name, r in bal:
            for t in r["trees"]:
                out.append(f"| {t['title']} | {t['files']} | {len(t['unbalanced'])} "
                           f"| {t['summary'] or '—'} | {r['scan']} | {r['when']} |")
        out.append("")
        for name, r in bal:
            for t in r["trees"]:
                items = list(t["unbalanced"].items())
                if items:
                    shown = ", ".join(f"`{f}` ({'; '.join(v)})" for f, v in items[:25])
                    more = f", and {len(items) - 25} more" if len(items) > 25 else ""
                    out.append(f"- {t['title']}: {shown}{more}.")
        out.append("")
    return out


def short_error(message):
    text = message.split("error: ", 1)[-1].replace("`", "'")
    return text if len(text) <= 70 else text[:67] + "..."


# The aims for the C scan, as (measure, least share).
AIMS = {"ctags": [("recall", 0.99), ("precision", 0.99), ("recall_aside", 0.99),
                  ("precision_aside", 0.99)],
        "gcc": [("defs_at_line", 0.99), ("call_recall", 0.95), ("call_precision", 0.97)],
        "build": [("defs_at_line", 0.995), ("def_precision", 0.995)]}
AIM_NAMES = {"recall": "recall", "precision": "precision", "recall_aside": "recall, macro calls aside",
             "precision_aside": "precision, macro-made aside", "defs_at_line": "definitions at line",
             "call_recall": "calls found", "call_precision": "call precision",
             "def_precision": "definition precision"}


def verdicts(results):
    """One line per corpus: each aim met or missed."""
    out = []
    for _, r in results:
        if r["kind"] == "balance":
            bad = sum(len(t["unbalanced"]) for t in r["trees"])
            out.append(f"- {r['title']}: no file unbalanced: {'met' if bad == 0 else f'MISSED ({bad})'}")
            continue
        bits = []
        for key, least in AIMS[r["kind"]]:
            if least >= 0.995:
                value = r.get(key)
                state = "not measured" if value is None else "met" if value >= least else "MISSED"
                bits.append(f"{AIM_NAMES[key]} >= {100 * least:.1f} %: {state}")
                continue
            value = r.get(key)
            state = "not measured" if value is None else "met" if value >= least else "MISSED"
            bits.append(f"{AIM_NAMES[key]} >= {100 * least:.0f} %: {state}")
        out.append(f"- {r['title']}: " + "; ".join(bits))
    return out


def put_section(name, text):
    begin, end = f"<!-- begin {name} -->", f"<!-- end {name} -->"
    doc = open(RESULTS, encoding="utf-8").read() if os.path.exists(RESULTS) else "# Benchmark results\n"
    if begin not in doc:
        doc = doc.rstrip("\n") + f"\n\n{begin}\n{end}\n"
    head, rest = doc.split(begin, 1)
    _, tail = rest.split(end, 1)
    with open(RESULTS, "w", encoding="utf-8") as f:
        f.write(f"{head}{begin}\n{text.rstrip()}\n{end}{tail}")


def report(order):
    results = []
    for corpus in CORPORA:
        path = os.path.join(WORK, "results", corpus.name + ".json")
        if os.path.exists(path):
            with open(path) as f:
                results.append((corpus.name, json.load(f)))
    lines = ["## Accuracy", "",
             "Written by `bench/accuracy` (each corpus replaces its own rows; *Run* is the commit",
             "and day of that corpus' last run). Lists of the misses and of the extra claims of",
             "the last run are in `bench/cache/accuracy/CORPUS/`.", "",
             f"- Tools: {tool_version(['gcc', '--version'])}; "
             f"{tool_version(['ctags', '--version']).split(',')[0]}; "
             f"{tool_version(['cflow', '--version'])}", ""]
    lines += table_lines(results)
    lines += ["Aims of the C scan:"] + verdicts(results)
    put_section("accuracy", "\n".join(lines))
    shown = [(n, r) for n, r in results if n in order]
    print("\n".join(table_lines(shown) + ["Aims of the C scan:"] + verdicts(shown)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--graph", required=True, help="the quenwick-graph binary")
    parser.add_argument("--scan", default=os.environ.get("SCAN", "c"),
                        help="the --scan value to ask for (c, quenwick), or none")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--no-peers", dest="peers", action="store_false",
                        help="leave out Universal Ctags and cflow against gcc")
    parser.add_argument("--report-only", action="store_true",
                        help="rewrite the section from the stored results only")
    parser.add_argument("--prepare-build", metavar="CORPUS",
                        help="make a build corpus ready and print its folder, its database and a "
                             "list of the files the scan reads with it (for bench/run)")
    parser.add_argument("corpora", nargs="*", metavar="CORPUS")
    args = parser.parse_args()
    if args.prepare_build:
        print_prepared(BY_NAME[args.prepare_build], os.path.abspath(args.graph), args.jobs)
        return
    names = args.corpora or [c.name for c in CORPORA]
    unknown = [n for n in names if n not in BY_NAME]
    if unknown:
        sys.exit(f"bench/accuracy: unknown corpus '{unknown[0]}' "
                 f"({', '.join(c.name for c in CORPORA)})")
    if args.report_only:
        report(names)
        return
    graph = Graph(os.path.abspath(args.graph), args.scan)
    os.makedirs(os.path.join(WORK, "results"), exist_ok=True)
    when = f"{commit()}, {datetime.date.today().isoformat()}"
    for name in names:
        corpus = BY_NAME[name]
        measure = {"ctags": measure_ctags, "gcc": measure_gcc, "balance": measure_balance,
                   "build": measure_build}[corpus.kind]
        result = measure(corpus, graph, args)
        stored = os.path.join(WORK, "results", name + ".json")
        if corpus.kind == "gcc" and not args.peers and os.path.exists(stored):
            with open(stored) as f:  # the peers' figures do not depend on the scan
                result["peers"] = json.load(f).get("peers", {})
        result.update(scan=graph.label.replace("quenwick-graph ", ""), when=when, note=graph.note)
        with open(os.path.join(WORK, "results", name + ".json"), "w") as f:
            json.dump(result, f, indent=1, default=sorted)
    report(names)


if __name__ == "__main__":
    main()
