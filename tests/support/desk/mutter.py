"""A headless mutter, GNOME's compositor, for the runs under GNOME on Wayland.

It runs as an unprivileged user with a runtime folder and a session bus of its own, with one
virtual monitor. New windows are centred (org.gnome.mutter center-new-windows), since a Wayland
client cannot learn its own place and mutter tells nobody else. A headless mutter has no input
device: its remote-desktop D-Bus interface is the user's hand."""

import os
import select
import threading
import time

from . import DeskError
from .dbus import Connection
from .unprivileged import UNPRIVILEGED, BusCompositor, UserBus, require, runtime_folder

TOOLS = ["mutter", "setpriv", "dbus-daemon", "wl-copy", "wl-paste"]
PACKAGES = "mutter, dbus, wl-clipboard, util-linux"
SOCKET = "pinmark-mutter"
REMOTE_DESKTOP = "org.gnome.Mutter.RemoteDesktop"

# What the session's settings say (GLib's keyfile backend, read from XDG_CONFIG_HOME).
SETTINGS = """[org/gnome/mutter]
center-new-windows=true
"""


class Compositor(BusCompositor):
    def __init__(self, tmp, log_dir, size, timeout=30.0):
        require("GNOME", TOOLS, PACKAGES)
        self.size = size
        self.runtime = runtime_folder(tmp, "mutter-run")
        self.bus = UserBus(self.runtime, log_dir, timeout)
        config = self.runtime / "config"
        (config / "glib-2.0" / "settings").mkdir(parents=True)
        (config / "glib-2.0" / "settings" / "keyfile").write_text(SETTINGS)
        for path in [config, *config.rglob("*")]:
            os.chown(path, UNPRIVILEGED, UNPRIVILEGED)
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": str(self.runtime),
               "XDG_RUNTIME_DIR": str(self.runtime), "XDG_CONFIG_HOME": str(config),
               "DBUS_SESSION_BUS_ADDRESS": self.bus.address, "GSETTINGS_BACKEND": "keyfile"}
        width, height = size
        self._start("mutter", ["mutter", "--headless", "--wayland", "--no-x11",
                               f"--virtual-monitor={width}x{height}",
                               f"--wayland-display={SOCKET}"],
                    env, log_dir, SOCKET, REMOTE_DESKTOP, timeout)


class RemoteDesktop:
    """A remote-desktop session: a virtual pointer and keyboard on mutter's seat, and a hand on
    its clipboard, for as long as this object's bus connection lives. Absolute moves would need
    a screen-cast stream: the pointer is pushed to the top left corner, then moved by the
    target's offset."""

    TEXT = "text/plain;charset=utf-8"

    def __init__(self, compositor, timeout=30.0):
        self._size = compositor.size
        self._connection = Connection(compositor.bus.address, timeout)
        self._offered = None  # what this session has put on the clipboard
        self._session = self._serving = None
        self._timeout = timeout
        try:
            (self._session,) = self._call("/org/gnome/Mutter/RemoteDesktop",
                                          REMOTE_DESKTOP + ".CreateSession", reply="o")
            self._start_serving()
            self._call(self._session, REMOTE_DESKTOP + ".Session.Start")
            self._session_call("EnableClipboard", "a{sv}", {})
        except DeskError:
            self.stop()
            raise
        # The keyboard joins the seat with its first key; the clipboard tools need one.
        self.key(42, True)
        self.key(42, False)
        time.sleep(0.2)

    def _call(self, path, method, signature=None, args=(), reply=None):
        return self._connection.call(REMOTE_DESKTOP, path, method, signature, args, reply)

    def _session_call(self, name, signature, *args):
        self._call(self._session, f"{REMOTE_DESKTOP}.Session.{name}", signature, args)

    def move_to(self, x, y):
        width, height = self._size
        self.move_by(-2 * width, -2 * height)
        self.move_by(x, y)

    def move_by(self, dx, dy):
        self._session_call("NotifyPointerMotionRelative", "dd", float(dx), float(dy))

    def button(self, code, pressed):
        self._session_call("NotifyPointerButton", "ib", code, pressed)

    def key(self, code, pressed):
        """code: a Linux input key code."""
        self._session_call("NotifyKeyboardKeycode", "ub", code, pressed)

    # -- the clipboard, as another program on the seat --

    def _start_serving(self):
        """mutter asks for the offered text by a signal, while the tests may be busy clicking:
        a thread of its own answers."""
        ready = threading.Event()

        def serve():
            GLib = self._connection.GLib
            context = GLib.MainContext.new()
            context.push_thread_default()
            self._connection.subscribe(REMOTE_DESKTOP, self._session,
                                       REMOTE_DESKTOP + ".Session.SelectionTransfer",
                                       self._transfer)
            self._loop = GLib.MainLoop.new(context, False)
            ready.set()
            self._loop.run()
            context.pop_thread_default()

        self._serving = threading.Thread(target=serve, daemon=True)
        self._serving.start()
        ready.wait()

    def _transfer(self, args):
        _, serial = args
        try:
            _, fds = self._connection.call_with_fds(
                REMOTE_DESKTOP, self._session, REMOTE_DESKTOP + ".Session.SelectionWrite", "u",
                [serial], reply="h")
            with os.fdopen(fds[0], "wb") as pipe:
                pipe.write(self._offered or b"")
            self._session_call("SelectionWriteDone", "ub", serial, True)
        except (DeskError, OSError, IndexError):
            pass

    def set_clipboard(self, data, target=None):
        """Takes the clipboard with data (bytes), offered as text or as target."""
        self._offered = data
        types = [target] if target else [self.TEXT, "text/plain"]
        self._session_call("SetSelection", "a{sv}",
                           {"mime-types": self._connection.GLib.Variant("as", types)})

    def clipboard_bytes(self):
        """The clipboard's text as another program would paste it, or None when it has none."""
        try:
            _, fds = self._connection.call_with_fds(
                REMOTE_DESKTOP, self._session, REMOTE_DESKTOP + ".Session.SelectionRead", "s",
                [self.TEXT], reply="h")
        except DeskError:
            return None
        data = b""
        with os.fdopen(fds[0], "rb", buffering=0) as pipe:
            while select.select([pipe], [], [], self._timeout)[0]:
                piece = pipe.read(1 << 20)
                if not piece:
                    return data
                data += piece
        raise DeskError(f"the clipboard's owner did not finish its text within {self._timeout} s")

    def stop(self):
        try:
            if self._session:
                self._session_call("Stop", None)
        except DeskError:
            pass
        if self._serving:
            self._loop.quit()
            self._serving.join(5)
        self._connection.close()

