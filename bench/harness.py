"""What bench/run and bench/soak share: building, a private X server and gallery server,
the program's environment, process trees and their memory, and stopping what was started.

Everything started here is stopped here, by process id; every wait has a deadline."""

import atexit
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
BENCH = ROOT / "bench"
PORT = 18741
GALLERY_URL = f"http://127.0.0.1:{PORT}/fmm/fe/moq.htm"
LOOPBACK_OPTIONS = [
    f"-DPINMARK_GALLERY_URL={GALLERY_URL}",
    f"-DPINMARK_LINK_TARGET_URL=http://127.0.0.1:{PORT}/",
    f"-DPINMARK_PORTAL_URL=http://127.0.0.1:{PORT}",
    "-DPINMARK_PUBLISHER_HOST=127.0.0.1",
    "-DPINMARK_BUILD_TESTS=OFF",
]
IS_ROOT = os.geteuid() == 0

# Window-relative places of the main window's controls (top left corner, size).
CONTROLS = {
    "swrd2": (18, 33, 129, 34),
    "swrhc22": (148, 33, 129, 34),
    "swrh22": (278, 33, 129, 34),
    "swrfrc22": (408, 33, 129, 34),
    "swrfr22": (537, 33, 129, 34),
    "swrur": (278, 105, 129, 34),
    "xx": (8, 101, 50, 41),
    "min": (56, 101, 50, 41),
    "aboutimg": (104, 101, 50, 41),
    "mwqa": (536, 101, 136, 42),
    "Text2": (18, 80, 649, 21),
    "WebBrowser1": (5, 144, 673, 353),
}
CODE_BUTTONS = ["swrd2", "swrfr22", "swrfrc22", "swrh22", "swrhc22"]


def centre(name):
    x, y, w, h = CONTROLS[name]
    return x + w // 2, y + h // 2


def log(*parts):
    print(*parts, file=sys.stderr, flush=True)


def now_ms():
    return time.time() * 1000.0


# ---- processes ---------------------------------------------------------------------------------

_started = []  # Popen objects, in start order


def spawn(cmd, **kwargs):
    proc = subprocess.Popen(cmd, **kwargs)
    _started.append(proc)
    return proc


def process_table():
    """pid -> (ppid, comm) for every process we may read."""
    table = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat", "rb") as f:
                stat = f.read().decode("utf-8", "replace")
        except OSError:
            continue
        # comm may hold spaces and parentheses: it ends at the last ')'.
        close = stat.rfind(")")
        comm = stat[stat.find("(") + 1 : close]
        fields = stat[close + 2 :].split()
        if fields[0] == "Z":
            continue
        table[int(entry)] = (int(fields[1]), comm)
    return table


def descendants(pid, table=None):
    table = table if table is not None else process_table()
    children = {}
    for child, (parent, _) in table.items():
        children.setdefault(parent, []).append(child)
    out, todo = [], list(children.get(pid, []))
    while todo:
        p = todo.pop()
        out.append(p)
        todo.extend(children.get(p, []))
    return out


def webengine_descendants(pid):
    table = process_table()
    return [p for p in descendants(pid, table) if table[p][1].startswith("QtWebEngine")]


def alive(pid):
    try:
        with open(f"/proc/{pid}/stat", "rb") as f:
            stat = f.read().decode("utf-8", "replace")
    except OSError:
        return False
    return stat[stat.rfind(")") + 2 :].split()[0] != "Z"


def pss_kb(pid):
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                if line.startswith("Pss:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def tree_pss_kb(pid):
    """Proportional set size of a process and all its descendants, in kB."""
    return sum(pss_kb(p) for p in [pid] + descendants(pid))


def stop_pids(pids, grace=3.0):
    for p in pids:
        if alive(p):
            try:
                os.kill(p, signal.SIGTERM)
            except ProcessLookupError:
                pass
    deadline = time.time() + grace
    while time.time() < deadline and any(alive(p) for p in pids):
        time.sleep(0.05)
    for p in pids:
        if alive(p):
            try:
                os.kill(p, signal.SIGKILL)
            except ProcessLookupError:
                pass


def stop_tree(proc, grace=5.0):
    """Stops a started process and whatever it started, each by its own id."""
    if proc.poll() is None:
        kids = descendants(proc.pid)
        proc.terminate()
        try:
            proc.wait(grace)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(5)
        stop_pids(kids)
    for stream in (proc.stdin, proc.stdout, proc.stderr):
        if stream:
            try:
                stream.close()
            except OSError:
                pass


def stop_all():
    while _started:
        stop_tree(_started.pop())


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

    def wait_for(self, pattern, timeout):
        """The first match of pattern among the lines, or None at the deadline or end of file."""
        regex = re.compile(pattern)
        deadline = time.time() + timeout
        with self._cond:
            seen = 0
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


def build_pinmark(build_dir, extra_options):
    build_dir = Path(build_dir)
    build_dir.mkdir(parents=True, exist_ok=True)
    logfile = build_dir / "bench-build.log"
    logfile.write_text("")
    run_step(["cmake", "-S", ROOT, "-B", build_dir, "-G", "Ninja"] + LOOPBACK_OPTIONS
             + extra_options, logfile)
    run_step(["cmake", "--build", build_dir, "-j2", "--target", "pinmark"], logfile)
    return build_dir / "app" / "pinmark"


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


def start_xvfb(size="1280x1024x24"):
    read_end, write_end = os.pipe()
    spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", size, "-nolisten", "tcp"],
          pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    data = b""
    deadline = time.time() + 15
    while not data.endswith(b"\n"):
        left = deadline - time.time()
        if left <= 0 or not select.select([read_end], [], [], left)[0]:
            sys.exit("Xvfb did not report a display within 15 s")
        chunk = os.read(read_end, 64)
        if not chunk:
            sys.exit("Xvfb ended before it reported a display")
        data += chunk
    os.close(read_end)
    return ":" + data.decode().strip()


def gallery_dir(explicit=None):
    if explicit:
        return Path(explicit)
    demo = ROOT / "demo"
    if (demo / "fmm" / "fe" / "moq.htm").is_file():
        return demo
    return BENCH / "fixtures"


def start_gallery(directory):
    try:
        urllib.request.urlopen(f"http://127.0.0.1:{PORT}/", timeout=1)
        sys.exit(f"port {PORT} on 127.0.0.1 is already served by another program; "
                 "the bench build needs it for its gallery")
    except OSError:
        pass
    server = spawn([sys.executable, "-m", "http.server", str(PORT), "--bind", "127.0.0.1",
                    "--directory", str(directory)],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.time() + 15
    while time.time() < deadline:
        try:
            with urllib.request.urlopen(GALLERY_URL, timeout=1) as reply:
                if reply.status == 200:
                    return server
        except OSError:
            time.sleep(0.1)
    sys.exit(f"the gallery server did not answer {GALLERY_URL} within 15 s")


def renderer_descendants(pid):
    """The page renderers below pid: engine processes whose parent is one too (the zygote)."""
    table = process_table()
    engine = {p for p in descendants(pid, table) if table[p][1].startswith("QtWebEngine")}
    return [p for p in engine if table[p][0] in engine]


def program_env(display, scratch):
    """The same environment for Pinmark and the baseline."""
    env = {k: v for k, v in os.environ.items()
           if k not in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "SESSION_MANAGER")}
    home = Path(scratch) / "home"
    runtime = Path(scratch) / "runtime"
    bin_dir = Path(scratch) / "bin"
    for d in (home, runtime, bin_dir):
        d.mkdir(parents=True, exist_ok=True)
    runtime.chmod(0o700)
    # Launches go to a recorder, never to a real browser.
    opener = bin_dir / "xdg-open"
    opener.write_text('#!/bin/sh\nprintf "%s\\n" "$*" >> "$(dirname "$0")/launches.log"\n')
    opener.chmod(0o755)
    env.update({
        "DISPLAY": display,
        "QT_QPA_PLATFORM": "xcb",
        "HOME": str(home),
        "XDG_RUNTIME_DIR": str(runtime),
        "PATH": f"{bin_dir}:{env.get('PATH', '/usr/bin:/bin')}",
        "QTWEBENGINE_CHROMIUM_FLAGS": "--disable-gpu",
        "QT_LOGGING_RULES": "pinmark.timing.debug=true",
    })
    if IS_ROOT:
        env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
    return env


def offline_prefix():
    """A network namespace with nothing but a loopback that is down."""
    if not shutil.which("unshare"):
        sys.exit("unshare (util-linux) is needed for the offline start")
    return ["unshare", "-n", "--"] if IS_ROOT else ["unshare", "-r", "-n", "--"]


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
    if note.exists():
        return note.read_text().strip()
    return "source: not recorded (built outside bench/)"


def load_line():
    one, five, fifteen = os.getloadavg()
    return f"load average {one:.2f} {five:.2f} {fifteen:.2f}"
