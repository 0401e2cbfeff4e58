#!/usr/bin/python3
"""serve.py <page folder> [--live <map.tmx | world folder>] [--open] [<port>]

Serves the page on 127.0.0.1 until interrupted, and prints its address. The
port is 8000, or the one given, or any free one when that is taken. --open
opens the address in the system's web browser.

With --live it also serves one Tiled map (the .tmx and everything in its
folder and below: tilesets, templates, pictures) or one world folder, and
tells the page each time one of those files changes, so that the page shows
every save of the editor without a reload. Nothing else is served: no path
with "..", no absolute path, no file outside the two folders (a link that
leads out of them included), no folder listing.

  /                  the page's files
  /live/state        what is shown: {"name", "map" (the .tmx's path in the
                     tree, or null for a world), "files", "version"}
  /live/files/<path> one file of the tree
  /live/events       server-sent events: the version, at once and on every change
"""
import functools
import http.server
import json
import os
import sys
import threading
import time
import urllib.parse
import webbrowser

# How often the tree is looked at: a change shows well within a second.
POLL_SECONDS = 0.1
# A tree this large is not a map's folder: the listing stops there.
MAX_FILES = 10000


def safe_parts(path):
    """The parts of a URL path, decoded, or None when it could leave its
    folder: "..", ".", an empty part (a doubled or trailing slash, which makes
    an absolute path), a backslash, a drive letter or a NUL."""
    parts = urllib.parse.unquote(path).split("/")
    for part in parts:
        if part in ("", ".", "..") or "\\" in part or "\0" in part or ":" in part:
            return None
    return parts


def inside(root, parts):
    """The file `parts` names under `root`, or None when it is not a regular
    file there once every link is followed."""
    real_root = os.path.realpath(root)
    path = os.path.realpath(os.path.join(real_root, *parts))
    if os.path.commonpath([real_root, path]) != real_root or not os.path.isfile(path):
        return None
    return path


class LiveTree:
    """The map's or world's folder tree, looked at every POLL_SECONDS; the
    version goes up on every change of a file's name, size or time."""

    def __init__(self, target):
        target = os.path.abspath(target)
        if os.path.isdir(target):
            self.root, self.map, self.name = target, None, os.path.basename(target)
        elif target.lower().endswith(".tmx") and os.path.isfile(target):
            self.root, self.map, self.name = os.path.dirname(target), os.path.basename(target), os.path.basename(target)
        else:
            raise SystemExit("serve.py: --live takes a .tmx file or a world folder, not %s" % target)
        self.changed = threading.Condition()
        self.version = 1
        self.files, self.stamp = self.look()
        threading.Thread(target=self.watch, daemon=True).start()

    def look(self):
        """The files of the tree (hidden ones, such as editors' temporary
        files, left out) and their stamp."""
        files, stamp = [], []
        for folder, folders, names in os.walk(self.root):
            folders[:] = sorted(f for f in folders if not f.startswith("."))
            for name in sorted(names):
                if name.startswith("."):
                    continue
                path = os.path.join(folder, name)
                try:
                    status = os.stat(path)
                except OSError:
                    continue
                relative = os.path.relpath(path, self.root).replace(os.sep, "/")
                if not inside(self.root, relative.split("/")):
                    continue
                files.append(relative)
                stamp.append((relative, status.st_size, status.st_mtime_ns))
                if len(files) >= MAX_FILES:
                    return files, stamp
        return files, stamp

    def watch(self):
        while True:
            time.sleep(POLL_SECONDS)
            files, stamp = self.look()
            if stamp != self.stamp:
                with self.changed:
                    self.files, self.stamp = files, stamp
                    self.version += 1
                    self.changed.notify_all()

    def state(self):
        with self.changed:
            return {"name": self.name, "map": self.map, "files": self.files, "version": self.version}


class PageHandler(http.server.BaseHTTPRequestHandler):
    extensions = {".html": "text/html; charset=utf-8", ".css": "text/css", ".js": "text/javascript",
                  ".wasm": "application/wasm", ".txt": "text/plain; charset=utf-8", ".json": "application/json"}
    protocol_version = "HTTP/1.1"

    def __init__(self, *args, page, live, **kwargs):
        self.page, self.live = page, live
        super().__init__(*args, **kwargs)

    def do_GET(self):
        # The query goes; the rest is taken as it is (urlsplit would read
        # "//etc/passwd" as a host and a path).
        path = self.path.split("?", 1)[0].split("#", 1)[0]
        if not path.startswith("/"):
            return self.refuse(400, "not a path")
        if path == "/":
            return self.send_file(os.path.join(self.page, "index.html"))
        parts = safe_parts(path[1:])
        if parts is None:
            return self.refuse(403, "this path is not served")
        if parts[0] == "live" and self.live:
            if parts[1:] == ["state"]:
                return self.send_bytes(json.dumps(self.live.state()).encode(), "application/json")
            if parts[1:] == ["events"]:
                return self.send_events()
            if len(parts) > 2 and parts[1] == "files":
                found = inside(self.live.root, parts[2:])
                return self.send_file(found) if found else self.refuse(404, "no such file")
            return self.refuse(404, "no such file")
        found = inside(self.page, parts)
        return self.send_file(found) if found else self.refuse(404, "no such file")

    def refuse(self, code, why):
        self.send_bytes(why.encode() + b"\n", "text/plain; charset=utf-8", code)

    def send_bytes(self, body, kind, code=200):
        self.send_response(code)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        self.wfile.write(body)

    def send_file(self, path):
        try:
            with open(path, "rb") as f:
                body = f.read()
        except OSError:
            return self.refuse(404, "no such file")
        kind = self.extensions.get(os.path.splitext(path)[1].lower(), "application/octet-stream")
        self.send_bytes(body, kind)

    def send_events(self):
        self.send_response(200)
        self.send_header("Content-Type", "text/event-stream")
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        self.close_connection = True
        sent = None
        try:
            while True:
                with self.live.changed:
                    if sent == self.live.version:
                        self.live.changed.wait(15)
                    version = self.live.version
                # A comment line keeps a quiet connection open.
                self.wfile.write(b": quiet\n\n" if version == sent else b"data: %d\n\n" % version)
                self.wfile.flush()
                sent = version
        except OSError:
            pass

    def log_message(self, *args):
        pass


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True


def main():
    args = sys.argv[1:]
    live = None
    opening = "--open" in args
    if opening:
        args.remove("--open")
    if "--live" in args:
        at = args.index("--live")
        if at + 1 >= len(args):
            sys.exit(__doc__)
        live = LiveTree(args[at + 1])
        del args[at:at + 2]
    if len(args) not in (1, 2):
        sys.exit(__doc__)
    handler = functools.partial(PageHandler, page=os.path.abspath(args[0]), live=live)
    wanted = int(args[1]) if len(args) == 2 else 8000
    try:
        server = Server(("127.0.0.1", wanted), handler)
    except OSError:
        server = Server(("127.0.0.1", 0), handler)
    address = "http://127.0.0.1:%d/%s" % (server.server_address[1], "?live" if live else "")
    print("The page: %s  (Ctrl+C ends the server)" % address, flush=True)
    if live:
        print("Showing %s; every change of its files shows at once." % os.path.join(live.root, live.map or ""), flush=True)
    if opening:
        webbrowser.open(address)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
