"""Headless Chromium driven through its DevTools protocol over a pipe.

A small client for the page tests and the page benchmark, with the standard library
only: Chromium is started with --remote-debugging-pipe, reads commands from its
descriptor 3 and writes answers and events to its descriptor 4, each message a JSON
text ended by a NUL byte. Nothing listens on a network port.

    with HeadlessChromium() as browser:
        page = browser.open_page()
        page.navigate("file:///tmp/page.html#fn=main")
        page.wait_for("document.documentElement.dataset.views === '1'")
        print(page.evaluate("document.title"))
"""
import fcntl
import json
import os
import queue
import shutil
import subprocess
import tempfile
import threading
import time

FLAGS = [
    "--headless",
    "--no-sandbox",  # the tests and CI run as root
    "--disable-gpu",
    "--no-first-run",
    "--no-default-browser-check",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
    "--disable-extensions",
    "--remote-debugging-pipe",
]


def find_chromium():
    """The path of Chromium, or None when it is not installed."""
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    return None


class ProtocolError(Exception):
    pass


class HeadlessChromium:
    """One browser process with a fresh profile, ended by close()."""

    def __init__(self, binary=None, window="1200,900"):
        self.binary = binary or find_chromium()
        if self.binary is None:
            raise FileNotFoundError("chromium is not installed")
        self.profile = tempfile.mkdtemp(prefix="quenwick-chromium-")
        to_browser_r, self._to_browser = os.pipe()
        self._from_browser, from_browser_w = os.pipe()
        # The child's descriptors 3 and 4, copied out of the way of each other first.
        high_r = fcntl.fcntl(to_browser_r, fcntl.F_DUPFD, 10)
        high_w = fcntl.fcntl(from_browser_w, fcntl.F_DUPFD, 10)

        def descriptors():
            os.dup2(high_r, 3)
            os.dup2(high_w, 4)

        self.process = subprocess.Popen(
            [self.binary, *FLAGS, "--user-data-dir=" + self.profile,
             "--window-size=" + window, "about:blank"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=descriptors, pass_fds=(3, 4))
        for fd in (to_browser_r, from_browser_w, high_r, high_w):
            os.close(fd)
        self._next_id = 0
        self._answers = {}
        self._events = queue.Queue()
        self._lock = threading.Condition()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        pending = b""
        while True:
            try:
                chunk = os.read(self._from_browser, 1 << 16)
            except OSError:
                chunk = b""
            if not chunk:
                with self._lock:
                    self._answers[None] = "closed"
                    self._lock.notify_all()
                return
            pending += chunk
            *messages, pending = pending.split(b"\0")
            for raw in messages:
                message = json.loads(raw)
                if "id" in message:
                    with self._lock:
                        self._answers[message["id"]] = message
                        self._lock.notify_all()
                else:
                    if message.get("method") == "Page.javascriptDialogOpening":
                        self._dismiss(message.get("sessionId"))
                    self._events.put(message)

    def _dismiss(self, session):
        # A dialog blocks its page: close it at once (the event stays for the tests).
        with self._lock:
            self._next_id += 1
            ident = self._next_id
        message = {"id": ident, "method": "Page.handleJavaScriptDialog",
                   "params": {"accept": False}, "sessionId": session}
        os.write(self._to_browser, json.dumps(message).encode() + b"\0")

    def send(self, method, params=None, session=None, timeout=60):
        """Sends one command and returns its result; raises ProtocolError on an error."""
        with self._lock:
            self._next_id += 1
            ident = self._next_id
        message = {"id": ident, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self._to_browser, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        with self._lock:
            while ident not in self._answers:
                if None in self._answers:
                    raise ProtocolError("the browser closed while waiting for " + method)
                left = deadline - time.monotonic()
                if left <= 0:
                    raise ProtocolError("no answer to %s in %d s" % (method, timeout))
                self._lock.wait(left)
            answer = self._answers.pop(ident)
        if "error" in answer:
            raise ProtocolError("%s: %s" % (method, answer["error"]))
        return answer.get("result", {})

    def events(self):
        """The events received since the last call, oldest first."""
        found = []
        while True:
            try:
                found.append(self._events.get_nowait())
            except queue.Empty:
                return found

    def open_page(self):
        """A new tab, attached, with page, runtime and network events on."""
        target = self.send("Target.createTarget", {"url": "about:blank"})["targetId"]
        session = self.send("Target.attachToTarget",
                            {"targetId": target, "flatten": True})["sessionId"]
        page = Page(self, session)
        for domain in ("Page", "Runtime", "Network"):
            page.send(domain + ".enable")
        return page

    def close(self):
        try:
            self.send("Browser.close", timeout=10)
        except ProtocolError:
            pass
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        for fd in (self._to_browser, self._from_browser):
            try:
                os.close(fd)
            except OSError:
                pass
        shutil.rmtree(self.profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class Page:
    """One tab: commands go to its session; its events are kept in `log`."""

    def __init__(self, browser, session):
        self.browser = browser
        self.session = session
        self.log = []

    def send(self, method, params=None, timeout=60):
        result = self.browser.send(method, params, self.session, timeout)
        self._collect()
        return result

    def _collect(self):
        for event in self.browser.events():
            if event.get("sessionId") == self.session:
                self.log.append(event)

    def navigate(self, url):
        self.send("Page.navigate", {"url": url})

    def evaluate(self, expression, timeout=60):
        """The value of a script expression (a promise is awaited)."""
        result = self.send("Runtime.evaluate", {
            "expression": expression, "returnByValue": True, "awaitPromise": True,
        }, timeout)
        if "exceptionDetails" in result:
            raise ProtocolError("script failed: %s" % json.dumps(result["exceptionDetails"])[:800])
        return result["result"].get("value")

    def wait_for(self, condition, timeout=60):
        """Waits until the script expression `condition` is true."""
        deadline = time.monotonic() + timeout
        while True:
            try:
                if self.evaluate(condition):
                    return
            except ProtocolError:
                pass  # the page is still loading
            if time.monotonic() > deadline:
                raise ProtocolError("waited %d s for %s" % (timeout, condition))
            time.sleep(0.02)

    def key(self, key, code=None, keycode=0, text=None):
        """Presses and releases one key in the focused element."""
        down = {"type": "keyDown", "key": key, "code": code or key,
                "windowsVirtualKeyCode": keycode, "nativeVirtualKeyCode": keycode}
        if text:
            down["text"] = text
        self.send("Input.dispatchKeyEvent", down)
        self.send("Input.dispatchKeyEvent", {"type": "keyUp", "key": key, "code": code or key,
                                             "windowsVirtualKeyCode": keycode})

    def type(self, text):
        """Types `text` into the focused element, one input event per character."""
        for char in text:
            self.send("Input.insertText", {"text": char})

    def requests(self):
        """The URLs the page asked for, in order."""
        self._collect()
        return [e["params"]["request"]["url"] for e in self.log
                if e["method"] == "Network.requestWillBeSent"]

    def problems(self):
        """Script errors, console errors and dialogs seen so far, as texts."""
        self._collect()
        found = []
        for e in self.log:
            if e["method"] == "Runtime.exceptionThrown":
                found.append("exception: " + json.dumps(e["params"]["exceptionDetails"])[:400])
            elif e["method"] == "Runtime.consoleAPICalled" and e["params"]["type"] == "error":
                found.append("console error: " + json.dumps(e["params"]["args"])[:400])
            elif e["method"] == "Page.javascriptDialogOpening":
                found.append("dialog: " + e["params"].get("message", ""))
        return found


KEYS = {
    "Enter": ("Enter", 13, "\r"),
    "ArrowDown": ("ArrowDown", 40, None),
    "ArrowUp": ("ArrowUp", 38, None),
    "ArrowRight": ("ArrowRight", 39, None),
    "ArrowLeft": ("ArrowLeft", 37, None),
    "Tab": ("Tab", 9, None),
    "Escape": ("Escape", 27, None),
}


def press(page, name):
    """Presses a named key (see KEYS)."""
    code, keycode, text = KEYS[name]
    page.key(name, code, keycode, text)
