"""A virtual kwin_wayland, KDE Plasma's compositor, for the runs under KDE on Wayland.

It runs as an unprivileged user with a runtime folder and a session bus of its own. Two things
Debian's binary needs for that, measured: it carries a file capability (cap_sys_resource) that an
unprivileged user may not be allowed to take, so a copy without it runs; and its platform plugin
loads only for a program named kwin_wayland, so the copy keeps the name. It ignores a command
after its options: clients are started separately. Windows and screenshots come from its D-Bus
interfaces; the user's hand is its fake-input protocol, which it offers to every program of the
user once permission checks are off."""

import os
import re
import shutil
import subprocess
from pathlib import Path

from . import DeskError
from .unprivileged import BusCompositor, UserBus, require, runtime_folder, user_copy

TOOLS = ["kwin_wayland", "setpriv", "dbus-daemon", "wl-copy", "wl-paste"]
PACKAGES = "kwin-wayland, kwin-common, dbus, wl-clipboard, util-linux"
SOCKET = "pinmark-kwin"
KWIN = "org.kde.KWin"
# kwin marks a caption that another window has too: "Pinmark 1.0 <2>".
DUPLICATE_MARK = re.compile(r" <\d+>$")


class Compositor(BusCompositor):
    def __init__(self, tmp, log_dir, size, timeout=30.0):
        require("KDE", TOOLS, PACKAGES)
        self.size = size
        self.runtime = runtime_folder(tmp, "kwin-run")
        binary = user_copy(shutil.which("kwin_wayland"), Path(tmp) / "kwin-bin")
        self.bus = UserBus(self.runtime, log_dir, timeout)
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": str(self.runtime),
               "XDG_RUNTIME_DIR": str(self.runtime),
               "XDG_CONFIG_HOME": str(self.runtime / "config"),
               "DBUS_SESSION_BUS_ADDRESS": self.bus.address,
               "KWIN_WAYLAND_NO_PERMISSION_CHECKS": "1", "KWIN_SCREENSHOT_NO_PERMISSION_CHECKS": "1"}
        width, height = size
        command = [str(binary), "--virtual", "--width", str(width), "--height", str(height),
                   "--socket", SOCKET, "--no-lockscreen", "--no-global-shortcuts"]
        # Gone from newer releases, where activities are not a part of kwin.
        offered = subprocess.run([str(binary), "--help"], capture_output=True, text=True,
                                 env=env, timeout=timeout).stdout
        if "--no-kactivities" in offered:
            command.append("--no-kactivities")
        self._start("kwin", command, env, log_dir, SOCKET, KWIN, timeout)

    def windows(self):
        """[(uuid, caption, desktop id, x, y, width, height)] of the windows kwin shows, from
        its window runner (which lists every window) and its window information."""
        try:
            (matches,) = self._connection.call(KWIN, "/WindowsRunner", "org.kde.krunner1.Match",
                                               "s", [""], reply="a(sssida{sv})")
        except DeskError as e:
            raise DeskError(f"{e} (kwin's window runner comes with the Debian package "
                            "kwin-common)")
        found = {}
        for match_id, *_ in matches:
            uuid = match_id[match_id.find("{"):]
            if uuid in found:
                continue
            try:
                (info,) = self._connection.call(KWIN, "/KWin", "org.kde.KWin.getWindowInfo",
                                                "s", [uuid], reply="a{sv}")
            except DeskError:
                continue  # closed meanwhile
            if not info or info.get("minimized"):
                continue
            found[uuid] = (match_id, DUPLICATE_MARK.sub("", info.get("caption", "")),
                           info.get("desktopFile") or info.get("resourceClass"),
                           round(info["x"]), round(info["y"]), round(info["width"]),
                           round(info["height"]))
        return [(uuid, *rest) for uuid, (_, *rest) in found.items()]

    def activate(self, uuid):
        """Brings a window to the front, as a task bar would."""
        for match_id, *_ in self._connection.call(KWIN, "/WindowsRunner",
                                                  "org.kde.krunner1.Match", "s", [""],
                                                  reply="a(sssida{sv})")[0]:
            if match_id.endswith(uuid):
                self._connection.call(KWIN, "/WindowsRunner", "org.kde.krunner1.Run", "ss",
                                      [match_id, ""])
                return
        raise DeskError(f"kwin shows no window {uuid}")

    def capture(self):
        """(width, height, rows of 32-bit pixels as B, G, R, A bytes) of the whole screen, or
        None where kwin offers no screenshots (its screenshot effect needs OpenGL compositing)."""
        reader, writer = os.pipe()
        try:
            (info,) = self._connection.call(KWIN, "/org/kde/KWin/ScreenShot2",
                                            "org.kde.KWin.ScreenShot2.CaptureWorkspace",
                                            "a{sv}h", [{}, 0], reply="a{sv}", fds=[writer])
        except DeskError:
            os.close(reader)
            return None
        width, height, stride = info["width"], info["height"], info["stride"]
        data = bytearray()
        with os.fdopen(reader, "rb") as pipe:
            while len(data) < stride * height:
                piece = pipe.read(stride * height - len(data))
                if not piece:
                    return None
                data += piece
        return width, height, [bytes(data[y * stride : y * stride + width * 4])
                               for y in range(height)]
