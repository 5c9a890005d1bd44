"""The e2e session under a Wayland compositor instead of an X display: a headless sway, a
headless mutter (GNOME) or a virtual kwin (KDE Plasma), as --desktop chooses.

Each compositor runs as an unprivileged user in a runtime folder of its own; the program and the
tools reach its socket by its path. What differs is the user's hand, the other program on the
clipboard and what can be seen, one desk class each:
- sway: the tests' own virtual pointer (tests/support/virtualpointer) and wtype; windows from
  `swaymsg -t get_tree`, screenshots from grim.
- GNOME: mutter's remote-desktop session, for the hand and for the other program on the clipboard.
  mutter tells nobody about its windows, so they are read from the program's own Wayland
  messages (WAYLAND_DEBUG), and each is placed once with the pointer; there are no screenshots.
- KDE: kwin's fake input (tests/support/fakeinput); windows and screenshots from kwin's D-Bus
  interfaces.
"""

import json
import os
import re
import subprocess
import tempfile
import time
from pathlib import Path

import harness
from desk import kwin, mutter, processes, sway
from desk.environment import RecordingOpener
from desk.unprivileged import as_user, user_copy
from harness import HarnessError, SCREEN, TIMEOUT, wait_until

APP_ID = "net.velmora.Pinmark"
BUTTON_CODES = {1: 0x110, 2: 0x112, 3: 0x111}  # left, middle, right as Linux input codes
KEY_CODES = {"Tab": 15, "space": 57, "F5": 63, "Escape": 1}  # Linux input codes


def support_binary(variable, what):
    path = os.environ.get(variable)
    if not path or not os.access(path, os.X_OK):
        raise HarnessError(f"{what} of the tests is not built (it needs libwayland-dev and "
                           "wayland-scanner, and for KDE plasma-wayland-protocols; "
                           "scripts/install-deps.sh installs them, then configure again)")
    return path


class LineClient:
    """An input client of the tests' own that takes one command a line and answers "ok"."""

    def __init__(self, command, env, what):
        self.what = what
        self.proc = subprocess.Popen(command, env=env, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        if self.proc.stdout.readline().strip() != "ready":
            self.proc.wait(TIMEOUT)
            raise HarnessError(f"no {what}: " + self.proc.stderr.read().strip())

    def send(self, command):
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()
        if self.proc.stdout.readline().strip() != "ok":
            raise HarnessError(f"the {self.what} failed on {command!r}: "
                               + self.proc.stderr.read().strip())

    def move_to(self, x, y):
        self.send(f"move {x} {y}")

    def move_by(self, dx, dy):
        self.send(f"rel {dx} {dy}")

    def button(self, code, pressed):
        self.send(f"{'press' if pressed else 'release'} {code}")

    def key(self, code, pressed):
        self.send(f"{'keydown' if pressed else 'keyup'} {code}")

    def stop(self):
        processes.stop_tree(self.proc)


# ---- the desks ---------------------------------------------------------------------------------

class SwayDesk:
    """A headless sway with one output of the tests' screen size, the program's windows
    floating. Its seat has no pointer until the tests make one."""

    knows_places = True  # where windows are, also after a drag
    sees_pixels = True
    clipboard = None  # another program's hand on the clipboard: wl-copy and wl-paste

    def __init__(self, tmp):
        self.compositor = sway.Compositor(tmp, harness.ARTIFACTS, SCREEN, APP_ID, timeout=TIMEOUT)
        self.proc = self.compositor.proc
        self.socket = self.compositor.socket
        self.hand = None

    def services(self):
        return [self.hand.proc] if self.hand else []

    def program_settings(self):
        return {}

    def create_hand(self, env):
        if self.hand:
            return
        self.hand = LineClient([support_binary("PINMARK_VIRTUAL_POINTER", "the virtual pointer")],
                               env, "virtual pointer")

    def key(self, session, name):
        # wtype's keyboard joins the seat when it starts: the program needs a moment to take it
        # in before the key comes.
        session.run("wtype", "-s", "300", "-k", name)

    def views(self, session):
        tree = json.loads(session.run("swaymsg", "-s", self.compositor.ipc, "-t",
                                      "get_tree").stdout)
        found = []

        def walk(node):
            if node.get("pid"):
                r, w = node["rect"], node["window_rect"]
                found.append((str(node["id"]), node.get("name") or "", node.get("app_id"),
                              r["x"] + w["x"], r["y"] + w["y"], w["width"], w["height"]))
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child)

        walk(tree)
        return found

    def focus(self, session, wid):
        session.run("swaymsg", "-s", self.compositor.ipc, f"[con_id={wid}]", "focus")

    def screenshot(self, session, path):
        session.run("grim", str(path), check=False)

    def pixels(self, session, x, y, w, h):
        data = session.run("grim", "-g", f"{x},{y} {w}x{h}", "-t", "ppm", "-").stdout
        # A binary PPM: "P6", width, height, maximum value, then the RGB bytes.
        body = data.split(maxsplit=4)[4]
        return [tuple(body[i : i + 3]) for i in range(0, len(body), 3)]

    def stop(self):
        if self.hand:
            self.hand.stop()
        self.compositor.stop()


class ProgramLog:
    """What a program has asked the compositor to show, and where the pointer has been over it,
    read from its Wayland messages (WAYLAND_DEBUG=1 writes every request and event to its
    standard error)."""

    # libwayland writes "interface@id" before 1.22 (Debian 12), "interface#id" from then on.
    SURFACE = re.compile(r"-> xdg_wm_base[@#]\d+\.get_xdg_surface\(new id xdg_surface[@#](\d+), "
                         r"wl_surface[@#](\d+)\)")
    TOPLEVEL = re.compile(r"-> xdg_surface[@#](\d+)\.get_toplevel\(new id xdg_toplevel[@#](\d+)\)")
    TITLE = re.compile(r'-> xdg_toplevel[@#](\d+)\.set_(title|app_id)\("(.*)"\)')
    GEOMETRY = re.compile(r"-> xdg_surface[@#](\d+)\.set_window_geometry\(-?\d+, -?\d+, "
                          r"(\d+), (\d+)\)")
    ATTACH = re.compile(r"-> wl_surface[@#](\d+)\.attach\(wl_buffer[@#]")
    GONE = re.compile(r"-> xdg_toplevel[@#](\d+)\.destroy\(\)")
    ENTER = re.compile(r"wl_pointer[@#]\d+\.enter\(\d+, wl_surface[@#](\d+), ([\d.]+), "
                       r"([\d.]+)\)")
    MOTION = re.compile(r"wl_pointer[@#]\d+\.motion\(\d+, ([\d.]+), ([\d.]+)\)")
    LEAVE = re.compile(r"wl_pointer[@#]\d+\.leave\(")

    def __init__(self, program):
        # {window id: {"title", "app", "size", "shown", "surface"}}, and the pointer's places
        # over the program's surfaces in order: [(surface, x, y)].
        self.windows, self.pointer = {}, []
        surfaces, toplevels, count, under = {}, {}, 0, None
        with open(program.log_path, encoding="utf-8", errors="replace") as log:
            for line in log:
                if "wl_pointer" in line and "-> " not in line:
                    if m := self.ENTER.search(line):
                        under = m[1]
                        self.pointer.append((under, float(m[2]), float(m[3])))
                    elif (m := self.MOTION.search(line)) and under:
                        self.pointer.append((under, float(m[1]), float(m[2])))
                    elif self.LEAVE.search(line):
                        under = None
                if "-> " not in line:
                    continue
                if m := self.SURFACE.search(line):
                    surfaces[m[1]] = m[2]
                elif m := self.TOPLEVEL.search(line):
                    count += 1
                    wid = f"{program.pid}.{count}"
                    self.windows[wid] = {"title": "", "app": None, "size": (0, 0),
                                         "shown": False, "surface": surfaces.get(m[1])}
                    toplevels[m[2]] = toplevels[f"s{m[1]}"] = wid
                elif m := self.TITLE.search(line):
                    if m[1] in toplevels:
                        self.windows[toplevels[m[1]]]["title" if m[2] == "title" else "app"] = m[3]
                elif m := self.GEOMETRY.search(line):
                    if f"s{m[1]}" in toplevels:
                        self.windows[toplevels[f"s{m[1]}"]]["size"] = (int(m[2]), int(m[3]))
                elif m := self.ATTACH.search(line):
                    for window in self.windows.values():
                        if window["surface"] == m[1]:
                            window["shown"] = True
                elif m := self.GONE.search(line):
                    self.windows.pop(toplevels.pop(m[1], None), None)


class HandDesk:
    """A desk whose hand (pointer and keyboard in one) exists from the start."""

    def create_hand(self, env):
        pass

    def key(self, session, name):
        self.hand.key(KEY_CODES[name], True)
        self.hand.key(KEY_CODES[name], False)

    def stop(self):
        self.hand.stop()
        self.compositor.stop()


class GnomeDesk(HandDesk):
    """A headless mutter with one virtual monitor of the tests' screen size. Its remote-desktop
    session is the hand from the start: the clipboard tools need the keyboard it brings."""

    knows_places = False  # only where a window first appeared
    sees_pixels = False

    def __init__(self, tmp):
        self.compositor = mutter.Compositor(tmp, harness.ARTIFACTS, SCREEN, TIMEOUT)
        self._places = {}  # {window id: (x, y)} found with the pointer
        self.proc = self.compositor.proc
        self.socket = self.compositor.socket
        try:
            self.hand = mutter.RemoteDesktop(self.compositor, TIMEOUT)
        except BaseException:
            self.compositor.stop()
            raise
        # Without data-control, wl-copy and wl-paste map a window of their own to get the
        # focus, racing the program for it (measured: a set_selection refused, a wl-copy never
        # focused). The remote-desktop session reads and sets the seat's clipboard without one.
        self.clipboard = self.hand

    def services(self):
        return self.compositor.services()

    def program_settings(self):
        # Its windows, and when it has bound a page: the badge cannot be seen here.
        return {"WAYLAND_DEBUG": "1", **harness.TIMING_LOG}

    def views(self, session):
        found = []
        for program in session.programs:
            if not program.running():
                continue
            for wid, window in ProgramLog(program).windows.items():
                if window["shown"]:
                    x, y = self._place(program, wid, window)
                    found.append((wid, window["title"], window["app"], x, y, *window["size"]))
        return found

    def _place(self, program, wid, window):
        """Where a window is: mutter centres new windows, which is where the pointer looks for
        it once, to learn its exact place from where the window says the pointer is."""
        if wid in self._places:
            return self._places[wid]
        w, h = window["size"]
        guess = ((SCREEN[0] - w) // 2, (SCREEN[1] - h) // 2)
        probe = (guess[0] + w // 2, guess[1] + h // 2)
        seen = len(ProgramLog(program).pointer)
        self.hand.move_to(*probe)

        def over_window():
            places = ProgramLog(program).pointer[seen:]
            return next((p for p in reversed(places) if p[0] == window["surface"]), None)

        try:
            _, x, y = wait_until(over_window, 2.0, "the pointer over the new window")
        except HarnessError:
            return guess  # covered: where mutter centres it
        self._places[wid] = (probe[0] - round(x), probe[1] - round(y))
        return self._places[wid]

    def focus(self, session, wid):
        raise HarnessError("mutter lets no other program bring a window to the front")

    def screenshot(self, session, path):
        pass  # mutter's screen casts need PipeWire, which the tests do without

    def pixels(self, session, x, y, w, h):
        raise HarnessError("a headless mutter gives the tests no screenshots")


class KdeDesk(HandDesk):
    """A virtual kwin_wayland with one output of the tests' screen size; its fake input is the
    hand from the start."""

    knows_places = True
    clipboard = None  # wl-copy and wl-paste, on kwin's data-control

    def __init__(self, tmp):
        self.compositor = kwin.Compositor(tmp, harness.ARTIFACTS, SCREEN, TIMEOUT)
        self.proc = self.compositor.proc
        self.socket = self.compositor.socket
        try:
            # kwin lets a program use its fake input only when it can read which program it is:
            # the client runs as kwin's user, from a copy that user may run.
            binary = user_copy(support_binary("PINMARK_FAKE_INPUT", "the fake input"),
                               Path(tmp) / "fakeinput-bin")
            env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"),
                   "WAYLAND_DISPLAY": self.socket,
                   "XDG_RUNTIME_DIR": str(self.compositor.runtime)}
            self.hand = LineClient(as_user([str(binary)]), env, "fake input")
        except BaseException:
            self.compositor.stop()
            raise
        # kwin 6's virtual output composites without OpenGL, and then takes no screenshots.
        self.sees_pixels = self.compositor.capture() is not None

    def services(self):
        return self.compositor.services() + [self.hand.proc]

    def program_settings(self):
        return {} if self.sees_pixels else dict(harness.TIMING_LOG)

    def views(self, session):
        return self.compositor.windows()

    def focus(self, session, wid):
        self.compositor.activate(wid)

    def _capture(self):
        shot = self.compositor.capture()
        if shot is None:
            raise HarnessError("kwin took no screenshot (its screenshot effect needs OpenGL "
                               f"compositing); see {harness.ARTIFACTS / 'kwin.log'}")
        return shot

    def screenshot(self, session, path):
        try:
            width, height, rows = self._capture()
        except HarnessError:
            return
        subprocess.run(["convert", "-size", f"{width}x{height}", "-depth", "8", "bgra:-",
                        str(path)], input=b"".join(rows), capture_output=True, timeout=TIMEOUT)

    def pixels(self, session, x, y, w, h):
        _, _, rows = self._capture()
        found = []
        for row in rows[y : y + h]:
            part = row[4 * x : 4 * (x + w)]
            found.extend(zip(part[2::4], part[1::4], part[0::4]))
        return found


DESKS = {"sway": SwayDesk, "gnome": GnomeDesk, "kde": KdeDesk}


# ---- the session ---------------------------------------------------------------------------

class WaylandSession(harness.Session):
    """The session of harness.Session with a Wayland compositor in place of the X display."""

    def __init__(self, desktop=None):
        processes.become_subreaper()
        self._helpers = []  # wl-copy owners
        self.bystanders = []  # other programs a case runs beside the program
        self.programs = []
        self.tmp = Path(tempfile.mkdtemp(prefix="pinmark-e2e-"))
        self.display = self.server = self.window_manager = self.bus = None
        self.desktop = desktop or harness.DESKTOP or "sway"
        try:
            self.display = DESKS[self.desktop](self.tmp)
            self.bus = harness.SessionBus(self.tmp)
            self.server = harness.GalleryServer()
            self.opener = RecordingOpener(self.tmp)
        except BaseException:
            self.close()
            raise
        self.knows_places = self.display.knows_places
        self.sees_pixels = self.display.sees_pixels
        tools_runtime = self.tmp / "tools-run"
        tools_runtime.mkdir(mode=0o700)
        self.env = dict(os.environ, WAYLAND_DISPLAY=self.display.socket,
                        XDG_RUNTIME_DIR=str(tools_runtime),
                        DBUS_SESSION_BUS_ADDRESS=self.bus.address)
        self.env.pop("DISPLAY", None)
        harness._live_sessions.append(self)

    def program_settings(self):
        return {"QT_QPA_PLATFORM": "wayland", "WAYLAND_DISPLAY": self.display.socket,
                "DBUS_SESSION_BUS_ADDRESS": self.bus.address, **self.display.program_settings()}

    def services(self):
        return super().services() + (self.display.services() if self.display else [])

    def focus(self, wid):
        """Brings a window to the front, as the keyboard or a task bar would; a program
        cannot."""
        self.display.focus(self, wid)

    def create_pointer(self):
        self.display.create_hand(self.env)

    # -- windows, from the compositor --

    def views(self):
        """[(id, title, app id, x, y, width, height)] of every window on the screen."""
        return self.display.views(self)

    def visible_windows(self, title=".*"):
        return [(cid, x, y, w, h) for cid, name, _, x, y, w, h in self.views()
                if re.search(title, name)]

    def geometry(self, wid):
        for cid, _, _, x, y, w, h in self.views():
            if cid == str(wid):
                return x, y, w, h
        return None

    def wait_for_window(self, title, size=None, exclude=(), timeout=TIMEOUT):
        def found():
            for wid, _, _, w, h in self.visible_windows(title):
                if wid not in exclude and (size is None or (w, h) == tuple(size)):
                    return wid
            return None

        wid = wait_until(found, timeout, f"a window {title!r} of size {size}",
                         on_timeout=self.describe_screen)
        # Shown is not yet ready for the hand: the window may still take in its first frame.
        time.sleep(0.2)
        return wid

    def describe_screen(self):
        shot = self.screenshot("timeout")
        return f"; windows: {self.views()}; screenshot: {shot}"

    def screenshot(self, label):
        path = harness.ARTIFACTS / f"{label}-{time.strftime('%H%M%S')}-{time.monotonic_ns() % 10**6}.png"
        self.display.screenshot(self, path)
        return path if path.exists() else "none on this desktop"

    def pixels(self, x, y, w, h):
        return self.display.pixels(self, x, y, w, h)

    # -- the user's hand --

    def _hand(self):
        if not self.display.hand:
            raise HarnessError("no pointer yet: create_pointer() first")
        return self.display.hand

    def move_to(self, x, y):
        self._hand().move_to(x, y)

    def move_by(self, dx, dy):
        self._hand().move_by(dx, dy)

    def press_at(self, x, y, button=1):
        self._apart_from_last_press(x, y, button)
        self.move_to(x, y)
        # The compositor has the move, but the window it entered may not have handled it yet.
        time.sleep(0.1)
        self._hand().button(BUTTON_CODES[button], True)

    def release(self, button=1):
        self._hand().button(BUTTON_CODES[button], False)

    def click_at(self, x, y, button=1):
        self.press_at(x, y, button)
        self.release(button)

    def key(self, name):
        """Presses and releases a key (Tab, space, F5, Escape) in the focused window."""
        self.display.key(self, name)

    # -- the clipboard --

    def set_clipboard(self, data, target=None):
        if isinstance(data, str):
            data = data.encode()
        if self.display.clipboard:
            self.display.clipboard.set_clipboard(data, target)
            return
        self.stop_clipboard_owners()
        args = ["wl-copy", "--foreground"] + (["--type", target] if target else [])
        proc = subprocess.Popen(args, env=self.env, stdin=subprocess.PIPE,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self._helpers.append(proc)
        proc.stdin.write(data)
        proc.stdin.close()
        wait_until(lambda: self.clipboard_bytes() == data, TIMEOUT, "wl-copy to own the clipboard")

    def clipboard_bytes(self):
        if self.display.clipboard:
            return self.display.clipboard.clipboard_bytes()
        result = self.run("wl-paste", "-n", check=False, timeout=TIMEOUT)
        return result.stdout if result.returncode == 0 else None

    def wait_for_clipboard_taken(self, timeout=TIMEOUT):
        """Nothing to wait for: the text itself tells whether the program has taken the
        clipboard (set_clipboard already stopped the earlier wl-copy owners)."""
