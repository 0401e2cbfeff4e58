"""The page in Debian's headless chromium, driven over the DevTools protocol.

PageServer serves a folder on 127.0.0.1 (a free port) from a thread;
Browser starts chromium with a profile of its own, opens one tab and offers
the few calls the page's tests and benchmark need. Both stop when their
`with` block ends, whatever happened inside it.
"""
import base64
import functools
import http.server
import io
import json
import os
import shutil
import subprocess
import tempfile
import threading
import time
import urllib.request

import websocket
from PIL import Image


class PageServer:
    def __init__(self, folder):
        handler = functools.partial(_QuietHandler, directory=folder)
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.url = "http://127.0.0.1:%d/" % self.server.server_address[1]
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.server.shutdown()
        self.server.server_close()


class _QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm",
                      ".js": "text/javascript"}

    def log_message(self, *args):
        pass


class BrowserError(Exception):
    pass


class Browser:
    def __init__(self, width=1000, height=760):
        self.profile = tempfile.mkdtemp(prefix="page-test-chromium-")
        self.process = subprocess.Popen(
            ["chromium", "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--remote-debugging-port=0", "--user-data-dir=" + self.profile,
             "--window-size=%d,%d" % (width, height), "--force-device-scale-factor=1", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.next_id = 0
        self.socket = None

    def __enter__(self):
        try:
            port = self._debugging_port()
            with urllib.request.urlopen("http://127.0.0.1:%d/json/list" % port, timeout=10) as answer:
                tabs = [t for t in json.load(answer) if t.get("type") == "page"]
            if not tabs:
                raise BrowserError("chromium has no tab")
            self.socket = websocket.create_connection(tabs[0]["webSocketDebuggerUrl"], timeout=60,
                                                      suppress_origin=True)
            self.call("Page.enable")
            self.call("Runtime.enable")
            self.call("DOM.enable")
        except Exception:
            self.__exit__()
            raise
        return self

    def __exit__(self, *exc):
        if self.socket:
            self.socket.close()
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

    def _debugging_port(self):
        marker = os.path.join(self.profile, "DevToolsActivePort")
        deadline = time.time() + 60
        while time.time() < deadline:
            if self.process.poll() is not None:
                raise BrowserError("chromium ended at start with code %d" % self.process.returncode)
            try:
                with open(marker) as f:
                    return int(f.readline())
            except (OSError, ValueError):
                time.sleep(0.1)
        raise BrowserError("chromium did not open its debugging port within 60 s")

    def call(self, method, **params):
        self.next_id += 1
        mine = self.next_id
        self.socket.send(json.dumps({"id": mine, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == mine:
                if "error" in message:
                    raise BrowserError("%s: %s" % (method, message["error"].get("message")))
                return message.get("result", {})

    def evaluate(self, expression):
        """The value of a JavaScript expression, promises awaited."""
        result = self.call("Runtime.evaluate", expression=expression, awaitPromise=True, returnByValue=True)
        if "exceptionDetails" in result:
            details = result["exceptionDetails"]
            text = details.get("exception", {}).get("description") or details.get("text")
            raise BrowserError("page script failed: %s\n  in: %s" % (text, expression))
        return result["result"].get("value")

    def open(self, url):
        self.call("Page.navigate", url=url)
        self.wait_for("document.readyState === 'complete' && window.viewer !== undefined")

    def wait_for(self, expression, seconds=60):
        deadline = time.time() + seconds
        while time.time() < deadline:
            if self.evaluate("!!(%s)" % expression):
                return
            time.sleep(0.05)
        raise BrowserError("the page did not get to: %s" % expression)

    def key(self, name, code, down):
        self.call("Input.dispatchKeyEvent", type="rawKeyDown" if down else "keyUp", key=name, code=name,
                  windowsVirtualKeyCode=code, nativeVirtualKeyCode=code)

    def set_files(self, selector, paths):
        root = self.call("DOM.getDocument")["root"]["nodeId"]
        node = self.call("DOM.querySelector", nodeId=root, selector=selector)["nodeId"]
        self.call("DOM.setFileInputFiles", nodeId=node, files=[os.path.abspath(p) for p in paths])

    def drop(self, paths, x=300, y=300):
        """Drops files or folders on the page at (x, y), as from a file manager."""
        data = {"items": [], "files": [os.path.abspath(p) for p in paths], "dragOperationsMask": 1}
        for kind in ("dragEnter", "dragOver", "drop"):
            self.call("Input.dispatchDragEvent", type=kind, x=x, y=y, data=data)

    def save_downloads(self, folder):
        """Downloads of the tab go into `folder`, without asking."""
        self.call("Browser.setDownloadBehavior", behavior="allow", downloadPath=os.path.abspath(folder))

    def element_box(self, selector):
        return self.evaluate("(() => { const r = document.querySelector(%s).getBoundingClientRect();"
                             " return [r.x, r.y, r.width, r.height]; })()" % json.dumps(selector))

    def screenshot(self, clip=None):
        params = {"format": "png"}
        if clip:
            x, y, w, h = clip
            params["clip"] = {"x": x, "y": y, "width": w, "height": h, "scale": 1}
        data = self.call("Page.captureScreenshot", **params)["data"]
        return Image.open(io.BytesIO(base64.b64decode(data))).convert("RGB")
