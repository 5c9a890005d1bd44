"""What bench/run and bench/soak share beyond the test driver (tests/support/desk): building
with the presets, the X probe, another program on the clipboard, the machine's description, and
stopping at exit whatever was started.

Everything started here is stopped here, by process id; every wait has a deadline."""

import atexit
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request
from pathlib import Path
from urllib.parse import urlsplit

ROOT = Path(__file__).resolve().parent.parent
BENCH = ROOT / "bench"
sys.path.insert(0, str(ROOT / "tests" / "support"))

from desk import DeskError, gallery, layout, processes  # noqa: E402
from desk.environment import RecordingOpener, program_env  # noqa: E402
from desk.offline import offline_prefix  # noqa: E402,F401  (used by run and soak)
from desk.xvfb import Xvfb  # noqa: E402

# The builds measured, as CMakePresets.json names them. The gallery address each shows is read
# back from its configuration, so that the presets stay the one place where it is written.
BENCH_PRESET = "bench"
SANITIZER_PRESET = "asan"

MAIN = layout.frmweb()
CODE_BUTTONS = list(layout.CODE_BUTTONS)


def centre(name):
    """The centre of a control of the main window, in window coordinates."""
    return MAIN.centre(name)


def configured_gallery(build_dir):
    """The gallery address a build shows, and the loopback port to serve it on."""
    url = None
    try:
        for line in (Path(build_dir) / "CMakeCache.txt").read_text().splitlines():
            if line.startswith("PINMARK_GALLERY_URL:"):
                url = line.split("=", 1)[1]
    except OSError:
        pass
    if not url:
        sys.exit(f"{build_dir} is not a configured build: run without --no-build")
    parts = urlsplit(url)
    if parts.hostname != gallery.HOST or parts.path != gallery.GALLERY_PATH or not parts.port:
        sys.exit(f"{build_dir} shows the gallery at {url}, which is not served here: build it "
                 "with its preset")
    return url, parts.port


def log(*parts):
    print(*parts, file=sys.stderr, flush=True)


def now_ms():
    return time.time() * 1000.0


# ---- processes ---------------------------------------------------------------------------------

_started = []  # Popen objects, in start order
_stop_at_exit = []  # other things to stop: the X server


def spawn(cmd, **kwargs):
    proc = subprocess.Popen(cmd, **kwargs)
    _started.append(proc)
    return proc


descendants = processes.descendants
alive = processes.alive
pss_kb = processes.pss_kb
anonymous_kb = processes.anonymous_kb
tree_pss_kb = processes.tree_pss_kb
stop_tree = processes.stop_tree
renderer_descendants = processes.renderers


def webengine_descendants(pid):
    return list(processes.engine_processes(pid))


def stop_all():
    while _started:
        stop_tree(_started.pop())
    while _stop_at_exit:
        _stop_at_exit.pop()()


def _on_signal(signum, _frame):
    stop_all()
    sys.exit(128 + signum)


atexit.register(stop_all)
signal.signal(signal.SIGTERM, _on_signal)
signal.signal(signal.SIGINT, _on_signal)


class LineReader:
    """Collects a pipe's lines on a thread, each with the time it arrived."""

    def __init__(self, stream):
        self.lines = []
        self._cond = threading.Condition()
        self._thread = threading.Thread(target=self._run, args=(stream,), daemon=True)
        self._thread.start()

    def _run(self, stream):
        for raw in iter(stream.readline, b""):
            with self._cond:
                self.lines.append((now_ms(), raw.decode("utf-8", "replace").rstrip("\n")))
                self._cond.notify_all()
        with self._cond:
            self.lines.append((now_ms(), None))
            self._cond.notify_all()

    def mark(self):
        """The position of the next line, for wait_for(since=)."""
        with self._cond:
            return len(self.lines)

    def wait_for(self, pattern, timeout, since=0):
        """The first match of pattern among the lines from position since on, or None at the
        deadline or end of file."""
        regex = re.compile(pattern)
        deadline = time.time() + timeout
        with self._cond:
            seen = since
            while True:
                while seen < len(self.lines):
                    _, text = self.lines[seen]
                    seen += 1
                    if text is None:
                        return None
                    m = regex.search(text)
                    if m:
                        return m
                left = deadline - time.time()
                if left <= 0:
                    return None
                self._cond.wait(left)

    def text(self):
        with self._cond:
            return "\n".join(t for _, t in self.lines if t is not None)


# ---- building ----------------------------------------------------------------------------------


def run_step(cmd, logfile):
    log("+", " ".join(str(c) for c in cmd))
    with open(logfile, "ab") as out:
        status = subprocess.call(cmd, stdout=out, stderr=subprocess.STDOUT)
    if status != 0:
        sys.exit(f"failed ({status}): {' '.join(str(c) for c in cmd)}; see {logfile}")


def install_deps():
    run_step(["bash", str(ROOT / "scripts" / "install-deps.sh")], "/dev/null")


def build_pinmark(preset):
    """Configures and builds a preset of CMakePresets.json; returns its build folder."""
    build_dir = ROOT / f"build-{preset}"
    build_dir.mkdir(parents=True, exist_ok=True)
    logfile = build_dir / "bench-build.log"
    logfile.write_text("")
    run_step(["cmake", "--preset", preset, "-S", ROOT], logfile)
    run_step(["cmake", "--build", build_dir, "-j2"], logfile)
    return build_dir


def program_in(build_dir):
    """The program's executable in a build folder, wherever the build puts its outputs (the
    newest, should an older layout of the folder have left another)."""
    found = [p for p in Path(build_dir).rglob("pinmark")
             if p.is_file() and os.access(p, os.X_OK) and "CMakeFiles" not in p.parts
             and "bench-tools" not in p.parts]
    if not found:
        sys.exit(f"no pinmark executable in {build_dir}: run without --no-build")
    return max(found, key=lambda p: p.stat().st_mtime)


def build_bench_tools(build_dir):
    tools = Path(build_dir) / "bench-tools"
    tools.mkdir(parents=True, exist_ok=True)
    logfile = tools / "bench-build.log"
    logfile.write_text("")
    run_step(["cmake", "-S", BENCH, "-B", tools, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release"],
             logfile)
    run_step(["cmake", "--build", tools, "-j2"], logfile)
    return tools


# ---- the display, the gallery, the environment --------------------------------------------------


def start_xvfb(width, height):
    """A private X server, stopped at exit; returns its display name."""
    try:
        server = Xvfb(width, height, timeout=15)
    except DeskError as e:
        sys.exit(str(e))
    _stop_at_exit.append(server.stop)
    return server.name


def gallery_dir(explicit=None):
    if explicit:
        return Path(explicit)
    demo = ROOT / "demo"
    if (demo / "fmm" / "fe" / "moq.htm").is_file():
        return demo
    return BENCH / "fixtures"


# Put into the gallery page served to the programs: once the page's first picture has loaded
# and one animation frame has passed, the page reports the moment (ms since the epoch).
PAINT_BEACON = """<script>
document.addEventListener("load", function first(event) {
  if (!(event.target instanceof HTMLImageElement)) return;
  document.removeEventListener("load", first, true);
  requestAnimationFrame(function () {
    fetch("%s?painted=" + Date.now(), {cache: "no-store"});
  });
}, true);
</script>
""" % gallery.PING_PATH


def beacon_gallery(directory, scratch):
    """A copy of the gallery folder whose gallery page carries PAINT_BEACON."""
    copy = Path(scratch) / "gallery"
    shutil.copytree(directory, copy)
    page = copy / gallery.GALLERY_PATH.lstrip("/")
    text = page.read_text(encoding="utf-8")
    if "</head>" not in text:
        sys.exit(f"{page} has no </head> to put the paint beacon before")
    page.write_text(text.replace("</head>", PAINT_BEACON + "</head>", 1), encoding="utf-8")
    return copy


class Gallery:
    """The gallery served from a process of its own (python3 -m desk.gallery), so that serving
    never competes with the measurements, with the pages' reports read from its output."""

    def __init__(self, directory, port):
        url = gallery.gallery_url(port)
        try:
            urllib.request.urlopen(f"http://127.0.0.1:{port}/", timeout=1)
            sys.exit(f"port {port} on 127.0.0.1 is already served by another program; "
                     "the build measured needs it for its gallery")
        except OSError:
            pass
        self.proc = spawn([sys.executable, "-B", "-m", "desk.gallery", "--port", str(port),
                           "--directory", str(directory), "--report-pings"],
                          cwd=ROOT / "tests" / "support", stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL)
        self.reports = LineReader(self.proc.stdout)
        deadline = time.time() + 15
        while time.time() < deadline:
            try:
                with urllib.request.urlopen(url, timeout=1) as reply:
                    if reply.status == 200:
                        return
            except OSError:
                time.sleep(0.1)
        sys.exit(f"the gallery server did not answer {url} within 15 s")

    def painted_after(self, since, timeout):
        """The page's stamp of its first picture painted, reported after position since of
        the reports (reports.mark()), or None."""
        found = self.reports.wait_for(r"^ping painted=(\d+)$", timeout, since)
        return int(found.group(1)) if found else None


def start_gallery(directory, port):
    """The gallery server's process alone (stop it with stop_tree)."""
    return Gallery(directory, port).proc


def bench_env(display, scratch):
    """The same environment for Pinmark and the programs it is compared with; the opener's
    launches go to scratch/launches.jsonl."""
    opener = RecordingOpener(scratch)
    return program_env(os.environ, Path(scratch) / "home", opener, DISPLAY=display,
                       QT_LOGGING_RULES="pinmark.timing.debug=true")


def scratch_dir(prefix):
    path = tempfile.mkdtemp(prefix=prefix)
    atexit.register(shutil.rmtree, path, True)
    return path


# ---- X helpers ---------------------------------------------------------------------------------


class Probe:
    """The X probe built beside the baseline (bench/probe/xprobe.cpp)."""

    def __init__(self, tools_dir, env):
        self.exe = str(Path(tools_dir) / "pinmark-bench-xprobe")
        self.env = env

    def start_map_wait(self, name, size=None, timeout=60.0):
        cmd = [self.exe, "map", "--name", name, "--timeout", str(int(timeout * 1000))]
        if size:
            cmd += ["--size", size]
        why = ""
        for _ in range(2):
            proc = spawn(cmd, env=self.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            reader = LineReader(proc.stdout)
            first = reader.wait_for(r"^(ready|already)", 15)
            if first and first.group(1) == "ready":
                return proc, reader
            if proc.poll() is not None:
                why = proc.stderr.read().decode(errors="replace").strip()
            stop_tree(proc)
            if first:
                sys.exit(f"a window named '{name}' is already on the display")
            time.sleep(0.5)
        sys.exit(f"the X probe did not start {why}")

    def run(self, args, timeout):
        try:
            out = subprocess.run([self.exe] + args, env=self.env, capture_output=True,
                                 timeout=timeout).stdout.decode("utf-8", "replace")
        except subprocess.TimeoutExpired:
            return ""
        return out

    def read_clipboard(self, repeat=1, timeout=5.0):
        """Round trips in ms and the length read, for a selection that is already owned."""
        out = self.run(["read", "--repeat", str(repeat), "--timeout", str(int(timeout * 1000))],
                       timeout * repeat + 5)
        return [(float(m.group(1)), int(m.group(2)))
                for m in re.finditer(r"^read (\S+) (\d+)$", out, re.M)]

    def click_and_read(self, window, points, stale=None, timeout=10.0):
        args = ["clip", "--window", str(window), "--timeout", str(int(timeout * 1000))]
        for x, y in points:
            args += ["--click", f"{x},{y}"]
        if stale is not None:
            args += ["--stale", stale]
        out = self.run(args, timeout + 10)
        m = re.search(r"^clip (\S+) (\S+) (\S+) (\d+) ?(.*)$", out, re.M)
        if not m:
            return None
        release, owned, read = (float(m.group(i)) for i in (1, 2, 3))
        return {"owner_ms": owned - release, "text_ms": read - release,
                "length": int(m.group(4)), "head": m.group(5)}


class Clipboard:
    """Another program's text on the clipboard: xclip, kept in the foreground so its id is ours."""

    def __init__(self, env):
        self.env = env
        self.owner = None

    def set(self, text=None, path=None):
        if self.owner:
            stop_tree(self.owner, grace=1)
        source = open(path, "rb") if path else subprocess.PIPE
        self.owner = spawn(["xclip", "-quiet", "-selection", "clipboard", "-i"], env=self.env,
                           stdin=source, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if path:
            source.close()
        else:
            self.owner.stdin.write(text.encode())
            self.owner.stdin.close()
            self.owner.stdin = None

    def silence(self, owner_program):
        """A program takes the clipboard and never answers for it, as a hung one would."""
        if self.owner:
            stop_tree(self.owner, grace=1)
        self.owner = spawn([str(owner_program)], env=self.env, stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL)
        # Read to the end, so that it never blocks on what it says about each request.
        LineReader(self.owner.stdout).wait_for(r"^ready", 5.0)

    def get(self, timeout=5.0):
        try:
            return subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=self.env,
                                  capture_output=True, timeout=timeout).stdout
        except subprocess.TimeoutExpired:
            return None

    def wait_owned(self, expected_len, probe, timeout=10.0):
        """Waits until the clipboard serves exactly expected_len bytes."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            got = probe.read_clipboard(1, timeout=max(0.5, deadline - time.time()))
            if got and got[0][1] == expected_len:
                return True
            time.sleep(0.02)
        return False

    def stop(self):
        if self.owner:
            stop_tree(self.owner, grace=1)
            self.owner = None


def xdotool(env, *args, timeout=10.0):
    try:
        return subprocess.run(["xdotool"] + [str(a) for a in args], env=env, capture_output=True,
                              timeout=timeout).stdout.decode("utf-8", "replace")
    except subprocess.TimeoutExpired:
        return ""


def click(env, window, x, y, button=1):
    xdotool(env, "mousemove", "--window", window, x, y, "click", button)


def visible_windows(env):
    """[(window id, pid, name, x, y, w, h)] of the viewable top-level windows."""
    out = []
    for wid in xdotool(env, "search", "--onlyvisible", "--name", ".").split():
        geo = xdotool(env, "getwindowgeometry", "--shell", wid)
        vals = dict(line.split("=", 1) for line in geo.splitlines() if "=" in line)
        if "WIDTH" not in vals:
            continue
        name = xdotool(env, "getwindowname", wid).strip()
        pid = xdotool(env, "getwindowpid", wid).strip()
        out.append((int(wid), int(pid) if pid.isdigit() else 0, name, int(vals["X"]),
                    int(vals["Y"]), int(vals["WIDTH"]), int(vals["HEIGHT"])))
    return out


# ---- the machine -------------------------------------------------------------------------------


def machine_line():
    cpu = "unknown CPU"
    try:
        for line in open("/proc/cpuinfo"):
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    mem_gb = 0.0
    try:
        for line in open("/proc/meminfo"):
            if line.startswith("MemTotal:"):
                mem_gb = int(line.split()[1]) / 1024 / 1024
    except OSError:
        pass

    def version(pkg):
        try:
            return subprocess.run(["dpkg-query", "-W", "-f=${Version}", pkg], capture_output=True,
                                  timeout=10).stdout.decode().split("+")[0].split("-")[0]
        except (OSError, subprocess.TimeoutExpired):
            return "?"

    return (f"{cpu}, {os.cpu_count()} cores, {mem_gb:.1f} GiB, Linux {os.uname().release}, "
            f"Qt {version('libqt6core6')}, Qt WebEngine {version('libqt6webenginecore6')}")


def source_line():
    """Which source was measured: the commit, and whether the work tree differs from it."""
    def git(*args):
        try:
            return subprocess.run(["git", "-C", str(ROOT), *args], capture_output=True,
                                  text=True, timeout=20).stdout.strip()
        except (OSError, subprocess.TimeoutExpired):
            return ""
    head = git("rev-parse", "--short", "HEAD") or "unknown"
    changed = [line for line in git("status", "--porcelain", "--untracked-files=no").splitlines()
               if line.strip()]
    return f"source: commit {head}" + (f" + {len(changed)} changed files" if changed else "")


def built_source(build_dir, just_built):
    """The source line of what the build folder holds: noted when it is built, read back when
    a run reuses it."""
    note = Path(build_dir) / "bench-source.txt"
    if just_built:
        note.write_text(source_line() + "\n")
    if not note.exists():
        return "source: not recorded (built outside bench/)"
    recorded = note.read_text().strip()
    # A build remade by hand since leaves the note behind: then only the tree's state now is
    # known, and the line says so.
    built = [p for p in Path(build_dir).glob("bin/*") if p.is_file()]
    if built and max(p.stat().st_mtime for p in built) > note.stat().st_mtime:
        then = recorded.removeprefix("source: ")
        now = source_line().removeprefix("source: ")
        return f"source: rebuilt outside bench/ after {then}; the tree is now at {now}"
    return recorded


def load_line():
    one, five, fifteen = os.getloadavg()
    return f"load average {one:.2f} {five:.2f} {fifteen:.2f}"
