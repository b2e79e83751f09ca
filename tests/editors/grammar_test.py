#!/usr/bin/env python3
"""Checks the highlighting files against annotated scripts. Annotations are
line comments under the line they describe:
    // ^^^ scope another.scope    the marked columns carry these scopes
    // <--- scope                 the first columns, one per "-"
A scope matches its own name and any longer name that extends it by dots.

--textmate TOOL GRAMMAR.json SCRIPT...: the TextMate grammar through
vscode-tmgrammar-test, which reads these annotations (exit 77 without it).
--vim NVIM EDITORS_DIR SCRIPT...: the Vim syntax file through a headless
Neovim (exit 77 without it): each annotation's most specific scope that has a
Vim group must be among the groups at its columns.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

ANNOTATION = re.compile(r"^\s*//\s*(\^+|<-+)\s+(\S.*?)\s*$")


def matches(wanted, have):
    return any(h == wanted or h.startswith(wanted + ".") for h in have)


def read_annotations(path):
    """The script's lines (annotations left out, with the raw line number of
    each) and its checks: (annotation line, index of its line, columns, scopes)."""
    with open(path, encoding="utf-8", newline="") as f:
        raw = f.read().split("\n")
    lines, numbers, checks = [], [], []
    for number, text in enumerate(raw, 1):
        text = text.rstrip("\r")
        m = ANNOTATION.match(text) if lines else None
        if m and not text.lstrip().startswith("// SYNTAX TEST"):
            marks, wanted = m.group(1), m.group(2).split()
            if marks.startswith("<"):
                cols = range(0, len(marks) - 1)
            else:
                first = text.index(marks)
                cols = range(first, first + len(marks))
            checks.append((number, len(lines) - 1, cols, wanted))
        else:
            lines.append(text)
            numbers.append(number)
    return lines, numbers, checks


# The Vim group that stands for a scope; scopes without one are not checked there.
VIM_GROUPS = [
    ("keyword.other", "zorStatement"), ("storage.modifier.extern", "zorExtern"),
    ("keyword.control.verify", "zorVerify"), ("entity.name.function", "zorRecordName"),
    ("keyword.operator", "zorOperator"), ("constant.numeric.integer", "zorNumber"),
    ("constant.numeric.float", "zorFloat"), ("constant.numeric.hex", "zorHex"),
    ("invalid.illegal.number", "zorBadNumber"), ("invalid.illegal.string", "zorBadString"),
    ("invalid.illegal.character", "zorBadChar|zorStray"), ("string.quoted", "zorString"),
    ("comment.block", "zorBlockComment"), ("comment.line", "zorLineComment"),
    ("variable.other.readwrite", "zorVariable"),
]


def vim_group(wanted):
    for scope in reversed(wanted):
        for prefix, group in VIM_GROUPS:
            if matches(prefix, [scope]):
                return group
    return None


def vim_dump(nvim, editors, path):
    """Per raw line, the syntax groups of each column, and the file type."""
    lua = os.path.join(os.path.dirname(os.path.abspath(__file__)), "vim_syntax_dump.lua")
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "dump.txt")
        env = dict(os.environ, ZOR_SYNTAX_OUT=out)
        subprocess.run([nvim, "--headless", "-u", "NONE", "-i", "NONE",
                        "--cmd", "set rtp^=" + editors, "-c", "filetype on", "-c", "syntax on",
                        "-c", "edit " + path, "-c", "luafile " + lua],
                       env=env, stdin=subprocess.DEVNULL, timeout=60, check=True)
        with open(out, encoding="utf-8") as f:
            rows = f.read().split("\n")
    return rows[0], [[c.split(",") for c in r.split(" ")] for r in rows[1:]]


def check_vim(nvim, editors, path):
    lines, numbers, checks = read_annotations(path)
    filetype, rows = vim_dump(nvim, editors, os.path.abspath(path))
    failures = [] if filetype == "zor" else [f"{path}: file type {filetype!r}, not 'zor'"]
    count = 0
    for number, target, cols, wanted in checks:
        group = vim_group(wanted)
        if group is None:
            continue
        count += 1
        row = rows[numbers[target] - 1]
        for col in cols:
            have = row[col] if col < len(row) else []
            if not set(group.split("|")) & set(have):
                failures.append(f"{path}:{number}: column {col + 1} of "
                                f"{lines[target]!r}: wanted {group}, has {have}")
    return count, failures


def check_textmate(tool, grammar, scripts):
    """VS Code's own tokenizer, through the npm package vscode-tmgrammar-test,
    reads the same annotations."""
    if not os.access(tool, os.X_OK):
        print(f"SKIP: no vscode-tmgrammar-test at {tool} (scripts/setup.sh installs it with npm)")
        return 77
    return subprocess.run([tool, "--grammar", grammar, *scripts], timeout=120).returncode


def main():
    args = sys.argv[1:]
    if args[:1] == ["--textmate"] and len(args) >= 4:
        return check_textmate(args[1], args[2], args[3:])
    if args[:1] != ["--vim"] or len(args) < 4:
        print(__doc__)
        return 2
    nvim = shutil.which(args[1])
    if not nvim:
        print(f"SKIP: no Neovim ({args[1]}) to check the Vim syntax file with")
        return 77
    failures = []
    count = 0
    for path in args[3:]:
        n, f = check_vim(nvim, args[2], path)
        count += n
        failures += f
    for f in failures:
        print("FAIL", f)
    print(f"{count} annotations in {len(args) - 3} scripts, {len(failures)} failures")
    return 1 if failures or count == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
