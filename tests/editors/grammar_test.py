#!/usr/bin/env python3
"""Checks the TextMate grammar without npm: its regexes compile, its includes
resolve, and a small tokenizer (one line at a time, as editors do) gives the
scopes that the annotated scripts ask for. Annotations are line comments
under the line they describe, and are not tokenized themselves:
    // ^^^ scope another.scope    the marked columns carry these scopes
    // <--- scope                 the first columns, one per "-"
A scope matches its own name and any longer name that extends it by dots.

With --vim NVIM SYNTAX_DIR, the same annotations check the Vim syntax file
through a headless Neovim (exit 77 without it): each annotation's most
specific scope that has a Vim group must be among the groups at its columns.

Usage: grammar_test.py [--vim NVIM EDITORS_DIR] GRAMMAR.json SCRIPT...
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

ANNOTATION = re.compile(r"^\s*//\s*(\^+|<-+)\s+(\S.*?)\s*$")


class Grammar:
    def __init__(self, path):
        with open(path, encoding="utf-8") as f:
            self.data = json.load(f)
        self.scope = self.data["scopeName"]
        self.errors = []
        self.cache = {}
        self.root = {"patterns": self.data["patterns"]}
        self.check(self.root, "patterns")
        for name, rule in self.data.get("repository", {}).items():
            self.check(rule, "#" + name)

    def regex(self, text, where):
        if text not in self.cache:
            try:
                self.cache[text] = re.compile(text)
            except re.error as e:
                self.errors.append(f"{where}: {e}: {text}")
                self.cache[text] = re.compile(r"(?!)")
        return self.cache[text]

    def check(self, rule, where):
        for key in ("match", "begin", "end"):
            if key in rule:
                self.regex(rule[key], f"{where}.{key}")
        if "begin" in rule and "end" not in rule:
            self.errors.append(f"{where}: begin without end")
        inc = rule.get("include")
        if inc and inc not in ("$self", "$base") and not inc.startswith("#"):
            self.errors.append(f"{where}: include of another grammar: {inc}")
        if inc and inc.startswith("#") and inc[1:] not in self.data.get("repository", {}):
            self.errors.append(f"{where}: unknown include {inc}")
        for i, sub in enumerate(rule.get("patterns", [])):
            self.check(sub, f"{where}.patterns[{i}]")

    def flatten(self, patterns, seen=None):
        """The match and begin rules a list of patterns stands for, in order."""
        seen = seen if seen is not None else set()
        out = []
        for p in patterns:
            inc = p.get("include")
            if inc is None:
                if "match" in p or "begin" in p:
                    out.append(p)
                else:
                    out.extend(self.flatten(p.get("patterns", []), seen))
                continue
            if inc in seen:
                continue
            target = self.root if inc in ("$self", "$base") else self.data["repository"][inc[1:]]
            out.extend(self.flatten([target], seen | {inc}))
        return out


def scope_name(name, match):
    return re.sub(r"\$(\d+)", lambda m: match.group(int(m.group(1))) or "", name)


def paint(scopes, match, captures):
    """Gives each captured group its scope on top of what its span has."""
    for key in sorted(captures, key=int):
        group = int(key)
        if group > (match.re.groups if group else 0) or match.start(group) < 0:
            continue
        name = captures[key].get("name")
        if not name:
            continue
        for i in range(match.start(group), match.end(group)):
            scopes[i] = scopes[i] + [scope_name(name, match)]


def tokenize(grammar, lines):
    """Returns, per line, the list of scopes of each column."""
    stack = [(grammar.root, [grammar.scope])]
    result = []
    for line in lines:
        scopes = [None] * len(line)
        pos = 0
        while True:
            rule, base = stack[-1]
            candidates = []
            if "end" in rule:
                candidates.append(("end", rule, grammar.regex(rule["end"], "end")))
            for p in grammar.flatten(rule.get("patterns", [])):
                key = "match" if "match" in p else "begin"
                candidates.append((key, p, grammar.regex(p[key], key)))
            best = None
            for kind, p, rx in candidates:
                m = rx.search(line, pos)
                if m and (best is None or m.start() < best[2].start()):
                    best = (kind, p, m)
            if best is None:
                for i in range(pos, len(line)):
                    scopes[i] = list(base)
                break
            kind, p, m = best  # for an end, p is the rule that began
            for i in range(pos, m.start()):
                scopes[i] = list(base)
            span = base + ([scope_name(p["name"], m)] if kind != "end" and "name" in p else [])
            for i in range(m.start(), m.end()):
                scopes[i] = list(span)
            own = {"end": "endCaptures", "begin": "beginCaptures"}.get(kind, "captures")
            paint(scopes, m, p.get(own, p.get("captures", {})))
            if kind == "end":
                stack.pop()
            elif kind == "begin":
                stack.append((p, span + ([p["contentName"]] if "contentName" in p else [])))
            if m.end() == m.start() and kind == "match":
                if m.end() >= len(line):
                    break
                scopes[m.end()] = list(stack[-1][1])
                pos = m.end() + 1
            else:
                pos = m.end()
            if kind == "begin" and len(stack) > 200:
                raise RuntimeError("begin rules nest without end")
        result.append(scopes)
    return result


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


def check_script(grammar, path):
    lines, _, checks = read_annotations(path)
    tokens = tokenize(grammar, lines)
    failures = []
    for number, target, cols, wanted in checks:
        for col in cols:
            have = tokens[target][col] if col < len(tokens[target]) else None
            missing = [w for w in wanted if have is None or not matches(w, have)]
            if missing:
                failures.append(f"{path}:{number}: column {col + 1} of "
                                f"{lines[target]!r}: wanted {missing}, has {have}")
    return len(checks), failures


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


def main():
    args = sys.argv[1:]
    vim = None
    if args[:1] == ["--vim"]:
        vim, args = args[1:3], args[3:]
    if len(args) < 2:
        print(__doc__)
        return 2
    grammar = Grammar(args[0])
    failures = list(grammar.errors)
    count = 0
    if vim:
        nvim = shutil.which(vim[0])
        if not nvim:
            print(f"SKIP: no Neovim ({vim[0]}) to check the Vim syntax file with")
            return 77
    for path in args[1:]:
        n, f = check_vim(nvim, vim[1], path) if vim else check_script(grammar, path)
        count += n
        failures += f
    for f in failures:
        print("FAIL", f)
    print(f"{count} annotations in {len(args) - 1} scripts, {len(failures)} failures")
    return 1 if failures or count == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
