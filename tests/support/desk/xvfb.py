"""A private X server: Xvfb on a display number it picks itself (-displayfd), so runs side by
side never collide."""

import os
import select
import shutil
import subprocess
import tempfile
import time

from . import DeskError
from .processes import stop_popen


class Xvfb:
    def __init__(self, width, height, timeout=30.0):
        if shutil.which("Xvfb") is None:
            raise DeskError("missing tool: Xvfb (Debian package xvfb; scripts/install-deps.sh "
                            "installs it)")
        self.size = (width, height)
        # Its complaints go to a file, not a pipe nobody reads while it runs.
        self._errors = tempfile.TemporaryFile()
        read_end, write_end = os.pipe()
        try:
            self.proc = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
                 "-dpi", "96", "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=self._errors)
        finally:
            os.close(write_end)
        number = b""
        deadline = time.monotonic() + timeout
        try:
            while not number.endswith(b"\n"):
                ready, _, _ = select.select([read_end], [], [],
                                            max(0, deadline - time.monotonic()))
                chunk = os.read(read_end, 16) if ready else b""
                if not chunk:
                    self.stop()
                    raise DeskError("Xvfb did not start: " + self._last_errors())
                number += chunk
        finally:
            os.close(read_end)
        self.name = ":" + number.decode().strip()

    def _last_errors(self):
        self._errors.seek(0)
        return self._errors.read().decode(errors="replace")[-500:]

    def stop(self):
        stop_popen(self.proc)
        self._errors.close()
