"""The soak's bookkeeping: what was done, which windows came and went, every run of the program
and its memory, the sanitizers' reports, and the closing report with its verdict."""

import re
import statistics
import time

import harness as H

SANITIZER_FINDING = re.compile(
    r"ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:|UndefinedBehaviorSanitizer")


def suppressions_used(report):
    """{pattern: (leaks, bytes)} from LeakSanitizer's "Suppressions used" table."""
    used = {}
    if "Suppressions used:" in report:
        block = report.split("Suppressions used:", 1)[1]
        for m in re.finditer(r"^\s*(\d+)\s+(\d+)\s+(\S+)\s*$", block, re.M):
            leaks, size = used.get(m.group(3), (0, 0))
            used[m.group(3)] = (leaks + int(m.group(1)), size + int(m.group(2)))
    return used


def new_run(proc, err, **more):
    """The record of one run of the program: its process, its stderr reader, when it started,
    and (filled in as it goes) how and why it ended."""
    return {"proc": proc, "err": err, "start": time.time(), "status": None, "cause": None,
            **more}


class Book:
    def __init__(self):
        self.counts = {}
        self.windows_seen = {}  # kind: [opened, closed]
        self.open_windows = {}  # id: kind
        self.most_open = {}  # kind: the most windows of that kind seen open at once
        self.runs = []  # online runs: also pss samples, window, children, left_behind, end
        self.offline_runs = []  # also the web engine processes seen below it

    def count(self, what):
        self.counts[what] = self.counts.get(what, 0) + 1

    def windows_now(self, current):
        """Notes the program's other windows now open ({id: kind}): which opened, which closed."""
        for wid, kind in current.items():
            if wid not in self.open_windows:
                self.windows_seen.setdefault(kind, [0, 0])[0] += 1
        for wid, kind in self.open_windows.items():
            if wid not in current:
                self.windows_seen.setdefault(kind, [0, 0])[1] += 1
        self.open_windows = current
        for kind in set(current.values()):
            n = sum(1 for k in current.values() if k == kind)
            self.most_open[kind] = max(self.most_open.get(kind, 0), n)

    def sample_memory(self, run):
        """PSS of the run's tree and of its main process, the main process's anonymous memory,
        and who its children are."""
        if run["proc"].poll() is None:
            pid = run["proc"].pid
            run["pss"].append((time.time() - run["start"], H.tree_pss_kb(pid), H.pss_kb(pid),
                               H.anonymous_kb(pid)))
            run["children"] = H.descendants(pid)

    # ---- the report ------------------------------------------------------------------------------

    def sanitizer_findings(self, sanitizer_dir):
        """Findings in the program's own processes, in child processes, and the leak
        suppressions the program's processes used."""
        ours = {r["proc"].pid for r in self.runs + self.offline_runs}
        findings, child_findings, used = [], [], {}
        for f in sorted(sanitizer_dir.iterdir()):
            text = f.read_text(errors="replace")
            pid = int(f.suffix[1:]) if f.suffix[1:].isdigit() else 0
            if pid in ours:
                for pattern, (n, size) in suppressions_used(text).items():
                    leaks, total = used.get(pattern, (0, 0))
                    used[pattern] = (leaks + n, total + size)
            if SANITIZER_FINDING.search(text):
                (findings if pid in ours else child_findings).append((f.name, text))
        for run in self.runs + self.offline_runs:
            text = run["err"].text()
            if SANITIZER_FINDING.search(text) and not any(
                    name.endswith(f".{run['proc'].pid}") for name, _ in findings):
                findings.append((f"stderr of pid {run['proc'].pid}", text[-4000:]))
        return findings, child_findings, used

    @staticmethod
    def growth(run, column):
        """Mean PSS (MiB) of the first and the last 10 s of a run, and its length in s."""
        samples = run["pss"]
        if not samples or samples[-1][0] < 25:
            return None
        first = [x[column] for x in samples if x[0] <= samples[0][0] + 10]
        last = [x[column] for x in samples if x[0] >= samples[-1][0] - 10]
        return statistics.mean(first) / 1024, statistics.mean(last) / 1024, samples[-1][0]

    def report(self, heading, launches, sanitizer_dir, logs, baseline_proof):
        """The report's lines, and whether the soak passed. heading: the machine, the source
        and what the soak was (its action count is added to the last)."""
        findings, child_findings, used = self.sanitizer_findings(sanitizer_dir)
        crashes = [r for r in self.runs + self.offline_runs
                   if r["status"] is None or r["status"] != 0]
        final = self.runs[-1]
        longest = max(self.runs, key=lambda r: r.get("end", time.time()) - r["start"])

        lines = heading[:-1] + [f"{heading[-1]}, {sum(self.counts.values())} actions"]
        for what, n in sorted(self.counts.items()):
            lines.append(f"  {n:5}  {what}")
        lines.append("windows opened / closed by the program: " + ", ".join(
            f"{k} {o}/{c}" for k, (o, c) in sorted(self.windows_seen.items())))
        lines.append("most open at once: " + ", ".join(
            f"{k} {n}" for k, n in sorted(self.most_open.items())))
        # However fast the right presses come, one publisher box at a time.
        piled = self.most_open.get("message box 'velmora'", 0) > 1
        if piled:
            lines.append("  more than one publisher box was open at once!")
        lines.append(f"addresses handed to the (recording) system browser: {launches}")
        lines.append(f"crashes (non-zero exit or signal): {len(crashes)}"
                     + "".join(f"\n  pid {r['proc'].pid}: status {r['status']} ({r['cause']})"
                               for r in crashes))
        if baseline_proof is None:
            lines.append("sanitizers: none in this build")
        else:
            lines += self.sanitizer_lines(findings, child_findings, used, logs, baseline_proof)
        lines.append(f"restarts of the main run: {len(self.runs) - 1}" + "".join(
            f"\n  run {i + 1}: {r['cause']}, status {r['status']}"
            for i, r in enumerate(self.runs[:-1])))
        lines.append(f"offline runs: {len(self.offline_runs)}" + "".join(
            f"\n  {r['cause']}: status {r['status']}, web engine processes {len(r['engines'])}"
            for r in self.offline_runs))
        for label, run in (("final run", final),) + ((("longest run", longest),)
                                                     if longest is not final else ()):
            lines += self.memory_lines(label, run)
        lines.append(f"after clicking xx: exit status {final['status']}, "
                     f"child processes left {len(final.get('left_behind', []))}")
        ok = (not crashes and not findings and not piled and final["status"] == 0
              and not final.get("left_behind")
              and all(not r["engines"] for r in self.offline_runs))
        return lines, ok

    @staticmethod
    def sanitizer_lines(findings, child_findings, used, logs, baseline_proof):
        lines = []
        lines.append(f"sanitizer findings in Pinmark's processes: {len(findings)}"
                     + "".join(f"\n  --- {name}\n{text[:3000]}" for name, text in findings))
        if child_findings:
            lines.append(f"sanitizer reports of web engine child processes (not instrumented, "
                         f"runtime inherited): {len(child_findings)}: "
                         + ", ".join(name for name, _ in child_findings))

        def table(used_map):
            return ", ".join(f"{p} {n} leaks/{b} bytes" for p, (n, b) in sorted(used_map.items())
                             ) or "none"

        proof = baseline_proof
        lines.append("baseline (no Pinmark code) under the same runtime: new-delete-type-mismatch "
                     "in ~WebContentsAdapter " + ("reproduced, so that check is off for the soak"
                                                  if proof["mismatch"] else
                                                  "not reproduced, so that check stays on"))
        lines.append("leak suppressions used by the baseline: " + table(proof["suppressed"])
                     + ("; with leaks left over!" if proof["unsuppressed"] else ""))
        lines.append("leak suppressions used by Pinmark: " + table(used))
        beyond = sorted(set(used) - set(proof["suppressed"]))
        if beyond:
            lines.append("  suppressions only Pinmark needed (look at them): " + ", ".join(beyond))
        lines.append(f"sanitizer logs: {logs}")
        return lines

    def memory_lines(self, label, run):
        tree, main = self.growth(run, 1), self.growth(run, 2)
        if not tree:
            return [f"memory ({label}): too short to compare"]
        lines = [f"memory ({label}, {tree[2]:.0f} s): PSS of the tree {tree[0]:.1f} MiB in the "
                 f"first 10 s, {tree[1]:.1f} MiB in the last 10 s, growth "
                 f"{tree[1] - tree[0]:+.1f} MiB; of which the main process "
                 f"{main[0]:.1f} -> {main[1]:.1f} MiB ({main[1] - main[0]:+.1f})"]
        minutes = {}
        for t, tree_kb, main_kb, own_kb in run["pss"]:
            minutes.setdefault(int(t // 60), []).append((tree_kb, main_kb, own_kb))
        own = self.growth(run, 3)
        for column, what, last in ((2, "PSS", main[1]), (3, "anonymous memory", own[1])):
            after_first = [x[column] for x in run["pss"] if 60 <= x[0] < 70]
            if after_first and tree[2] >= 120:
                first = statistics.mean(after_first) / 1024
                lines.append(f"  main process after the first minute, {what}: {first:.1f} MiB "
                             f"at 60-70 s, {last:.1f} MiB in the last 10 s ({last - first:+.1f})")
        if len(minutes) > 2:
            lines.append("  mean per minute, PSS of the tree / PSS of the main process / its "
                         "anonymous memory (MiB): " + ", ".join(
                             "/".join(f"{statistics.mean(x[i] for x in v) / 1024:.0f}"
                                      for i in range(3))
                             for _, v in sorted(minutes.items())))
        return lines
