"""The real program as a command: --help, --version and an unknown option answer without a
display and without starting the program; Qt's own options still reach Qt.

Needs no display, no gallery and no network: run it anywhere, also inside a package build.
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import time
import unittest

BINARY = None
VERSION = None


def bare_env():
    """An environment with no window system at all, so any attempt to open one fails loudly."""
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XAUTHORITY")}
    env["LANG"] = "C.UTF-8"
    return env


def run(*args):
    return subprocess.run([BINARY, *args], env=bare_env(), capture_output=True, timeout=30,
                          stdin=subprocess.DEVNULL)


class CommandLine(unittest.TestCase):
    def test_version(self):
        result = run("--version")
        self.assertEqual((result.returncode, result.stdout, result.stderr),
                         (0, f"Pinmark {VERSION}\n".encode(), b""))

    def test_help(self):
        for option in ("--help", "-h"):
            with self.subTest(option=option):
                result = run(option)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(result.stderr, b"")
                text = result.stdout.decode()
                self.assertTrue(text.startswith("Usage: pinmark"), text)
                self.assertIn("--version", text)

    def test_refusals(self):
        for args in (["--frobnicate"], ["-v"], ["https://example.org/a.png"], ["-platform"],
                     ["--nope", "--help"]):
            with self.subTest(args=args):
                result = run(*args)
                # 2, not a signal: the program never got as far as the window system.
                self.assertEqual(result.returncode, 2, result.stderr)
                self.assertEqual(result.stdout, b"")
                lines = result.stderr.decode().splitlines()
                self.assertEqual(len(lines), 1, lines)
                self.assertTrue(lines[0].startswith("pinmark: "), lines)

    def test_answer_to_a_closed_output_is_a_failure(self):
        # /dev/full takes nothing: the version was never printed, so it may not report success.
        with open("/dev/full", "wb") as full:
            result = subprocess.run([BINARY, "--version"], env=bare_env(), stdout=full,
                                    stderr=subprocess.PIPE, timeout=30)
        self.assertNotEqual(result.returncode, 0)
        self.assertGreater(result.returncode, 0)

    def test_qt_options_reach_qt(self):
        # Without a display the program can only run if "-platform offscreen" reached Qt. Offline
        # it shows its not-connected notice and waits, so it is still running a moment later.
        if os.geteuid() == 0:
            prefix = ["unshare", "-n", "--"]
        else:
            prefix = ["unshare", "-r", "-n", "--"]
        if shutil.which("unshare") is None:
            self.fail("unshare (util-linux) is needed to start the program offline")
        env = bare_env()
        env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
        proc = subprocess.Popen([*prefix, BINARY, "-platform", "offscreen", "-reverse"], env=env,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                stdin=subprocess.DEVNULL)
        try:
            time.sleep(3)
            status = proc.poll()
            if status is not None:
                output = proc.stdout.read().decode(errors="replace")
                self.fail(f"the program ended with status {status}: {output}")
        finally:
            if proc.poll() is None:
                proc.send_signal(signal.SIGKILL)
            proc.wait(timeout=30)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--version", required=True)
    args, rest = parser.parse_known_args()
    BINARY = os.path.abspath(args.binary)
    VERSION = args.version
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
