#!/usr/bin/env bash
# Starts a local catalog update server: a small Python server of ours, an ordinary process on a free
# loopback port (no system service), serving the files of assets/samples/ ("update.auf" and
# "hwupdate.auf", the samples made there) or of --root DIR. Prints the host:port to put in
# VITRINEX_UPDATE_HOST on its first line and serves until it is interrupted; it leaves nothing behind.
#   scripts/update-server.sh [--root DIR] [--port PORT]
#
# It answers the way the maker's server does: a request line without a version ("GET /update.auf")
# gets the file's bytes alone and then the connection closes; a missing file gets an HTML 404 page.
# A request with a version (a browser, curl) gets a status line and headers first.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
root=$here/assets/samples
port=0
while [ $# -gt 0 ]; do
  case $1 in
    --root) root=$2; shift 2 ;;
    --port) port=$2; shift 2 ;;
    *) echo "usage: $0 [--root DIR] [--port PORT]" >&2; exit 2 ;;
  esac
done
[ -d "$root" ] || { echo "update-server: no folder $root" >&2; exit 1; }
command -v python3 >/dev/null || bash "$here/scripts/setup.sh" --server >&2

exec python3 - "$root" "$port" <<'PY'
import os
import signal
import socket
import socketserver
import sys
from urllib.parse import unquote

root, port = sys.argv[1], int(sys.argv[2])


def page(status):
    return (f"<html>\r\n<head><title>{status}</title></head>\r\n<body>\r\n"
            f"<center><h1>{status}</h1></center>\r\n</body>\r\n</html>\r\n").encode()


def answer(words):
    """The status and body for a request line's words: only plain files of the root are served."""
    if words[0] != "GET":
        return "400 Bad Request", page("400 Bad Request")
    name = unquote(words[1].split("?")[0]).lstrip("/")
    path = os.path.join(root, name)
    if name and "/" not in name and not name.startswith(".") and os.path.isfile(path):
        try:
            with open(path, "rb") as f:
                return "200 OK", f.read()
        except OSError:
            pass
    return "404 Not Found", page("404 Not Found")


class Handler(socketserver.StreamRequestHandler):
    timeout = 10  # a client that stops sending is dropped

    def handle(self):
        try:
            words = self.rfile.readline(8192).decode("latin-1").split()
            if len(words) not in (2, 3):
                return
            versioned = len(words) == 3
            while versioned and self.rfile.readline(8192).strip():
                pass  # header lines
            status, body = answer(words)
            if versioned:
                self.wfile.write(f"HTTP/1.0 {status}\r\nContent-Type: application/octet-stream\r\n"
                                 f"Content-Length: {len(body)}\r\nConnection: close\r\n\r\n".encode())
            self.wfile.write(body)
            self.wfile.flush()
            # Closed only after the client has read to the end and closed its side: closing with
            # its bytes still unread would reset the connection and could lose the answer's tail.
            self.connection.shutdown(socket.SHUT_WR)
            while self.connection.recv(4096):
                pass
        except OSError:
            pass


class Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True


signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
try:
    with Server(("127.0.0.1", port), Handler) as server:
        host, bound = server.server_address
        print(f"{host}:{bound}", flush=True)
        server.serve_forever()
except KeyboardInterrupt:
    pass
except OSError as e:
    sys.exit(f"update-server: {e}")
PY
