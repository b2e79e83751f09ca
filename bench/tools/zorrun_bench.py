#!/usr/bin/env python3
"""ZorRun on generated scripts: wall time per test and peak memory, with and
without --junit, with the scripts in worker processes (the default) and in
ZorRun's own process (--no-fork), the same build in the same run.

The workload is gen_script.py's (N 'zortst' records with 4 mixed fields each,
run by ZorRun's built-in echo test); --gen takes another generator with the
same arguments. The output file is removed before every run so that it starts
empty; the per-test lines go to /dev/null as a CI job's log would take them.
The runs of both modes alternate and the best of each counts, so that load
from elsewhere on the machine weighs on both alike. Peak memory is the largest
resident set of ZorRun and its workers.

Two more comparisons follow, each measured in the same run:
- jobs: 8 scripts of 12,500 tests, each writing its own output file, with
  --jobs 1 against --jobs 2; the figure is the throughput ratio (target 1.8).
- floor: the 100,000-test script in one job against the open-append-close
  floor, append_floor.cpp built here: one open with O_APPEND, one write of a
  record's size and one close per test (target at most 2 times the floor).

- pair: two independent ZorRun processes, each in its own folder with its own
  100,000-test script and output file, side by side against one alone; the
  figure is the wall-time ratio (target at most 1.15).
- shared: two ZorRun processes of 20,000 tests each writing one shared
  output file side by side; the figures are the whole blocks in the file
  (target 40,000), the tests that failed (target 0) and the text that is no
  whole block (target 0).

Usage (from the project root, after a release build):
  python3 bench/tools/zorrun_bench.py [--zorrun build/tools/zorrun/ZorRun]
      [--gen bench/tools/gen_script.py] [--sizes 10000 100000] [--repeat 3]
      [--only modes|jobs|floor|pair|shared]
"""

import argparse
import os
import subprocess
import sys
import tempfile
import time


GNU_TIME = "/usr/bin/time"


def peak_kib(pid):
    """The process's peak resident set so far, from /proc (0 once it is gone)."""
    try:
        with open("/proc/%d/status" % pid) as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def run_once(zorrun, folder, junit, in_process):
    """Runs ZorRun once in folder; returns (seconds, peak KiB, exit status).

    A child's own rusage would count the memory of this Python process, which
    the child shares until it executes ZorRun; GNU time (a small C program)
    reports ZorRun's peak alone. Without it, /proc is sampled instead."""
    out = os.path.join(folder, "zor_out.txt")
    if os.path.exists(out):
        os.remove(out)
    args = [zorrun, "cases.zor.txt"] + (["--junit", "junit.xml"] if junit else [])
    if in_process:
        args.append("--no-fork")
    peak_file = os.path.join(folder, "peak.txt")
    timed = os.access(GNU_TIME, os.X_OK)
    if timed:
        args = [GNU_TIME, "-f", "%M", "-o", peak_file] + args
    start = time.perf_counter()
    child = subprocess.Popen(args, cwd=folder, stdout=subprocess.DEVNULL)
    peak = 0
    while child.poll() is None:
        if not timed:
            peak = max(peak, peak_kib(child.pid))
        time.sleep(0.005)
    seconds = time.perf_counter() - start
    if timed:
        with open(peak_file) as f:
            peak = int(f.read().split()[-1])
    return seconds, peak, child.returncode


def generate(gen, n, fail_every, folder):
    args = [sys.executable, gen, str(n), "--out", folder]
    if fail_every:
        args += ["--fail-every", str(fail_every)]
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL)


def best_seconds(args, folder, outputs, repeat):
    """The best wall time of repeat runs, each with its output files removed."""
    best = None
    for _ in range(repeat):
        for out in outputs:
            if os.path.exists(os.path.join(folder, out)):
                os.remove(os.path.join(folder, out))
        start = time.perf_counter()
        subprocess.run(args, cwd=folder, stdout=subprocess.DEVNULL, check=False)
        seconds = time.perf_counter() - start
        best = seconds if best is None else min(best, seconds)
    return best


def jobs_bench(a, scripts=8, tests=12500):
    """8 scripts with an output file each, one job against two, alternating."""
    with tempfile.TemporaryDirectory(prefix="zorrun-jobs-") as folder:
        names = []
        for i in range(scripts):
            part = os.path.join(folder, "part%d" % i)
            subprocess.run([sys.executable, a.gen, str(tests), "--out", part, "--seed", str(i + 1)],
                           check=True, stdout=subprocess.DEVNULL)
            with open(os.path.join(part, "cases.zor.txt")) as f:
                text = f.read().replace('"zor_out.txt"', '"out%d.txt"' % i, 1)
            names.append("cases%d.zor.txt" % i)
            with open(os.path.join(folder, names[-1]), "w") as f:
                f.write(text)
        outputs = ["out%d.txt" % i for i in range(scripts)]
        best = {1: None, 2: None}
        for _ in range(a.repeat):
            for jobs in (1, 2):
                seconds = best_seconds([a.zorrun, "--jobs", str(jobs)] + names, folder, outputs, 1)
                best[jobs] = seconds if best[jobs] is None else min(best[jobs], seconds)
        total = scripts * tests
        print("jobs: %d scripts x %d tests: --jobs 1 %.3f s (%.3f us/test), --jobs 2 %.3f s "
              "(%.3f us/test), throughput %.2fx" % (
                  scripts, tests, best[1], best[1] * 1e6 / total, best[2],
                  best[2] * 1e6 / total, best[1] / best[2]))


def floor_bench(a, tests=100000):
    """One job on the 100,000-test script against open-append-close, alternating."""
    here = os.path.dirname(os.path.abspath(__file__))
    with tempfile.TemporaryDirectory(prefix="zorrun-floor-") as folder:
        floor = os.path.join(folder, "append_floor")
        subprocess.run(["c++", "-O2", "-o", floor, os.path.join(here, "append_floor.cpp")],
                       check=True)
        generate(a.gen, tests, 0, folder)
        block = max(1, os.path.getsize(os.path.join(folder, "cases.zor.txt")) // tests)
        best = {"zorrun": None, "floor": None}
        for _ in range(a.repeat):
            runs = (("zorrun", [a.zorrun, "cases.zor.txt"], "zor_out.txt"),
                    ("floor", [floor, "floor.txt", str(tests), str(block)], "floor.txt"))
            for name, args, out in runs:
                seconds = best_seconds(args, folder, [out], 1)
                best[name] = seconds if best[name] is None else min(best[name], seconds)
        print("floor: %d tests: ZorRun %.3f s (%.3f us/test), open-append-close of %d bytes "
              "%.3f s (%.3f us/test), ratio %.2fx" % (
                  tests, best["zorrun"], best["zorrun"] * 1e6 / tests, block, best["floor"],
                  best["floor"] * 1e6 / tests, best["zorrun"] / best["floor"]))


def side_by_side(commands, keep_output=False):
    """Starts every (args, folder) at once; the wall time until all have ended,
    their exit statuses and (with keep_output) what they printed."""
    start = time.perf_counter()
    sink = subprocess.PIPE if keep_output else subprocess.DEVNULL
    procs = [subprocess.Popen(args, cwd=folder, stdout=sink, stderr=sink, text=True)
             for args, folder in commands]
    ended = [(p.returncode, out or "") for p in procs for out, _ in [p.communicate()]]
    return time.perf_counter() - start, ended


def pair_bench(a, tests=100000):
    """One run alone against two unrelated runs at once, alternating."""
    with tempfile.TemporaryDirectory(prefix="zorrun-pair-") as root:
        folders = [os.path.join(root, name) for name in ("one", "two")]
        for folder in folders:
            generate(a.gen, tests, 0, folder)
        best = {"alone": None, "pair": None}
        for _ in range(a.repeat):
            for name, used in (("alone", folders[:1]), ("pair", folders)):
                for folder in folders:
                    out = os.path.join(folder, "zor_out.txt")
                    if os.path.exists(out):
                        os.remove(out)
                seconds, _ = side_by_side([([a.zorrun, "cases.zor.txt"], f) for f in used])
                best[name] = seconds if best[name] is None else min(best[name], seconds)
        print("pair: %d tests each: one alone %.3f s, two side by side %.3f s, ratio %.2fx" % (
            tests, best["alone"], best["pair"], best["pair"] / best["alone"]))


def whole_blocks(text):
    """The number of whole report blocks and the bytes that belong to none."""
    blocks, stray = 0, 0
    for part in text.split("\r\n\r\n"):
        part = part.strip("\n")
        if not part:
            continue
        lines = part.split("\r\n")
        if len(lines) >= 3 and lines[1] == "{" and lines[-1].startswith("}") and \
                all(not l.startswith("zortst") for l in lines[1:]):
            blocks += 1
        else:
            stray += len(part)
    return blocks, stray


def shared_bench(a, tests=20000):
    """Two runs writing one output file at once: every block whole, no failure."""
    with tempfile.TemporaryDirectory(prefix="zorrun-shared-") as folder:
        generate(a.gen, tests, 0, folder)
        with open(os.path.join(folder, "cases.zor.txt")) as f:
            text = f.read()
        with open(os.path.join(folder, "other.zor.txt"), "w") as f:
            f.write(text)
        seconds, ended = side_by_side([([a.zorrun, "--quiet", name], folder)
                                       for name in ("cases.zor.txt", "other.zor.txt")], True)
        with open(os.path.join(folder, "zor_out.txt"), newline="") as f:
            blocks, stray = whole_blocks(f.read())
        summaries = " | ".join(out.strip().splitlines()[-1] if out.strip() else "?"
                               for _, out in ended)
        print("shared: 2 x %d tests on one file in %.3f s: %d whole blocks, %d bytes outside "
              "blocks, exit %s (%s)" % (tests, seconds, blocks, stray,
                                         "/".join(str(code) for code, _ in ended), summaries))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.dirname(os.path.dirname(here))
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--zorrun", default=os.path.join(root, "build", "tools", "zorrun", "ZorRun"))
    ap.add_argument("--gen", default=os.path.join(here, "gen_script.py"))
    ap.add_argument("--sizes", type=int, nargs="+", default=[10000, 100000])
    ap.add_argument("--fail-every", type=int, default=0,
                    help="make every M-th test fail (their report blocks go into the JUnit file)")
    ap.add_argument("--repeat", type=int, default=3, help="runs per configuration; the best counts")
    ap.add_argument("--only", choices=("modes", "jobs", "floor", "pair", "shared"))
    a = ap.parse_args()
    a.zorrun = os.path.abspath(a.zorrun)
    if a.only in (None, "jobs"):
        jobs_bench(a)
    if a.only in (None, "floor"):
        floor_bench(a)
    if a.only in (None, "pair"):
        pair_bench(a)
    if a.only in (None, "shared"):
        shared_bench(a)
    if a.only not in (None, "modes"):
        return 0

    print("%8s %9s %6s %10s %10s %9s %5s" % ("tests", "mode", "junit", "us/test", "seconds",
                                               "peak MiB", "exit"))
    modes = (("workers", False), ("no-fork", True))
    for n in a.sizes:
        with tempfile.TemporaryDirectory(prefix="zorrun-bench-") as folder:
            generate(a.gen, n, a.fail_every, folder)
            for junit in (False, True):
                runs = {mode: [] for mode, _ in modes}
                for _ in range(a.repeat):
                    for mode, in_process in modes:
                        runs[mode].append(run_once(a.zorrun, folder, junit, in_process))
                best = {}
                for mode, _ in modes:
                    best[mode] = min(r[0] for r in runs[mode])
                    peak = max(r[1] for r in runs[mode])
                    print("%8d %9s %6s %10.3f %10.3f %9.1f %5d" % (
                        n, mode, "yes" if junit else "no", best[mode] * 1e6 / max(n, 1),
                        best[mode], peak / 1024.0, runs[mode][-1][2]))
                print("%8d %9s %6s %+9.1f%%" % (n, "workers", "vs", 100.0 * (best["workers"] /
                                                best["no-fork"] - 1.0)))
                sys.stdout.flush()
    return 0


if __name__ == "__main__":
    sys.exit(main())
