#!/usr/bin/env python3
"""ZorLsp in Neovim: a headless Neovim set up with the README's init.lua for
its version opens a script with an error and writes what it shows
(nvim_lsp_client.lua), which must be ZorRun's own error.

Usage: nvim_lsp_test.py --nvim NVIM --zorlsp=PATH --zorrun PATH --readme README.md
Exits 77 (skipped) when Neovim or ZorLsp is missing.
"""
import os
import re
import subprocess
import sys

import editor_session


def main():
    args, nvim = editor_session.arguments("nvim")
    version = subprocess.run([nvim, "--version"], capture_output=True, text=True, timeout=30)
    newer = tuple(map(int, re.search(r"v(\d+)\.(\d+)", version.stdout).groups())) >= (0, 8)
    snippet = editor_session.readme_snippet(args.readme, "Neovim", "lua", 0 if newer else 1)
    source = os.path.dirname(os.path.abspath(args.readme))
    command = [nvim, "--headless", "-u", "init.lua", "-i", "NONE", "-n",
               "-c", "luafile " + os.path.join(editor_session.HERE, "nvim_lsp_client.lua")]
    return editor_session.check(
        args, "init.lua", snippet.replace("/path/to/zor", source), command,
        lambda line, column, text: "%d:%d: ERROR: %s" % (line, column - 1, text))


if __name__ == "__main__":
    sys.exit(main())
