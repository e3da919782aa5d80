#!/usr/bin/env bash
# Serves a built web folder on this machine only, with the types a browser needs (the module
# as application/wasm, the manifest as application/manifest+json), to try the app or test it.
# Usage: bash scripts/serve_web.sh [FOLDER [PORT]]   (defaults: build-web/web, 8080)
# TARVEL_ISOLATE=1 adds the headers that make the page cross-origin isolated, where the
# browser's clock is fine enough to time one keystroke (bench/web_measure.py).
set -euo pipefail
folder=${1:-build-web/web}
port=${2:-8080}
[ -f "$folder/index.html" ] || { echo "serve_web.sh: no index.html in $folder" >&2; exit 1; }
echo "http://127.0.0.1:$port/"
exec python3 - "$folder" "$port" <<'PY'
import functools, http.server, os, sys

class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {
        ".html": "text/html; charset=utf-8", ".css": "text/css; charset=utf-8",
        ".js": "text/javascript; charset=utf-8", ".wasm": "application/wasm",
        ".webmanifest": "application/manifest+json", ".png": "image/png",
        ".webp": "image/webp", ".zip": "application/zip", "": "application/octet-stream",
    }

    def end_headers(self):
        if os.environ.get("TARVEL_ISOLATE") == "1":
            self.send_header("Cross-Origin-Opener-Policy", "same-origin")
            self.send_header("Cross-Origin-Embedder-Policy", "require-corp")
        super().end_headers()

    def log_message(self, *args):
        pass

folder, port = sys.argv[1], int(sys.argv[2])
server = http.server.ThreadingHTTPServer(("127.0.0.1", port),
                                         functools.partial(Handler, directory=folder))
server.serve_forever()
PY
