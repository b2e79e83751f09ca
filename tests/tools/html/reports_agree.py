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
import pwd
import re
import shutil
import subprocess
import sys
import time
import xml.etree.ElementTree as ElementTree

sys.dont_write_bytecode = True  # the source folder stays clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from report_page_test import Browser, Dom, check, failures, rows_of  # noqa: E402

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
NOT_RUN = {"crash.zor.txt": (2, "crash"), "hang.zor.txt": (2, "time-out"), "exit.zor.txt": (2, "exit")}
ERROR_REASONS = {"crash": "test function crashed: SIGSEGV", "throws": "test function threw: no session",
                 "sleepLong": "timed out after 1 s", "exitZero": "script ended early"}

TEST_LINE = re.compile(r"^(\S+)(?: (-?\d+))?(?: \((.*):(\d+)\))?: (ok|FAIL|ERROR)(?: (.*))?$")
NOT_RUN_LINE = re.compile(r"^    (\d+) tests? not run after the (crash|time-out|exit)$")
SUMMARY = re.compile(r"^tests: (\d+), passed: (\d+), failed: (\d+), errors: (\d+), "
                     r"not run: (\d+), scripts with errors: (\d+)$")
OUTCOMES = {"ok": "passed", "FAIL": "failed", "ERROR": "error"}
TOTALS = ("tests", "passed", "failed", "errors", "notRun", "scriptsWithErrors")
COUNTED = ("passed", "failed", "errors", "notRun")


def read_text(path):
    with open(path, encoding="utf-8") as file:
        return file.read()


def tally(stories, not_run):
    """What a report's tests add up to, as its totals name them."""
    told = [outcome for tests in stories.values() for _, outcome in tests]
    return {"passed": told.count("passed"), "failed": told.count("failed"),
            "errors": told.count("error"), "notRun": not_run}


def read_console(out):
    """The summary, each script's tests as (name, outcome), and its not-run line."""
    totals, stories, not_run, script = {}, {}, {}, None
    for line in out.splitlines():
        if line.startswith("== "):
            script = line[3:]
            stories.setdefault(script, [])
        elif (match := TEST_LINE.match(line)) and script is not None:
            stories[script].append((match.group(1), OUTCOMES[match.group(5)]))
        elif match := NOT_RUN_LINE.match(line):
            not_run[script] = (int(match.group(1)), match.group(2))
        elif match := SUMMARY.match(line):
            totals = dict(zip(TOTALS, map(int, match.groups())))
    return totals, stories, not_run


def read_json(path):
    with open(path, encoding="utf-8") as file:
        data = json.load(file)
    stories = {s["path"]: [(t["name"], t["verdict"]) for t in s["tests"]] for s in data["scripts"]}
    counted = tally(stories, sum(s.get("notRun") or 0 for s in data["scripts"]))
    script_errors = sum(len(s["errors"]) for s in data["scripts"])
    return data.get("totals", {}), data.get("exitStatus"), stories, counted, script_errors


def junit_outcome(case):
    if case.get("name") == "script error":
        return "script error"
    for tag, outcome in (("failure", "failed"), ("error", "error"), ("skipped", "not run")):
        if case.find(tag) is not None:
            return outcome
    return "passed"


def read_junit(path):
    root = ElementTree.parse(path).getroot()
    stories, told = {}, []
    for suite in root.findall("testsuite"):
        tests = stories.setdefault(suite.get("name"), [])
        for case in suite.findall("testcase"):
            told.append(junit_outcome(case))
            if told[-1] in ("passed", "failed", "error"):
                tests.append((case.get("name").split(" ")[0], told[-1]))
    counted = tally(stories, told.count("not run"))
    said = {name: int(root.get(name, "-1")) for name in ("tests", "failures", "errors")}
    # The root carries no skipped count in the strict format: the suites do.
    said["skipped"] = sum(int(suite.get("skipped", "-1")) for suite in root.findall("testsuite"))
    made = {"tests": len(told), "failures": told.count("failed"),
            "errors": told.count("error") + told.count("script error"), "skipped": told.count("not run")}
    return stories, counted, told.count("script error"), said, made


def read_page(browser, path, scripts):
    """The page's count boxes by their words, and with a browser its tests."""
    dom = Dom(browser.dump(path) if browser else read_text(path))
    counts = {}
    for box in dom.all("div", "count"):
        number = [c for c in box.children if "n" in c.classes()]
        if number:
            word = box.text().replace(number[0].text(), "", 1).strip()
            counts[word] = int(number[0].text().replace(",", ""))
    totals = {"tests": counts.get("tests"), "passed": counts.get("passed"), "failed": counts.get("failed"),
              "errors": counts.get("errors", counts.get("error")), "notRun": counts.get("not run")}
    stories = {script: [] for script in scripts}
    for script, table in zip(scripts, dom.all("table", "tests") if browser else []):
        for _, cells in rows_of(table):
            verdict = cells[4].text().strip() if len(cells) > 4 else ""
            if verdict in ("passed", "failed", "error"):
                stories[script].append(((cells[1].parts or [""])[0], verdict))
    return totals, stories if browser else None


def check_run(where, result, folder, scripts, browser):
    """The reports of one run agree with each other; returns the console's story."""
    totals, stories, not_run = read_console(result.stdout)
    check(result.returncode == 2, "%s: ZorRun exits %d, not 2: %s" % (where, result.returncode, result.stderr))
    if not check(totals, "%s: no summary line in %r" % (where, result.stdout)):
        return totals, stories, not_run
    summed = {k: totals[k] for k in COUNTED}
    check(totals["tests"] == totals["passed"] + totals["failed"] + totals["errors"],
          "%s: the summary's tests are not passed + failed + errors: %r" % (where, totals))
    check(tally(stories, sum(n for n, _ in not_run.values())) == summed,
          "%s: the console's lines do not add up to its summary %r" % (where, totals))

    data, status, json_stories, json_counted, json_errors = read_json(os.path.join(folder, "report.json"))
    check(data == totals, "%s: JSON totals %r, the console %r" % (where, data, totals))
    check(status == result.returncode, "%s: JSON exitStatus %r, ZorRun exited %d" % (where, status, result.returncode))
    check(json_counted == summed, "%s: JSON's tests add up to %r, not %r" % (where, json_counted, summed))

    junit_stories, junit_counted, junit_errors, said, made = read_junit(os.path.join(folder, "report.xml"))
    check(junit_counted == summed, "%s: JUnit's testcases %r, the console %r" % (where, junit_counted, summed))
    check(junit_errors == json_errors, "%s: %d script errors in JUnit, %d in JSON" % (where, junit_errors, json_errors))
    check(said == made, "%s: <testsuites> says %r of testcases %r" % (where, said, made))

    page, page_stories = read_page(browser, os.path.join(folder, "report.html"), scripts)
    check(page == {k: totals[k] for k in TOTALS[:5]}, "%s: the page shows %r, the console %r" % (where, page, totals))

    for script in scripts:
        for kind, other in (("JSON", json_stories), ("JUnit", junit_stories), ("HTML", page_stories)):
            check(other is None or other.get(script) == stories.get(script), "%s: %s: the console says %r, %s %r" %
                  (where, script, stories.get(script), kind, other.get(script)))
    return totals, stories, not_run


def check_local_story(where, result, stories, not_run):
    """A local run gives each test the outcome it has, and says why one erred."""
    for script, (_, outcomes) in SCRIPTS.items():
        told = [outcome for _, outcome in stories.get(script, [])]
        check(len(told) == len(outcomes) and all(w is None or w == g for w, g in zip(outcomes, told)),
              "%s: %s: outcomes %r, expected %r" % (where, script, told, outcomes))
    check({s: not_run.get(s) for s in NOT_RUN} == NOT_RUN, "%s: not-run lines %r" % (where, not_run))
    for match in filter(None, map(TEST_LINE.match, result.stdout.splitlines())):
        if match.group(1) in ERROR_REASONS:
            check(match.group(5) == "ERROR" and (match.group(6) or "").startswith(ERROR_REASONS[match.group(1)]),
                  "%s: %r does not say ERROR %s" % (where, match.group(0), ERROR_REASONS[match.group(1)]))


def run_zorrun(zorrun, folder, options):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, (text, _) in SCRIPTS.items():
        with open(os.path.join(folder, name), "w") as script:
            script.write(text)
    command = [zorrun] + options + ["--junit", "report.xml", "--json", "report.json", "--html", "report.html"]
    return subprocess.run(command + list(SCRIPTS), cwd=folder, capture_output=True, text=True, timeout=120)


def give_to_worker_user(folder):
    """A server run as root runs scripts as nobody when root owns the folder:
    the folder becomes nobody's, so that they may write there."""
    if os.geteuid() != 0:
        return
    nobody = pwd.getpwnam("nobody")
    for root, dirs, files in os.walk(folder):
        for name in dirs + files:
            os.lchown(os.path.join(root, name), nobody.pw_uid, nobody.pw_gid)
    os.lchown(folder, nobody.pw_uid, nobody.pw_gid)


def start_server(program, module, folder):
    """ZorServer in a folder of its own, on the port it picks; a run on it is
    bounded as a whole, not per test."""
    os.makedirs(folder, exist_ok=True)
    give_to_worker_user(folder)
    with open(folder + ".log", "w") as log:
        process = subprocess.Popen([program, "--port", "0", "--load", module, "--run-timeout", "1"],
                                   cwd=folder, stdout=log, stderr=subprocess.STDOUT)
    deadline = time.monotonic() + 10
    while process.poll() is None and time.monotonic() < deadline:
        time.sleep(0.05)
        if match := re.search(r"viewers enter port (\d+)", read_text(folder + ".log")):
            return process, int(match.group(1))
    process.kill()
    raise RuntimeError("ZorServer did not start: " + read_text(folder + ".log"))


def main():
    zorrun, zorserver, module, work = (os.path.abspath(a) for a in sys.argv[1:5])
    program = os.environ.get("ZOR_CHROMIUM") or shutil.which("chromium") or shutil.which("chromium-browser")
    if not program:
        print("chromium is not installed: the page's counts are read from its markup")
    os.makedirs(work, exist_ok=True)
    browser = Browser(program, work) if program else None
    scripts, options = list(SCRIPTS), ["--load", module, "--timeout", "1"]
    try:
        stories = {}
        for where, jobs in (("local", []), ("two-jobs", ["-j", "2"])):
            result = run_zorrun(zorrun, os.path.join(work, where), options + jobs)
            totals, told, not_run = check_run(where, result, os.path.join(work, where), scripts, browser)
            check_local_story(where, result, told, not_run)
            stories[where] = (totals, told)
        check(stories["local"] == stories["two-jobs"],
              "two jobs tell another story than one: %r against %r" % (stories["two-jobs"], stories["local"]))

        server, port = start_server(zorserver, module, os.path.join(work, "server"))
        try:
            result = run_zorrun(zorrun, os.path.join(work, "remote"), ["--remote", "localhost:%d" % port])
        finally:
            server.terminate()
            server.wait(timeout=10)
        _, remote, _ = check_run("remote", result, os.path.join(work, "remote"), scripts, browser)
        local = stories["local"][1]
        for script in ("pass.zor.txt", "fail.zor.txt", "throw.zor.txt", "shared1.zor.txt", "shared2.zor.txt"):
            check(remote.get(script) == local.get(script),
                  "remote: %s: %r, a local run says %r" % (script, remote.get(script), local.get(script)))
        for script, name in (("crash.zor.txt", "crash"), ("exit.zor.txt", "exitZero")):
            check((name, "error") in remote.get(script, []), "remote: %s: no error for %s" % (script, name))
    finally:
        if browser:
            shutil.rmtree(browser.profile, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
