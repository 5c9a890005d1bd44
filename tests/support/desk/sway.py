"""A headless sway compositor with one output, for the runs under Wayland.

sway refuses to run as root, so it runs as an unprivileged user in a runtime folder of its own;
clients reach its socket by its path."""

import os
import subprocess
from pathlib import Path

from .unprivileged import Service, require, runtime_folder

TOOLS = ["sway", "swaymsg", "setpriv", "grim", "wl-copy", "wl-paste"]
PACKAGES = "sway, grim, wl-clipboard, util-linux"


def config(width, height, floating_app_id):
    return f"""xwayland disable
output HEADLESS-1 resolution {width}x{height} scale 1
default_border none
default_floating_border none
for_window [app_id="{floating_app_id}"] floating enable
"""


class Compositor:
    """sway on a headless output of width x height; its log goes to log_dir/sway.log."""

    def __init__(self, tmp, log_dir, size, floating_app_id, extra_config="", timeout=30.0):
        require("Wayland", TOOLS, PACKAGES)
        self.runtime = runtime_folder(tmp, "sway-run")
        config_file = Path(tmp) / "sway.config"
        config_file.write_text(config(*size, floating_app_id) + extra_config)
        config_file.chmod(0o644)
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": str(self.runtime),
               "XDG_RUNTIME_DIR": str(self.runtime), "WLR_BACKENDS": "headless",
               "WLR_RENDERER": "pixman", "WLR_LIBINPUT_NO_DEVICES": "1"}
        self._service = Service("sway", ["sway", "-c", str(config_file)], env, log_dir)
        self.proc = self._service.proc
        self.socket = None
        self.ipc = None

        def ready():
            ipc = sorted(self.runtime.glob("sway-ipc.*.sock"))
            sockets = [p for p in self.runtime.glob("wayland-*") if not p.name.endswith(".lock")]
            if not ipc or not sockets:
                return False
            self.ipc, self.socket = str(ipc[0]), str(sockets[0])
            return subprocess.run(["swaymsg", "-s", self.ipc, "-t", "get_version"],
                                  capture_output=True).returncode == 0

        self._service.wait(ready, "sway to answer swaymsg -t get_version", timeout)

    def stop(self):
        self._service.stop()
