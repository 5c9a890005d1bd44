"""Desktop services run as an unprivileged user, as on a user's desktop: sway refuses root, and
the GNOME and KDE compositors run as the user of their session. Each gets a runtime folder of
its own; the program and the tools (run as root here) reach its sockets by their paths."""

import os
import shutil
import subprocess
from pathlib import Path

from . import DeskError, wait_until
from .dbus import Connection
from .processes import service_subreaper, stop_popen

UNPRIVILEGED = 65534  # nobody

# A session bus of the compositor's own. A session bus lets in only its own user; this one lets
# in root too, so that the tests and the program can reach the compositor's D-Bus interfaces.
BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path={path}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


def require(group, tools, packages):
    missing = [t for t in tools if shutil.which(t) is None]
    if missing:
        raise DeskError(f"missing tools for the {group} runs: " + ", ".join(missing) +
                        f" (Debian packages {packages}; scripts/install-deps.sh installs them)")


def as_user(command):
    """command run as the unprivileged user, with no group of root's."""
    return ["setpriv", f"--reuid={UNPRIVILEGED}", f"--regid={UNPRIVILEGED}", "--clear-groups",
            *command]


def runtime_folder(tmp, name):
    """A folder of the user's own under tmp (which the user may then enter)."""
    os.chmod(tmp, 0o755)
    folder = Path(tmp) / name
    folder.mkdir()
    os.chown(folder, UNPRIVILEGED, UNPRIVILEGED)
    folder.chmod(0o700)
    return folder


def user_copy(path, folder):
    """A copy of a program in folder, runnable by the user (and without the original's file
    capabilities, which an unprivileged user may not be allowed to take)."""
    folder = Path(folder)
    folder.mkdir(mode=0o755, exist_ok=True)
    copy = folder / Path(path).name
    shutil.copyfile(path, copy)
    copy.chmod(0o755)
    return copy


class Service:
    """A program run as the user, its output in log_dir/NAME.log, stopped by its id."""

    def __init__(self, name, command, env, log_dir):
        self.name = name
        self._log = open(Path(log_dir) / f"{name}.log", "wb")
        self.log_path = self._log.name
        self.proc = subprocess.Popen(as_user(command), env=env, stdout=self._log,
                                     stderr=subprocess.STDOUT, preexec_fn=service_subreaper)

    def wait(self, ready, what, timeout):
        """Waits for ready() to hold; fails with the reason when the service ends first."""
        def check():
            if self.proc.poll() is not None:
                raise DeskError(f"{self.name} ended with status {self.proc.returncode} before "
                                f"{what}; see {self.log_path}")
            return ready()

        try:
            wait_until(check, timeout, f"{what} (see {self.log_path})")
        except DeskError:
            self.stop()
            raise

    def stop(self):
        stop_popen(self.proc)
        self._log.close()


class UserBus(Service):
    """A session bus run as the user, listening on runtime/bus."""

    def __init__(self, runtime, log_dir, timeout):
        require("desktop", ["dbus-daemon"], "dbus")
        path = Path(runtime) / "bus"
        self.address = f"unix:path={path}"
        config = Path(runtime).parent / f"{Path(runtime).name}-bus.conf"
        config.write_text(BUS_CONFIG.format(path=path))
        config.chmod(0o644)
        super().__init__(f"{Path(runtime).name}-bus",
                         ["dbus-daemon", f"--config-file={config}", "--nofork", "--nopidfile"],
                         {"PATH": os.environ.get("PATH", "/usr/bin:/bin")}, log_dir)
        self.wait(path.exists, "its session bus to listen", timeout)


class BusCompositor:
    """A compositor run as the user with a session bus of its own (GNOME's, KDE's), ready once
    its socket listens and it owns its name on that bus. Subclasses make self.runtime and
    self.bus, then call _start."""

    def _start(self, name, command, env, log_dir, socket, bus_name, timeout):
        self._service = Service(name, command, env, log_dir)
        self.proc = self._service.proc
        self.socket = str(Path(self.runtime) / socket)
        self._connection = None
        try:
            self._connection = Connection(self.bus.address, timeout)
        except DeskError:
            self.stop()
            raise
        self._service.wait(lambda: Path(self.socket).exists()
                           and self._connection.has_name(bus_name),
                           f"{name} to listen and own {bus_name} on its bus", timeout)

    def services(self):
        return [self.proc, self.bus.proc]

    def stop(self):
        self._service.stop()
        if self._connection:
            self._connection.close()
        self.bus.stop()
