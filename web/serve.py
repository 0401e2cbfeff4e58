#!/usr/bin/python3
"""serve.py <page folder> [<port>]

Serves the page on 127.0.0.1 until interrupted, and prints its address. The
port is 8000, or the one given, or any free one when that is taken.
"""
import functools
import http.server
import sys


class PageHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm",
                      ".js": "text/javascript"}


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    handler = functools.partial(PageHandler, directory=sys.argv[1])
    wanted = int(sys.argv[2]) if len(sys.argv) == 3 else 8000
    try:
        server = http.server.ThreadingHTTPServer(("127.0.0.1", wanted), handler)
    except OSError:
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    print("The page: http://127.0.0.1:%d/  (Ctrl+C ends the server)" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
