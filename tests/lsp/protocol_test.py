#!/usr/bin/env python3
"""quenwick-lsp spoken to as an editor would: the life cycle, every request, editing,
positions in UTF-16 and UTF-8 on UTF-8 and code page 932 lines, the protocol's
errors, and a hostile workspace.

Usage: protocol_test.py SERVER [--wine PREFIX] [unittest arguments]

The project is tests/lsp/project/ (copied into a scratch folder per class). The
tests that need definitions are skipped while the C scan finds none (its placeholder).
"""
import json
import os
import shutil
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import lsp_client  # noqa: E402
from lsp_client import Client, ServerError, shown, uri_of  # noqa: E402

PROJECT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "project")
SERVER = None
WINE_PREFIX = None
PROGRESS = {"window": {"workDoneProgress": True}}
WATCH = {"workspace": {"didChangeWatchedFiles": {"dynamicRegistration": True}}}


def command():
    if WINE_PREFIX:
        wine = shutil.which("wine64") or "/usr/lib/wine/wine64"
        return [os.environ.get("WINE", wine), SERVER]
    return [SERVER]


def environment():
    env = dict(os.environ, QUENWICK_ENCODING="UTF-8")
    if WINE_PREFIX:
        env.update(WINEPREFIX=WINE_PREFIX, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
    return env


def posix_only(reason):
    """Skips a test under Wine, for `reason`."""
    def mark(test):
        def run(self):
            if WINE_PREFIX:
                self.skipTest(reason)
            return test(self)
        run.__name__ = test.__name__
        return run
    return mark


PIPES = "Wine's pipes from a POSIX parent cannot tell whether input waits"


def start():
    return Client(command(), env=environment())


def copy_project():
    folder = tempfile.mkdtemp(prefix="quenwick-lsp-")
    target = os.path.join(folder, "project")
    shutil.copytree(PROJECT, target)
    return target


def rng(line, start, end):
    return {"start": {"line": line, "character": start}, "end": {"line": line, "character": end}}


_SCANS = None


def scan_finds_definitions():
    """True when the C scan finds the definition of a one-line file."""
    global _SCANS
    if _SCANS is None:
        folder = tempfile.mkdtemp(prefix="quenwick-lsp-probe-")
        with open(os.path.join(folder, "probe.c"), "w") as f:
            f.write("int probe(void) {\n  return 0;\n}\n")
        client = start()
        client.initialize(folder)
        client.wait_scanned()
        _SCANS = bool(client.request("workspace/symbol", {"query": "probe"}))
        client.close()
        shutil.rmtree(folder)
    return _SCANS


class Project(unittest.TestCase):
    """One server on a fresh copy of the project for each test class."""
    capabilities = PROGRESS
    options = None
    needs_scan = True

    @classmethod
    def setUpClass(cls):
        if cls.needs_scan and not scan_finds_definitions():
            raise unittest.SkipTest("the C scan finds no definitions yet")
        cls.root = copy_project()
        cls.client = start()
        cls.init = cls.client.initialize(cls.root, capabilities=cls.capabilities,
                                         options=cls.options)
        cls.client.wait_scanned()

    @classmethod
    def tearDownClass(cls):
        cls.client.close()
        shutil.rmtree(os.path.dirname(cls.root))

    def path(self, name):
        return os.path.join(self.root, name)

    def at(self, method, name, line, character, **extra):
        return self.client.at(method, self.path(name), line, character, **extra)

    def prepare(self, name, line, character):
        items = self.at("textDocument/prepareCallHierarchy", name, line, character)
        self.assertTrue(items, "no item at %s:%d:%d" % (name, line, character))
        return items

    def calls(self, direction, item):
        return self.client.request("callHierarchy/%sCalls" % direction, {"item": item})

    def brief(self, item):
        """An item as (file name, name, kind, selection line, selection start)."""
        sel = item["selectionRange"]["start"]
        return (os.path.basename(item["uri"]), item["name"], item["kind"], sel["line"],
                sel["character"])


class Lifecycle(unittest.TestCase):
    @posix_only(PIPES)
    def test_capabilities_progress_and_shutdown(self):
        root = copy_project()
        client = start()
        result = client.initialize(root, capabilities=PROGRESS)
        self.assertEqual(result["capabilities"], {
            "positionEncoding": "utf-16",
            "textDocumentSync": {"openClose": True, "change": 2, "save": {"includeText": False}},
            "callHierarchyProvider": True, "definitionProvider": True,
            "referencesProvider": True, "hoverProvider": True,
            "documentSymbolProvider": True, "workspaceSymbolProvider": True})
        self.assertEqual(result["serverInfo"]["name"], "quenwick-lsp")
        client.wait_scanned()
        client.collect(0.2)
        creates = [r for r in client.server_requests if r["method"] == "window/workDoneProgress/create"]
        self.assertEqual(len(creates), 1)
        token = creates[0]["params"]["token"]
        values = [n["params"]["value"] for n in client.notifications
                  if n["method"] == "$/progress" and n["params"]["token"] == token]
        kinds = [v["kind"] for v in values]
        self.assertEqual((kinds[0], kinds[-1]), ("begin", "end"))
        self.assertIn("report", kinds)
        self.assertEqual(values[0]["percentage"], 0)
        self.assertEqual([v["percentage"] for v in values if v["kind"] == "report"][-1], 100)
        self.assertIn("5 of 5 files", [v["message"] for v in values if v["kind"] == "report"])
        self.assertIsNone(client.request("shutdown"))
        with self.assertRaises(ServerError) as late:
            client.request("workspace/symbol", {"query": "x"})
        self.assertEqual(late.exception.code, -32600)
        client.notify("exit")
        self.assertEqual(client.wait(), 0)
        self.assertEqual(client.stderr, b"")
        shutil.rmtree(os.path.dirname(root))

    def test_exit_without_shutdown_and_end_of_input_end_with_1(self):
        client = start()
        client.notify("exit")
        self.assertEqual(client.wait(), 1)
        client = start()
        client.initialize(None)
        client.proc.stdin.close()
        self.assertEqual(client.wait(), 1)

    def test_requests_before_and_after_initialize(self):
        client = start()
        with self.assertRaises(ServerError) as early:
            client.request("workspace/symbol", {"query": "main"})
        self.assertEqual(early.exception.code, -32002)
        client.notify("textDocument/didOpen", {})  # dropped before initialize
        client.initialize(None)
        with self.assertRaises(ServerError) as again:
            client.request("initialize", {"capabilities": {}})
        self.assertEqual(again.exception.code, -32600)
        self.assertEqual(client.close(), 0)

    def test_no_progress_without_the_capability_and_utf8_when_offered(self):
        root = copy_project()
        client = start()
        result = client.initialize(root, capabilities={
            "general": {"positionEncodings": ["utf-8", "utf-16"]}})
        self.assertEqual(result["capabilities"]["positionEncoding"], "utf-8")
        client.wait_scanned()
        self.assertFalse([n for n in client.notifications if n["method"] == "$/progress"])
        self.assertFalse(client.server_requests)
        self.assertEqual(client.close(), 0)
        shutil.rmtree(os.path.dirname(root))


class Hygiene(unittest.TestCase):
    """Broken and hostile input gets the protocol's errors, and the server goes on."""

    def setUp(self):
        self.client = start()
        self.client.initialize(None)

    def tearDown(self):
        self.assertEqual(self.client.close(), 0)

    def error_of(self, rid=None, raw=None):
        """The error code of the response to `rid` (or to id null)."""
        message = self.client.wait_response(rid, raw=True)
        return message["error"]["code"]

    def test_broken_frames_and_bodies(self):
        c = self.client
        # No Content-Length: an error with id null; reading resumes at the next header.
        c.write_raw(b"Content-Type: x\r\n\r\n{}")
        self.assertEqual(self.error_of(None), -32700)
        c.write_raw(b"Content-Length: zz\r\n\r\n")
        self.assertEqual(self.error_of(None), -32700)
        c.write_raw(b"Content-Length: 5\r\n\r\n{oops")
        self.assertEqual(self.error_of(None), -32700)
        for body, rid, code in [(b'[{"jsonrpc":"2.0","id":1,"method":"shutdown"}]', None, -32600),
                                (b'{"jsonrpc":"1.0","id":7,"method":"x"}', 7, -32600),
                                (b'{"jsonrpc":"2.0","id":[1],"method":"x"}', None, -32600),
                                (b'{"jsonrpc":"2.0","id":8,"method":5}', 8, -32600),
                                (b'{"jsonrpc":"2.0","id":9,"method":"no/such"}', 9, -32601),
                                (b'{"jsonrpc":"2.0","id":10,"method":"workspace/symbol","params":3}',
                                 10, -32600),
                                (b'{"jsonrpc":"2.0","id":11}', 11, -32600),
                                (b'{"jsonrpc":"2.0","id":"s","method":"x",' + b'"p":' + b"[" * 100000
                                 + b"]" * 100000 + b"}", "s", -32600)]:
            c.write_raw(b"Content-Length: %d\r\n\r\n" % len(body) + body)
            self.assertEqual(self.error_of(rid), code, body[:60])
        # Unknown notifications get no answer; the next request is answered as usual.
        c.notify("$/unknown", {})
        c.notify("no/such/notification", {"x": 1})
        self.assertEqual(c.request("workspace/symbol", {"query": "none"}), [])

    def test_wrong_parameters_and_unknown_documents(self):
        c = self.client
        cases = [("workspace/symbol", {"query": 3}),
                 ("workspace/symbol", {}),
                 ("textDocument/hover", {"textDocument": {"uri": 1}, "position": {"line": 0, "character": 0}}),
                 ("textDocument/hover", {"textDocument": {"uri": "file:///nowhere/x.c"},
                                         "position": {"line": 0, "character": 0}}),
                 ("textDocument/definition", {"textDocument": {"uri": "file:///nowhere/x.c"}}),
                 ("callHierarchy/incomingCalls", {"item": "x"}),
                 ("textDocument/documentSymbol", {"textDocument": {"uri": "untitled:1"}})]
        for method, params in cases:
            with self.assertRaises(ServerError) as raised:
                c.request(method, params)
            self.assertEqual(raised.exception.code, -32602, (method, params))
        uri = "file:///nowhere/x.c"
        c.notify("textDocument/didOpen", {"textDocument": {"uri": uri, "languageId": "c",
                                                           "version": 1, "text": "int x(void) {}\n"}})
        c.notify("textDocument/didChange", {"textDocument": {"uri": uri},
                                            "contentChanges": [{"range": "bad", "text": ""}]})
        self.assertIsInstance(c.at_uri_position(uri) if hasattr(c, "at_uri_position") else
                              c.request("textDocument/documentSymbol", {"textDocument": {"uri": uri}}),
                              list)

    def test_a_message_over_the_limit_is_skipped_with_an_error(self):
        c = self.client
        text = "x" * (65 * 1024 * 1024)
        body = json.dumps({"jsonrpc": "2.0", "id": 41, "method": "workspace/symbol",
                           "params": {"query": text}}).encode()
        c.write_raw(b"Content-Length: %d\r\n\r\n" % len(body) + body)
        self.assertEqual(self.error_of(41), -32600)
        self.assertEqual(c.request("workspace/symbol", {"query": "x"}), [])

    @posix_only(PIPES)
    def test_cancel_before_the_answer(self):
        c = self.client
        first = c.frame({"jsonrpc": "2.0", "id": 21, "method": "workspace/symbol",
                         "params": {"query": "a"}})
        second = c.frame({"jsonrpc": "2.0", "id": 22, "method": "workspace/symbol",
                          "params": {"query": "b"}})
        cancel = c.frame({"jsonrpc": "2.0", "method": "$/cancelRequest", "params": {"id": 22}})
        c.write_raw(first + second + cancel)
        self.assertEqual(c.wait_response(21), [])
        self.assertEqual(self.error_of(22), -32800)
        c.notify("$/cancelRequest", {"id": 999})  # nothing pending: ignored
        self.assertEqual(c.request("workspace/symbol", {"query": "c"}), [])


class CallHierarchy(Project):
    def test_static_namesakes_are_kept_apart(self):
        mine = self.prepare("main.c", 5, 37)  # the call of helper in main
        self.assertEqual([self.brief(i) for i in mine], [("main.c", "helper", 12, 9, 11)])
        self.assertEqual(mine[0]["detail"], "static")
        self.assertEqual(mine[0]["range"], {"start": {"line": 9, "character": 0},
                                            "end": {"line": 11, "character": 1}})
        theirs = self.prepare("util.c", 2, 12)
        self.assertEqual([self.brief(i) for i in theirs], [("util.c", "helper", 12, 2, 11)])
        incoming = self.calls("incoming", mine[0])
        self.assertEqual([(self.brief(c["from"]), c["fromRanges"]) for c in incoming],
                         [(("main.c", "main", 12, 4, 4), [rng(5, 35, 41)])])
        incoming = self.calls("incoming", theirs[0])
        self.assertEqual([(self.brief(c["from"]), c["fromRanges"]) for c in incoming],
                         [(("util.c", "api_compute", 12, 6, 4), [rng(7, 9, 15)])])

    def test_outgoing_calls_with_utf16_columns_and_a_macro(self):
        main = self.prepare("main.c", 4, 5)
        self.assertEqual(self.brief(main[0]), ("main.c", "main", 12, 4, 4))
        outgoing = self.calls("outgoing", main[0])
        self.assertEqual(sorted((self.brief(c["to"]), c["fromRanges"]) for c in outgoing), sorted([
            (("main.c", "helper", 12, 9, 11), [rng(5, 35, 41)]),
            (("util.c", "api_compute", 12, 6, 4), [rng(5, 23, 34)]),
            (("util.h", "SQUARE", 14, 0, 8), [rng(5, 48, 54)]),
            (("util.h", "twice", 12, 2, 18), [rng(6, 13, 18)])]))
        square = [c["to"] for c in outgoing if c["to"]["name"] == "SQUARE"][0]
        self.assertEqual(square["detail"], "macro")
        below = self.calls("outgoing", square)
        self.assertEqual([(self.brief(c["to"]), c["fromRanges"]) for c in below],
                         [(("math.c", "mul", 12, 0, 4), [rng(0, 18, 21)])])

    def test_code_page_932_columns(self):
        api = self.prepare("util.c", 6, 6)
        incoming = {c["from"]["name"]: c["fromRanges"] for c in self.calls("incoming", api[0])}
        self.assertEqual(incoming, {"main": [rng(5, 23, 34)], "sjis_entry": [rng(0, 39, 50)]})
        entry = self.prepare("sjis.c", 0, 5)
        incoming = self.calls("incoming", entry[0])
        self.assertEqual([(c["from"]["name"], c["fromRanges"]) for c in incoming],
                         [("sjis_log", [rng(3, 40, 50)])])
        mul = self.prepare("math.c", 0, 5)
        callers = {c["from"]["name"]: c["fromRanges"] for c in self.calls("incoming", mul[0])}
        self.assertEqual(callers, {"api_compute": [rng(7, 21, 24)], "SQUARE": [rng(0, 18, 21)],
                                   "sjis_log": [rng(3, 30, 33)]})

    def test_nothing_to_prepare_away_from_a_name(self):
        self.assertIsNone(self.at("textDocument/prepareCallHierarchy", "main.c", 5, 4))
        self.assertIsNone(self.at("textDocument/prepareCallHierarchy", "main.c", 400, 0))
        stale = self.prepare("math.c", 0, 5)[0]
        stale["data"] = {"path": self.path("math.c"), "line": 1, "column": 5}
        stale["name"] = "gone"
        self.assertEqual(self.calls("incoming", stale), [])


class Requests(Project):
    def test_definition_same_file_first(self):
        found = self.at("textDocument/definition", "main.c", 5, 38)
        self.assertEqual(found, [{"uri": uri_of(self.path("main.c")), "range": rng(9, 11, 17)}])
        # From a prototype: every definition of the name.
        found = self.at("textDocument/definition", "util.h", 7, 5)
        self.assertEqual([(os.path.basename(f["uri"]), f["range"]) for f in found],
                         [("math.c", rng(0, 4, 7))])
        self.assertEqual(self.at("textDocument/definition", "main.c", 0, 0), [])

    def test_references_with_and_without_the_declaration(self):
        refs = self.at("textDocument/references", "math.c", 0, 5, context={"includeDeclaration": False})
        self.assertEqual(sorted((os.path.basename(r["uri"]), r["range"]["start"]["line"],
                                 r["range"]["start"]["character"]) for r in refs),
                         [("sjis.c", 3, 30), ("util.c", 7, 21), ("util.h", 0, 18)])
        refs = self.at("textDocument/references", "math.c", 0, 5, context={"includeDeclaration": True})
        self.assertEqual(len(refs), 4)
        self.assertEqual(refs[0], {"uri": uri_of(self.path("math.c")), "range": rng(0, 4, 7)})

    def test_hover(self):
        hover = self.at("textDocument/hover", "main.c", 5, 37)
        self.assertEqual(hover["range"], rng(5, 35, 41))
        self.assertEqual(hover["contents"]["kind"], "markdown")
        value = hover["contents"]["value"]
        self.assertTrue(value.startswith("```c\nstatic int helper(int x)\n```\n"), value)
        self.assertIn("main.c:10 (static) \u00b7 1 callers, 0 callees", value)
        value = self.at("textDocument/hover", "main.c", 4, 5)["contents"]["value"]
        self.assertIn("int main(void)", value)
        self.assertIn("\u5165\u53e3", value)  # the caption
        self.assertIn("0 callers, 4 callees", value)
        self.assertIsNone(self.at("textDocument/hover", "main.c", 2, 0))

    def test_document_symbols(self):
        symbols = self.client.request("textDocument/documentSymbol",
                                      {"textDocument": {"uri": uri_of(self.path("util.h"))}})
        self.assertEqual([(s["name"], s["kind"], s.get("detail"), s["selectionRange"]) for s in symbols],
                         [("SQUARE", 14, "macro", rng(0, 8, 14)),
                          ("twice", 12, "static", rng(2, 18, 23))])
        self.assertEqual(symbols[1]["range"], {"start": {"line": 2, "character": 0},
                                               "end": {"line": 4, "character": 1}})

    def test_workspace_symbols_ranked(self):
        names = lambda q: [s["name"] for s in self.client.request("workspace/symbol", {"query": q})]
        self.assertEqual(names("helper"), ["helper", "helper"])
        self.assertEqual(names("sjis"), ["sjis_log", "sjis_entry"])
        self.assertEqual(names("MUL"), ["mul"])
        self.assertEqual(names("aco"), ["api_compute"])
        self.assertEqual(names("e"), ["twice", "helper", "helper", "sjis_entry", "api_compute",
                                      "SQUARE"])
        self.assertEqual(names("zzz"), [])
        found = self.client.request("workspace/symbol", {"query": "twice"})
        self.assertEqual(found, [{"name": "twice", "kind": 12, "containerName": "util.h",
                                  "location": {"uri": uri_of(self.path("util.h")),
                                               "range": rng(2, 18, 23)}}])


class Utf8Positions(Project):
    capabilities = {"general": {"positionEncodings": ["utf-8"]}}

    def test_byte_columns(self):
        api = self.prepare("util.c", 6, 6)
        incoming = {c["from"]["name"]: c["fromRanges"] for c in self.calls("incoming", api[0])}
        self.assertEqual(incoming, {"main": [rng(5, 31, 42)], "sjis_entry": [rng(0, 43, 54)]})
        # A position in UTF-8 bytes finds the name.
        items = self.prepare("main.c", 5, 45)
        self.assertEqual(self.brief(items[0]), ("main.c", "helper", 12, 9, 11))


class Editing(Project):
    capabilities = WATCH

    def test_registration_for_watched_files(self):
        self.client.collect(0.2)
        registrations = [r for r in self.client.server_requests
                         if r["method"] == "client/registerCapability"]
        self.assertEqual(len(registrations), 1)
        self.assertEqual(registrations[0]["params"]["registrations"][0]["method"],
                         "workspace/didChangeWatchedFiles")

    def callers_of(self, name, line, character):
        item = self.prepare(name, line, character)[0]
        return sorted(c["from"]["name"] for c in self.calls("incoming", item))

    def test_unsaved_edits_count_over_the_disk(self):
        uri = uri_of(self.path("math.c"))
        with open(self.path("math.c")) as f:
            disk = f.read()
        c = self.client
        c.notify("textDocument/didOpen", {"textDocument": {"uri": uri, "languageId": "c", "version": 1,
                                                           "text": disk}})
        # Full text, then an incremental edit: a new caller of twice in math.c.
        c.notify("textDocument/didChange", {"textDocument": {"uri": uri, "version": 2},
                                            "contentChanges": [{"text": disk + "\n"}]})
        c.notify("textDocument/didChange", {"textDocument": {"uri": uri, "version": 3}, "contentChanges": [
            {"range": rng(3, 0, 0), "text": "int extra(void) {\n  return twice(1);\n}\n"}]})
        self.assertEqual(self.callers_of("util.h", 2, 19), ["extra", "main"])
        item = self.prepare("math.c", 3, 5)[0]
        self.assertEqual(self.calls("outgoing", item)[0]["fromRanges"], [rng(4, 9, 14)])
        # Incremental edits on a line beyond ASCII count UTF-16 units.
        c.notify("textDocument/didChange", {"textDocument": {"uri": uri, "version": 4}, "contentChanges": [
            {"range": rng(4, 0, 2), "text": "  /* \u8868\U0001F600 */"}]})
        c.notify("textDocument/didChange", {"textDocument": {"uri": uri, "version": 5}, "contentChanges": [
            {"range": rng(4, 11, 11), "text": " "}]})
        item = self.prepare("math.c", 3, 5)[0]
        self.assertEqual(self.calls("outgoing", item)[0]["fromRanges"], [rng(4, 19, 24)])
        c.notify("textDocument/didSave", {"textDocument": {"uri": uri}})
        c.notify("textDocument/didClose", {"textDocument": {"uri": uri}})
        self.assertEqual(self.callers_of("util.h", 2, 19), ["main"])

    def test_watched_file_changes(self):
        c = self.client
        added = self.path("added.c")
        with open(added, "w") as f:
            f.write("int added(void) {\n  return mul(1, 2);\n}\n")
        c.notify("workspace/didChangeWatchedFiles", {"changes": [{"uri": uri_of(added), "type": 1}]})
        self.assertEqual(self.callers_of("math.c", 0, 5), ["SQUARE", "added", "api_compute", "sjis_log"])
        with open(added, "w") as f:
            f.write("int added(void) {\n  return 0;\n}\n")
        c.notify("workspace/didChangeWatchedFiles", {"changes": [{"uri": uri_of(added), "type": 2}]})
        self.assertEqual(self.callers_of("math.c", 0, 5), ["SQUARE", "api_compute", "sjis_log"])
        os.remove(added)
        c.notify("workspace/didChangeWatchedFiles", {"changes": [{"uri": uri_of(added), "type": 3}]})
        self.assertEqual(c.request("workspace/symbol", {"query": "added"}), [])


class Build(unittest.TestCase):
    """A compile_commands.json decides the conditionals as the build does, follows
    #include for the headers' directives, and never runs a compiler of the tree
    unless the queryDriver option allows it."""

    def make_tree(self):
        top = tempfile.mkdtemp(prefix="quenwick-lsp-build-")
        self.addCleanup(shutil.rmtree, top)
        root = os.path.join(top, "ws")
        os.makedirs(os.path.join(root, "build"))
        os.makedirs(os.path.join(root, "include"))
        files = {
            "include/config.h": "#define HAVE_FAST 1\n",
            "main.c": "#include \"config.h\"\n"
                      "#ifdef FOO\nint foo_on(void) { return 0; }\n"
                      "#else\nint foo_off(void) { return 0; }\n#endif\n"
                      "#if HAVE_FAST\nint fast(void) { return 0; }\n"
                      "#else\nint slow(void) { return 0; }\n#endif\n",
            # A compiler of the tree: it leaves a marker when it runs.
            "tools/cc": "#!/bin/sh\ntouch \"$(dirname \"$0\")/ran\"\n",
        }
        for name, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(root, name)), exist_ok=True)
            with open(os.path.join(root, name), "w") as f:
                f.write(text)
        os.chmod(os.path.join(root, "tools/cc"), 0o755)
        entry = {"directory": root, "file": "main.c",
                 "arguments": [os.path.join(root, "tools/cc"), "-DFOO", "-Iinclude",
                               "-fplugin=./plugin.so", "-c", "main.c"]}
        with open(os.path.join(root, "build", "compile_commands.json"), "w") as f:
            json.dump([entry], f)
        return root

    def names(self, client):
        return sorted(s["name"] for s in client.request("workspace/symbol", {"query": ""}))

    @posix_only("a compiler of the tree is a shell script")
    def test_configured_scan_and_a_changed_header(self):
        root = self.make_tree()
        client = start()
        client.initialize(root, options={"compileCommands": "build"})
        client.wait_scanned()
        self.assertEqual(self.names(client), ["fast", "foo_on"])
        logs = [n["params"]["message"] for n in client.notifications
                if n["method"] == "window/logMessage"]
        cc = os.path.join(root, "tools/cc")
        self.assertIn("the compiler %s is not run for its predefined macros: GCC's built-in set "
                      "stands in (the initialization option \"queryDriver\": [\"%s\"] allows it)"
                      % (cc, cc), logs)
        self.assertIn("%s read: 1 files are scanned as their build compiles them"
                      % os.path.join(root, "build", "compile_commands.json"), logs)
        self.assertFalse(os.path.exists(os.path.join(root, "tools", "ran")))
        # The header changes on disk: the file that includes it is scanned again.
        header = os.path.join(root, "include", "config.h")
        with open(header, "w") as f:
            f.write("#define HAVE_FAST 0\n")
        client.notify("workspace/didChangeWatchedFiles", {"changes": [{"uri": uri_of(header), "type": 2}]})
        self.assertEqual(self.names(client), ["foo_on", "slow"])
        self.assertEqual(client.close(), 0)

    @posix_only("a compiler of the tree is a shell script")
    def test_query_driver_allows_a_compiler_and_a_bad_database_is_logged(self):
        root = self.make_tree()
        client = start()
        client.initialize(root, options={"compileCommands": "build/compile_commands.json",
                                         "queryDriver": [os.path.join(root, "tools/*")]})
        client.wait_scanned()
        self.assertTrue(os.path.exists(os.path.join(root, "tools", "ran")))
        self.assertEqual(self.names(client), ["fast", "foo_on"])
        client.close()
        # A database at the folder's root that is no JSON: logged, the scan unconfigured.
        with open(os.path.join(root, "compile_commands.json"), "w") as f:
            f.write("[{\"file\": ")
        client = start()
        client.initialize(root)
        client.wait_scanned()
        logs = [n["params"]["message"] for n in client.notifications
                if n["method"] == "window/logMessage"]
        self.assertTrue(any(m.startswith("the compilation database is not read: %s/compile_commands.json:1:"
                                         % root) for m in logs), logs)
        self.assertEqual(self.names(client), ["fast", "foo_off", "foo_on", "slow"])
        self.assertEqual(client.close(), 0)


class HostileWorkspace(unittest.TestCase):
    """A link cycle, a link out of the workspace, a 100 MB file of one line, a huge
    document: the walk ends, takes nothing from outside, and stays small."""

    @posix_only("Wine shows POSIX links as plain folders and files")
    def test_walk(self):
        top = tempfile.mkdtemp(prefix="quenwick-lsp-hostile-")
        root = os.path.join(top, "ws")
        outside = os.path.join(top, "outside")
        os.makedirs(os.path.join(root, "sub", ".git"))
        os.makedirs(outside)
        with open(os.path.join(outside, "secret.c"), "w") as f:
            f.write("int secret(void) {\n  return 0;\n}\n")
        with open(os.path.join(root, "sub", "inside.c"), "w") as f:
            f.write("int inside(void) {\n  return 0;\n}\n")
        with open(os.path.join(root, "sub", ".git", "hidden.c"), "w") as f:
            f.write("int hidden(void) {\n  return 0;\n}\n")
        with open(os.path.join(root, "huge.c"), "wb") as f:
            f.write(b"int x = 1;" + b" " * (100 * 1024 * 1024) + b"\n")
        os.symlink(root, os.path.join(root, "sub", "loop"))      # a cycle
        os.symlink(outside, os.path.join(root, "out"))            # a folder outside
        os.symlink(os.path.join(outside, "secret.c"), os.path.join(root, "s.c"))
        try:
            client = start()
            client.initialize(root)
            summary = client.wait_scanned()["message"]
            self.assertTrue(summary.startswith("scanned 1 files"), summary)
            logs = [n["params"]["message"] for n in client.notifications
                    if n["method"] == "window/logMessage"]
            self.assertIn("left out %s/huge.c: over the limit of 33554432 bytes" % root, logs)
            self.assertIn("left out %s/out: a link that leads out of the workspace" % root, logs)
            self.assertIn("left out %s/s.c: a link that leads out of the workspace" % root, logs)
            if scan_finds_definitions():
                found = client.request("workspace/symbol", {"query": ""})
                self.assertEqual([s["name"] for s in found], ["inside"])
            # A document of one 100 MB line is over the message limit: skipped, logged.
            big = json.dumps({"jsonrpc": "2.0", "method": "textDocument/didOpen", "params": {
                "textDocument": {"uri": uri_of(os.path.join(root, "huge.c")), "languageId": "c",
                                 "version": 1, "text": "int x;" + " " * (100 * 1024 * 1024)}}})
            client.write_raw(b"Content-Length: %d\r\n\r\n" % len(big) + big.encode())
            client.wait_notification("window/logMessage",
                                     predicate=lambda p: "over the limit" in p["message"]
                                     and "didOpen" in p["message"])
            if not WINE_PREFIX and os.path.exists("/proc/%d/status" % client.proc.pid):
                with open("/proc/%d/status" % client.proc.pid) as f:
                    peak = [int(l.split()[1]) for l in f if l.startswith("VmHWM")][0]
                self.assertLess(peak, 200 * 1024, "peak resident memory in kB")
            self.assertEqual(client.close(), 0)
        finally:
            shutil.rmtree(top)


def main(argv):
    global SERVER, WINE_PREFIX
    args = argv[1:]
    if not args:
        print(__doc__)
        return 2
    SERVER = os.path.abspath(args.pop(0))
    if args[:1] == ["--wine"]:
        WINE_PREFIX = os.path.abspath(args[1])
        lsp_client.URI_DRIVE = "/Z:"
        args = args[2:]
    program = unittest.main(argv=[argv[0]] + args, exit=False, verbosity=2)
    return 0 if program.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
