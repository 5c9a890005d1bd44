"""The gallery on loopback: a folder served over HTTP, every request written down, and the
gallery's address able to fail on purpose.

In the tests it runs inside the test's process; the benchmarks start it as a process of its
own (python3 -m desk.gallery), so that serving never competes with their measurements:

    python3 -m desk.gallery --port 18741 --directory demo [--report-pings]
"""

import argparse
import http.server
import shutil
import socketserver
import ssl
import subprocess
import sys
import tempfile
import threading
from pathlib import Path
from urllib.parse import unquote, urlsplit

from . import DeskError, wait_until

HOST = "127.0.0.1"
GALLERY_PATH = "/fmm/fe/moq.htm"
PING_PATH = "/fmm/fe/ping"  # the fixture pages report their load here
UNTRUSTED_PORT = 18732  # tests/fixtures/gallery links an https server here (UntrustedServer)

# Addresses that answer in ways of their own, whatever the gallery's mode.
REDIRECT_LOOP_PATH = "/fmm/fe/loop.htm"  # sends the browser to itself
DOWNLOADS = {  # path: (type, extra headers)
    "/fmm/fe/archive.zip": ("application/zip", {}),
    "/fmm/fe/notes.txt": ("text/plain", {"Content-Disposition": 'attachment; filename="notes.txt"'}),
}


def gallery_url(port, host=HOST):
    return f"http://{host}:{port}{GALLERY_PATH}"


def _generated_page(body):
    return ("<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\"><title>Gallery</title>"
            "<style>body{margin:0} .at{position:absolute;display:block;margin:0;border:0}"
            " img.at{width:80px;height:60px}</style></head><body>" + body + "</body></html>")


def _big_title_page():
    title = "t" * (1 << 20)
    return _generated_page(
        f'<img class="at" style="left:10px;top:10px" src="pics/my%20photo.png" title="{title}" alt="">')


def _many_pictures_page():
    first = '<img class="at" style="left:10px;top:10px" src="pics/my%20photo.png" alt="">'
    rest = "".join(f'<img id="m{i}" src="pics/dot.png" width="8" height="8" alt="">'
                   for i in range(4999))
    return _generated_page(first + '<div style="position:absolute;left:0;top:80px">' + rest + "</div>")


class _Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, request, client_address, server):
        super().__init__(request, client_address, server, directory=str(server.directory))

    def log_message(self, *args):
        pass

    def do_GET(self):
        server = self.server
        server.record(self.command, self.path)
        parts = urlsplit(self.path)
        if parts.path == PING_PATH:
            if server.report_pings:
                print("ping", parts.query, flush=True)
            self.send_response(204)
            self.end_headers()
            return
        if parts.query == "slow":
            server.stopping.wait(1.0)
        if parts.path == REDIRECT_LOOP_PATH:
            self.send_redirect(302, REDIRECT_LOOP_PATH)
            return
        if parts.path in DOWNLOADS:
            content_type, headers = DOWNLOADS[parts.path]
            self.send_body(b"PK\x05\x06" + bytes(18), content_type, headers=headers)
            return
        if parts.path == GALLERY_PATH and server.mode != "normal":
            self.serve_gallery_fault(server.mode)
            return
        super().do_GET()

    def send_body(self, body, content_type="text/html; charset=utf-8", status=200, headers=None):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in (headers or {}).items():
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def send_redirect(self, status, location):
        self.send_response(status)
        self.send_header("Location", location)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def serve_gallery_fault(self, mode):
        folder = self.server.directory / "fmm" / "fe"
        page = (self.server.directory / GALLERY_PATH.lstrip("/")).read_bytes()
        if mode == "404":
            self.send_body(b"", status=404)
        elif mode in ("hang", "die"):
            # Promise the whole page, deliver a part of it, then stall or hang up.
            self.send_response(200)
            self.send_header("Content-Type", "text/html; charset=utf-8")
            self.send_header("Content-Length", str(len(page) + 4096))
            self.end_headers()
            self.wfile.write(page[: len(page) // 2])
            self.wfile.flush()
            if mode == "hang":
                self.server.stopping.wait()
            self.close_connection = True
        elif mode == "trickle":
            # The whole page, a byte a second.
            self.send_response(200)
            self.send_header("Content-Type", "text/html; charset=utf-8")
            self.send_header("Content-Length", str(len(page)))
            self.end_headers()
            for i in range(len(page)):
                self.wfile.write(page[i : i + 1])
                self.wfile.flush()
                if self.server.stopping.wait(1.0) or self.server.mode != "trickle":
                    break
            self.close_connection = True
        elif mode == "bigtitle":
            self.send_body(_big_title_page().encode())
        elif mode == "many":
            self.send_body(_many_pictures_page().encode())
        elif mode.startswith("page:"):
            self.send_body((folder / mode[5:]).read_bytes())
        elif mode.startswith("picture:"):
            self.send_body((folder / "pics" / mode[8:]).read_bytes(), "image/png")
        else:
            raise ValueError(mode)


class GalleryServer(socketserver.ThreadingMixIn, http.server.HTTPServer):
    """Serves directory on HOST:port from a thread of its own and logs every request.

    mode decides what the gallery address answers: "normal" (the file), "404", "hang" (headers
    and half the page, then nothing until shutdown), "die" (half the page, then the connection
    closes), "trickle" (the page a byte a second, until the mode changes), "bigtitle" (a picture
    with a 1 MB title), "many" (5,000 pictures), "page:NAME" (another page of fmm/fe),
    "picture:NAME" (a PNG of fmm/fe/pics).
    """

    daemon_threads = True
    block_on_close = False
    allow_reuse_address = True

    def __init__(self, directory, port):
        self.directory = Path(directory)
        try:
            super().__init__((HOST, port), _Handler)
        except OSError as e:
            raise DeskError(f"cannot listen on {HOST}:{port} (another run still serving "
                            f"there?): {e}")
        self.port = port
        self.mode = "normal"
        self.report_pings = False  # print every page report on standard output
        self.stopping = threading.Event()
        self._lock = threading.Lock()
        self._log = []
        self._thread = threading.Thread(target=self.serve_forever, daemon=True)
        self._thread.start()

    def handle_error(self, request, client_address):
        # The browser hangs up whenever the program ends or leaves a page: not a fault.
        if not isinstance(sys.exc_info()[1], ConnectionError):
            super().handle_error(request, client_address)

    def record(self, method, path):
        with self._lock:
            self._log.append((method, path))

    def requests(self, since=0):
        """Paths (with query) of the GET requests, from position since of the log on."""
        with self._lock:
            return [p for m, p in self._log[since:] if m == "GET"]

    def fetched(self, since=0):
        """requests() without the pages' own reports and the browser's icon lookups."""
        return [p for p in self.requests(since)
                if not p.startswith(PING_PATH + "?") and p != "/favicon.ico"]

    def mark(self):
        with self._lock:
            return len(self._log)

    def saw(self, path, since=0):
        return any(unquote(urlsplit(p).path) == path or p == path for p in self.requests(since))

    def wait_for_request(self, path, since=0, timeout=30.0):
        wait_until(lambda: self.saw(path, since), timeout, f"GET {path} at the gallery server",
                   on_timeout=lambda: f"; requests seen: {self.requests(since)[-20:]}")

    def stop(self):
        self.stopping.set()
        self.shutdown()
        self.server_close()


class UntrustedServer:
    """https on HOST:port with a certificate made here and signed by itself, which no browser
    trusts. It answers every request with a small page (no browser should ever see it)."""

    def __init__(self, port=UNTRUSTED_PORT):
        if shutil.which("openssl") is None:
            raise DeskError("missing tool: openssl (Debian package openssl; "
                            "scripts/install-deps.sh installs it)")
        self._dir = tempfile.mkdtemp(prefix="pinmark-untrusted-")
        key, cert = f"{self._dir}/key.pem", f"{self._dir}/cert.pem"
        made = subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                               "-days", "2", "-subj", f"/CN={HOST}", "-keyout", key, "-out", cert],
                              capture_output=True)
        if made.returncode != 0:
            raise DeskError("openssl could not make a certificate: " + made.stderr.decode())
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)

        class Handler(http.server.BaseHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def do_GET(self):
                body = b"<p>Trusted after all?</p>"
                self.send_response(200)
                self.send_header("Content-Type", "text/html")
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

        class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
            daemon_threads = True
            allow_reuse_address = True

            def handle_error(self, request, client_address):
                pass  # the browser hangs up as soon as it has seen the certificate

        try:
            self._server = Server((HOST, port), Handler)
        except OSError as e:
            raise DeskError(f"cannot listen on {HOST}:{port}: {e}")
        self._server.socket = context.wrap_socket(self._server.socket, server_side=True)
        self.port = port
        self._thread = threading.Thread(target=self._server.serve_forever, daemon=True)
        self._thread.start()

    def stop(self):
        self._server.shutdown()
        self._server.server_close()
        shutil.rmtree(self._dir, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description="Serves a gallery folder on 127.0.0.1.")
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--directory", required=True)
    parser.add_argument("--report-pings", action="store_true",
                        help=f"print each page report ({PING_PATH}?QUERY) as 'ping QUERY'")
    args = parser.parse_args()
    try:
        server = GalleryServer(args.directory, args.port)
    except DeskError as e:
        sys.exit(str(e))
    server.report_pings = args.report_pings
    print("serving", flush=True)
    try:
        threading.Event().wait()
    except KeyboardInterrupt:
        pass
    finally:
        server.stop()


if __name__ == "__main__":
    main()
