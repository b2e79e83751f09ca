#!/usr/bin/env python3
"""Runs one suite of small scripts that pass, fail, crash, hang, exit, throw,
break the grammar, call an unknown function and share an output file, three
ways: with ZorRun alone, with two jobs, and through a real ZorServer. Each run
writes every report; the console, the JUnit file, the JSON file and the report
page as headless Chromium shows it must count alike and give every test that
started the same outcome. Without Chromium the page's counts are read from its
markup, as a browser without JavaScript shows them.

usage: reports_agree.py ZORRUN ZORSERVER TEST_MODULE WORK_FOLDER
"""
import json
import os
import re
import shutil
import subprocess
import sys
import time
import xml.etree.ElementTree as ElementTree

sys.dont_write_bytecode = True  # the source folder stays clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from report_page_test import Browser, Dom  # noqa: E402

PASS = 'zortst { a = 1 verify: a == 1 }\n'
FAIL = 'zortst { b = 1 verify: b == 2 }\n'

# Each script with the outcome of each test a local run starts, in order; the
# tests after a crash, a time-out or an exit are not run.
SCRIPTS = {
    "pass.zor.txt": ('resultfile "pass_out.txt"\n' + PASS + PASS, ["passed", "passed"]),
    "fail.zor.txt": ('resultfile "fail_out.txt"\n' + PASS + FAIL, ["passed", "failed"]),
    "crash.zor.txt": ('resultfile "crash_out.txt"\n' + PASS + "crash { }\n" + PASS + FAIL,
                      ["passed", "error"]),
    "hang.zor.txt": ('resultfile "hang_out.txt"\n' + PASS + "sleepLong { }\n" + PASS + PASS,
                     ["passed", "error"]),
    "exit.zor.txt": ('resultfile "exit_out.txt"\n' + PASS + "exitZero { }\n" + FAIL + PASS,
                     ["passed", "error"]),
    "throw.zor.txt": ('resultfile "throw_out.txt"\nthrows { }\n' + PASS, ["error", "passed"]),
    "syntax.zor.txt": ('resultfile "syntax_out.txt"\n' + PASS + "zortst { a = }\n" + PASS,
                       ["passed"]),
    "unknown.zor.txt": ('resultfile "unknown_out.txt"\nnoSuchFunction { a = 1 }\n' + PASS,
                        [None, "passed"]),  # failed or error, as long as every report agrees
    "shared1.zor.txt": ('resultfile "shared_out.txt"\n' + PASS, ["passed"]),
    "shared2.zor.txt": ('resultfile "shared_out.txt"\n' + FAIL, ["failed"]),
}
NOT_RUN = {"crash.zor.txt": ("crash", 2), "hang.zor.txt": ("time-out", 2),
           "exit.zor.txt": ("exit", 2)}
ERROR_REASONS = {"crash": "test function crashed: SIGSEGV", "throws": "test function threw: no session",
                 "sleepLong": "timed out after 1 s", "exitZero": "script ended early"}
# A run on the server is bounded as a whole, not per test.
SERVER_RUN_TIMEOUT = "1"

TEST_LINE = re.compile(r"^(\S+)(?: (-?\d+))?(?: \((.*):(\d+)\))?: (ok|FAIL|ERROR)(?: (.*))?$")
NOT_RUN_LINE = re.compile(r"^    (\d+) tests? not run after the (crash|time-out|exit)$")
SUMMARY = re.compile(r"^tests: (\d+), passed: (\d+), failed: (\d+), errors: (\d+), "
                     r"not run: (\d+), scripts with errors: (\d+)$")
OUTCOMES = {"ok": "passed", "FAIL": "failed", "ERROR": "error"}
TOTALS = ("tests", "passed", "failed", "errors", "notRun", "scriptsWithErrors")

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL: " + what)
    return condition


class Report:
    """What one report says: the totals, and each script's tests as (name, outcome)."""

    def __init__(self, kind):
        self.kind = kind
        self.totals = {}
        self.tests = {}


def read_console(out):
    report = Report("console")
    script = None
    for line in out.splitlines():
        if line.startswith("== "):
            script = line[3:]
            report.tests.setdefault(script, [])
        elif (match := TEST_LINE.match(line)) and script is not None:
            report.tests[script].append((match.group(1), OUTCOMES[match.group(5)]))
        elif match := SUMMARY.match(line):
            report.totals = dict(zip(TOTALS, map(int, match.groups())))
    return report


def not_run_lines(out):
    """Each script's not-run line, as (count, cause)."""
    lines, script = {}, None
    for line in out.splitlines():
        if line.startswith("== "):
            script = line[3:]
        elif match := NOT_RUN_LINE.match(line):
            lines[script] = (int(match.group(1)), match.group(2))
    return lines


def read_json(path):
    report = Report("JSON")
    with open(path, encoding="utf-8") as file:
        data = json.load(file)
    report.totals = data.get("totals", {})
    report.exit_status = data.get("exitStatus")
    report.not_run = {s["path"]: s.get("notRun") for s in data["scripts"]}
    report.script_errors = sum(len(s["errors"]) for s in data["scripts"])
    for script in data["scripts"]:
        report.tests[script["path"]] = [(t["name"], t["verdict"]) for t in script["tests"]]
    counted = [verdict for tests in report.tests.values() for _, verdict in tests]
    report.counted = {"passed": counted.count("passed"), "failed": counted.count("failed"),
                      "errors": counted.count("error"),
                      "notRun": sum(n or 0 for n in report.not_run.values())}
    return report


def is_script_error(case):
    return case.get("name") == "script error"


def read_junit(path):
    report = Report("JUnit")
    root = ElementTree.parse(path).getroot()
    report.root = {name: int(root.get(name, "-1")) for name in ("tests", "failures", "errors", "skipped")}
    cases = root.findall("testsuite/testcase")
    report.categories = {
        "passed": sum(1 for c in cases if len(c) == 0 or all(e.tag == "system-out" for e in c)),
        "failed": sum(1 for c in cases if c.find("failure") is not None),
        "errors": sum(1 for c in cases if c.find("error") is not None and not is_script_error(c)),
        "notRun": sum(1 for c in cases if c.find("skipped") is not None),
        "scriptErrors": sum(1 for c in cases if is_script_error(c)),
        "all": len(cases),
    }
    for suite in root.findall("testsuite"):
        tests = report.tests.setdefault(suite.get("name"), [])
        for case in suite.findall("testcase"):
            if is_script_error(case) or case.find("skipped") is not None:
                continue
            outcome = ("failed" if case.find("failure") is not None else
                       "error" if case.find("error") is not None else "passed")
            tests.append((case.get("name").split(" ")[0], outcome))
    return report


def page_counts(dom):
    """The number in each count box of the page's summary, by the box's word."""
    counts = {}
    for box in dom.all("div", "count"):
        number = [c for c in box.children if "n" in c.classes()]
        if number:
            word = box.text().replace(number[0].text(), "", 1).strip()
            counts[word] = int(number[0].text().replace(",", ""))
    return counts


def read_page(browser, path, scripts):
    report = Report("HTML")
    if browser:
        dom = Dom(browser.dump(path))
    else:
        with open(path, encoding="utf-8") as page:
            dom = Dom(page.read())
    counts = page_counts(dom)
    report.totals = {"tests": counts.get("tests"), "passed": counts.get("passed"), "failed": counts.get("failed"),
                     "errors": counts.get("errors", counts.get("error")), "notRun": counts.get("not run")}
    if not browser:
        return report
    for script, table in zip(scripts, dom.all("table", "tests")):
        tests = report.tests.setdefault(script, [])
        for body in (c for c in table.children if c.tag == "tbody"):
            for row in (c for c in body.children if c.tag == "tr"):
                cells = [c for c in row.children if c.tag == "td"]
                verdict = cells[4].text().strip() if len(cells) > 4 else ""
                if verdict in ("passed", "failed", "error"):
                    tests.append(((cells[1].parts or [""])[0], verdict))
    return report


def run_zorrun(zorrun, folder, options, scripts):
    for name in ("report.xml", "report.json", "report.html"):
        if os.path.exists(os.path.join(folder, name)):
            os.remove(os.path.join(folder, name))
    command = [zorrun] + options + ["--junit", "report.xml", "--json", "report.json",
                                    "--html", "report.html"] + scripts
    return subprocess.run(command, cwd=folder, capture_output=True, text=True, timeout=120)


def check_run(where, result, folder, scripts, browser):
    """The reports of one run agree with each other; returns the console's report."""
    console = read_console(result.stdout)
    check(result.returncode == 2, "%s: ZorRun exits %d, not 2: %s" % (where, result.returncode, result.stderr))
    totals = console.totals
    if not check(totals, "%s: no summary line of the form %r in %r" % (where, SUMMARY.pattern, result.stdout)):
        return console
    check(totals["tests"] == totals["passed"] + totals["failed"] + totals["errors"],
          "%s: the summary's tests are not passed + failed + errors: %r" % (where, totals))
    counted = [outcome for tests in console.tests.values() for _, outcome in tests]
    check([counted.count("passed"), counted.count("failed"), counted.count("error")] ==
          [totals["passed"], totals["failed"], totals["errors"]],
          "%s: the console's test lines do not add up to its summary %r" % (where, totals))
    check(sum(n for n, _ in not_run_lines(result.stdout).values()) == totals["notRun"],
          "%s: the not-run lines do not add up to the summary's %d" % (where, totals["notRun"]))

    data = read_json(os.path.join(folder, "report.json"))
    check(data.totals == totals, "%s: JSON totals %r, the console %r" % (where, data.totals, totals))
    check(data.exit_status == result.returncode,
          "%s: JSON exitStatus %r, ZorRun exited %d" % (where, data.exit_status, result.returncode))
    check(all(data.counted[k] == totals[k] for k in data.counted),
          "%s: JSON's tests and notRun add up to %r, its totals say %r" % (where, data.counted, totals))

    junit = read_junit(os.path.join(folder, "report.xml"))
    categories = junit.categories
    check([categories[k] for k in ("passed", "failed", "errors", "notRun")] ==
          [totals[k] for k in ("passed", "failed", "errors", "notRun")],
          "%s: JUnit's testcases %r, the console %r" % (where, categories, totals))
    check(categories["scriptErrors"] == data.script_errors,
          "%s: %d script error testcases in JUnit, %d script errors in JSON" %
          (where, categories["scriptErrors"], data.script_errors))
    check(junit.root == {"tests": categories["all"], "failures": categories["failed"],
                         "errors": categories["errors"] + categories["scriptErrors"],
                         "skipped": categories["notRun"]},
          "%s: <testsuites> says %r of testcases %r" % (where, junit.root, categories))

    page = read_page(browser, os.path.join(folder, "report.html"), scripts)
    check(page.totals == {k: totals[k] for k in ("tests", "passed", "failed", "errors", "notRun")},
          "%s: the page shows %r, the console %r" % (where, page.totals, totals))

    for script in scripts:
        story = console.tests.get(script)
        for other in (data, junit) + ((page,) if browser else ()):
            check(other.tests.get(script) == story, "%s: %s: the console says %r, %s %r" %
                  (where, script, story, other.kind, other.tests.get(script)))
    return console


def check_local_story(where, result, console):
    """A local run gives each test the outcome it has, and says why one erred."""
    for script, (_, outcomes) in SCRIPTS.items():
        told = [outcome for _, outcome in console.tests.get(script, [])]
        check(len(told) == len(outcomes) and
              all(want is None or want == got for want, got in zip(outcomes, told)),
              "%s: %s: outcomes %r, expected %r" % (where, script, told, outcomes))
    lines = not_run_lines(result.stdout)
    for script, (cause, count) in NOT_RUN.items():
        check(lines.get(script) == (count, cause),
              "%s: %s: not-run line %r, expected %d after the %s" % (where, script, lines.get(script), count, cause))
    for line in result.stdout.splitlines():
        match = TEST_LINE.match(line)
        if match and match.group(1) in ERROR_REASONS:
            check(match.group(5) == "ERROR" and (match.group(6) or "").startswith(ERROR_REASONS[match.group(1)]),
                  "%s: %r does not say ERROR %s" % (where, line, ERROR_REASONS[match.group(1)]))


class Server:
    """ZorServer in a folder of its own, on the port it picks; what it says
    goes to a file beside that folder."""

    def __init__(self, program, module, folder):
        os.makedirs(folder, exist_ok=True)
        self.log = folder + ".log"
        with open(self.log, "w") as log:
            self.process = subprocess.Popen(
                [program, "--port", "0", "--load", module, "--run-timeout", SERVER_RUN_TIMEOUT],
                cwd=folder, stdout=log, stderr=subprocess.STDOUT)
        self.port = None
        deadline = time.monotonic() + 10
        while self.port is None and self.process.poll() is None and time.monotonic() < deadline:
            time.sleep(0.05)
            with open(self.log) as log:
                if match := re.search(r"viewers enter port (\d+)", log.read()):
                    self.port = int(match.group(1))
        if self.port is None:
            self.stop()
            with open(self.log) as log:
                raise RuntimeError("ZorServer did not start: " + log.read())

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()


def write_suite(folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, (text, _) in SCRIPTS.items():
        with open(os.path.join(folder, name), "w") as script:
            script.write(text)


def main():
    zorrun, zorserver, module, work = (os.path.abspath(a) for a in sys.argv[1:5])
    program = os.environ.get("ZOR_CHROMIUM") or shutil.which("chromium") or shutil.which("chromium-browser")
    if not program:
        print("chromium is not installed: the page's counts are read from its markup")
    os.makedirs(work, exist_ok=True)
    browser = Browser(program, work) if program else None
    scripts = list(SCRIPTS)
    local = ["--load", module, "--timeout", "1"]
    try:
        stories = {}
        for where, options in (("local", local), ("two jobs", local + ["-j", "2"])):
            folder = os.path.join(work, where.replace(" ", "-"))
            write_suite(folder)
            result = run_zorrun(zorrun, folder, options, scripts)
            console = check_run(where, result, folder, scripts, browser)
            check_local_story(where, result, console)
            stories[where] = (console.totals, console.tests)
        check(stories["local"] == stories["two jobs"],
              "two jobs tell another story than one: %r against %r" % (stories["two jobs"], stories["local"]))

        folder = os.path.join(work, "remote")
        write_suite(folder)
        server = Server(zorserver, module, os.path.join(work, "server"))
        try:
            result = run_zorrun(zorrun, folder, ["--remote", "localhost:%d" % server.port], scripts)
        finally:
            server.stop()
        console = check_run("remote", result, folder, scripts, browser)
        for script in ("pass.zor.txt", "fail.zor.txt", "throw.zor.txt", "shared1.zor.txt", "shared2.zor.txt"):
            check(console.tests.get(script) == stories["local"][1].get(script),
                  "remote: %s: %r, a local run says %r" % (script, console.tests.get(script),
                                                          stories["local"][1].get(script)))
        for script, name in (("crash.zor.txt", "crash"), ("exit.zor.txt", "exitZero")):
            check((name, "error") in console.tests.get(script, []),
                  "remote: %s: no error for %s in %r" % (script, name, console.tests.get(script)))
    finally:
        if browser:
            shutil.rmtree(browser.profile, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
