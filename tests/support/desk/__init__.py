"""The desk the program is driven on, shared by the end-to-end tests and the benchmarks.

A private X server or headless sway, the gallery on loopback, the program's environment with a
recording `xdg-open`, the start without a network, the process tables, and where the controls
are (read from the layouts the program itself is built from). Everything started here is
stopped by its process id; every wait has a deadline.
"""

import time
from pathlib import Path

SOURCE_ROOT = Path(__file__).resolve().parents[3]


class DeskError(AssertionError):
    """Something the run needs is missing or did not happen in time; the message says what.

    An AssertionError, so that a test case fails (not errors) on it."""


def wait_until(predicate, timeout, what="condition", interval=0.05, on_timeout=None):
    """Polls predicate until it returns a true value, which is returned."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            extra = on_timeout() if on_timeout else ""
            raise DeskError(f"timed out after {timeout:g} s waiting for {what}{extra}")
        time.sleep(interval)
