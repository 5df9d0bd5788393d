#!/usr/bin/env python3
"""The picture, the places and the links of the page, in headless Chromium.

Usage: picture_test.py QUENWICK_GRAPH_BINARY [SCREENSHOT_FOLDER]

On the program of page_test.py with a function of many callees and a file in a
folder: the picture of a function holds the boxes and calls of the JSON document
of the same query, no two boxes overlap, every edge runs from the border of its
caller's box to the border of its callee's, a click on a box opens that function
and the back button returns, "+N more" opens, the levels control changes the
address, and the picture saves as an SVG file. With --link every place is a link
made from the template, escaped; file names are shown without the folder of the
inputs, with the full path as their tooltip; the places of the calls that the C
scan finds show on the lines of the trees and as counts on the edges. Hostile
captions, file names and templates run nothing. Screenshots at two window sizes
go to SCREENSHOT_FOLDER for a person to look at.
Exit status 77 (skipped) when Chromium is not installed.
"""
import base64
import json
import os
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse
import xml.etree.ElementTree as ElementTree

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools"))
sys.path.insert(0, HERE)
from headless_chromium import HeadlessChromium, find_chromium, press  # noqa: E402
import page_test  # noqa: E402

SKIPPED = 77
SCREENSHOTS = None

FAN = 30  # callees of fan: more than a level shows before it folds
SOURCES = dict(page_test.SOURCES, **{
    "fan.c": ("void fan(void)\n{\n" + "".join("    f%02d();\n" % i for i in range(FAN)) + "}\n" +
              "".join("void f%02d(void) { }\n" % i for i in range(0, FAN, 2))).encode(),
    "lib/deep.c": b"void deep(void)\n{\n    leaf();\n    leaf();\n}\n",
})
FILES = page_test.FILES + ["fan.c", "lib/deep.c"]
FACTS_LOC = "document.querySelector('.facts .loc')"
HOSTILE_LINK = 'https://x.org/?f={file}&l={line}"><script>alert(1)</script>'

# The boxes and edges of the picture: each box's id, level, label, kind, record or
# name, and rectangle; each edge's ends and the first and last points of its path.
PICTURE = """(() => {
  const svg = document.querySelector('.picture svg');
  const boxes = [...svg.querySelectorAll('.node')].map((g) => {
    const rect = g.querySelector('rect');
    const number = (name) => Number(rect.getAttribute(name));
    return {
      level: Number(g.dataset.level), label: g.querySelector('text').textContent,
      kind: [...g.classList].filter((c) => c !== 'node' && c !== 'center').join(' '),
      record: g.dataset.record === undefined ? null : Number(g.dataset.record),
      other: g.dataset.other === undefined ? null : Number(g.dataset.other),
      href: g.getAttribute('href'), title: g.querySelector('title').textContent,
      box: [number('x'), number('y'), number('width'), number('height')],
    };
  });
  const edges = [...svg.querySelectorAll('path.edge')].map((path) => {
    const length = path.getTotalLength();
    const start = path.getPointAtLength(0);
    const end = path.getPointAtLength(length);
    return { from: Number(path.dataset.from), to: Number(path.dataset.to),
             start: [start.x, start.y], end: [end.x, end.y] };
  });
  const counts = [...svg.querySelectorAll('text.count')].map((t) => t.textContent);
  return { boxes, edges, counts };
})()"""


def run_graph(folder, *options, files=FILES):
    env = dict(os.environ, QUENWICK_ENCODING="UTF-8")
    return subprocess.run([page_test.BINARY, *options, *files], cwd=folder, env=env,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          check=True).stdout.decode("utf-8", errors="replace")


def json_neighbourhood(graph, given, up, down):
    """The boxes and calls that the JSON documents of --root=SPEC --depth=DOWN and
    --callers=SPEC --depth=UP hold: ("f", id), ("u", name) or ("m", name).
    `graph(*options)` runs quenwick-graph and returns its standard output."""
    boxes, calls = set(), set()
    for option, depth in (("--root", down), ("--callers", up)):
        if depth == 0:
            continue
        doc = json.loads(graph("--format=json", "%s=%s" % (option, given), "--depth=%d" % depth))
        for f in doc["functions"]:
            me = ("f", f["id"])
            boxes.add(me)
            calls.update((me, ("f", c)) for c in f["callees"])
            for kind, names in (("u", f["undefined"]), ("m", f["ambiguous"])):
                boxes.update((kind, name) for name in names)
                calls.update((me, (kind, name)) for name in names)
    return boxes, calls


def picture_sets(picture):
    """The boxes and calls of a picture as json_neighbourhood gives them."""
    def key(box):
        if box["record"] is not None:
            return ("f", box["record"])
        # The label may be cut; the tooltip starts with the whole name.
        return ("u" if box["kind"] == "undefined" else "m", box["title"].split("\n")[0])
    keys = [key(box) for box in picture["boxes"]]
    return set(keys), {(keys[e["from"]], keys[e["to"]]) for e in picture["edges"]}


def overlaps(a, b):
    return (a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and
            a[1] < b[1] + b[3] and b[1] < a[1] + a[3])


def on_border(point, box, slack=1.0):
    x, y = point
    left, top, width, height = box
    inside = left - slack <= x <= left + width + slack and top - slack <= y <= top + height + slack
    near = min(abs(x - left), abs(x - left - width), abs(y - top), abs(y - top - height))
    return inside and near <= slack


def geometry_faults(picture):
    """What is wrong with the boxes and edges of a picture: boxes that overlap, and
    edges that do not run from the border of one box to the border of another."""
    faults = []
    boxes = picture["boxes"]
    for i, a in enumerate(boxes):
        faults += ["%s and %s overlap" % (a["label"], b["label"])
                   for b in boxes[i + 1:] if overlaps(a["box"], b["box"])]
    for edge in picture["edges"]:
        source, target = boxes[edge["from"]], boxes[edge["to"]]
        if not on_border(edge["start"], source["box"]) or not on_border(edge["end"], target["box"]):
            faults.append("the edge from %s to %s does not join their boxes" % (
                source["label"], target["label"]))
    return faults


# Opens every "+N more" of the picture shown.
OPEN_ALL = """(() => {
  for (let more = document.querySelector('.graph .more'); more;
       more = document.querySelector('.graph .more')) more.dispatchEvent(new MouseEvent('click'));
  return document.querySelectorAll('.graph .node').length;
})()"""


class PictureTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="quenwick-picture-")
        for name, data in SOURCES.items():
            os.makedirs(os.path.dirname(os.path.join(cls.folder, name)), exist_ok=True)
            with open(os.path.join(cls.folder, name), "wb") as f:
                f.write(data)
        run_graph(cls.folder, "--format=html", "--output=whole.html")
        run_graph(cls.folder, "--format=html", "--output=link.html",
                  "--link=https://example.org/tree/{file}#n{line}")
        run_graph(cls.folder, "--scan=c", "--format=html", "--output=path.html",
                  "--link=vscode://file/{path}:{line}:{column}")
        run_graph(cls.folder, "--format=html", "--output=file.html", "--link=file://{path}")
        run_graph(cls.folder, "--format=html", "--output=hostile.html", "--link=" + HOSTILE_LINK)
        run_graph(cls.folder, "--format=html", "--output=absolute.html",
                  files=[os.path.join(cls.folder, name) for name in FILES])
        # The C scan knows where each call is made.
        run_graph(cls.folder, "--scan=c", "--format=html", "--output=sites.html",
                  "--link=https://example.org/tree/{file}#n{line}")
        cls.browser = HeadlessChromium()
        cls.page = cls.browser.open_page()

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        subprocess.run(["rm", "-rf", cls.folder], check=False)

    def show(self, fragment, page="whole.html"):
        self.page.navigate("about:blank")
        self.page.navigate("file://" + os.path.join(self.folder, page) + fragment)
        self.page.wait_for("document.documentElement.dataset.views === '1'"
                           " && document.documentElement.dataset.sites === 'ready'", 30)

    def js(self, expression):
        return self.page.evaluate(expression)

    def picture(self):
        return self.page.evaluate(PICTURE)

    def check_geometry(self, picture):
        self.assertEqual(geometry_faults(picture), [])

    def test_boxes_and_calls_of_a_known_function(self):
        self.show("#fn=helper@a.c")
        picture = self.picture()
        self.assertEqual(sorted((b["level"], b["label"], b["kind"]) for b in picture["boxes"]), [
            (-1, "main", "function"), (0, "helper", "function"), (1, "leaf", "function"),
            (1, "ping", "function")])
        label = [b["label"] for b in picture["boxes"]]
        self.assertEqual(sorted((label[e["from"]], label[e["to"]]) for e in picture["edges"]), [
            ("helper", "leaf"), ("helper", "ping"), ("main", "helper")])
        # helper has a second definition: its box shows its file.
        self.assertEqual(self.page.evaluate(
            "document.querySelector('.graph .center .sub').textContent"), "a.c")
        # and the view lists the other as a link.
        others = self.js("[...document.querySelectorAll('.facts a.loc')].map((a) =>"
                         " [a.textContent, a.getAttribute('href')])")
        self.assertEqual(others, [["c.c:4", "#fn=helper@c.c"]])

    def test_pictures_hold_what_the_json_holds(self):
        # Names without a definition and with several are boxes of their own; a
        # recursion is an edge back.
        for given, up, down in [("helper@a.c", 1, 1), ("helper@a.c", 2, 2), ("main", 0, 2),
                               ("leaf", 3, 0), ("ping", 2, 2), ("walk", 1, 3)]:
            with self.subTest(given=given, up=up, down=down):
                self.show("#fn=%s&up=%d&down=%d" % (given, up, down))
                picture = self.picture()
                expected = json_neighbourhood(lambda *o: run_graph(self.folder, *o), given, up, down)
                self.assertEqual(picture_sets(picture), expected)
                self.check_geometry(picture)
        self.show("#fn=main&up=0&down=1")
        kinds = {b["label"]: b["kind"] for b in self.picture()["boxes"]}
        self.assertEqual((kinds["missing_fn"], kinds["twice"]), ("undefined", "several"))
        self.assertEqual(self.page.problems(), [])

    def test_more_opens(self):
        self.show("#fn=fan")
        before = self.picture()
        labels = [b["label"] for b in before["boxes"] if b["level"] == 1]
        self.assertEqual(len(labels), 12)
        self.assertEqual(labels[-1], "+19 more")
        self.check_geometry(before)
        # Every call to a folded function goes to "+N more", once.
        self.assertEqual(len(before["edges"]), 12)
        self.page.evaluate("document.querySelector('.graph .more').focus()")
        press(self.page, "Enter")
        after = self.picture()
        self.assertEqual(sorted(b["label"] for b in after["boxes"] if b["level"] == 1),
                         ["f%02d" % i for i in range(FAN)])
        self.check_geometry(after)
        self.assertEqual(len(after["edges"]), FAN)

    def test_a_click_opens_the_function_and_back_returns(self):
        self.show("#fn=helper@a.c")
        box = self.page.evaluate(
            "(() => { const g = [...document.querySelectorAll('.graph .node')].find("
            "(n) => n.querySelector('text').textContent === 'ping');"
            " g.scrollIntoView({block: 'center', inline: 'center'});"
            " const r = g.querySelector('rect').getBoundingClientRect();"
            " return [r.x + r.width / 2, r.y + r.height / 2]; })()")
        for kind in ("mousePressed", "mouseReleased"):
            self.page.send("Input.dispatchMouseEvent", {"type": kind, "x": box[0], "y": box[1],
                                                        "button": "left", "clickCount": 1})
        self.page.wait_for("location.hash === '#fn=ping'")
        self.page.wait_for("document.querySelector('h1').textContent === 'ping'")
        center = self.js("document.querySelector('.graph .center text').textContent")
        self.assertEqual(center, "ping")
        self.page.evaluate("history.back()")
        self.page.wait_for("document.querySelector('h1').textContent === 'helper'")
        self.assertEqual(self.page.evaluate("location.hash"), "#fn=helper@a.c")

    def test_the_levels_control_keeps_its_levels_in_the_address(self):
        self.show("#fn=helper@a.c")
        self.page.evaluate("(() => { const s = document.querySelectorAll('.picture select')[1];"
                           " s.value = '3'; s.dispatchEvent(new Event('change')); })()")
        self.assertEqual(self.page.evaluate("location.hash"), "#fn=helper@a.c&down=3")
        labels = sorted(b["label"] for b in self.picture()["boxes"])
        self.assertEqual(labels, ["helper", "leaf", "main", "ping", "pong"])
        # The boxes lead to views with the same levels.
        self.assertEqual(self.page.evaluate(
            "[...document.querySelectorAll('.graph a.node')].map((a) => a.getAttribute('href'))"
            ".filter((h) => h.startsWith('#fn=ping'))"), ["#fn=ping&down=3"])

    def test_the_picture_saves_as_svg(self):
        downloads = tempfile.mkdtemp(prefix="quenwick-svg-")
        self.browser.send("Browser.setDownloadBehavior",
                          {"behavior": "allow", "downloadPath": downloads})
        self.show("#fn=helper@a.c")
        self.page.evaluate("document.querySelector('.picture .save').click()")
        path = os.path.join(downloads, "helper.svg")
        deadline = time.monotonic() + 20
        while not os.path.exists(path) and time.monotonic() < deadline:
            time.sleep(0.1)
        root = ElementTree.parse(path).getroot()
        ns = {"s": "http://www.w3.org/2000/svg"}
        self.assertEqual(root.tag, "{http://www.w3.org/2000/svg}svg")
        self.assertEqual(sorted(t.text for t in root.findall(".//s:g[@class]/s:text", ns)),
                         ["a.c", "helper", "leaf", "main", "ping"])
        self.assertEqual(len(root.findall(".//s:path[@data-from]", ns)), 3)
        self.assertEqual(root.findall(".//s:a", ns), [])  # links of the page are left out
        self.assertIsNotNone(root.find("s:style", ns))
        subprocess.run(["rm", "-rf", downloads], check=False)

    def test_places_are_links_made_from_the_template(self):
        loc = ("[...document.querySelectorAll('#view .loc')]"
               ".map((e) => [e.textContent, e.getAttribute('href')])")
        self.show("#fn=odd", page="link.html")
        self.assertEqual(self.js("[%s.getAttribute('href'), %s.title]" % (FACTS_LOC, FACTS_LOC)),
                         ["https://example.org/tree/odd%3Cb%3E%26.c#n2",
                          os.path.join(self.folder, "odd<b>&.c")])
        self.assertEqual(self.js(loc)[1:], [["a.c:32", "https://example.org/tree/a.c#n32"]])
        self.show("#fn=deep", page="path.html")
        self.assertEqual(self.page.evaluate(loc)[0], [
            "lib/deep.c:1", "vscode://file" + urllib.parse.quote(self.folder) + "/lib/deep.c:1:6"])
        self.show("#fn=deep", page="file.html")
        self.assertEqual(self.page.evaluate(loc)[0][1],
                         "file://" + urllib.parse.quote(self.folder) + "/lib/deep.c")
        # Without --link places are text; with a template that holds markup, the
        # template stays an address.
        self.show("#fn=odd")
        self.assertEqual(self.js("document.querySelectorAll('#view .loc[href]').length"), 0)
        self.show("#fn=odd", page="hostile.html")
        self.assertEqual(self.js(FACTS_LOC + ".getAttribute('href')"),
                         'https://x.org/?f=odd%3Cb%3E%26.c&l=2"><script>alert(1)</script>')
        self.assertEqual(self.page.evaluate("document.querySelectorAll('script').length"), 11)
        self.assertEqual(self.page.problems(), [])

    def test_names_without_the_folder_of_the_inputs(self):
        self.show("#fn=deep", page="absolute.html")
        self.assertEqual(self.js("[%s.textContent, %s.title]" % (FACTS_LOC, FACTS_LOC)),
                         ["lib/deep.c:1", os.path.join(self.folder, "lib/deep.c")])
        # The address still names the file as it was given.
        self.show("#fn=helper@" + os.path.join(self.folder, "c.c"), page="absolute.html")
        self.assertEqual(self.js(FACTS_LOC + ".textContent"), "c.c:4")

    def test_call_places_on_the_lines_and_the_edges(self):
        sites = ("[...document.querySelectorAll('#view section.trees')].map((tree) =>"
                 " [...tree.querySelectorAll('li.node')].map((li) => [li.dataset.name,"
                 " li.querySelector('.site').textContent,"
                 " [...li.querySelectorAll('.site a')].map((a) => a.getAttribute('href'))]))")
        self.show("#fn=deep", page="sites.html")
        self.assertEqual(self.js(sites), [[["leaf", "called at lines 3, 4", [
            "https://example.org/tree/lib/deep.c#n3",
            "https://example.org/tree/lib/deep.c#n4"]]], []])
        # The call made twice shows its count.
        self.assertEqual(self.picture()["counts"], ["\u00d72"])
        self.show("#fn=helper@a.c", page="sites.html")
        calls, callers = self.js(sites)
        self.assertEqual([line[:2] for line in calls], [["leaf", "called at line 22"],
                                                        ["ping", "called at line 23"]])
        self.assertEqual(callers, [["main", "calls at a.c:5", ["https://example.org/tree/a.c#n5"]]])
        self.assertEqual(self.picture()["counts"], [])
        self.assertEqual(self.page.problems(), [])

    def test_hostile_captions_and_file_names_run_nothing(self):
        for fragment in ("#fn=walk&up=2&down=2", "#fn=helper@a.c&up=2&down=2",
                         "#fn=odd&up=3&down=3"):
            self.show(fragment, page="hostile.html")
            titles = self.page.evaluate(
                "[...document.querySelectorAll('.graph title')]"
                ".map((t) => t.textContent).join('\\n')")
            self.assertIn("odd<b>&.c" if "odd" in fragment else "alert(1)", titles)
            self.assertEqual(self.page.evaluate(
                "document.querySelectorAll('img, iframe, object, embed,"
                " .graph script, .graph foreignObject').length"), 0)
        self.assertEqual(self.page.problems(), [])

    def test_screenshots_for_review(self):
        if SCREENSHOTS is None:
            self.skipTest("no screenshot folder given")
        os.makedirs(SCREENSHOTS, exist_ok=True)
        for width, height in ((1280, 900), (480, 860)):
            self.page.send("Emulation.setDeviceMetricsOverride", {
                "width": width, "height": height, "deviceScaleFactor": 1, "mobile": width < 600})
            for fragment, name in (("#fn=helper@a.c&up=2&down=2", "helper"), ("#fn=fan", "fan")):
                self.show(fragment, page="sites.html")
                time.sleep(0.2)
                shot = self.page.send("Page.captureScreenshot", {"format": "png"})["data"]
                with open(os.path.join(SCREENSHOTS, "picture-%s-%dx%d.png" % (name, width, height)),
                          "wb") as f:
                    f.write(base64.b64decode(shot))
        self.page.send("Emulation.clearDeviceMetricsOverride")


def main():
    global SCREENSHOTS
    if len(sys.argv) not in (2, 3):
        print(__doc__)
        return 2
    page_test.BINARY = os.path.abspath(sys.argv[1])
    if len(sys.argv) == 3:
        SCREENSHOTS = os.path.abspath(sys.argv[2])
    if find_chromium() is None:
        print("chromium is not installed: skipped")
        return SKIPPED
    result = unittest.main(argv=[sys.argv[0], "-v"], exit=False).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
