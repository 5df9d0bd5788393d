#!/usr/bin/env python3
"""Checks of bench/accuracy_compare.py's readers and measures on small literal inputs.

    python3 bench/accuracy_test.py
"""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import accuracy_compare as ac  # noqa: E402

# Written by gcc 12 -O0 -fcallgraph-info for two units; "u.c" includes "inc/h.h", whose
# hi() is static inline and whose ai() is always_inline (so gcc lists its call of hi at
# the header's line, as k's).
UNIT_T = r'''graph: { title: "t.c"
node: { title: "t.c:sf" label: "sf\nt.c:3:12" }
node: { title: "f" label: "f\nt.c:10:5" }
node: { title: "memcpy" label: "memcpy\n/usr/include/string.h:43:14" shape : ellipse }
edge: { sourcename: "f" targetname: "memcpy" label: "t.c:13:3" }
edge: { sourcename: "f" targetname: "t.c:sf" label: "t.c:14:18" }
edge: { sourcename: "f" targetname: "t.c:sf" label: "t.c:15:18" }
node: { title: "__indirect_call" label: "Indirect Call Placeholder" shape : ellipse }
edge: { sourcename: "f" targetname: "__indirect_call" label: "t.c:16:3" }
node: { title: "k" label: "k\nu.c:2:5" shape : ellipse }
edge: { sourcename: "f" targetname: "k" label: "t.c:17:10" }
edge: { sourcename: "f" targetname: "g" label: "t.c:18:19" }
node: { title: "__popcountdi2" label: "__popcountdi2\n<built-in>" shape : ellipse }
edge: { sourcename: "f" targetname: "__popcountdi2" }
node: { title: "g" label: "g\nt.c:20:5" }
edge: { sourcename: "g" targetname: "f" label: "t.c:20:27" }
node: { title: "t.c:inner.0" label: "inner\nt.c:22:32" }
node: { title: "nested_caller" label: "nested_caller\nt.c:22:6" }
edge: { sourcename: "nested_caller" targetname: "t.c:inner.0" label: "t.c:22:59" }
}
'''
UNIT_U = r'''graph: { title: "u.c"
node: { title: "u.c:hi" label: "hi\ninc/h.h:1:19" }
node: { title: "k" label: "k\nu.c:2:5" }
edge: { sourcename: "k" targetname: "u.c:hi" label: "inc/h.h:2:69" }
edge: { sourcename: "k" targetname: "u.c:hi" label: "u.c:2:31" }
node: { title: "kk" label: "kk\n./u.c:4:1" }
edge: { sourcename: "kk" targetname: "k" label: "u.c:6:10" }
node: { title: "f" label: "f\nu.c:9:5" shape : ellipse }
edge: { sourcename: "kk" targetname: "f" label: "u.c:7:10" }
}
'''


def write(folder, name, text, mode="w"):
    path = os.path.join(folder, name)
    with open(path, mode) as f:
        f.write(text)
    return path


class GccGraphTest(unittest.TestCase):
    def setUp(self):
        tmp = tempfile.mkdtemp()
        self.gcc = ac.GccGraph()
        self.gcc.read([write(tmp, "t.ci", UNIT_T), write(tmp, "u.ci", UNIT_U)])

    def test_definitions_are_the_compiled_nodes_in_the_tree(self):
        self.assertEqual(self.gcc.defs, {
            ("t.c", "sf"): {3}, ("t.c", "f"): {10}, ("t.c", "g"): {20},
            ("t.c", "nested_caller"): {22}, ("inc/h.h", "hi"): {1}, ("u.c", "k"): {2},
            ("u.c", "kk"): {4}})
        self.assertEqual(self.gcc.static, {("t.c", "sf"), ("inc/h.h", "hi")})

    def test_calls_between_compiled_functions_across_units(self):
        self.assertEqual(set(self.gcc.edges), {
            (("t.c", "f"), ("t.c", "sf")), (("t.c", "f"), ("u.c", "k")),
            (("t.c", "f"), ("t.c", "g")), (("t.c", "g"), ("t.c", "f")),
            (("u.c", "k"), ("inc/h.h", "hi")), (("u.c", "kk"), ("u.c", "k")),
            (("u.c", "kk"), ("t.c", "f"))})
        self.assertEqual(self.gcc.edges[(("t.c", "f"), ("t.c", "sf"))], "t.c:14:18")

    def test_a_site_outside_the_callers_text_is_an_inlined_body(self):
        self.assertEqual(self.gcc.inlined, 1)
        self.assertEqual(self.gcc.edges[(("u.c", "k"), ("inc/h.h", "hi"))], "u.c:2:31")
        self.assertIn((("u.c", "k"), ("inc/h.h", "hi")), self.gcc.all_edges)

    def test_a_site_after_the_next_definition_is_not_the_callers(self):
        gcc = ac.GccGraph()
        tmp = tempfile.mkdtemp()
        gcc.read([write(tmp, "a.ci", r'''graph: { title: "a.c"
node: { title: "a.c:h" label: "h\na.c:1:12" }
node: { title: "a" label: "a\na.c:9:5" }
node: { title: "b" label: "b\na.c:20:5" }
edge: { sourcename: "a" targetname: "a.c:h" label: "a.c:5:10" }
edge: { sourcename: "a" targetname: "b" label: "a.c:12:3" }
edge: { sourcename: "b" targetname: "a.c:h" label: "a.c:25:3" }
edge: { sourcename: "a" targetname: "b" label: "a.c:21:3" }
}
''')])
        self.assertEqual(set(gcc.edges), {(("a.c", "a"), ("a.c", "b")), (("a.c", "b"), ("a.c", "h"))})
        self.assertEqual(gcc.inlined, 2)

    def test_places_count_from_the_folder_each_unit_was_compiled_in(self):
        root = tempfile.mkdtemp()
        os.makedirs(os.path.join(root, "lib"))
        gcc = ac.GccGraph(root=root)
        ci = write(root, "l.ci", r'''graph: { title: "l.c"
node: { title: "f" label: "f\nl.c:3:5" }
node: { title: "g" label: "g\nl.c:9:5" }
edge: { sourcename: "f" targetname: "g" label: "l.c:4:10" }
}
''')
        gcc.read([ci], {ci: os.path.join(root, "lib")})
        self.assertEqual(set(gcc.defs), {("lib/l.c", "f"), ("lib/l.c", "g")})
        self.assertEqual(set(gcc.edges), {(("lib/l.c", "f"), ("lib/l.c", "g"))})
        self.assertEqual(gcc.inlined, 0)

    def test_a_name_that_several_units_define_is_not_resolved(self):
        gcc = ac.GccGraph()
        tmp = tempfile.mkdtemp()
        one = 'graph: { title: "%s"\nnode: { title: "main" label: "main\\n%s:3:5" }\n' \
              'node: { title: "x" label: "x\\n%s:9:5" }\n}\n'
        caller = 'graph: { title: "c.c"\nnode: { title: "c" label: "c\\nc.c:1:5" }\n' \
                 'node: { title: "main" label: "main\\nc.c:0:0" shape : ellipse }\n' \
                 'edge: { sourcename: "c" targetname: "main" label: "c.c:2:3" }\n}\n'
        gcc.read([write(tmp, "a.ci", one % ("a.c", "a.c", "a.c")),
                  write(tmp, "b.ci", one % ("b.c", "b.c", "b.c")), write(tmp, "c.ci", caller)])
        self.assertEqual(gcc.ambiguous, 1)
        self.assertEqual(gcc.edges, {})


DOC = {"functions": [
    {"id": 0, "name": "f", "file": "./t.c", "line": 10, "callees": [4]},
    {"id": 1, "name": "sf", "file": "t.c", "line": 2, "places": [{"line": 3, "column": 12}],
     "static": True},
    {"id": 2, "name": "g", "file": "t.c", "line": 20, "kind": "function",
     "calls": [{"callee": 0, "line": 20, "column": 27}, {"name": "p", "indirect": True}]},
    {"id": 3, "name": "M1", "file": "t.c", "line": 5, "kind": "macro", "callees": [5, 1]},
    {"id": 4, "name": "M2", "file": "t.c", "line": 6, "kind": "macro", "callees": [3, 2]},
    {"id": 5, "name": "M3", "file": "t.c", "line": 7, "kind": "macro", "callees": [4]},
    {"id": 6, "name": "k", "file": "u.c", "line": 3, "callees": [99]},
    {"id": 7, "name": "hi", "file": "inc/h.h", "line": 1, "static": True},
]}


class RecordsTest(unittest.TestCase):
    def test_calls_reach_through_macro_records_and_their_cycles(self):
        recs = ac.Records(DOC)
        self.assertEqual(recs.reach(0), {1, 2})
        self.assertEqual(recs.reach(2), {0})
        self.assertEqual(recs.reach(6), set())  # an id that names no record is dropped
        self.assertEqual([f["name"] for f in recs.functions()], ["f", "sf", "g", "k", "hi"])
        self.assertEqual(recs.file[0], "t.c")

    def test_a_record_counts_at_any_of_its_places(self):
        self.assertEqual(ac.Records.lines(DOC["functions"][1]), {2, 3})
        self.assertEqual(ac.Records.lines(DOC["functions"][0]), {10})

    def test_measures_against_gcc(self):
        tmp = tempfile.mkdtemp()
        gcc = ac.GccGraph()
        gcc.read([write(tmp, "t.ci", UNIT_T), write(tmp, "u.ci", UNIT_U)])
        defs = {("t.c", "f"): {10}, ("t.c", "sf"): {2, 3}, ("t.c", "g"): {21},
                ("u.c", "k"): {3}, ("inc/h.h", "hi"): {1}, ("t.c", "if"): {30}}
        m = ac.def_measures(gcc, defs, static_in_header={("inc/h.h", "hi")})
        self.assertEqual(m["gcc_defs"], 7)
        self.assertAlmostEqual(m["defs_at_line"], 3 / 7)  # f, sf (at its second place), hi
        self.assertAlmostEqual(m["defs_any_line"], 5 / 7)  # and g, k at other lines
        self.assertAlmostEqual(m["def_precision"], 4 / 5)  # hi left out, "if" not compiled
        calls = {(("t.c", "f"), ("t.c", "sf")), (("t.c", "g"), ("t.c", "f")),
                 (("t.c", "f"), ("inc/h.h", "hi")), (("t.c", "f"), ("t.c", "if"))}
        c = ac.call_measures(gcc, calls)
        self.assertEqual((c["gcc_calls"], c["claimed_calls"]), (7, 3))
        self.assertAlmostEqual(c["call_recall"], 2 / 7)
        self.assertAlmostEqual(c["call_precision"], 2 / 3)


class PeersTest(unittest.TestCase):
    def test_cflow_tree(self):
        path = write(tempfile.mkdtemp(), "cflow.txt", (
            "    1 f: int (), <t.c 10>\n"
            "    2     memcpy: <>\n"
            "    3     sf: int (), <t.c 3>\n"
            "    4         h: int (), <a b.c 7>\n"
            "    5     g: int (), <t.c 20>\n"
            "    6         f: 1\n"
            "    7 g: 5\n"
            "    8 kk: int (), <u.c 4>\n"
            "    9     sf: 3\n"))
        defs, calls = ac.parse_cflow(path)
        self.assertEqual(defs, {("t.c", "f"): {10}, ("t.c", "sf"): {3}, ("a b.c", "h"): {7},
                                ("t.c", "g"): {20}, ("u.c", "kk"): {4}})
        self.assertEqual(calls, {(("t.c", "f"), ("t.c", "sf")), (("t.c", "sf"), ("a b.c", "h")),
                                 (("t.c", "f"), ("t.c", "g")), (("t.c", "g"), ("t.c", "f")),
                                 (("u.c", "kk"), ("t.c", "sf"))})


class BalanceTest(unittest.TestCase):
    def test_todays_messages_after_the_file_name(self):
        err = (b"a.c\n\x07     { } \x82\xcc\x91\xce\x89\x9e(-2)\n\nb.c\n"
               b"c.c\x07     #\x82\xc5\x8en(+1)\n\nd.c 2\n    e();\n")
        path = write(tempfile.mkdtemp(), "err", err, "wb")
        bad, summary, undecided = ac.parse_balance(path, ["a.c", "b.c", "c.c", "d.c"])
        self.assertEqual(bad, {"a.c": {"braces -2"}, "c.c": {"conditionals +1"}})
        self.assertEqual((summary, undecided), ("", None))

    def test_places_and_the_summary_line(self):
        err = (b"x/a.c:12:3: unbalanced: '{' never closed\n"
               b"./b.h:4:1: unbalanced: #if never closed\n"
               b"c.c:9:1: undecided, every branch scanned: CONFIG_NUMA_BALANCING\n"
               b"quenwick-graph: 2 files did not balance, 7 conditionals were left undecided"
               b" (-V lists them)\n")
        path = write(tempfile.mkdtemp(), "err", err, "wb")
        bad, summary, undecided = ac.parse_balance(path, ["x/a.c", "b.h", "c.c"])
        self.assertEqual(bad, {"x/a.c": {"line 12: unbalanced: '{' never closed"},
                               "b.h": {"line 4: unbalanced: #if never closed"}})
        self.assertEqual(undecided, 7)
        self.assertTrue(summary.startswith("quenwick-graph: 2 files"))


if __name__ == "__main__":
    unittest.main()
