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

Usage (from the project root, after a release build):
  python3 bench/tools/zorrun_bench.py [--zorrun build/tools/zorrun/ZorRun]
      [--gen bench/tools/gen_script.py] [--sizes 10000 100000] [--repeat 3]
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
    a = ap.parse_args()
    a.zorrun = os.path.abspath(a.zorrun)

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
