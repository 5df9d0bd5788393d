"""A small client of the language server protocol, for the tests and the benchmarks.

It starts the server as a child process, frames each message with Content-Length,
reads the server's messages on a thread of its own, and answers the server's
requests (progress tokens, registrations) as an editor would.
"""
import json
import os
import queue
import subprocess
import threading
import time
import urllib.parse


# What goes before a path in a file URI: "/Z:" for a Windows build under Wine, which
# sees / as drive Z:.
URI_DRIVE = ""


def uri_of(path):
    """The file URI of the absolute path `path`."""
    return "file://" + URI_DRIVE + urllib.parse.quote(os.path.abspath(path))


def shown(path):
    """`path` as the server names it."""
    return (URI_DRIVE[1:] if URI_DRIVE else "") + path


class ServerError(Exception):
    """An error response, with its code."""

    def __init__(self, error):
        super().__init__("%s: %s" % (error.get("code"), error.get("message")))
        self.code = error.get("code")
        self.message = error.get("message")


class Client:
    """The server as a child process; the messages it sends, as they come."""

    def __init__(self, command, cwd=None, env=None, answer_requests=True):
        self.proc = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, cwd=cwd, env=env)
        self.answer_requests = answer_requests
        self.messages = queue.Queue()
        self.notifications = []      # every notification received, in order
        self.server_requests = []    # every request of the server's, in order
        self.responses = {}
        self.next_id = 1
        self.lock = threading.Lock()
        self.stderr = b""
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        self.err_reader = threading.Thread(target=self._read_stderr, daemon=True)
        self.err_reader.start()

    # The wire.
    def write_raw(self, data):
        """Writes bytes as they are."""
        self.proc.stdin.write(data)
        self.proc.stdin.flush()

    def frame(self, message):
        body = json.dumps(message).encode("utf-8")
        return b"Content-Length: %d\r\n\r\n" % len(body) + body

    def send(self, message):
        self.write_raw(self.frame(message))

    def _read(self):
        stream = self.proc.stdout
        while True:
            header = b""
            while not header.endswith(b"\r\n\r\n"):
                byte = stream.read(1)
                if not byte:
                    self.messages.put(None)
                    return
                header += byte
            length = None
            for line in header.split(b"\r\n"):
                if line.lower().startswith(b"content-length:"):
                    length = int(line.split(b":", 1)[1])
            body = stream.read(length)
            message = json.loads(body.decode("utf-8"))
            self.messages.put(message)

    def _read_stderr(self):
        self.stderr = self.proc.stderr.read()

    # Messages.
    def request(self, method, params=None, timeout=60):
        """Sends a request and waits for its response; raises ServerError on an error."""
        rid = self.send_request(method, params)
        return self.wait_response(rid, timeout)

    def send_request(self, method, params=None, rid=None):
        if rid is None:
            rid = self.next_id
            self.next_id += 1
        message = {"jsonrpc": "2.0", "id": rid, "method": method}
        if params is not None:
            message["params"] = params
        self.send(message)
        return rid

    def notify(self, method, params=None):
        message = {"jsonrpc": "2.0", "method": method}
        if params is not None:
            message["params"] = params
        self.send(message)

    def wait_response(self, rid, timeout=60, raw=False):
        """The response to `rid` (its result, or raises ServerError; the whole message
        with `raw`)."""
        deadline = time.time() + timeout
        while not self.responses.get(rid):
            self._pump(deadline)
        message = self.responses[rid].pop(0)
        if raw:
            return message
        if "error" in message:
            raise ServerError(message["error"])
        return message.get("result")

    def wait_notification(self, method, timeout=60, predicate=None):
        """The first notification of `method` (that `predicate` accepts) not yet taken."""
        deadline = time.time() + timeout
        seen = 0
        while True:
            for i in range(seen, len(self.notifications)):
                note = self.notifications[i]
                if note["method"] == method and (predicate is None or predicate(note["params"])):
                    return note["params"]
            seen = len(self.notifications)
            self._pump(deadline)

    def _pump(self, deadline):
        left = deadline - time.time()
        if left <= 0:
            raise TimeoutError("no answer from the server in time")
        try:
            message = self.messages.get(timeout=left)
        except queue.Empty:
            raise TimeoutError("no answer from the server in time")
        if message is None:
            self.messages.put(None)
            raise EOFError("the server closed its output")
        if "method" in message and "id" in message:
            self.server_requests.append(message)
            if self.answer_requests:
                self.send({"jsonrpc": "2.0", "id": message["id"], "result": None})
        elif "method" in message:
            self.notifications.append(message)
        else:
            self.responses.setdefault(message.get("id"), []).append(message)

    def collect(self, seconds):
        """Reads whatever comes within `seconds`."""
        deadline = time.time() + seconds
        try:
            while True:
                self._pump(deadline)
        except (TimeoutError, EOFError):
            pass

    # The life cycle.
    def initialize(self, root=None, capabilities=None, options=None, folders=None, **extra):
        params = {"processId": os.getpid(), "capabilities": capabilities or {}}
        if root is not None:
            params["rootUri"] = uri_of(root)
        if folders is not None:
            params["workspaceFolders"] = [{"uri": uri_of(f), "name": os.path.basename(f)}
                                          for f in folders]
        if options is not None:
            params["initializationOptions"] = options
        params.update(extra)
        result = self.request("initialize", params)
        self.notify("initialized", {})
        return result

    def wait_scanned(self, timeout=120):
        """Waits for the first scan's summary line."""
        return self.wait_notification(
            "window/logMessage", timeout,
            lambda p: p["message"].startswith("scanned "))

    def close(self, timeout=30):
        """Shuts down and exits; returns the exit status."""
        try:
            self.request("shutdown", timeout=timeout)
            self.notify("exit")
        except (BrokenPipeError, EOFError, TimeoutError):
            pass
        return self.wait(timeout)

    def wait(self, timeout=30):
        try:
            status = self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            status = self.proc.wait()
        self.err_reader.join(5)
        return status

    # Requests at a place.
    def at(self, method, path, line, character, **extra):
        params = {"textDocument": {"uri": uri_of(path)},
                  "position": {"line": line, "character": character}}
        params.update(extra)
        return self.request(method, params)
