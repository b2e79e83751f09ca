#!/usr/bin/env python3
"""ZorLsp in Emacs: batch Emacs set up with the README's Emacs snippet, as a
user copies it into init.el, opens a script with an error and writes what
flymake shows (emacs_lsp_client.el); the test compares that with what ZorRun
itself says about the same script.

Usage: emacs_lsp_test.py --emacs EMACS --zorlsp=PATH --zorrun PATH --readme README.md
Exits 77 (skipped) when Emacs, eglot or ZorLsp is missing.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "nvim", "broken.zor.txt")


def readme_snippet(readme):
    """The elisp block of the README's Emacs paragraph."""
    with open(readme, encoding="utf-8") as f:
        text = f.read()
    found = re.search(r"\*\*Emacs\*\*.*?```elisp\n(.*?)```", text, re.S)
    if not found:
        raise SystemExit("FAIL: the README has no Emacs snippet")
    return found.group(1)


def expected(zorrun, work):
    """ZorRun's error for the script, as flymake shows it through eglot."""
    done = subprocess.run([zorrun, "--color", "never", "broken.zor.txt"], cwd=work, timeout=30,
                          capture_output=True, text=True)
    for line in (done.stdout + done.stderr).splitlines():
        error = re.match(r"broken\.zor\.txt:(\d+):(\d+): (.*)", line)
        if error:
            return ["%s:%d: eglot-error: zor: %s" % (error[1], int(error[2]) - 1, error[3])]
    raise SystemExit("FAIL: ZorRun reports no error for broken.zor.txt")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--emacs", default="emacs")
    parser.add_argument("--zorlsp", default="")
    parser.add_argument("--zorrun", required=True)
    parser.add_argument("--readme", required=True)
    args = parser.parse_args()
    emacs = shutil.which(args.emacs)
    if not emacs:
        print(f"SKIP: Emacs ({args.emacs}) is not installed (scripts/setup.sh installs emacs-nox)")
        return 77
    if not args.zorlsp or not os.access(args.zorlsp, os.X_OK):
        print(f"SKIP: ZorLsp is not built ({args.zorlsp or 'no target'})")
        return 77
    has_eglot = [emacs, "--batch", "--eval", "(progn (package-activate-all) (require 'eglot))"]
    if subprocess.run(has_eglot, capture_output=True, timeout=30).returncode != 0:
        print("SKIP: Emacs has no eglot (built in from Emacs 29; scripts/setup.sh installs elpa-eglot)")
        return 77
    with tempfile.TemporaryDirectory() as work:
        shutil.copy(SCRIPT, work)
        init = os.path.join(work, "init.el")
        with open(init, "w", encoding="utf-8") as f:
            f.write(readme_snippet(args.readme))
        out = os.path.join(work, "received.txt")
        # The snippet starts "ZorLsp" from the PATH, as a user's would.
        env = dict(os.environ, ZOR_WORK=work, ZOR_OUT=out,
                   PATH=os.path.dirname(os.path.abspath(args.zorlsp)) + os.pathsep + os.environ["PATH"])
        # An interactive Emacs activates the installed packages (eglot on
        # Emacs 28) before it reads init.el; batch Emacs leaves that to us.
        session = subprocess.run([emacs, "--batch", "--eval", "(package-activate-all)",
                                  "-l", init, "-l", os.path.join(HERE, "emacs_lsp_client.el")],
                                 cwd=work, env=env, stdin=subprocess.DEVNULL, timeout=60,
                                 capture_output=True, text=True)
        received = open(out, encoding="utf-8").read().splitlines() if os.path.exists(out) else []
        wanted = expected(os.path.abspath(args.zorrun), work)
    if session.returncode == 0 and received == wanted:
        print("Emacs showed:", *received, sep="\n  ")
        return 0
    print(f"FAIL: Emacs ended with status {session.returncode} and showed {received}, not {wanted}")
    print(session.stdout + session.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
