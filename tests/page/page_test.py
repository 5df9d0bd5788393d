#!/usr/bin/env python3
"""The page of quenwick-graph --format=html, opened in headless Chromium.

Usage: page_test.py QUENWICK_GRAPH_BINARY

Writes a small program with recursion, a repeated branch, a name defined twice, a
callee without definition and captions that look like markup, makes pages of it and
checks, in a real browser, that views chosen by the URL fragment show the callers
and callees of the text tree with its markers, that search, keyboard and history
work, that the captions stay text and that nothing but the file is loaded.
Exit status 77 (skipped) when Chromium is not installed.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from headless_chromium import HeadlessChromium, find_chromium, press  # noqa: E402

SKIPPED = 77
BINARY = None

SCRIPT_CAPTION = "ends </script><script>alert(1)</script> here"
IMG_CAPTION = "<img src=x onerror=alert(1)> & <!-- \u2028 too"
# A UTF-16 surrogate written as UTF-8 is no character: it must arrive as U+FFFD.
SURROGATE_BYTES = b"\xed\xa0\x80"

SOURCES = {
    "a.c": (
        "// 機能: where it starts\n"
        "int main(void)\n{\n    walk(3);\n    helper();\n    helper2();\n"
        "    missing_fn();\n    twice();\n    return 0;\n}\n\n"
        "// 機能: " + SCRIPT_CAPTION + "\n"
        "void walk(int n)\n{\n    if (n) walk(n - 1);\n    leaf();\n}\n\n"
        "// 機能: " + IMG_CAPTION + "\n"
        "void helper(void)\n{\n    leaf();\n    ping();\n}\n\n"
        "void helper2(void)\n{\n    leaf(); ping();\n}\n\n"
        "// 機能: bad @@\n"
        "void leaf(void)\n{\n}\n\n"
        "void ping(void) { pong(); }\n"
        "void pong(void) { ping(); }\n"
    ).encode().replace(b"@@", SURROGATE_BYTES),
    "b.c": b"void twice(void)\n{\n}\n",
    "c.c": b"void twice(void)\n{\n}\nvoid helper(void)\n{\n}\n",
    # A file name that is markup, too.
    "odd<b>&.c": "// 機能: in an odd file\nvoid odd(void)\n{\n    leaf();\n}\n".encode(),
}
FILES = ["a.c", "b.c", "c.c", "odd<b>&.c"]

MARKS = {"[再帰]": "recursion", " ･･･": "repeat"}
TEXT_LINE = re.compile(r"^(\S+)\s+(\d*)\s.*?<(\d+)>(\S+?)\(\)(\[再帰\]| ･･･| 複数存在)?(\t.*)?$")

# The lines a view shows: [depth, name, kind, mark] in document order.
SHOWN_LINES = """
[...document.querySelectorAll('#view li.node')]
  .filter((li) => li.offsetParent !== null)
  .map((li) => [Number(li.getAttribute('aria-level')), li.dataset.name, li.dataset.kind,
                li.dataset.mark || ''])
"""


def run_graph(folder, *options):
    """Runs quenwick-graph in `folder` on the program with quenwick's own scan, whose
    trees the page's are compared with; returns standard output."""
    env = dict(os.environ, QUENWICK_ENCODING="UTF-8")
    result = subprocess.run(["./quenwick-graph", "--scan=quenwick", *options, *FILES], cwd=folder,
                            env=env,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=True)
    return result.stdout.decode("utf-8", errors="replace")


def text_lines(text, shift=1):
    """The text tree's lines as [depth + shift, name, kind, mark]."""
    lines = []
    for line in text.rstrip("\n").split("\n"):
        if line.startswith("#elif "):
            continue  # the scan writes each #elif's value on standard output
        m = TEXT_LINE.match(line)
        assert m, "unexpected line: %r" % line
        column, _, depth, name, marker, _ = m.groups()
        kind = {"(null)": "undefined", "???": "several"}.get(column, "function")
        mark = MARKS.get(marker or "", "")
        lines.append([int(depth) + shift, name, kind, mark])
    return lines


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="quenwick-page-")
        for name, data in SOURCES.items():
            with open(os.path.join(cls.folder, name), "wb") as f:
                f.write(data)
        # A copy with no configuration beside it, so that every name counts as a
        # call (if() too), whatever the build put beside the program.
        shutil.copy2(BINARY, os.path.join(cls.folder, "quenwick-graph"))
        run_graph(cls.folder, "--format=html", "--output=whole.html")
        run_graph(cls.folder, "--format=html", "--output=callers.html", "--callers=leaf",
                  "--depth=1")
        cls.browser = HeadlessChromium()
        cls.page = cls.browser.open_page()

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        subprocess.run(["rm", "-rf", cls.folder], check=False)

    def read(self, page):
        with open(os.path.join(self.folder, page), encoding="utf-8") as f:
            return f.read()

    def url(self, page, fragment=""):
        return "file://" + os.path.join(self.folder, page) + fragment

    def show(self, fragment, page="whole.html"):
        """Opens `fragment` of a page, from a fresh load, and waits for its view."""
        self.page.navigate("about:blank")
        self.page.navigate(self.url(page, fragment))
        self.page.wait_for("document.documentElement.dataset.views === '1'"
                           " && document.documentElement.dataset.sites === 'ready'", 30)

    def shown(self):
        return self.page.evaluate(SHOWN_LINES)

    def test_trees_are_those_of_the_text(self):
        # Callers and callees to any depth: the lines, kinds and markers of the text
        # tree, "already shown" and recursion included.
        for fragment, options in [
            ("#callers=leaf", ["--callers=leaf"]),
            ("#callers=leaf&depth=1", ["--callers=leaf", "--depth=1"]),
            ("#callers=ping&depth=5", ["--callers=ping", "--depth=5"]),
            ("#callees=main", ["--root=main"]),
            ("#callees=main&depth=1", ["--root=main", "--depth=1"]),
            ("#callees=helper@a.c&depth=2", ["--root=helper@a.c", "--depth=2"]),
        ]:
            with self.subTest(fragment=fragment):
                self.show(fragment)
                self.assertEqual(self.shown(), text_lines(run_graph(self.folder, *options)))

    def test_function_view_by_fragment(self):
        self.show("#fn=helper@a.c")
        view = self.page.evaluate(
            "[document.title, document.querySelector('h1').textContent,"
            " document.querySelector('.facts .loc').textContent,"
            " document.querySelector('.counts').textContent]")
        self.assertEqual(view, ["helper - quenwick-graph", "helper", "a.c:20",
                                "2 callees · 1 caller"])
        # One level of each tree is drawn, nothing below it until it is opened.
        self.assertEqual(self.shown(), [[1, "leaf", "function", ""], [1, "ping", "function", ""],
                                        [1, "main", "function", ""]])
        self.assertEqual(self.page.evaluate("document.querySelectorAll('li.node').length"), 3)
        # A name with two definitions offers both; an unknown one says so.
        self.show("#fn=twice")
        self.assertEqual(self.page.evaluate(
            "[...document.querySelectorAll('.choices a')].map((a) => a.textContent)"),
            ["b.c:1", "c.c:1"])
        self.show("#fn=no_such")
        self.assertEqual(self.page.evaluate("document.querySelector('h1').textContent"),
                         "Not found")
        # The function view of a file name that is markup.
        self.show("#fn=odd")
        self.assertEqual(self.page.evaluate("document.querySelector('.facts .loc').textContent"),
                         "odd<b>&.c:2")

    def test_source_texts_stay_text(self):
        raw = self.read("whole.html")
        start = raw.index('<script type="application/json" id="graph-data">')
        block = raw[raw.index(">", start) + 1:raw.index("</script>", start)]
        for forbidden in ("<", ">", "&", "\u2028"):
            self.assertNotIn(forbidden, block)
        self.assertEqual(raw.count("<script"), 11)  # the data, the nine scripts, the places
        self.show("#callees=main")
        captions = self.page.evaluate(
            "Object.fromEntries([...document.querySelectorAll('li.node')].map("
            "(li) => [li.dataset.name, li.querySelector('.cap').textContent]))")
        self.assertEqual(captions["walk"], SCRIPT_CAPTION)
        self.assertEqual(captions["helper"], IMG_CAPTION)
        self.assertEqual(captions["leaf"], "bad \ufffd\ufffd\ufffd")
        self.show("#fn=odd")
        self.assertEqual(self.page.evaluate(
            "[document.querySelectorAll('img, iframe, object, embed').length,"
            " document.querySelectorAll('script').length]"), [0, 11])
        self.assertEqual(self.page.problems(), [])

    def test_search_keyboard_and_history(self):
        self.show("")
        self.assertEqual(self.page.evaluate("document.activeElement.id"), "search-box")
        self.page.type("HELP")
        self.assertEqual(self.page.evaluate(
            "[...document.querySelectorAll('#search-results li .fn')].map((e) => e.textContent)"),
            ["helper", "helper2", "helper"])
        self.assertEqual(self.page.evaluate("document.getElementById('search-count').textContent"),
                         "3 matches")
        press(self.page, "ArrowDown")
        press(self.page, "Enter")
        self.page.wait_for("location.hash === '#fn=helper2'")
        self.page.wait_for("document.querySelector('h1').textContent === 'helper2'")
        self.page.evaluate("document.getElementById('search-box').select()")
        self.page.evaluate("document.getElementById('search-box').focus()")
        self.page.type("MAIN")
        press(self.page, "Enter")
        self.page.wait_for("document.querySelector('h1').textContent === 'main'")
        # With Tab past the counts and the picture into the tree of callees, open walk
        # with the arrow keys, go down to leaf and follow it.
        for _ in range(40):
            press(self.page, "Tab")
            if self.page.evaluate("document.activeElement.getAttribute('role')") == "treeitem":
                break
        self.assertEqual(self.page.evaluate("document.activeElement.dataset.name"), "walk")
        press(self.page, "ArrowRight")
        self.assertEqual(self.page.evaluate(
            "document.activeElement.getAttribute('aria-expanded')"), "true")
        press(self.page, "ArrowRight")
        # Down past walk's own line (and, under quenwick's scan, the "if" it takes
        # for a call).
        for _ in range(3):
            press(self.page, "ArrowDown")
            if self.page.evaluate("document.activeElement.dataset.name") == "leaf":
                break
        self.assertEqual(self.page.evaluate("document.activeElement.dataset.name"), "leaf")
        press(self.page, "Enter")
        self.page.wait_for("location.hash === '#fn=leaf'")
        self.page.evaluate("history.back()")
        self.page.wait_for("document.querySelector('h1').textContent === 'main'")
        self.page.evaluate("history.forward()")
        self.page.wait_for("document.querySelector('h1').textContent === 'leaf'")
        self.assertEqual(self.page.problems(), [])

    def test_labels_of_names_without_one_definition(self):
        self.show("#callees=main&depth=1")
        places = self.page.evaluate(
            "Object.fromEntries([...document.querySelectorAll('li.node')].map((li) =>"
            " [li.dataset.name, [li.querySelector('.loc').textContent,"
            " [...li.querySelectorAll('.loc a')].map((a) => a.getAttribute('href'))]]))")
        self.assertEqual(places["missing_fn"], ["not defined in these files", []])
        self.assertEqual(places["twice"], ["2 definitions: b.c:1, c.c:1",
                                           ["#fn=twice@b.c", "#fn=twice@c.c"]])
        # The text output keeps the configured markers.
        self.assertIn("(null)", run_graph(self.folder))

    def test_a_line_shown_before_opens_to_its_callees(self):
        self.show("#callees=main")
        below = ("[...document.querySelectorAll('li[data-name=helper2] li.node')]"
                 ".filter((li) => li.offsetParent !== null)"
                 ".map((li) => [li.dataset.name, li.dataset.mark || ''])")
        self.assertEqual(self.page.evaluate(below), [["leaf", "repeat"], ["ping", "repeat"]])
        self.page.evaluate("document.querySelector("
                           "'li[data-name=helper2] li[data-name=ping] > .row').click()")
        self.assertEqual(self.page.evaluate(below), [["leaf", "repeat"], ["ping", "repeat"],
                                                     ["pong", ""]])
        # A line without callees has nothing to open.
        self.assertIsNone(self.page.evaluate(
            "document.querySelector('li[data-name=helper2] li[data-name=leaf]')"
            ".getAttribute('aria-expanded')"))

    def test_query_chooses_what_the_page_holds(self):
        self.show("", page="callers.html")
        self.assertEqual(self.shown(), text_lines(
            run_graph(self.folder, "--callers=leaf", "--depth=1")))
        self.show("#fn=main", page="callers.html")
        self.assertEqual(self.page.evaluate("document.querySelector('h1').textContent"),
                         "Not found")

    def test_nothing_is_loaded_but_the_file(self):
        self.show("#callees=main")
        requests = [url for url in self.page.requests() if not url.startswith(("about:", "data:"))]
        self.assertTrue(requests)
        self.assertEqual(set(requests), {self.url("whole.html")})
        # The one address in the page is the name of SVG's namespace, which loads nothing.
        raw = self.read("whole.html").replace("'http://www.w3.org/2000/svg'", "")
        self.assertIsNone(re.search(r"(?i)\b(https?|wss?|ftp):", raw))

    def test_follows_the_dark_setting(self):
        colors = []
        for scheme in ("light", "dark"):
            self.page.send("Emulation.setEmulatedMedia",
                           {"features": [{"name": "prefers-color-scheme", "value": scheme}]})
            self.show("#fn=main")
            colors.append(self.page.evaluate("getComputedStyle(document.body).backgroundColor"))
        self.page.send("Emulation.setEmulatedMedia", {"features": []})
        self.assertEqual(colors, ["rgb(255, 255, 255)", "rgb(22, 24, 27)"])


def main():
    global BINARY
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    BINARY = os.path.abspath(sys.argv[1])
    if find_chromium() is None:
        print("chromium is not installed: skipped")
        return SKIPPED
    result = unittest.main(argv=[sys.argv[0], "-v"], exit=False).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
