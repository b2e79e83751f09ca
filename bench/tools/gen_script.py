#!/usr/bin/env python3
"""Writes the benchmark's script: cases.zor.txt with N records named 'zortst'
(ZorRun's echo test), each with 4 fields whose types go int, double, string,
int, and the same values expected after 'verify:' (about 125 bytes a record).

With --fail-every M, every M-th test expects a first value one greater, so it
fails and its report block goes into a JUnit file.

Usage: python3 gen_script.py N [--out DIR] [--fail-every M] [--seed S]
"""

import argparse
import os
import random
import string
import sys

LETTERS = string.ascii_letters
ALNUM = string.ascii_letters + string.digits


def value(rng, field):
    kind = field % 3
    if kind == 0:
        return str(rng.randint(-2147483647, 2147483647) if rng.random() < 0.25
                   else rng.randint(-99999, 99999))
    if kind == 1:
        # eighths print exactly, always with a point
        return repr(rng.randint(-8000000, 8000000) / 8.0)
    return '"' + rng.choice(LETTERS) + "".join(rng.choice(ALNUM) for _ in range(rng.randint(2, 7))) + '"'


def failing(text):
    if text.startswith('"'):
        return text[:-1] + 'x"'
    if "." in text:
        return repr(float(text) + 1.0)
    number = int(text)
    return str(number + 1 if number < 2147483647 else number - 1)


def main():
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("n", type=int)
    ap.add_argument("--out", default=".")
    ap.add_argument("--fail-every", type=int, default=0)
    ap.add_argument("--seed", type=int, default=1)
    a = ap.parse_args()
    rng = random.Random(a.seed)
    os.makedirs(a.out, exist_ok=True)
    with open(os.path.join(a.out, "cases.zor.txt"), "w", newline="\n") as script:
        script.write('resultfile "zor_out.txt"\n')
        for i in range(a.n):
            values = [value(rng, field) for field in range(4)]
            expected = list(values)
            if a.fail_every and (i + 1) % a.fail_every == 0:
                expected[0] = failing(expected[0])
            script.write("zortst { " + " ".join("f%d = %s" % f for f in enumerate(values))
                         + " verify: " + " ".join("f%d == %s" % f for f in enumerate(expected))
                         + " }\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
