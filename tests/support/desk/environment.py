"""The program's environment: a home of its own, a recording `xdg-open` first on PATH, and
nothing of the caller's desktop that would reach outside the run."""

import json
import os
import sys
from pathlib import Path

# Settings of the caller's session that must not reach the program: proxies (the gallery is on
# loopback), another session's bus and manager, scaling (pictures are compared at 1x), and the
# caller's choice of display server.
DROPPED = ("http_proxy", "https_proxy", "all_proxy", "no_proxy", "HTTP_PROXY", "HTTPS_PROXY",
           "ALL_PROXY", "NO_PROXY", "DBUS_SESSION_BUS_ADDRESS", "SESSION_MANAGER",
           "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_QPA_PLATFORM", "WAYLAND_DISPLAY",
           "DISPLAY")

OPENER = """#!/bin/sh
# Records its arguments, one JSON list a line, instead of opening anything. A sanitizer runtime
# preloaded into the program is not the recorder's.
exec env -u LD_PRELOAD {python} -c 'import json, sys; open(sys.argv[1], "a").write(json.dumps(sys.argv[2:]) + "\\n")' {log} "$@"
"""


class RecordingOpener:
    """An `xdg-open` in folder/bin that writes down what it was asked to open."""

    def __init__(self, folder):
        self.bindir = Path(folder) / "bin"
        self.bindir.mkdir(parents=True, exist_ok=True)
        self.log = Path(folder) / "launches.jsonl"
        self.log.touch()
        script = self.bindir / "xdg-open"
        script.write_text(OPENER.format(python=sys.executable, log=self.log))
        script.chmod(0o755)

    def launches(self):
        """Argument lists the opener was given, in order."""
        return [json.loads(line) for line in self.log.read_text().splitlines() if line]

    def clear(self):
        self.log.write_text("")


def program_env(base, home, opener, **settings):
    """The environment for one run of the program (or of a program compared with it).

    base: the environment to start from; home: a folder of the run's own, made here with its
    runtime folder; opener: a RecordingOpener; settings: the display (DISPLAY or
    WAYLAND_DISPLAY with QT_QPA_PLATFORM), the session bus and anything else, set last."""
    home = Path(home)
    runtime = home / "run"
    runtime.mkdir(parents=True, exist_ok=True)
    runtime.chmod(0o700)
    env = {k: v for k, v in base.items() if k not in DROPPED}
    env.update(
        PATH=f"{opener.bindir}:{env.get('PATH', '/usr/bin:/bin')}",
        HOME=str(home),
        XDG_RUNTIME_DIR=str(runtime),
        XDG_CONFIG_HOME=str(home / ".config"),
        XDG_CACHE_HOME=str(home / ".cache"),
        XDG_DATA_HOME=str(home / ".local" / "share"),
        QT_QPA_PLATFORM="xcb",
        # Mesa's software rasteriser, the same for every run on every machine.
        QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu",
        LANG="C.UTF-8",
    )
    if os.geteuid() == 0:
        # Chromium's sandbox refuses to run as root.
        env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
    env.update({k: str(v) for k, v in settings.items()})
    return env
