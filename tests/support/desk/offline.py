"""Online or not: the start without a network, and whether this machine has a route out."""

import functools
import shutil
import subprocess
from pathlib import Path

from . import DeskError


@functools.cache
def offline_prefix():
    """The command prefix that runs a program in a network namespace of its own, with nothing
    but a loopback that is down."""
    for prefix in (["unshare", "-n"], ["unshare", "-r", "-n"]):
        if shutil.which("unshare") and subprocess.run(
                prefix + ["true"], capture_output=True).returncode == 0:
            return prefix + ["--"]
    raise DeskError("`unshare -n` is not permitted here: the offline start needs a network "
                    "namespace of its own (run as root, or allow user namespaces; Debian "
                    "package util-linux)")


def has_default_route():
    """True when the machine has a default route (IPv4, or IPv6 not on the loopback): only then
    does the program start online."""
    try:
        lines = Path("/proc/net/route").read_text().splitlines()[1:]
    except OSError:
        return True
    has_v4 = any(line.split()[1:2] == ["00000000"] for line in lines)
    try:
        v6 = Path("/proc/net/ipv6_route").read_text().splitlines()
    except OSError:
        v6 = []
    has_v6 = any(f[0] == "0" * 32 and f[1] == "00" and f[-1] != "lo"
                 for f in (line.split() for line in v6) if f)
    return has_v4 or has_v6
