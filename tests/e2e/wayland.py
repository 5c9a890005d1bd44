"""The e2e session under a headless sway compositor instead of an X display.

sway refuses to run as root, so it runs as an unprivileged user in a runtime folder of its own;
the program (and the clipboard and screenshot tools) reach its socket by its path. The headless
seat has no input device: a virtual pointer of the project's own (tests/support/virtualpointer)
is the user's hand, and only it gives real drags. Window places come from `swaymsg -t get_tree`,
the clipboard from wl-copy and wl-paste, screenshots from grim.
"""

import json
import os
import re
import subprocess
import tempfile
import time
from pathlib import Path

import harness
from desk import processes, sway
from desk.environment import RecordingOpener
from harness import HarnessError, SCREEN, TIMEOUT, wait_until

APP_ID = "net.velmora.Pinmark"
BUTTON_CODES = {1: 0x110, 2: 0x112, 3: 0x111}  # left, middle, right as Linux input codes


def virtual_pointer_binary():
    path = os.environ.get("PINMARK_VIRTUAL_POINTER")
    if not path or not os.access(path, os.X_OK):
        raise HarnessError("the virtual pointer of the tests is not built (it needs "
                           "libwayland-dev and wayland-scanner; scripts/install-deps.sh installs "
                           "them, then configure again)")
    return path


class Compositor(sway.Compositor):
    """A headless sway with one output of the tests' screen size, the program's windows
    floating."""

    def __init__(self, tmp, extra_config=""):
        super().__init__(tmp, harness.ARTIFACTS, SCREEN, APP_ID, extra_config, TIMEOUT)


class VirtualPointer:
    """The user's hand: absolute and relative moves and button presses, each one frame."""

    def __init__(self, env):
        self.proc = subprocess.Popen([virtual_pointer_binary()], env=env, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        line = self.proc.stdout.readline().strip()
        if line != "ready":
            self.proc.wait(TIMEOUT)
            raise HarnessError("no virtual pointer: " + self.proc.stderr.read().strip())

    def send(self, command):
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()
        if self.proc.stdout.readline().strip() != "ok":
            raise HarnessError(f"the virtual pointer failed on {command!r}: "
                               + self.proc.stderr.read().strip())

    def stop(self):
        processes.stop_popen(self.proc)


class WaylandSession(harness.Session):
    """The session of harness.Session with sway in place of the X display."""

    def __init__(self):
        processes.become_subreaper()
        self._helpers = []  # wl-copy owners
        self.bystanders = []  # other programs a case runs beside the program
        self.programs = []
        self.tmp = Path(tempfile.mkdtemp(prefix="pinmark-e2e-"))
        self.display = self.server = self.window_manager = self.bus = self.pointer = None
        try:
            self.display = Compositor(self.tmp)
            self.bus = harness.SessionBus(self.tmp)
            self.server = harness.GalleryServer()
            self.opener = RecordingOpener(self.tmp)
        except BaseException:
            self.close()
            raise
        tools_runtime = self.tmp / "tools-run"
        tools_runtime.mkdir(mode=0o700)
        self.env = dict(os.environ, WAYLAND_DISPLAY=self.display.socket,
                        XDG_RUNTIME_DIR=str(tools_runtime),
                        DBUS_SESSION_BUS_ADDRESS=self.bus.address)
        self.env.pop("DISPLAY", None)
        harness._live_sessions.append(self)

    def program_settings(self):
        return {"QT_QPA_PLATFORM": "wayland", "WAYLAND_DISPLAY": self.display.socket,
                "DBUS_SESSION_BUS_ADDRESS": self.bus.address}

    def services(self):
        return super().services() + ([self.pointer.proc] if self.pointer else [])

    def focus(self, wid):
        """Brings a window to the front, as the keyboard would; a program cannot."""
        self.run("swaymsg", "-s", self.display.ipc, f"[con_id={wid}]", "focus")

    def create_pointer(self):
        self.pointer = VirtualPointer(self.env)

    def close(self):
        if self.pointer:
            self.pointer.stop()
        super().close()

    # -- windows, from the compositor's tree --

    def views(self):
        """[(con id, title, app id, x, y, width, height)] of every window on the output."""
        tree = json.loads(self.run("swaymsg", "-s", self.display.ipc, "-t", "get_tree").stdout)
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

        return wait_until(found, timeout, f"a window {title!r} of size {size}",
                          on_timeout=self.describe_screen)

    def describe_screen(self):
        shot = self.screenshot("timeout")
        return f"; windows: {self.views()}; screenshot: {shot}"

    def screenshot(self, label):
        path = harness.ARTIFACTS / f"{label}-{time.strftime('%H%M%S')}-{time.monotonic_ns() % 10**6}.png"
        self.run("grim", str(path), check=False)
        return path

    def pixels(self, x, y, w, h):
        data = self.run("grim", "-g", f"{x},{y} {w}x{h}", "-t", "ppm", "-").stdout
        # A binary PPM: "P6", width, height, maximum value, then the RGB bytes.
        header = data.split(maxsplit=4)
        body = header[4]
        return [tuple(body[i : i + 3]) for i in range(0, len(body), 3)]

    # -- the user's hand --

    def _pointer(self):
        if not self.pointer:
            raise HarnessError("no pointer yet: create_pointer() first")
        return self.pointer

    def move_to(self, x, y):
        self._pointer().send(f"move {x} {y}")

    def move_by(self, dx, dy):
        self._pointer().send(f"rel {dx} {dy}")

    def press_at(self, x, y, button=1):
        self.move_to(x, y)
        # The compositor has the move, but the window it entered may not have handled it yet.
        time.sleep(0.1)
        self._pointer().send(f"press {BUTTON_CODES[button]}")

    def release(self, button=1):
        self._pointer().send(f"release {BUTTON_CODES[button]}")

    def click_at(self, x, y, button=1):
        self.press_at(x, y, button)
        self.release(button)

    # -- the clipboard --

    def set_clipboard(self, data, target=None):
        if isinstance(data, str):
            data = data.encode()
        self.stop_clipboard_owners()
        args = ["wl-copy", "--foreground"] + (["--type", target] if target else [])
        proc = subprocess.Popen(args, env=self.env, stdin=subprocess.PIPE,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self._helpers.append(proc)
        proc.stdin.write(data)
        proc.stdin.close()
        wait_until(lambda: self.clipboard_bytes() == data, TIMEOUT, "wl-copy to own the clipboard")

    def clipboard_bytes(self):
        result = self.run("wl-paste", "-n", check=False, timeout=TIMEOUT)
        return result.stdout if result.returncode == 0 else None

    def wait_for_clipboard_taken(self, timeout=TIMEOUT):
        """Nothing to wait for: the text itself tells whether the program has taken the
        clipboard (set_clipboard already stopped the earlier wl-copy owners)."""
