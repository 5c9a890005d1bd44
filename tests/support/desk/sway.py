"""A headless sway compositor with one output, for the runs under Wayland.

sway refuses to run as root, so it runs as an unprivileged user in a runtime folder of its own;
clients reach its socket by its path."""

import os
import shutil
import subprocess
from pathlib import Path

from . import DeskError, wait_until
from .processes import service_subreaper, stop_popen

UNPRIVILEGED = 65534  # nobody


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
        missing = [t for t in ("sway", "swaymsg", "setpriv", "grim", "wl-copy", "wl-paste")
                   if shutil.which(t) is None]
        if missing:
            raise DeskError("missing tools for the Wayland runs: " + ", ".join(missing) +
                            " (Debian packages sway, grim, wl-clipboard, util-linux; "
                            "scripts/install-deps.sh installs them)")
        self.runtime = Path(tmp) / "sway-run"
        self.runtime.mkdir()
        os.chown(self.runtime, UNPRIVILEGED, UNPRIVILEGED)
        self.runtime.chmod(0o700)
        os.chmod(tmp, 0o755)  # the unprivileged compositor reads its config from here
        config_file = Path(tmp) / "sway.config"
        config_file.write_text(config(*size, floating_app_id) + extra_config)
        config_file.chmod(0o644)
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": str(self.runtime),
               "XDG_RUNTIME_DIR": str(self.runtime), "WLR_BACKENDS": "headless",
               "WLR_RENDERER": "pixman", "WLR_LIBINPUT_NO_DEVICES": "1"}
        self._log = open(Path(log_dir) / "sway.log", "wb")
        self.proc = subprocess.Popen(
            ["setpriv", f"--reuid={UNPRIVILEGED}", f"--regid={UNPRIVILEGED}", "--clear-groups",
             "sway", "-c", str(config_file)],
            env=env, stdout=self._log, stderr=subprocess.STDOUT, preexec_fn=service_subreaper)
        self.socket = None
        self.ipc = None

        def ready():
            if self.proc.poll() is not None:
                raise DeskError(f"sway ended with status {self.proc.returncode}; see "
                                f"{self._log.name}")
            ipc = sorted(self.runtime.glob("sway-ipc.*.sock"))
            sockets = [p for p in self.runtime.glob("wayland-*") if not p.name.endswith(".lock")]
            if not ipc or not sockets:
                return False
            self.ipc, self.socket = str(ipc[0]), str(sockets[0])
            return subprocess.run(["swaymsg", "-s", self.ipc, "-t", "get_version"],
                                  capture_output=True).returncode == 0

        try:
            wait_until(ready, timeout, "sway to answer swaymsg -t get_version")
        except DeskError:
            self.stop()
            raise

    def stop(self):
        stop_popen(self.proc)
        self._log.close()
