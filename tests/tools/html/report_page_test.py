#!/usr/bin/env python3
"""Opens generated report pages in headless Chromium and checks what a reader
sees: the counts, a failure's expected and actual values, the filter, hostile
names kept as text, no requests to anything outside the page, and a page of
100,000 tests that stays light. Exits 77 (skipped) without Chromium.

usage: report_page_test.py SAMPLE_PROGRAM WORK_FOLDER [ZORRUN]
With ZorRun, a page of a real two-job run is checked as well (its counts are
the reports' agreement check's).
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
from html.parser import HTMLParser

SKIPPED = 77
POLICY = "default-src 'none'; style-src 'unsafe-inline'; script-src 'unsafe-inline'"
VOID = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "source", "track", "wbr"}
# Elements that fetch what they name, and the attributes that name it.
FETCHING = {"link", "iframe", "frame", "object", "embed", "img", "audio", "video", "source", "track", "base"}
URL_ATTRIBUTES = {"src", "href", "action", "formaction", "srcset", "poster", "data", "background"}
LARGE_PAGE_BYTES = 30 * 1024 * 1024
LARGE_PAGE_SECONDS = 30      # the whole browser, start to DOM dump, on a busy CI machine
LARGE_SCRIPT_MS = 5000       # the page's own script, as it measures itself
PAGE_ROWS = 200

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL: " + what)
    return condition


class Element:
    def __init__(self, tag, attrs):
        self.tag = tag
        self.attrs = dict(attrs)
        self.parts = []
        self.children = []

    def text(self):
        return "".join(self.parts)

    def classes(self):
        return (self.attrs.get("class") or "").split()


class Dom(HTMLParser):
    """The elements of a page in document order, each with its text."""

    def __init__(self, markup):
        super().__init__(convert_charrefs=True)
        self.elements = []
        self.open = []
        self.feed(markup)
        self.close()

    def handle_starttag(self, tag, attrs):
        element = Element(tag, attrs)
        if self.open:
            self.open[-1].children.append(element)
        self.elements.append(element)
        if tag not in VOID:
            self.open.append(element)

    def handle_endtag(self, tag):
        for depth in range(len(self.open) - 1, -1, -1):
            if self.open[depth].tag == tag:
                del self.open[depth:]
                return

    def handle_data(self, data):
        for element in self.open:
            element.parts.append(data)

    def by_id(self, wanted):
        return next((e for e in self.elements if e.attrs.get("id") == wanted), None)

    def all(self, tag, cls=None):
        return [e for e in self.elements if e.tag == tag and (cls is None or cls in e.classes())]


def rows_of(table):
    """The rows the page's script put into a test table, as (id, cells)."""
    return [(row.attrs.get("id"), [c for c in row.children if c.tag == "td"])
            for body in table.children if body.tag == "tbody"
            for row in body.children if row.tag == "tr"]


def table_rows(dom):
    return [row for table in dom.all("table", "tests") for row in rows_of(table)]


class Browser:
    def __init__(self, program, folder):
        self.program = program
        self.profile = tempfile.mkdtemp(prefix="chromium-", dir=folder)

    def dump(self, path, hash_part=""):
        url = "file://" + os.path.abspath(path) + hash_part
        result = subprocess.run(
            [self.program, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--disable-extensions", "--user-data-dir=" + self.profile, "--dump-dom", url],
            capture_output=True, text=True, timeout=180)
        if result.returncode != 0:
            raise RuntimeError("chromium failed on %s: %s" % (url, result.stderr[-2000:]))
        return result.stdout


def make_page(sample, kind, folder):
    path = os.path.join(folder, kind + ".html")
    result = subprocess.run([sample, kind, path], capture_output=True, text=True, check=True)
    return path, json.loads(result.stdout)


COUNT_IDS = {"notRun": "notrun", "scriptsWithErrors": "scripterrors"}


def check_counts(dom, counts, where):
    for name in counts:
        box = dom.by_id("count-" + COUNT_IDS.get(name, name))
        number = [c for c in box.children if "n" in c.classes()] if box else []
        check(number and number[0].text() == str(counts[name]),
              "%s: count-%s shows %r, the run has %d" % (where, name, box and box.text(), counts[name]))


def check_self_contained(dom, where):
    policies = [e.attrs.get("content") for e in dom.all("meta")
                if (e.attrs.get("http-equiv") or "").lower() == "content-security-policy"]
    check(policies == [POLICY], "%s: the content security policy is %r" % (where, policies))
    for element in dom.elements:
        check(element.tag not in FETCHING, "%s: a <%s> element" % (where, element.tag))
        for name, value in element.attrs.items():
            if name in URL_ATTRIBUTES:
                check((value or "").startswith("#"), "%s: %s=%r on <%s>" % (where, name, value, element.tag))


def check_failures_page(browser, sample, folder):
    path, counts = make_page(sample, "failures", folder)
    with open(path, encoding="utf-8") as page:
        static = Dom(page.read())
    # What a browser without JavaScript shows: summary, failures, script errors.
    check_counts(static, counts, "without script")
    check(len(static.all("a", "span")) == 3, "without script: the timeline has its three spans")

    dom = Dom(browser.dump(path))
    check_counts(dom, counts, "in the browser")
    check_self_contained(dom, "in the browser")
    rows = table_rows(dom)
    check(len(rows) == counts["tests"], "all %d tests have a row, not %d" % (counts["tests"], len(rows)))
    hostile = "<script>document.title='owned'</script><img src=x onerror=alert(1)>"
    names = [cells[1].text() for _, cells in rows]
    check(hostile in names, "the hostile name shows as text in its row")
    failure_names = [e.text() for e in dom.all("span", "name")]
    check(any(hostile in n for n in failure_names), "the hostile name shows as text among the failures")
    check([e.text() for e in dom.all("td", "expected")].count('status == "</script>"') == 1,
          "an expected value with markup shows as text")
    titles = [e.text() for e in dom.all("title")]
    check(titles and "owned" not in titles[0], "no script from a test name ran: title %r" % titles)
    check(len(dom.all("script")) == 2, "the page holds only its own two script elements")

    filtered = Dom(browser.dump(path, "#filter=failed"))
    verdicts = [cells[4].text() for _, cells in table_rows(filtered)]
    check(verdicts and set(verdicts) == {"failed"} and len(verdicts) == counts["failed"],
          "the filter for failed tests leaves only them: %r" % verdicts)
    by_name = Dom(browser.dump(path, "#name=ORDER%20TOTAL"))
    names = [cells[1].text() for _, cells in table_rows(by_name)]
    check(names == ["order total"], "the name filter ignores case: %r" % names)


def check_large_page(browser, sample, folder):
    path, counts = make_page(sample, "large", folder)
    size = os.path.getsize(path)
    check(size < LARGE_PAGE_BYTES, "the 100,000-test page has %d bytes" % size)
    started = time.monotonic()
    dom = Dom(browser.dump(path))
    seconds = time.monotonic() - started
    body = dom.all("body")
    ready = int(body[0].attrs.get("data-ready-ms", "-1")) if body else -1
    print("100,000 tests: %.1f MB, opened and dumped in %.1f s, the page's script took %d ms" %
          (size / 1e6, seconds, ready))
    check(seconds < LARGE_PAGE_SECONDS, "the 100,000-test page took %.1f s" % seconds)
    check(0 <= ready < LARGE_SCRIPT_MS, "the page's script took %d ms" % ready)
    check_counts(dom, counts, "100,000 tests")
    check(len(table_rows(dom)) == PAGE_ROWS, "the table holds one page of rows, not %d" % len(table_rows(dom)))
    deep = Dom(browser.dump(path, "#script-1-test-54321"))
    target = deep.by_id("script-1-test-54321")
    check(target is not None and "target" in target.classes() and
          target.children[1].text() == "case %d" % (54320 % 97),
          "a link deep into a large script shows and marks its row")


# Marks the body with whether the page is wider than the window, once laid out.
WIDTH_PROBE = ("<script>window.addEventListener('load', () => document.body.setAttribute("
               "'data-wider', String(document.documentElement.scrollWidth > window.innerWidth)))"
               "</script></body>")


def check_long_value_page(browser, zorrun, folder):
    """A 400-character value wraps in its cell; two jobs get a timeline with a
    lane for each worker and a scale."""
    work = os.path.join(folder, "wide")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    value = "x" * 400
    # Each script runs long enough that the second worker has started before
    # the first is done, however busy the machine.
    passing = "zortst { a = 1 verify: a == 1 }\n" * 20000
    for name in ("a.zor.txt", "b.zor.txt"):
        with open(os.path.join(work, name), "w") as script:
            script.write('resultfile "%s.out"\nzortst { v = "%s" verify: v == "y" }\n%s'
                         % (name, value, passing))
    result = subprocess.run([zorrun, "-j", "2", "--html", "report.html", "a.zor.txt", "b.zor.txt"],
                            cwd=work, capture_output=True, text=True, timeout=120)
    check(result.returncode == 1, "ZorRun exits %d: %s" % (result.returncode, result.stderr))
    with open(os.path.join(work, "report.html"), encoding="utf-8") as page:
        markup = page.read()
    static = Dom(markup)
    ticks = [e.text() for e in static.all("span", "tick")]
    check(len(ticks) >= 2 and ticks[0] == "0", "the timeline's scale reads %r" % ticks)
    lanes = [lane for lane in static.all("div", "lane") if "axis" not in lane.classes()]
    check(len(lanes) == 2, "the timeline has %d lanes for two workers" % len(lanes))
    probed = os.path.join(work, "probed.html")
    with open(probed, "w", encoding="utf-8") as page:
        page.write(markup.replace("</body>", WIDTH_PROBE, 1))
    body = Dom(browser.dump(probed)).all("body")
    wider = body[0].attrs.get("data-wider") if body else None
    check(wider == "false", "a 400-character value leaves the page as wide as the window: %r" % wider)


def main():
    sample, folder = os.path.abspath(sys.argv[1]), sys.argv[2]
    program = os.environ.get("ZOR_CHROMIUM") or shutil.which("chromium") or shutil.which("chromium-browser")
    if not program:
        print("chromium is not installed: skipped")
        return SKIPPED
    os.makedirs(folder, exist_ok=True)
    browser = Browser(program, folder)
    try:
        check_failures_page(browser, sample, folder)
        check_large_page(browser, sample, folder)
        if len(sys.argv) > 3:
            check_long_value_page(browser, os.path.abspath(sys.argv[3]), folder)
    finally:
        shutil.rmtree(browser.profile, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
