#!/usr/bin/env python3
"""The page of all of kernel/ of Linux 6.1, opened in headless Chromium.

Usage: kernel_page_test.py QUENWICK_GRAPH_BINARY [SCREENSHOT_FOLDER]

Takes kernel/ from bench/cache/linux-source-6.1 when the benchmark has unpacked it,
else unpacks it once from Debian's linux-source-6.1 into bench/cache/page-kernel.
Checks that the page is under 5 MB, loads without a script error, finds a function
by search, shows the callers and callees of the text tree, and draws pictures,
every "+N more" opened, with the boxes and calls of the JSON document, no two boxes
overlapping and every edge joining two boxes. Screenshots of pictures at two window
sizes go to SCREENSHOT_FOLDER. Exit status 77 (skipped) without Chromium or the
Linux sources.
"""
import base64
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(REPO, "tools"))
sys.path.insert(0, HERE)
from headless_chromium import HeadlessChromium, find_chromium  # noqa: E402
from page_test import SHOWN_LINES, text_lines  # noqa: E402
from picture_test import OPEN_ALL, PICTURE, geometry_faults, json_neighbourhood, \
    picture_sets  # noqa: E402

# Pictures checked against the JSON documents, every "+N more" opened.
PICTURES = [("do_exit", 1, 1), ("do_exit", 2, 2), ("mutex_lock@kernel/locking/mutex.c", 1, 0),
            ("schedule@kernel/sched/core.c", 2, 1)]
SCREENSHOTS = [("#fn=do_exit&up=2&down=2", "do_exit"),
               ("#fn=schedule@kernel/sched/core.c&up=2&down=1", "schedule")]

SKIPPED = 77
TARBALL = "/usr/src/linux-source-6.1.tar.xz"
CACHE = os.path.join(REPO, "bench", "cache")


def kernel_tree():
    """A folder holding kernel/ of Linux 6.1, or None."""
    for tree in (os.path.join(CACHE, "linux-source-6.1"),
                 os.path.join(CACHE, "page-kernel", "linux-source-6.1")):
        if os.path.isdir(os.path.join(tree, "kernel")):
            return tree
    if not os.path.exists(TARBALL):
        return None
    target = os.path.join(CACHE, "page-kernel")
    os.makedirs(target, exist_ok=True)
    print("unpacking kernel/ from " + TARBALL, flush=True)
    subprocess.run(["tar", "-C", target, "-xJf", TARBALL, "linux-source-6.1/kernel"],
                   check=True)
    return os.path.join(target, "linux-source-6.1")


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__)
        return 2
    shots = os.path.abspath(sys.argv[2]) if len(sys.argv) == 3 else None
    binary = os.path.abspath(sys.argv[1])
    tree = kernel_tree()
    if find_chromium() is None or tree is None:
        print("chromium or the Linux 6.1 sources are not installed: skipped")
        return SKIPPED
    files = sorted(os.path.relpath(os.path.join(root, name), tree)
                   for root, _, names in os.walk(os.path.join(tree, "kernel"))
                   for name in names if name.endswith(".c"))
    work = os.path.join(CACHE, "page-kernel")
    os.makedirs(work, exist_ok=True)
    listing = os.path.join(work, "kernel-files.txt")
    with open(listing, "w") as f:
        f.write("\n".join(files) + "\n")
    page_file = os.path.join(work, "kernel.html")
    env = dict(os.environ, QUENWICK_ENCODING="UTF-8")

    def graph(*options):
        return subprocess.run([binary, *options, "@" + listing], cwd=tree, env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              check=True).stdout

    graph("--format=html", "--output=" + page_file)
    size = os.path.getsize(page_file)
    print("%d files, page of %.2f MB" % (len(files), size / 1e6))
    failures = []
    if size >= 5e6:
        failures.append("the page is %d bytes, not under 5 MB" % size)
    with HeadlessChromium() as browser:
        page = browser.open_page()
        started = time.monotonic()
        page.navigate("file://" + page_file)
        page.wait_for("document.documentElement.dataset.firstViewMs !== undefined", 60)
        print("first view after %.2f s" % (time.monotonic() - started))
        if page.evaluate("document.querySelectorAll('#view li.node').length") == 0:
            failures.append("the first view shows no function")
        page.evaluate("document.getElementById('search-box').focus()")
        page.type("do_exit")
        first = page.evaluate("document.querySelector('#search-results li .fn').textContent")
        if first != "do_exit":
            failures.append("search for do_exit shows %r first" % first)
        for fragment, options in [("#callers=do_exit&depth=2", ["--callers=do_exit", "--depth=2"]),
                                  ("#callees=do_exit&depth=1", ["--root=do_exit", "--depth=1"]),
                                  ("#callers=mutex_lock&depth=3",
                                   ["--callers=mutex_lock", "--depth=3"])]:
            page.navigate("file://" + page_file + fragment)
            page.wait_for("document.documentElement.dataset.view !== 'home'", 30)
            shown = page.evaluate(SHOWN_LINES)
            expected = text_lines(graph(*options).decode("utf-8", errors="replace"))
            if shown != expected:
                failures.append("%s shows %d lines, %d differ from the text tree" % (
                    fragment, len(shown), sum(a != b for a, b in zip(shown, expected)) +
                    abs(len(shown) - len(expected))))
            else:
                print("%s: %d lines as in the text tree" % (fragment, len(shown)))
        for given, up, down in PICTURES:
            page.navigate("about:blank")
            page.navigate("file://%s#fn=%s&up=%d&down=%d" % (page_file, given, up, down))
            page.wait_for("document.documentElement.dataset.views === '1'", 30)
            boxes = page.evaluate(OPEN_ALL)
            picture = page.evaluate(PICTURE)
            want = json_neighbourhood(lambda *o: graph(*o).decode("utf-8", errors="replace"),
                                      given, up, down)
            faults = geometry_faults(picture)
            if picture_sets(picture) != want:
                faults.append("boxes or calls differ from the JSON")
            failures += ["picture of %s (%d, %d): %s" % (given, up, down, f) for f in faults[:5]]
            print("picture of %s, %d levels up and %d down: %d boxes, %d edges%s" % (
                given, up, down, boxes, len(picture["edges"]),
                "" if faults else ", as in the JSON"))
        if shots:
            os.makedirs(shots, exist_ok=True)
            for width, height in ((1280, 900), (480, 860)):
                page.send("Emulation.setDeviceMetricsOverride", {"width": width, "height": height,
                                                                 "deviceScaleFactor": 1,
                                                                 "mobile": width < 600})
                for fragment, name in SCREENSHOTS:
                    page.navigate("about:blank")
                    page.navigate("file://" + page_file + fragment)
                    page.wait_for("document.documentElement.dataset.views === '1'", 30)
                    time.sleep(0.2)
                    shot = page.send("Page.captureScreenshot", {"format": "png"})["data"]
                    with open(os.path.join(shots, "kernel-%s-%dx%d.png" % (name, width, height)),
                              "wb") as f:
                        f.write(base64.b64decode(shot))
        failures += page.problems()
        outside = [url for url in page.requests()
                   if not url.startswith(("about:", "data:", "file://" + page_file))]
        if outside:
            failures.append("requests other than the page: %r" % outside[:5])
    for failure in failures:
        print("FAILED: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
