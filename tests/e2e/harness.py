"""End-to-end harness: the real Pinmark binary under Xvfb, driven like a user would drive it.

Each case file builds one Session (an X display, the gallery server on loopback, a recording
xdg-open) and starts the program once or a few times in it. xdotool is the user's hands, xclip
the other program on the clipboard, `import` the camera. Everything started here is stopped by
its process id when the session ends.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
SOURCE_ROOT = HERE.parents[1]
sys.path.insert(0, str(SOURCE_ROOT / "tests" / "support"))

from desk import DeskError, gallery, layout, processes  # noqa: E402
from desk import wait_until as desk_wait_until  # noqa: E402
from desk.dbus import run_with_bindings  # noqa: E402
from desk.environment import RecordingOpener, program_env  # noqa: E402
from desk.offline import has_default_route, offline_prefix  # noqa: E402
from desk.xvfb import Xvfb  # noqa: E402

FIXTURES = SOURCE_ROOT / "tests" / "fixtures" / "gallery"

HOST = gallery.HOST
PORT = 18731
SITE = f"http://{HOST}:{PORT}"
GALLERY_PATH = gallery.GALLERY_PATH
GALLERY_URL = SITE + GALLERY_PATH
LINK_TARGET_URL = SITE + "/"

TIMEOUT = 30.0  # the first start of the web engine is slow on a loaded machine
SCREEN = (1280, 800)

_MAIN = layout.frmweb()
_ABOUT = layout.load("about")
_NOTICE = layout.load("selimg")  # notcon and wronglink share its size and OK button
MAIN_TITLE = _MAIN.title_pattern()
MAIN_SIZE = _MAIN.size
NOTICE_SIZE = _NOTICE.size
ABOUT_TITLE = _ABOUT.title_pattern()
ABOUT_SIZE = _ABOUT.size
NOTICE_OK = _NOTICE.centre("Picture1")

# Main window controls, window coordinates of a point inside each.
XX = _MAIN.centre("xx")
ABOUTIMG = _MAIN.centre("aboutimg")
SWRUR = _MAIN.centre("swrur")
CODE_BUTTONS = {name: _MAIN.centre(name) for name in layout.CODE_BUTTONS}
BROWSER_ORIGIN = _MAIN["WebBrowser1"][:2]  # the page is shown at 1x scale
LOADIMG = tuple(_MAIN["loadimg"])  # page-status badge: left, top, width, height

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

# The program's clipboard keepers (X11, Wayland) as the process table names them (15 characters at
# most). A keeper runs in a session of its own after the program has ended, so it is not part of
# the program's tree.
KEEPER_NAMES = {"pinmark-clipkeeper"[:15], "pinmark-wlclipkeeper"[:15]}

HarnessError = DeskError

# The timing log's line for a bound document (QT_LOGGING_RULES="pinmark.timing.debug=true").
BOUND_MARK = "document bound"
TIMING_LOG = {"QT_LOGGING_RULES": "pinmark.timing.debug=true"}


# ---- Command line and configuration ---------------------------------------------------------

BINARY = None
ARTIFACTS = None
WINDOW_MANAGER = None  # --window-manager NAME: the X display gets that window manager
DESKTOP = None  # --desktop NAME: the Wayland compositor of the Wayland cases (sway, gnome, kde)


def main():
    """Entry point of every case file: --binary PATH, then the usual unittest arguments."""
    global BINARY, ARTIFACTS
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--window-manager", choices=sorted(WINDOW_MANAGERS))
    parser.add_argument("--desktop", choices=["gnome", "kde", "sway"])
    args, rest = parser.parse_known_args()
    BINARY = str(Path(args.binary).resolve())
    global WINDOW_MANAGER, DESKTOP
    WINDOW_MANAGER = args.window_manager
    DESKTOP = args.desktop
    if DESKTOP in ("gnome", "kde"):
        # Their compositors are reached over D-Bus, through the system's GLib bindings.
        run_with_bindings()
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
    return desk_wait_until(predicate, timeout, what, interval, on_timeout)


# ---- X display --------------------------------------------------------------------------------

class Display(Xvfb):
    def __init__(self):
        require_tools("Xvfb", "xdotool", "xclip", "import")
        super().__init__(*SCREEN, timeout=TIMEOUT)


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
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=processes.service_subreaper)

        def listening():
            if self.proc.poll() is not None:
                raise HarnessError(f"dbus-daemon ended with status {self.proc.returncode}")
            return self.path.exists()

        wait_until(listening, TIMEOUT, "the session bus")

    def stop(self):
        processes.stop_popen(self.proc)


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
                                     preexec_fn=processes.service_subreaper)

        def running():
            if self.proc.poll() is not None:
                raise HarnessError(f"{name} ended with status {self.proc.returncode}; see {self._log.name}")
            out = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=env,
                                 capture_output=True).stdout.decode()
            return "window id #" in out

        wait_until(running, TIMEOUT, f"{name} to manage the display")

    def stop(self):
        processes.stop_popen(self.proc)
        self._log.close()


# ---- Gallery server ---------------------------------------------------------------------------

class GalleryServer(gallery.GalleryServer):
    """tests/fixtures/gallery on 127.0.0.1:18731, the address the test build shows."""

    def __init__(self):
        super().__init__(FIXTURES, PORT)


# ---- Session: display, server, launcher, clipboard, programs -------------------------------

class Session:
    """One X display, the gallery server and a recording xdg-open, for one case file."""

    knows_places = True  # where every window is
    sees_pixels = True  # what the screen shows

    def __init__(self, window_manager=None):
        processes.become_subreaper()
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
            self.opener = RecordingOpener(self.tmp)
        except BaseException:
            self.close()
            raise
        self.env = dict(os.environ, DISPLAY=self.display.name,
                        DBUS_SESSION_BUS_ADDRESS=self.bus.address)
        self.env.pop("WAYLAND_DISPLAY", None)
        _live_sessions.append(self)

    def close(self):
        if self in _live_sessions:
            _live_sessions.remove(self)
        for program in self.programs:
            program.kill()
        for proc in self._helpers:
            processes.stop_popen(proc)
        if self.server:
            self.server.stop()
        if self.window_manager:
            self.window_manager.stop()
        if self.bus:
            self.bus.stop()
        if self.display:
            self.display.stop()
        # Anything else that ended up below us (orphans of the program) goes by its id too.
        processes.stop_processes(processes.descendants(os.getpid()))
        shutil.rmtree(self.tmp, ignore_errors=True)

    def services(self):
        """Processes the session runs for the desktop itself (not the program's)."""
        return [s.proc for s in (self.window_manager, self.bus) if s]

    # -- launches --

    def launches(self):
        """Argument lists the program handed to xdg-open, in order."""
        return self.opener.launches()

    def clear_launches(self):
        self.opener.clear()

    def program_settings(self):
        """What the program needs to reach this session: its display and its bus."""
        return {"DISPLAY": self.display.name, "DBUS_SESSION_BUS_ADDRESS": self.bus.address}

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

    # Qt takes a second press within 400 ms and a few pixels of the last for a double-click,
    # and a double-click on a picture button acts once: separate presses on one place are left
    # further apart than that, as a user's are.
    DOUBLE_CLICK_GAP = 0.5

    def _apart_from_last_press(self, x, y, button):
        last = getattr(self, "_last_press", None)
        if last and last[2] == button and abs(last[0] - x) <= 5 and abs(last[1] - y) <= 5:
            time.sleep(max(0.0, last[3] + self.DOUBLE_CLICK_GAP - time.monotonic()))
        self._last_press = (x, y, button, time.monotonic())

    def click_at(self, x, y, button=1):
        self._apart_from_last_press(x, y, button)
        self.xdotool(*self._move(x, y), "click", button)

    def press_at(self, x, y, button=1):
        self._apart_from_last_press(x, y, button)
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
            processes.stop_popen(proc)
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
        processes.reap_orphans({p.pid for p in self.programs})
        found = {}
        for pid, proc in processes.descendants(os.getpid()).items():
            if proc.name in KEEPER_NAMES:
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


class Program:
    """One run of the Pinmark binary in the session's display."""

    def __init__(self, session, offline=False, extra_env=None):
        self.session = session
        settings = {**session.program_settings(), **(extra_env or {})}
        env = program_env(session.env, session.tmp / f"home{len(session.programs)}",
                          session.opener, **settings)
        if not offline and not has_default_route():
            raise HarnessError("this machine has no default route, so the program would start "
                               "offline; the online cases need a network")
        command = (offline_prefix() if offline else []) + [BINARY]
        self.log_path = ARTIFACTS / f"program-{len(session.programs)}.log"
        self._log = open(self.log_path, "wb")
        self.proc = subprocess.Popen(command, env=env, stdout=self._log, stderr=subprocess.STDOUT)
        self.pid = self.proc.pid
        self.main = None
        self._bound = 0  # documents bound by the last wait_until_bound

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

    def focus(self):
        """Gives the main window the keyboard, as a window manager does with a new window."""
        self.session.xdotool("windowfocus", "--sync", self.main)

    def press(self, *keys):
        """Keys typed on the keyboard, one after the other, to whatever window has it."""
        self.session.xdotool("key", "--clearmodifiers", "--delay", "250", *keys)

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
        then for the badge to show it bound (where the screen cannot be seen, the program's
        timing log)."""
        self.session.server.wait_for_request(f"/fmm/fe/ping?{ping}", since)
        if self.session.sees_pixels:
            self.wait_until_loaded()
        else:
            self.wait_until_bound()

    def wait_until_bound(self, timeout=TIMEOUT):
        """Waits for the program to bind one more document than at the last wait, as its
        timing log tells (the session switches it on where the badge cannot be seen)."""
        def bound():
            with open(self.log_path, encoding="utf-8", errors="replace") as log:
                count = sum(BOUND_MARK in line for line in log)
            return count if count > self._bound else 0

        self._bound = wait_until(bound, timeout, "the program to bind the page",
                                 on_timeout=self.session.describe_screen)

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
                # The early press found nothing selected: its selimg is in front now, before
                # the next press brings the main window back over it.
                self.dismiss_notices()
        self.dismiss_notices()

    def dismiss_notices(self):
        """Closes the selimg notices of early presses; they are not under test here."""
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
        return processes.descendants(self.pid)

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
        processes.reap_orphans(ours)
        now = processes.table()
        alive = {pid: proc.name for pid, proc in snapshot.items()
                 if processes.alive(pid, proc.start)}
        for pid, proc in now.items():
            if proc.ppid == os.getpid() and pid not in ours and proc.state not in ("Z", "X"):
                alive[pid] = proc.name
        # The clipboard keeper is detached on purpose; the cases that need it look at it.
        return {pid: name for pid, name in alive.items() if name not in KEEPER_NAMES}

    def kill(self):
        snapshot = processes.descendants(self.pid) if self.running() else {}
        processes.stop_popen(self.proc)
        processes.stop_processes(snapshot)
        self._log.close()


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

    def start(self, mode="normal"):
        """Starts the program with the gallery answering in that mode; returns it with its main
        window shown, and the server's log mark from before the start."""
        self.server.mode = mode
        mark = self.server.mark()
        program = self.session.start_program()
        self.addCleanup(program.kill)
        program.wait_for_main_window()
        return program, mark

    def key(self, program, keys):
        """Presses keys in the main window, as the user at the keyboard."""
        self.session.xdotool("windowfocus", "--sync", program.main, "key", "--clearmodifiers", keys)

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
