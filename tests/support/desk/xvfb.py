"""A private X server: Xvfb on a display number no other X server on this machine uses.

The number is chosen here, not by Xvfb's -displayfd search: that search only tries to bind the
abstract socket, which is private to a network namespace, so servers started in different
namespaces all take :0 and replace each other's socket file in /tmp/.X11-unix. A program
started without a network (in a namespace of its own) reaches the server only through that
file, so it has to stay ours."""

import itertools
import os
import select
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

from . import DeskError
from .processes import stop_popen

SOCKETS = Path("/tmp/.X11-unix")
FIRST_DISPLAY = 100  # above the numbers desktops and -displayfd searches take
DISPLAYS = 400


def _unused_displays():
    """Display numbers with neither a socket file nor a lock file, from a place that differs
    between runs started at the same time."""
    start = os.getpid() % DISPLAYS
    for i in range(DISPLAYS):
        n = FIRST_DISPLAY + (start + i) % DISPLAYS
        if not (SOCKETS / f"X{n}").exists() and not Path(f"/tmp/.X{n}-lock").exists():
            yield n


class Xvfb:
    def __init__(self, width, height, timeout=30.0):
        if shutil.which("Xvfb") is None:
            raise DeskError("missing tool: Xvfb (Debian package xvfb; scripts/install-deps.sh "
                            "installs it)")
        self.size = (width, height)
        self.proc = None
        # Its complaints go to a file, not a pipe nobody reads while it runs.
        self._errors = tempfile.TemporaryFile()
        deadline = time.monotonic() + timeout
        # A few tries: a number can be taken between the look and the start.
        for number in itertools.islice(_unused_displays(), 5):
            if self._start(number, width, height, deadline):
                self.name = f":{number}"
                return
            if time.monotonic() >= deadline:
                break
        self.stop()
        raise DeskError("Xvfb did not start: " + self._last_errors())

    def _start(self, number, width, height, deadline):
        """Starts Xvfb on :number; False when it ended (another server took the number first).
        -displayfd says when it accepts connections."""
        read_end, write_end = os.pipe()
        try:
            self.proc = subprocess.Popen(
                ["Xvfb", f":{number}", "-displayfd", str(write_end), "-screen", "0",
                 f"{width}x{height}x24", "-dpi", "96", "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=self._errors)
        finally:
            os.close(write_end)
        reported = b""
        try:
            while not reported.endswith(b"\n"):
                ready, _, _ = select.select([read_end], [], [],
                                            max(0, deadline - time.monotonic()))
                chunk = os.read(read_end, 16) if ready else b""
                if not chunk:
                    stop_popen(self.proc)
                    return False
                reported += chunk
        finally:
            os.close(read_end)
        return True

    def _last_errors(self):
        self._errors.seek(0)
        return self._errors.read().decode(errors="replace")[-500:]

    def stop(self):
        stop_popen(self.proc)
        self._errors.close()
