#!/usr/bin/env python3
"""ZorLsp in a real editor: a headless Neovim with the Lua session of
nvim_lsp_client.lua, then a check of what it received against what ZorRun
itself says about the same scripts (error text, line and column; the failed
entry's text), so the editor shows the library's words byte for byte.

Usage: nvim_lsp_test.py --nvim NVIM --zorlsp=PATH --zorrun PATH --readme README
Exits 77 (skipped) when Neovim or ZorLsp is missing.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

import editor_session

HERE = editor_session.HERE
SCRIPTS = os.path.join(HERE, "nvim")


def zorrun_says(zorrun, name):
    """ZorRun's own lines for one script, run in a folder of its own."""
    with tempfile.TemporaryDirectory() as tmp:
        shutil.copy(os.path.join(SCRIPTS, name), tmp)
        done = subprocess.run([zorrun, "--color", "never", name], cwd=tmp, timeout=60,
                              capture_output=True, text=True)
    return (done.stdout + done.stderr).splitlines()


def run_session(nvim, zorlsp, zorrun, work, out):
    for name in os.listdir(SCRIPTS):
        shutil.copy(os.path.join(SCRIPTS, name), work)
    shutil.copy(editor_session.BROKEN, work)
    env = dict(os.environ, ZOR_LSP=zorlsp, ZOR_RUN=zorrun, ZOR_WORK=work, ZOR_OUT=out,
               PATH=os.path.dirname(zorrun) + os.pathsep + os.environ.get("PATH", ""))
    subprocess.run([nvim, "--headless", "-u", "NONE", "-i", "NONE", "-n",
                    "-c", "luafile " + os.path.join(HERE, "nvim_lsp_client.lua")],
                   cwd=work, env=env, stdin=subprocess.DEVNULL, timeout=240, check=True)
    with open(out, encoding="utf-8") as f:
        return {entry["step"]: entry["value"] for entry in map(json.loads, f.read().splitlines())}


def symbols_flat(result):
    """(name, start line) of every symbol, nested ones too, in either answer form."""
    out = []
    for s in result if isinstance(result, list) else []:
        where = s.get("range") or s.get("location", {}).get("range", {})
        out.append((s.get("name", ""), where.get("start", {}).get("line")))
        out += symbols_flat(s.get("children", []))
    return out


def hover_text(answer):
    contents = (answer or {}).get("result") or {}
    contents = contents.get("contents", "") if isinstance(contents, dict) else ""
    items = contents if isinstance(contents, list) else [contents]
    return "\n".join(i if isinstance(i, str) else i.get("value", "") for i in items)


def check(got, zorrun):
    problems = []

    def expect(ok, what):
        if not ok:
            problems.append(what)

    expect("lua-error" not in got, f"the session failed: {got.get('lua-error')}")

    # The parse error where ZorRun places it, in its words.
    line, column, text = editor_session.zorrun_error(zorrun)
    line, column = line - 1, column - 1
    broken = got.get("broken") or []
    expect(any(d["message"] == text and d["range"]["start"] == {"line": line, "character": column}
               and d.get("severity") == 1 for d in broken),
           f"no error diagnostic {text!r} at {line}:{column}, got {broken}")

    expect(got.get("verdict-open") in (None, []),
           f"a script with no error has diagnostics before any run: {got.get('verdict-open')}")

    symbols = symbols_flat((got.get("symbols") or {}).get("result"))
    for line in (1, 2):
        expect(any("zortst" in name and at == line for name, at in symbols),
               f"no zortst symbol on line {line}, got {symbols}")

    expect("zortst" in hover_text(got.get("hover")), f"hover without the record: {got.get('hover')}")

    run = got.get("run") or {}
    expect(not run.get("error"), f"zor.runTest failed: {run}")

    # The failed entry in ZorRun's words, on the record's verify: or entry line.
    said = [l.strip() for l in zorrun_says(zorrun, "verdict.zor.txt") if l.strip().startswith("expected")]
    verdicts = got.get("verdicts") or []
    expect(said and any(d["message"] == said[0] and d["range"]["start"]["line"] in (4, 5)
                        for d in verdicts),
           f"no verdict diagnostic {said} on lines 4-5, got {verdicts}")
    expect(not any(d["range"]["start"]["line"] == 1 for d in verdicts),
           f"the passing test has a diagnostic: {verdicts}")
    expect("fail" in hover_text(got.get("hover-after-run")).lower(),
           f"hover after the run without the verdict: {got.get('hover-after-run')}")
    return problems


def main():
    args, nvim = editor_session.arguments("nvim")
    zorrun = os.path.abspath(args.zorrun)
    with tempfile.TemporaryDirectory() as work:
        out = os.path.join(work, "received.jsonl")
        got = run_session(nvim, os.path.abspath(args.zorlsp), zorrun, work, out)
        problems = check(got, zorrun)
        if problems:
            print("Neovim received:")
            for step, value in got.items():
                print(f"  {step}: {json.dumps(value)}")
    for p in problems:
        print("FAIL", p)
    print(f"{len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
