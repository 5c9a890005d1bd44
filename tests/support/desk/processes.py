"""The process tables under /proc: who descends from whom, their memory, and stopping them.

A process is named by its id together with its start time, so that a stop never reaches a
process that was given a recycled id."""

import ctypes
import os
import signal
import subprocess
import time
from typing import NamedTuple

PR_SET_CHILD_SUBREAPER = 36


class Proc(NamedTuple):
    ppid: int
    state: str
    start: str  # clock ticks since boot, as /proc writes it
    name: str  # the kernel's name (15 characters at most)


def _read_stat(pid):
    with open(f"/proc/{pid}/stat", "rb") as f:
        raw = f.read().decode("utf-8", "replace")
    # The name may hold spaces and parentheses: it ends at the last ')'.
    name = raw[raw.find("(") + 1 : raw.rfind(")")]
    fields = raw[raw.rfind(")") + 2 :].split()
    return Proc(int(fields[1]), fields[0], fields[19], name)


def table():
    """{pid: Proc} of every process we can see, zombies included."""
    found = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                found[int(entry)] = _read_stat(entry)
            except (OSError, IndexError, ValueError):
                pass
    return found


def _dead(proc):
    return proc.state in ("Z", "X")


def descendants(pid, procs=None):
    """Living (not zombie) descendants of pid: {pid: Proc}."""
    procs = procs if procs is not None else table()
    children = {}
    for p, proc in procs.items():
        children.setdefault(proc.ppid, []).append(p)
    found, todo = {}, list(children.get(pid, []))
    while todo:
        p = todo.pop()
        if not _dead(procs[p]):
            found[p] = procs[p]
        todo.extend(children.get(p, []))
    return found


def engine_processes(pid, procs=None):
    """The web engine's processes below pid: {pid: Proc}."""
    return {p: proc for p, proc in descendants(pid, procs).items()
            if proc.name.startswith("QtWebEngine")}


def renderers(pid):
    """The page renderers below pid: engine processes whose parent is one too (the zygote,
    whose command line they keep)."""
    engine = engine_processes(pid)
    return [p for p, proc in engine.items() if proc.ppid in engine]


def alive(pid, start=None):
    """True while pid is a living process (and, given start, still the same one)."""
    try:
        proc = _read_stat(pid)
    except (OSError, IndexError, ValueError):
        return False
    return not _dead(proc) and (start is None or proc.start == start)


def _rollup_kb(pid, field):
    """One field of /proc/PID/smaps_rollup in kB (0 once the process is gone)."""
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def pss_kb(pid):
    """Proportional set size of one process in kB (0 once it is gone)."""
    return _rollup_kb(pid, "Pss")


def anonymous_kb(pid):
    """A process's anonymous memory (its heaps and stacks) in kB; 0 once it is gone. Unlike
    PSS it moves neither when other programs map the same libraries nor when the kernel drops
    and reads back file pages only this process maps."""
    return _rollup_kb(pid, "Anonymous")


def tree_pss_kb(pid):
    """Proportional set size of a process and all its descendants, in kB."""
    return pss_kb(pid) + sum(pss_kb(p) for p in descendants(pid))


def become_subreaper():
    """Processes our children leave behind are re-parented to us instead of init, so they can
    still be found (and stopped) as our descendants."""
    try:
        ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
    except OSError:
        pass


def service_subreaper():
    """preexec_fn for the desktop's own processes (bus, window manager, compositor): what they
    start and leave stays below them instead of coming up among the program's leftovers."""
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)


def reap_orphans(known):
    """As subreaper we inherit orphans; collects the ones that died (not those in known, which
    their Popen objects wait for)."""
    for pid, proc in table().items():
        if proc.ppid == os.getpid() and proc.state == "Z" and pid not in known:
            try:
                os.waitpid(pid, os.WNOHANG)
            except ChildProcessError:
                pass


def _signal(pid, start, signum):
    if alive(pid, start):
        try:
            os.kill(pid, signum)
        except OSError:
            pass


def stop_processes(procs, grace=0.0):
    """Stops each process of {pid: Proc} that is still the same process: SIGTERM and up to
    grace seconds to end, then SIGKILL (at once when grace is 0)."""
    if grace > 0:
        for pid, proc in procs.items():
            _signal(pid, proc.start, signal.SIGTERM)
        deadline = time.monotonic() + grace
        while time.monotonic() < deadline and any(alive(p, x.start) for p, x in procs.items()):
            time.sleep(0.05)
    for pid, proc in procs.items():
        _signal(pid, proc.start, signal.SIGKILL)


def stop_popen(proc, grace=3.0):
    """Ends a process we started: SIGTERM, then SIGKILL after grace seconds."""
    if proc is None or proc.poll() is not None:
        return
    proc.terminate()
    try:
        proc.wait(grace)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait(grace)


def stop_tree(proc, grace=5.0):
    """Stops a process we started and whatever it started, each by its own id, and closes
    the pipes we hold to it."""
    if proc.poll() is None:
        kids = descendants(proc.pid)
        stop_popen(proc, grace)
        stop_processes(kids, grace=3.0)
    for stream in (proc.stdin, proc.stdout, proc.stderr):
        if stream:
            try:
                stream.close()
            except OSError:
                pass
