#!/usr/bin/env python3
"""ZorLsp in Emacs: batch Emacs set up with the README's Emacs snippet, as a
user copies it into init.el, opens a script with an error and writes what
flymake shows (emacs_lsp_client.el), which must be ZorRun's own error.

Usage: emacs_lsp_test.py --emacs EMACS --zorlsp=PATH --zorrun PATH --readme README.md
Exits 77 (skipped) when Emacs, eglot or ZorLsp is missing.
"""
import os
import subprocess
import sys

import editor_session


def main():
    args, emacs = editor_session.arguments("emacs")
    has_eglot = [emacs, "--batch", "--eval", "(progn (package-activate-all) (require 'eglot))"]
    if subprocess.run(has_eglot, capture_output=True, timeout=30).returncode != 0:
        editor_session.skip("Emacs has no eglot (built in from Emacs 29; scripts/setup.sh "
                            "installs elpa-eglot)")
    # An interactive Emacs activates the installed packages (eglot on Emacs 28)
    # before it reads init.el; batch Emacs leaves that to us.
    command = [emacs, "--batch", "--eval", "(package-activate-all)", "-l", "init.el",
               "-l", os.path.join(editor_session.HERE, "emacs_lsp_client.el")]
    return editor_session.check(
        args, "init.el", editor_session.readme_snippet(args.readme, "Emacs", "elisp"), command,
        lambda line, column, text: "%d:%d: eglot-error: zor: %s" % (line, column - 1, text))


if __name__ == "__main__":
    sys.exit(main())
