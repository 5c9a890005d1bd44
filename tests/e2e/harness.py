"""End-to-end harness: the real Pinmark binary under Xvfb, driven like a user would drive it.

Each case file builds one Session (an X display, the gallery server on loopback, a recording
xdg-open) and starts the program once or a few times in it. xdotool is the user's hands, xclip
the other program on the clipboard, `import` the camera. Everything started here is stopped by
its process id when the session ends.
"""

import argparse
import ctypes
import http.server
import json
import os
import select
import shutil
import signal
import socketserver
import subprocess
import sys
import tempfile
import threading
import time
import unittest
from pathlib import Path
from urllib.parse import unquote, urlsplit

HERE = Path(__file__).resolve().parent
SOURCE_ROOT = HERE.parents[1]
FIXTURES = SOURCE_ROOT / "tests" / "fixtures" / "gallery"

HOST = "127.0.0.1"
PORT = 18731
SITE = f"http://{HOST}:{PORT}"
GALLERY_PATH = "/fmm/fe/moq.htm"
GALLERY_URL = SITE + GALLERY_PATH
LINK_TARGET_URL = SITE + "/"

TIMEOUT = 30.0  # the first start of the web engine is slow on a loaded machine
SCREEN = (1280, 800)

MAIN_TITLE = r"^Pinmark 1\.0$"
MAIN_SIZE = (684, 552)
NOTICE_SIZE = (400, 135)  # notcon, selimg, wronglink
ABOUT_TITLE = r"^About Pinmark 1\.0$"
ABOUT_SIZE = (400, 340)
NOTICE_OK = (200, 111)  # inside the OK button, x 152..247, y 94..128 of a short notice

# Main window controls, window coordinates of a point inside each.
XX = (30, 120)
ABOUTIMG = (129, 121)
SWRUR = (342, 122)
CODE_BUTTONS = {  # name: point inside it (each 129 x 34 at the given left, top 33)
    "swrd2": (18 + 64, 50),
    "swrhc22": (148 + 64, 50),
    "swrh22": (278 + 64, 50),
    "swrfrc22": (408 + 64, 50),
    "swrfr22": (537 + 64, 50),
}
BROWSER_ORIGIN = (5, 144)  # WebBrowser1 inside the window; the page is shown at 1x scale
LOADIMG = (278, 500, 129, 48)  # page-status badge: left, top, width, height

# Places in the gallery fixture (page coordinates, centres of the elements of moq.htm).
PAGE = {
    "photo": (50, 40),
    "picture4": (150, 40),
    "link9": (270, 25),
    "link7": (410, 25),
    "picture22": (50, 130),
    "link12_file": (170, 115),
    "link15_javascript": (310, 115),
    "link18_data": (450, 115),
    "scripted": (70, 215),
    "blank": (500, 280),
    "back": (70, 25),  # page2.htm
}
PHOTO_ADDRESS = SITE + "/fmm/fe/pics/my photo.png"  # the spaced picture once selected

# The program's clipboard keeper as the process table names it (15 characters at most). It runs
# in a session of its own after the program has ended, so it is not part of the program's tree.
KEEPER_NAME = "pinmark-clipkeeper"[:15]


class HarnessError(AssertionError):
    """Something the test needs is missing or did not happen in time; the message says what."""


# ---- Command line and configuration ---------------------------------------------------------

BINARY = None
ARTIFACTS = None
WINDOW_MANAGER = None  # --window-manager NAME: the X display gets that window manager


def main():
    """Entry point of every case file: --binary PATH, then the usual unittest arguments."""
    global BINARY, ARTIFACTS
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--window-manager", choices=sorted(WINDOW_MANAGERS))
    args, rest = parser.parse_known_args()
    BINARY = str(Path(args.binary).resolve())
    global WINDOW_MANAGER
    WINDOW_MANAGER = args.window_manager
    case = Path(sys.argv[0]).stem
    ARTIFACTS = Path(os.environ.get("PINMARK_E2E_ARTIFACTS") or tempfile.gettempdir()) / case
    ARTIFACTS.mkdir(parents=True, exist_ok=True)
    configured = os.environ.get("PINMARK_E2E_GALLERY_URL")
    if configured is not None and configured != GALLERY_URL:
        sys.exit(
            f"FAIL: this build shows the gallery at {configured!r}, but the end-to-end tests serve "
            f"it at {GALLERY_URL}.\nConfigure a test build with:\n"
            f"  -DPINMARK_GALLERY_URL={GALLERY_URL} -DPINMARK_LINK_TARGET_URL={LINK_TARGET_URL} "
            f"-DPINMARK_PORTAL_URL={SITE} -DPINMARK_PUBLISHER_HOST={HOST}\n"
            "(scripts/test.sh does this)."
        )
    if not os.access(BINARY, os.X_OK):
        sys.exit(f"FAIL: the program {BINARY} does not exist or cannot be run; build it first.")
    signal.signal(signal.SIGTERM, _stop_everything)  # ctest's timeout
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


_live_sessions = []


def _stop_everything(signum, frame):
    for session in list(_live_sessions):
        session.close()
    os._exit(128 + signum)


def require_tools(*names):
    missing = [n for n in names if shutil.which(n) is None]
    if missing:
        raise HarnessError(
            "missing tools: " + ", ".join(missing) + " (Debian packages xvfb, xdotool, xclip, "
            "imagemagick, util-linux; scripts/install-deps.sh installs them)"
        )


def wait_until(predicate, timeout=TIMEOUT, what="condition", interval=0.05, on_timeout=None):
    """Polls predicate until it returns a true value, which is returned."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            extra = on_timeout() if on_timeout else ""
            raise HarnessError(f"timed out after {timeout:g} s waiting for {what}{extra}")
        time.sleep(interval)


# ---- Processes --------------------------------------------------------------------------------

def _become_subreaper():
    # Processes the program leaves behind are re-parented to us instead of init, so they
    # can still be found (and stopped) as our descendants.
    try:
        libc = ctypes.CDLL(None, use_errno=True)
        libc.prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER
    except OSError:
        pass


def _service_subreaper():
    # For processes of the desktop session (bus, window manager): what they start and leave
    # stays below them instead of coming up to us among the program's leftovers.
    ctypes.CDLL(None, use_errno=True).prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER


def _process_table():
    """{pid: (ppid, state, starttime, name)} of every process we can see."""
    table = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat", "rb") as f:
                raw = f.read().decode("utf-8", "replace")
        except OSError:
            continue
        name = raw[raw.find("(") + 1 : raw.rfind(")")]
        fields = raw[raw.rfind(")") + 2 :].split()
        table[int(entry)] = (int(fields[1]), fields[0], fields[19], name)
    return table


def descendants(pid, table=None):
    """Living (not zombie) descendants of pid: {pid: (starttime, name)}."""
    table = table or _process_table()
    children = {}
    for p, (ppid, _, _, _) in table.items():
        children.setdefault(ppid, []).append(p)
    found, todo = {}, list(children.get(pid, []))
    while todo:
        p = todo.pop()
        ppid, state, start, name = table[p]
        if state not in ("Z", "X"):
            found[p] = (start, name)
        todo.extend(children.get(p, []))
    return found


def _reap_orphans(known):
    # As subreaper we inherit the program's orphans; collect the ones that died.
    for pid, (ppid, state, _, _) in _process_table().items():
        if ppid == os.getpid() and state == "Z" and pid not in known:
            try:
                os.waitpid(pid, os.WNOHANG)
            except ChildProcessError:
                pass


def _stop_pid(pid, starttime):
    """Stops one process by id, unless the id now belongs to another process."""
    try:
        with open(f"/proc/{pid}/stat", "rb") as f:
            raw = f.read().decode("utf-8", "replace")
        if raw[raw.rfind(")") + 2 :].split()[19] != starttime:
            return
        os.kill(pid, signal.SIGKILL)
    except (OSError, IndexError):
        pass


def _stop_popen(proc, grace=3.0):
    if proc is None or proc.poll() is not None:
        return
    proc.terminate()
    try:
        proc.wait(grace)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait(grace)


# ---- X display --------------------------------------------------------------------------------

class Display:
    def __init__(self):
        require_tools("Xvfb", "xdotool", "xclip", "import")
        read_end, write_end = os.pipe()
        try:
            self.proc = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                 f"{SCREEN[0]}x{SCREEN[1]}x24", "-dpi", "96", "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
            )
        finally:
            os.close(write_end)
        number = b""
        deadline = time.monotonic() + TIMEOUT
        try:
            while not number.endswith(b"\n"):
                ready, _, _ = select.select([read_end], [], [], max(0, deadline - time.monotonic()))
                chunk = os.read(read_end, 16) if ready else b""
                if not chunk:
                    err = b""
                    if self.proc.poll() is not None:
                        err = self.proc.stderr.read()
                    self.stop()
                    raise HarnessError("Xvfb did not start: " + err.decode(errors="replace")[-500:])
                number += chunk
        finally:
            os.close(read_end)
        self.name = ":" + number.decode().strip()

    def stop(self):
        _stop_popen(self.proc)


# ---- Session bus ------------------------------------------------------------------------------

class SessionBus:
    """A D-Bus session bus of the session's own, as every desktop session has. Without one,
    the program's libraries would start a bus on the X display themselves, which outlives
    the program."""

    def __init__(self, tmp):
        if shutil.which("dbus-daemon") is None:
            raise HarnessError("missing tool: dbus-daemon (Debian package dbus; "
                               "scripts/install-deps.sh installs it)")
        self.path = Path(tmp) / "bus"
        self.address = f"unix:path={self.path}"
        self.proc = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--nopidfile", f"--address={self.address}"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, preexec_fn=_service_subreaper)

        def listening():
            if self.proc.poll() is not None:
                raise HarnessError(f"dbus-daemon ended with status {self.proc.returncode}")
            return self.path.exists()

        wait_until(listening, TIMEOUT, "the session bus")

    def stop(self):
        _stop_popen(self.proc)


# ---- Window manager ---------------------------------------------------------------------------

WINDOW_MANAGERS = {
    # name: (command, Debian package)
    "metacity": (["metacity", "--sm-disable"], "metacity"),
    "openbox": (["openbox", "--sm-disable"], "openbox"),
}


class WindowManager:
    """A real X11 window manager on the session's display: it decides stacking, focus and
    what goes on a taskbar, as on a user's desktop."""

    def __init__(self, name, display, bus, log_dir):
        command, package = WINDOW_MANAGERS[name]
        if shutil.which(command[0]) is None or shutil.which("xprop") is None:
            raise HarnessError(f"missing tools for the {name} group: {command[0]}, xprop (Debian "
                               f"packages {package}, x11-utils; scripts/install-deps.sh installs them)")
        self.name = name
        env = dict(os.environ, DISPLAY=display, DBUS_SESSION_BUS_ADDRESS=bus.address)
        env.pop("WAYLAND_DISPLAY", None)
        self._log = open(Path(log_dir) / f"{name}.log", "wb")
        self.proc = subprocess.Popen(command, env=env, stdout=self._log, stderr=subprocess.STDOUT,
                                     preexec_fn=_service_subreaper)

        def running():
            if self.proc.poll() is not None:
                raise HarnessError(f"{name} ended with status {self.proc.returncode}; see {self._log.name}")
            out = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=env,
                                 capture_output=True).stdout.decode()
            return "window id #" in out

        wait_until(running, TIMEOUT, f"{name} to manage the display")

    def stop(self):
        _stop_popen(self.proc)
        self._log.close()


# ---- Gallery server ---------------------------------------------------------------------------

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
    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=str(FIXTURES), **kwargs)

    def log_message(self, *args):
        pass

    def do_GET(self):
        server = self.server
        server.record(self.command, self.path)
        parts = urlsplit(self.path)
        if parts.path == "/fmm/fe/ping":
            self.send_response(204)
            self.end_headers()
            return
        if parts.query == "slow":
            server.stopping.wait(1.0)
        if parts.path == GALLERY_PATH and server.mode != "normal":
            self.serve_gallery_fault(server.mode)
            return
        super().do_GET()

    def send_body(self, body, content_type="text/html; charset=utf-8", status=200):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def serve_gallery_fault(self, mode):
        page = (FIXTURES / GALLERY_PATH.lstrip("/")).read_bytes()
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
        elif mode == "bigtitle":
            self.send_body(_big_title_page().encode())
        elif mode == "many":
            self.send_body(_many_pictures_page().encode())
        elif mode.startswith("page:"):
            self.send_body((FIXTURES / "fmm" / "fe" / mode[5:]).read_bytes())
        elif mode.startswith("picture:"):
            self.send_body((FIXTURES / "fmm" / "fe" / "pics" / mode[8:]).read_bytes(), "image/png")
        else:
            raise ValueError(mode)


class GalleryServer(socketserver.ThreadingMixIn, http.server.HTTPServer):
    """Serves tests/fixtures/gallery on 127.0.0.1:18731 and logs every request.

    mode decides what the gallery address answers: "normal" (the fixture file), "404",
    "hang" (headers and half the page, then nothing until shutdown), "die" (half the page,
    then the connection closes), "bigtitle" (a picture with a 1 MB title), "many" (5,000
    pictures), "page:NAME" (another fixture page of fmm/fe), "picture:NAME" (a PNG of pics/).
    """

    daemon_threads = True
    block_on_close = False
    allow_reuse_address = True

    def __init__(self):
        try:
            super().__init__((HOST, PORT), _Handler)
        except OSError as e:
            raise HarnessError(f"cannot listen on {HOST}:{PORT} (another test still running?): {e}")
        self.mode = "normal"
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
                if not p.startswith("/fmm/fe/ping?") and p != "/favicon.ico"]

    def mark(self):
        with self._lock:
            return len(self._log)

    def saw(self, path, since=0):
        return any(unquote(urlsplit(p).path) == path or p == path for p in self.requests(since))

    def wait_for_request(self, path, since=0, timeout=TIMEOUT):
        wait_until(lambda: self.saw(path, since), timeout, f"GET {path} at the gallery server",
                   on_timeout=lambda: f"; requests seen: {self.requests(since)[-20:]}")

    def stop(self):
        self.stopping.set()
        self.shutdown()
        self.server_close()


# ---- Session: display, server, launcher, clipboard, programs -------------------------------

XDG_OPEN = """#!/bin/sh
# Records its arguments, one JSON list a line, instead of opening anything.
exec {python} -c 'import json, sys; open(sys.argv[1], "a").write(json.dumps(sys.argv[2:]) + "\\n")' {log} "$@"
"""


class Session:
    """One X display, the gallery server and a recording xdg-open, for one case file."""

    def __init__(self, window_manager=None):
        _become_subreaper()
        self._helpers = []  # xclip owners
        self.bystanders = []  # other programs a case runs on the display (a clipboard manager)
        self.programs = []
        self.tmp = Path(tempfile.mkdtemp(prefix="pinmark-e2e-"))
        self.display = None
        self.server = None
        self.window_manager = None
        self.bus = None
        try:
            self.display = Display()
            self.bus = SessionBus(self.tmp)
            if window_manager:
                self.window_manager = WindowManager(window_manager, self.display.name, self.bus,
                                                    ARTIFACTS)
            self.server = GalleryServer()
            self._make_launcher()
        except BaseException:
            self.close()
            raise
        self.env = dict(os.environ, DISPLAY=self.display.name,
                        DBUS_SESSION_BUS_ADDRESS=self.bus.address)
        self.env.pop("WAYLAND_DISPLAY", None)
        _live_sessions.append(self)

    def _make_launcher(self):
        bindir = self.tmp / "bin"
        bindir.mkdir()
        self.launch_log = self.tmp / "launches.jsonl"
        self.launch_log.touch()
        script = bindir / "xdg-open"
        script.write_text(XDG_OPEN.format(python=sys.executable, log=self.launch_log))
        script.chmod(0o755)
        self.bindir = bindir

    def close(self):
        if self in _live_sessions:
            _live_sessions.remove(self)
        for program in self.programs:
            program.kill()
        for proc in self._helpers:
            _stop_popen(proc)
        if self.server:
            self.server.stop()
        if self.window_manager:
            self.window_manager.stop()
        if self.bus:
            self.bus.stop()
        if self.display:
            self.display.stop()
        # Anything else that ended up below us (orphans of the program) goes by its id too.
        for pid, (start, _) in descendants(os.getpid()).items():
            _stop_pid(pid, start)
        shutil.rmtree(self.tmp, ignore_errors=True)

    def services(self):
        """Processes the session runs for the desktop itself (not the program's)."""
        return [s.proc for s in (self.window_manager, self.bus) if s]

    # -- launches --

    def launches(self):
        """Argument lists the program handed to xdg-open, in order."""
        lines = self.launch_log.read_text().splitlines()
        return [json.loads(line) for line in lines if line]

    def clear_launches(self):
        self.launch_log.write_text("")

    # -- X tools --

    def run(self, *args, timeout=TIMEOUT, check=True):
        try:
            result = subprocess.run(args, env=self.env, capture_output=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"{' '.join(args[:4])} did not finish within {timeout:g} s")
        if check and result.returncode != 0:
            raise HarnessError(f"{' '.join(args)} failed: {result.stderr.decode(errors='replace')}")
        return result

    def xdotool(self, *args, timeout=TIMEOUT, check=True):
        return self.run("xdotool", *map(str, args), timeout=timeout, check=check).stdout.decode()

    def visible_windows(self, title=".*"):
        """[(id, x, y, width, height)] of the mapped top-level windows whose name matches."""
        # A window manager puts each top-level window into a frame window of its own.
        depth = "2" if self.window_manager else "1"
        out = self.run("xdotool", "search", "--maxdepth", depth, "--onlyvisible", "--name", title,
                       check=False).stdout.decode()
        windows = []
        for wid in out.split():
            g = self.geometry(wid)
            if g and g != (0, 0) + SCREEN:  # the root window itself
                windows.append((wid,) + g)
        return windows

    def xprop(self, name, wid=None):
        """The values of an X property of a window (or of the root window), as strings; []
        when the property is not set."""
        target = ["-root"] if wid is None else ["-id", str(wid)]
        out = self.run("xprop", *target, name, check=False).stdout.decode().strip()
        # "NAME(TYPE) = a, b" for most types, "NAME(WINDOW): window id # 0x1, 0x2" for windows
        head, sep, values = out.partition(") =") if ") =" in out else out.partition("):")
        if not sep or "not found" in values:
            return []
        values = values.strip()
        if not values:
            return []
        return [v.strip().removeprefix("window id # ") for v in values.split(",")]

    def stacking(self):
        """Managed windows from the bottom of the stack to the top, as decimal ids."""
        return [str(int(w, 16)) for w in self.xprop("_NET_CLIENT_LIST_STACKING")]

    def geometry(self, wid):
        result = self.run("xdotool", "getwindowgeometry", "--shell", str(wid), check=False)
        if result.returncode != 0:
            return None  # the window went away meanwhile
        values = dict(line.split("=", 1) for line in result.stdout.decode().split() if "=" in line)
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def wait_for_window(self, title, size=None, exclude=(), timeout=TIMEOUT):
        """Waits for a visible window with that name (and size) and returns its id."""
        self.run("xdotool", "search", "--sync", "--onlyvisible", "--name", title,
                 timeout=timeout, check=False)

        def found():
            for wid, _, _, w, h in self.visible_windows(title):
                if wid not in exclude and (size is None or (w, h) == tuple(size)):
                    return wid
            return None

        return wait_until(found, timeout, f"a window {title!r} of size {size}",
                          on_timeout=self.describe_screen)

    def wait_for_no_window(self, title, size=None, timeout=TIMEOUT):
        def gone():
            return not [w for w in self.visible_windows(title)
                        if size is None or tuple(w[3:5]) == tuple(size)]

        wait_until(gone, timeout, f"no window {title!r} of size {size}",
                   on_timeout=self.describe_screen)

    def describe_screen(self):
        shot = self.screenshot("timeout")
        names = []
        for wid, x, y, w, h in self.visible_windows():
            name = self.run("xdotool", "getwindowname", wid, check=False).stdout.decode().strip()
            names.append(f"{name!r} {w}x{h}+{x}+{y}")
        return f"; visible windows: {names}; screenshot: {shot}"

    def screenshot(self, label):
        path = ARTIFACTS / f"{label}-{time.strftime('%H%M%S')}-{time.monotonic_ns() % 10**6}.png"
        self.run("import", "-window", "root", str(path), check=False)
        return path

    def pixels(self, x, y, w, h):
        """RGB triples of a screen rectangle, row by row."""
        data = self.run("import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                        "-depth", "8", "rgb:-").stdout
        return [tuple(data[i : i + 3]) for i in range(0, len(data), 3)]

    # -- the user's hands --

    def _move(self, x, y):
        # `mousemove --sync` waits for a motion event, which never comes when the pointer is
        # already there.
        out = self.xdotool("getmouselocation", "--shell")
        here = dict(line.split("=", 1) for line in out.split() if "=" in line)
        if (int(here["X"]), int(here["Y"])) == (x, y):
            return ["mousemove", x, y]
        return ["mousemove", "--sync", x, y]

    def click_at(self, x, y, button=1):
        self.xdotool(*self._move(x, y), "click", button)

    def press_at(self, x, y, button=1):
        self.xdotool(*self._move(x, y), "mousedown", button)

    def move_to(self, x, y):
        self.xdotool(*self._move(x, y))

    def release(self, button=1):
        self.xdotool("mouseup", button)

    def click_window(self, wid, x, y, button=1):
        gx, gy, _, _ = self.geometry(wid) or (None,) * 4
        if gx is None:
            raise HarnessError(f"window {wid} is gone")
        self.click_at(gx + x, gy + y, button)

    def dismiss(self, wid):
        """Closes a message box the way a user at the keyboard would."""
        self.xdotool("windowfocus", wid, "key", "--clearmodifiers", "Escape")

    # -- the clipboard --

    def set_clipboard(self, data, target=None):
        """Another program takes the clipboard and offers data (bytes or str) until replaced."""
        if isinstance(data, str):
            data = data.encode()
        self.stop_clipboard_owners()
        args = ["xclip", "-quiet", "-selection", "clipboard", "-i"]
        if target:
            args += ["-t", target]
        proc = subprocess.Popen(args, env=self.env, stdin=subprocess.PIPE,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self._helpers.append(proc)
        proc.stdin.write(data)
        proc.stdin.close()
        # What xclip offers, and nothing else: the program offers more formats.
        offer = ["TARGETS", target or "UTF8_STRING"]
        wait_until(lambda: self.clipboard_targets() == offer, TIMEOUT,
                   f"xclip to own the clipboard with {offer[1]}")

    def clear_clipboard(self):
        """Nobody owns the clipboard any more."""
        self.stop_clipboard_owners()
        wait_until(lambda: not self.clipboard_targets(), TIMEOUT, "the clipboard to be empty")

    def stop_clipboard_owners(self):
        for proc in self._helpers:
            _stop_popen(proc)
        self._helpers = []

    def clipboard_targets(self):
        result = self.run("xclip", "-o", "-selection", "clipboard", "-t", "TARGETS", check=False,
                          timeout=10)
        return result.stdout.decode(errors="replace").split() if result.returncode == 0 else []

    def clipboard_bytes(self):
        result = self.run("xclip", "-o", "-selection", "clipboard", check=False, timeout=TIMEOUT)
        return result.stdout if result.returncode == 0 else None

    def wait_for_clipboard_taken(self, timeout=TIMEOUT):
        """Waits until xclip has lost the clipboard to another program."""
        # xclip ends when another program takes the clipboard; until then it is its text.
        wait_until(lambda: all(p.poll() is not None for p in self._helpers), timeout,
                   "the program to take the clipboard", on_timeout=self.describe_screen)
        self._helpers = []

    def wait_for_clipboard(self, expected, timeout=TIMEOUT, describe=True):
        """Waits until the program has taken the clipboard from xclip and its text is
        exactly expected (str or bytes)."""
        if isinstance(expected, str):
            expected = expected.encode()
        self.wait_for_clipboard_taken(timeout)
        last = []

        def matches():
            last[:] = [self.clipboard_bytes()]
            return last[0] == expected

        wait_until(matches, timeout, f"the clipboard to hold {expected[:200]!r}",
                   on_timeout=lambda: f"; it holds {(last[0] or b'')[:200]!r}"
                                      + (self.describe_screen() if describe else ""))

    def keepers(self):
        """{pid: session id} of the clipboard keepers alive on this session's display."""
        _reap_orphans({p.pid for p in self.programs})
        found = {}
        for pid, (_, name) in descendants(os.getpid()).items():
            if name == KEEPER_NAME:
                try:
                    found[pid] = os.getsid(pid)
                except OSError:
                    pass
        return found

    # -- the program --

    def start_program(self, offline=False, extra_env=None):
        program = Program(self, offline, extra_env)
        self.programs.append(program)
        return program


def _unshare_prefix():
    """The command prefix that runs the program without a network (only loopback, down)."""
    for prefix in (["unshare", "-n"], ["unshare", "-r", "-n"]):
        if shutil.which("unshare") and subprocess.run(
            prefix + ["true"], capture_output=True).returncode == 0:
            return prefix
    raise HarnessError("`unshare -n` is not permitted here: the offline start needs a network "
                       "namespace of its own (run the tests as root, or allow user namespaces)")


class Program:
    """One run of the Pinmark binary in the session's display."""

    def __init__(self, session, offline=False, extra_env=None):
        self.session = session
        home = session.tmp / f"home{len(session.programs)}"
        runtime = home / "run"
        runtime.mkdir(parents=True)
        runtime.chmod(0o700)
        env = dict(session.env)
        for key in ("http_proxy", "https_proxy", "all_proxy", "no_proxy", "HTTP_PROXY",
                    "HTTPS_PROXY", "ALL_PROXY", "NO_PROXY", "DBUS_SESSION_BUS_ADDRESS",
                    "SESSION_MANAGER", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS"):
            env.pop(key, None)
        env.update(
            PATH=f"{session.bindir}:{env.get('PATH', '/usr/bin:/bin')}",
            HOME=str(home),
            XDG_RUNTIME_DIR=str(runtime),
            XDG_CONFIG_HOME=str(home / ".config"),
            XDG_CACHE_HOME=str(home / ".cache"),
            XDG_DATA_HOME=str(home / ".local" / "share"),
            QT_QPA_PLATFORM="xcb",
            DBUS_SESSION_BUS_ADDRESS=session.bus.address,
            QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu",
            LANG="C.UTF-8",
        )
        if os.geteuid() == 0:
            env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
        env.update(extra_env or {})
        if not offline and not _has_default_route():
            raise HarnessError("this machine has no default route, so the program would start "
                               "offline; the online cases need a network")
        command = ([*_unshare_prefix()] if offline else []) + [BINARY]
        self.log_path = ARTIFACTS / f"program-{len(session.programs)}.log"
        self._log = open(self.log_path, "wb")
        self.proc = subprocess.Popen(command, env=env, stdout=self._log, stderr=subprocess.STDOUT)
        self.pid = self.proc.pid
        self.main = None

    # -- windows --

    def wait_for_main_window(self):
        self.main = self.session.wait_for_window(MAIN_TITLE, MAIN_SIZE)
        return self.main

    def origin(self):
        g = self.session.geometry(self.main)
        if not g:
            raise HarnessError("the main window is gone" + self.session.describe_screen())
        return g[0], g[1]

    def click(self, point, button=1):
        """Click at a point of the main window."""
        x, y = self.origin()
        self.session.click_at(x + point[0], y + point[1], button)

    def page_point(self, name_or_point):
        point = PAGE[name_or_point] if isinstance(name_or_point, str) else name_or_point
        x, y = self.origin()
        return x + BROWSER_ORIGIN[0] + point[0], y + BROWSER_ORIGIN[1] + point[1]

    def click_page(self, name_or_point, button=1):
        self.session.click_at(*self.page_point(name_or_point), button=button)

    def badge(self):
        """"loaded", "loading" or None, read from the colour of the page-status badge's words."""
        x, y = self.origin()
        red = green = 0
        for r, g, b in self.session.pixels(x + LOADIMG[0], y + LOADIMG[1], LOADIMG[2], LOADIMG[3]):
            if r > 120 and r > g + 60 and r > b + 60:
                red += 1
            elif g > 80 and g > r + 40 and g > b + 20:
                green += 1
        if red > 40 and red > 3 * green:
            return "loading"
        if green > 40 and green > 3 * red:
            return "loaded"
        return None

    def page_is_blank(self):
        """True when the page shows nothing where the fixture pages put their photo."""
        x, y = self.page_point((10, 60))
        return all(p == (255, 255, 255) for p in self.session.pixels(x, y, 80, 60))

    def wait_until_loaded(self, timeout=TIMEOUT):
        """Waits for the badge to show a loaded page: the document is then bound."""
        wait_until(lambda: self.badge() == "loaded", timeout, "the badge to show a loaded page",
                   interval=0.2, on_timeout=self.session.describe_screen)

    def wait_for_page(self, ping, since=0):
        """Waits for a fixture page to report its load ("gallery-loaded", "page2-loaded"),
        then for the badge to show it bound."""
        self.session.server.wait_for_request(f"/fmm/fe/ping?{ping}", since)
        self.wait_until_loaded()

    def select_in_page(self, element, address):
        """Clicks a picture of the page and waits until it is the selection."""
        self.click_page(element)
        self.wait_for_selection(address)

    def wait_for_selection(self, address, timeout=TIMEOUT):
        """Waits until swrd2 publishes address. A click in the page reaches the program by way
        of the page, so a button pressed right after it may be handled first: press again."""
        deadline = time.monotonic() + timeout
        while True:
            self.click(CODE_BUTTONS["swrd2"])
            try:
                self.session.wait_for_clipboard(address, min(2.0, timeout), describe=False)
                break
            except HarnessError:
                if time.monotonic() >= deadline:
                    raise HarnessError(f"{address!r} did not become the selection"
                                       + self.session.describe_screen())
        # An early press found nothing selected and showed selimg; that is not under test here.
        for notice in self.notices():
            self.session.click_window(notice, *NOTICE_OK)
        self.session.wait_for_no_window(MAIN_TITLE, NOTICE_SIZE)

    def dismiss_message_box(self, title):
        """Waits for a message box of the program with that title and closes it."""
        box = self.session.wait_for_window(title, exclude=(self.main,))
        self.session.dismiss(box)
        wait_until(lambda: box not in [w[0] for w in self.session.visible_windows(title)],
                   what=f"the message box {title!r} to close",
                   on_timeout=self.session.describe_screen)

    def page_barrier(self):
        """Returns once every event the page sent before has reached the program: they
        travel in order, and a right-button press shows its notice when it arrives."""
        self.click_page("blank", button=3)
        self.dismiss_message_box(r"^velmora$")

    def notices(self, title=MAIN_TITLE, size=NOTICE_SIZE):
        return [w[0] for w in self.session.visible_windows(title)
                if tuple(w[3:5]) == tuple(size) and w[0] != self.main]

    # -- life --

    def running(self):
        return self.proc.poll() is None

    def assert_running(self):
        if not self.running():
            raise HarnessError(f"the program ended with status {self.proc.returncode}; "
                               f"its output: {self.log_path}")

    def children(self):
        return descendants(self.pid)

    def wait_for_exit(self, timeout=TIMEOUT):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"the program did not end within {timeout:g} s"
                               + self.session.describe_screen())

    def leftovers(self, snapshot):
        """Processes of the program still alive after it ended: those of the snapshot (taken
        while it ran) and any orphan it left, which as subreaper we have inherited."""
        ours = {p.pid for p in self.session.programs} | {p.pid for p in self.session._helpers}
        ours |= {p.pid for p in self.session.bystanders}
        ours.add(self.session.display.proc.pid)
        for service in self.session.services():
            ours.add(service.pid)
        _reap_orphans(ours)
        now = _process_table()
        alive = {pid: name for pid, (start, name) in snapshot.items()
                 if pid in now and now[pid][2] == start and now[pid][1] not in ("Z", "X")}
        for pid, (ppid, state, _, name) in now.items():
            if ppid == os.getpid() and pid not in ours and state not in ("Z", "X"):
                alive[pid] = name
        # The clipboard keeper is detached on purpose; the cases that need it look at it.
        return {pid: name for pid, name in alive.items() if name != KEEPER_NAME}

    def kill(self):
        snapshot = descendants(self.pid) if self.running() else {}
        _stop_popen(self.proc)
        for pid, (start, _) in snapshot.items():
            _stop_pid(pid, start)
        self._log.close()


def _has_default_route():
    try:
        lines = Path("/proc/net/route").read_text().splitlines()[1:]
    except OSError:
        return True
    has_v4 = any(line.split()[1:2] == ["00000000"] for line in lines)
    try:
        v6 = Path("/proc/net/ipv6_route").read_text().splitlines()
    except OSError:
        v6 = []
    has_v6 = any(l.split()[0] == "0" * 32 and l.split()[1] == "00" and l.split()[-1] != "lo"
                 for l in v6 if l.split())
    return has_v4 or has_v6


class SessionCase(unittest.TestCase):
    """A test class sharing one session (display, server, launcher) across its tests."""

    session = None
    session_class = None  # Session when not set

    @classmethod
    def setUpClass(cls):
        if cls.session_class:
            cls.session = cls.session_class()
        else:
            cls.session = Session(window_manager=getattr(cls, "window_manager", None))
        cls.addClassCleanup(cls.session.close)
        cls.server = cls.session.server

    def assertExitsCleanly(self, program, action, timeout=TIMEOUT):
        """Runs action, which should end the program, and checks that within timeout it has
        ended with status 0 and left no window and no process behind."""
        snapshot = program.children()
        action()
        deadline = time.monotonic() + timeout
        self.assertEqual(program.wait_for_exit(timeout), 0, f"exit status; output: {program.log_path}")
        # The engine's helpers end on their own once the program is gone; give them the rest.
        left = {}

        def none_left():
            left.clear()
            left.update(program.leftovers(snapshot))
            return not left

        try:
            wait_until(none_left, max(0.0, deadline - time.monotonic()), "")
        except HarnessError:
            pass
        self.assertEqual(left, {}, f"processes left {timeout:g} s after the program was ended")
        self.assertEqual(self.session.visible_windows(r"Pinmark|velmora"), [],
                         "windows left after the program ended")
