"""D-Bus calls to a desktop's own services (GNOME's remote desktop, KWin's window list and
screenshots), through GLib's bindings. Those come with the system's Python (Debian packages
python3-gi, gir1.2-glib-2.0); another interpreter first on PATH may lack them."""

import os
import sys

from . import DeskError

PACKAGES = "python3-gi, gir1.2-glib-2.0"
SYSTEM_PYTHON = "/usr/bin/python3"


def _gio():
    try:
        import gi

        gi.require_version("Gio", "2.0")
        from gi.repository import Gio, GLib
    except (ImportError, ValueError):
        return None
    return Gio, GLib


def run_with_bindings():
    """Runs this script again under the system's Python when this one lacks the bindings."""
    if _gio() is None and os.path.realpath(sys.executable) != os.path.realpath(SYSTEM_PYTHON) \
            and os.access(SYSTEM_PYTHON, os.X_OK):
        os.execv(SYSTEM_PYTHON, [SYSTEM_PYTHON] + sys.argv)


class Connection:
    """One connection to the bus at address; what a service ties to its caller (GNOME's
    remote-desktop sessions) lives as long as it."""

    def __init__(self, address, timeout):
        found = _gio()
        if found is None:
            raise DeskError(f"no GLib bindings for Python (Debian packages {PACKAGES}; "
                            "scripts/install-deps.sh installs them)")
        self.Gio, self.GLib = found
        flags = (self.Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
                 | self.Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
        self._timeout_ms = int(timeout * 1000)
        try:
            self._connection = self.Gio.DBusConnection.new_for_address_sync(address, flags)
        except self.GLib.Error as e:
            raise DeskError(f"cannot reach the bus {address}: {e.message}")

    def call(self, service, path, method, signature=None, args=(), reply=None, fds=()):
        """method is "interface.Name"; returns the unpacked reply. fds (file descriptors) go
        with the call, which then owns them."""
        return self.call_with_fds(service, path, method, signature, args, reply, fds)[0]

    def call_with_fds(self, service, path, method, signature=None, args=(), reply=None, fds=()):
        """As call(), and also returns the file descriptors of the reply (the caller's now)."""
        interface, name = method.rsplit(".", 1)
        GLib, Gio = self.GLib, self.Gio
        params = GLib.Variant(f"({signature})", tuple(args)) if signature else None
        reply_type = GLib.VariantType(f"({reply})") if reply else None
        try:
            result, received = self._connection.call_with_unix_fd_list_sync(
                service, path, interface, name, params, reply_type, Gio.DBusCallFlags.NONE,
                self._timeout_ms, Gio.UnixFDList.new_from_array(list(fds)), None)
        except GLib.Error as e:
            raise DeskError(f"{method} on {service} failed: {e.message}")
        return (result.unpack() if result else ()), (received.steal_fds() if received else [])

    def subscribe(self, service, path, signal, callback):
        """Calls callback(args) for each signal "interface.Name" sent from path, in the thread
        whose main context is the thread-default one now."""
        interface, name = signal.rsplit(".", 1)
        return self._connection.signal_subscribe(
            None, interface, name, path, None, self.Gio.DBusSignalFlags.NONE,
            lambda *a: callback(a[5].unpack()))

    def has_name(self, name):
        (names,) = self.call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                             "org.freedesktop.DBus.ListNames", reply="as")
        return name in names

    def close(self):
        try:
            self._connection.close_sync(None)
        except self.GLib.Error:
            pass
