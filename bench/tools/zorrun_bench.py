#!/usr/bin/env python3
"""ZorRun on generated scripts: wall time per test and peak memory, with and
without --junit.

The workload is gen.py's (N 'zortst' records with 4 mixed fields each, run by
ZorRun's built-in echo test). Every configuration runs in a fresh folder so that
the report file starts empty; the per-test lines go to /dev/null as a CI job's
log would take them. Peak memory is the child's own maximum resident set.

Usage (from the project root, after a release build):
  python3 bench/tools/zorrun_bench.py [--zorrun build/tools/zorrun/ZorRun]
      [--gen ../shared/bench/gen.py] [--sizes 10000 100000] [--repeat 3]
"""

import argparse
import os
import subprocess
import sys
import tempfile
import time


def run_once(zorrun, folder, junit):
    """Runs ZorRun once in folder; returns (seconds, peak KiB, exit status)."""
    out = os.path.join(folder, "zor_out.txt")
    if os.path.exists(out):
        os.remove(out)
    args = [zorrun, "cases.zor.txt"] + (["--junit", "junit.xml"] if junit else [])
    start = time.perf_counter()
    child = subprocess.Popen(args, cwd=folder, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    seconds = time.perf_counter() - start
    return seconds, usage.ru_maxrss, os.waitstatus_to_exitcode(status)


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
    ap.add_argument("--gen", default=os.path.join(root, "..", "shared", "bench", "gen.py"))
    ap.add_argument("--sizes", type=int, nargs="+", default=[10000, 100000])
    ap.add_argument("--fail-every", type=int, default=0,
                    help="make every M-th test fail (their report blocks go into the JUnit file)")
    ap.add_argument("--repeat", type=int, default=3, help="runs per configuration; the best counts")
    a = ap.parse_args()

    print("%8s %7s %12s %12s %10s %6s" % ("tests", "junit", "us/test", "seconds", "peak MiB", "exit"))
    for n in a.sizes:
        with tempfile.TemporaryDirectory(prefix="zorrun-bench-") as folder:
            generate(a.gen, n, a.fail_every, folder)
            for junit in (False, True):
                runs = [run_once(a.zorrun, folder, junit) for _ in range(a.repeat)]
                seconds = min(r[0] for r in runs)
                peak = max(r[1] for r in runs)
                print("%8d %7s %12.2f %12.3f %10.1f %6d" % (n, "yes" if junit else "no",
                      seconds * 1e6 / max(n, 1), seconds, peak / 1024.0, runs[-1][2]))
                sys.stdout.flush()
    return 0


if __name__ == "__main__":
    sys.exit(main())
