#include "HtmlReport.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <set>

#include "HtmlAssets.h"
#include "JsonReport.h"
#include "ReplacedFile.h"
#include "XmlText.h"

namespace zorrun {

namespace {

// Failures beyond this many are not written out as HTML: their details travel
// in the data and the page's script shows them in the tables, so that a run in
// which everything fails still gives a page a browser opens.
constexpr std::size_t maxFailuresShown = 1000;

const char* verdictWord(HtmlVerdict verdict) {
    switch (verdict) {
        case HtmlVerdict::passed:
            return "passed";
        case HtmlVerdict::failed:
            return "failed";
        case HtmlVerdict::error:
            return "error";
    }
    return "error";
}

void appendText(std::string& out, std::string_view text) {
    appendXml(out, text, XmlPlace::content);
}

void appendAttribute(std::string& out, std::string_view text) {
    appendXml(out, text, XmlPlace::attribute);
}

void appendNumber(std::string& out, long number) {
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

void appendFixed(std::string& out, double value, int decimals) {
    char text[48];
    out.append(
        text,
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr);
}

void appendSeconds(std::string& out, double seconds) {
    if (seconds < 0) {
        out += "\u2013";
        return;
    }
    appendFixed(out, seconds, 3);
    out += " s";
}

// "script-2-test-17": numbered from 1, as a reader counts.
void appendTestId(std::string& out, std::size_t script, std::size_t test) {
    out += "script-";
    appendNumber(out, static_cast<long>(script + 1));
    out += "-test-";
    appendNumber(out, static_cast<long>(test + 1));
}

void appendTestName(std::string& out, const HtmlTest& test) {
    appendText(out, test.name);
    if (test.position < 0) return;
    out += ' ';
    appendNumber(out, test.position);
}

// FILE:LINE, or the file alone when the line is not known.
void appendPlace(std::string& out, const std::string& path, int line) {
    appendText(out, path);
    if (line <= 0) return;
    out += ':';
    appendNumber(out, line);
}

std::string percent(long part, long whole) {
    std::string out;
    appendFixed(out, whole > 0 ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0,
                3);
    return out + '%';
}

std::string utcText(std::time_t time) {
    std::tm parts{};
    gmtime_r(&time, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
    return text;
}

void appendCount(std::string& out, const char* id, long count, const char* word) {
    out += "<div class=\"count\" id=\"count-";
    out += id;
    out += "\"><span class=\"n\">";
    appendNumber(out, count);
    out += "</span> ";
    out += word;
    out += "</div>";
}

void appendBar(std::string& out, const RunTotals& counts) {
    const long whole = 0L + counts.passed + counts.failed + counts.errors + counts.notRun;
    out += "<div class=\"bar\" role=\"img\" aria-label=\"";
    appendNumber(out, counts.passed);
    out += " passed, ";
    appendNumber(out, counts.failed);
    out += " failed, ";
    appendNumber(out, counts.errors);
    out += " errors, ";
    appendNumber(out, counts.notRun);
    out += " not run\">";
    const std::pair<const char*, long> parts[] = {{"passed", counts.passed},
                                                  {"failed", counts.failed},
                                                  {"error", counts.errors},
                                                  {"notrun", counts.notRun}};
    for (const auto& [verdict, count] : parts) {
        if (count == 0) continue;
        out += "<span class=\"";
        out += verdict;
        out += "\" style=\"width:" + percent(count, whole) + "\"></span>";
    }
    out += "</div>\n";
}

void appendFact(std::string& out, const char* term, std::string_view value) {
    out += "<dt>";
    out += term;
    out += "</dt><dd>";
    appendText(out, value);
    out += "</dd>";
}

void appendSummary(std::string& out, const HtmlRun& run, const RunTotals& counts) {
    const bool clean = counts.failed == 0 && counts.errors == 0 && counts.notRun == 0 &&
                       counts.scriptsWithErrors == 0;
    out += clean ? "<div class=\"counts passed\">" : "<div class=\"counts failed\">";
    appendCount(out, "scripts", static_cast<long>(run.scripts.size()), "scripts");
    appendCount(out, "tests", counts.tests, "tests");
    appendCount(out, "passed", counts.passed, "passed");
    appendCount(out, "failed", counts.failed, "failed");
    appendCount(out, "errors", counts.errors, "errors");
    appendCount(out, "notrun", counts.notRun, "not run");
    appendCount(out, "scripterrors", counts.scriptsWithErrors, "scripts with errors");
    out += "</div>\n";
    appendBar(out, counts);
    std::string seconds;
    appendSeconds(seconds, run.seconds);
    out += "<dl class=\"facts\">";
    appendFact(out, "Total time", seconds);
    appendFact(out, "Started", utcText(run.startTime));
    appendFact(out, "Host", run.host);
    out += "<dt>Command</dt><dd><code>";
    appendText(out, run.commandLine);
    out += "</code></dd></dl>\n";
}

std::set<int> workersOf(const HtmlRun& run) {
    std::set<int> workers;
    for (const HtmlWorkerSpan& span : run.spans) workers.insert(span.worker);
    return workers;
}

void appendSpan(std::string& out, const HtmlRun& run, const HtmlWorkerSpan& span, double whole) {
    const bool known =
        span.script >= 0 && static_cast<std::size_t>(span.script) < run.scripts.size();
    const std::string path = known ? run.scripts[static_cast<std::size_t>(span.script)].path : "";
    const double start = std::clamp(span.start / whole, 0.0, 1.0);
    const double width = std::clamp((span.end - span.start) / whole, 0.0, 1.0 - start);
    out += "<a class=\"span\" href=\"#script-";
    appendNumber(out, span.script + 1);
    out += "\" style=\"left:";
    appendFixed(out, 100 * start, 3);
    out += "%;width:";
    appendFixed(out, 100 * width, 3);
    out += "%\" title=\"";
    appendAttribute(out, path);
    out += ' ';
    appendFixed(out, span.end - span.start, 3);
    out += " s\">";
    appendText(out, path);
    out += "</a>";
}

// A step of 1, 2 or 5 times a power of ten that cuts the run into at most
// about six parts.
double axisStep(double whole) {
    const double rough = whole / 6;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough) return factor * power;
    }
    return 10 * power;
}

// Seconds from the run's start under the lanes, so that a span's place reads
// as a time.
void appendAxis(std::string& out, double whole) {
    const double step = axisStep(whole);
    const int decimals = std::max(0, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
    out += "<div class=\"lane axis\"><span class=\"worker\">seconds</span><div class=\"track\">";
    // A mark at the very end would stand half beyond the track.
    for (int i = 0; i == 0 || i * step <= whole * 0.97; ++i) {
        out += "<span class=\"tick\" style=\"left:";
        appendFixed(out, 100 * i * step / whole, 3);
        out += "%\">";
        appendFixed(out, i * step, i == 0 ? 0 : decimals);
        out += "</span>";
    }
    out += "</div></div>\n";
}

// Only a run with several workers has a timeline worth showing.
void appendTimeline(std::string& out, const HtmlRun& run) {
    const std::set<int> workers = workersOf(run);
    if (workers.size() < 2) return;
    double whole = run.seconds;
    for (const HtmlWorkerSpan& span : run.spans) whole = std::max(whole, span.end);
    if (whole <= 0) whole = 1;
    out += "<section id=\"timeline\"><h2>Workers</h2>\n";
    for (int worker : workers) {
        out += "<div class=\"lane\"><span class=\"worker\">worker ";
        appendNumber(out, worker);
        out += "</span><div class=\"track\">";
        for (const HtmlWorkerSpan& span : run.spans) {
            if (span.worker == worker) appendSpan(out, run, span, whole);
        }
        out += "</div></div>\n";
    }
    appendAxis(out, whole);
    out += "</section>\n";
}

// FILE:LINE:COLUMN: text, as the console shows a script error.
void appendScriptError(std::string& out, const HtmlScript& script, std::size_t index,
                       const HtmlScriptError& error) {
    out += "<li><a href=\"#script-";
    appendNumber(out, static_cast<long>(index + 1));
    out += "\">";
    appendPlace(out, script.path, error.line);
    if (error.line > 0) {
        out += ':';
        appendNumber(out, error.column);
    }
    out += "</a>: ";
    appendText(out, error.text);
    out += "</li>\n";
}

void appendErrors(std::string& out, const HtmlRun& run) {
    std::string items;
    for (std::size_t s = 0; s < run.scripts.size(); ++s) {
        for (const HtmlScriptError& error : run.scripts[s].errors)
            appendScriptError(items, run.scripts[s], s, error);
    }
    if (items.empty()) return;
    out += "<section id=\"errors\"><h2>Script errors</h2>\n<ul class=\"errors\">\n";
    out += items;
    out += "</ul></section>\n";
}

void appendEntries(std::string& out, const std::vector<HtmlEntry>& entries) {
    if (entries.empty()) return;
    out +=
        "<table class=\"entries\"><thead><tr><th>expected</th><th>actual</th></tr></thead>"
        "<tbody>";
    for (const HtmlEntry& entry : entries) {
        out += "<tr><td class=\"expected\">";
        appendText(out, entry.expected);
        out += "</td><td class=\"actual\">";
        appendText(out, entry.actual);
        out += "</td></tr>";
    }
    out += "</tbody></table>";
}

// What a script or a failed test printed, folded away until asked for.
void appendOutput(std::string& out, const std::string& output) {
    if (output.empty()) return;
    out += "<details class=\"output\"><summary>captured output (";
    appendNumber(out, static_cast<long>(output.size()));
    out += " bytes)</summary><pre class=\"report\">";
    appendText(out, output);
    out += "</pre></details>\n";
}

void appendFailure(std::string& out, const HtmlScript& script, std::size_t s, std::size_t t) {
    const HtmlTest& test = script.tests[t];
    out += "<details open class=\"failure\" id=\"";
    appendTestId(out, s, t);
    out += "\" data-verdict=\"";
    out += verdictWord(test.verdict);
    out += "\" data-name=\"";
    appendAttribute(out, test.name);
    out += "\"><summary><span class=\"verdict ";
    out += verdictWord(test.verdict);
    out += "\">";
    out += verdictWord(test.verdict);
    out += "</span> <span class=\"name\">";
    appendTestName(out, test);
    out += "</span> <span class=\"place\">";
    appendPlace(out, script.path, test.line);
    out += "</span> <span class=\"duration\">";
    appendSeconds(out, test.seconds);
    out += "</span></summary>\n";
    appendEntries(out, test.failedEntries);
    if (!test.report.empty()) {
        out += "<pre class=\"report\">";
        appendText(out, test.report);
        out += "</pre>";
    }
    appendOutput(out, test.output);
    out += "</details>\n";
}

// Writes the first failures out as HTML; true for each test it wrote.
std::vector<std::vector<bool>> appendFailures(std::string& out, const HtmlRun& run) {
    std::vector<std::vector<bool>> shown(run.scripts.size());
    std::string items;
    std::size_t failures = 0;
    for (std::size_t s = 0; s < run.scripts.size(); ++s) {
        const HtmlScript& script = run.scripts[s];
        shown[s].resize(script.tests.size());
        for (std::size_t t = 0; t < script.tests.size(); ++t) {
            if (script.tests[t].verdict == HtmlVerdict::passed) continue;
            if (++failures > maxFailuresShown) continue;
            appendFailure(items, script, s, t);
            shown[s][t] = true;
        }
    }
    if (failures == 0) return shown;
    out += "<section id=\"failures\"><h2>Failures</h2>\n";
    out += items;
    if (failures > maxFailuresShown) {
        out += "<p class=\"note\">";
        appendNumber(out, static_cast<long>(failures - maxFailuresShown));
        out += " more failures are shown in the tables below.</p>\n";
    }
    out += "</section>\n";
    return shown;
}

void appendScriptSection(std::string& out, const HtmlScript& script, std::size_t s) {
    long passed = 0;
    for (const HtmlTest& test : script.tests) passed += test.verdict == HtmlVerdict::passed;
    const long tests = static_cast<long>(script.tests.size());
    bool erred = !script.errors.empty() || script.notRun > 0;
    for (const HtmlTest& test : script.tests) erred = erred || test.verdict == HtmlVerdict::error;
    const char* outcome = erred                ? "error"
                          : script.notSelected ? "notrun"
                          : passed < tests     ? "failed"
                                               : "passed";
    out += "<section class=\"script\" id=\"script-";
    appendNumber(out, static_cast<long>(s + 1));
    out += "\"><h3><span class=\"verdict ";
    out += outcome;
    out += "\">";
    out += script.notSelected ? "not selected" : outcome;
    out += "</span> <span class=\"path\">";
    appendText(out, script.path);
    out += "</span> <span class=\"tally\">";
    appendNumber(out, passed);
    out += " of ";
    appendNumber(out, tests);
    out += " passed</span></h3>\n";
    appendOutput(out, script.output);
    out +=
        "<table class=\"tests\" hidden><thead><tr><th>#</th><th>Test</th>"
        "<th>Position</th><th>Line</th><th>Verdict</th><th>Duration</th></tr></thead>"
        "<tbody></tbody></table><button type=\"button\" class=\"more\" hidden></button>"
        "</section>\n";
}

// The test rows as the page's script reads them, one array per test:
// [name, position, line, verdict (0 passed, 1 failed, 2 error), microseconds],
// -1 where a number is not known. A failure not written out as HTML carries
// its entries and report block in "details", keyed by the test's index.
void appendScriptData(std::string& out, const HtmlScript& script, const std::vector<bool>& shown) {
    out += "{\"path\":";
    appendPageJsonString(out, script.path);
    out += ",\"tests\":[";
    std::string details;
    for (std::size_t t = 0; t < script.tests.size(); ++t) {
        const HtmlTest& test = script.tests[t];
        if (t) out += ',';
        out += '[';
        appendPageJsonString(out, test.name);
        out += ',';
        appendNumber(out, test.position);
        out += ',';
        appendNumber(out, test.line > 0 ? test.line : -1);
        out += ',';
        appendNumber(out, static_cast<long>(test.verdict));
        out += ',';
        appendNumber(out, test.seconds < 0 ? -1L : std::lround(test.seconds * 1e6));
        out += ']';
        if (test.verdict == HtmlVerdict::passed || (t < shown.size() && shown[t])) continue;
        details += details.empty() ? "\"" : ",\"";
        appendNumber(details, static_cast<long>(t));
        details += "\":[[";
        for (std::size_t e = 0; e < test.failedEntries.size(); ++e) {
            details += e ? ",[" : "[";
            appendPageJsonString(details, test.failedEntries[e].expected);
            details += ',';
            appendPageJsonString(details, test.failedEntries[e].actual);
            details += ']';
        }
        details += "],";
        appendPageJsonString(details, test.report);
        details += ']';
    }
    out += "],\"details\":{";
    out += details;
    out += "}}";
}

void appendData(std::string& out, const HtmlRun& run, const std::vector<std::vector<bool>>& shown) {
    out += "{\"scripts\":[";
    for (std::size_t s = 0; s < run.scripts.size(); ++s) {
        if (s) out += ",\n";
        appendScriptData(out, run.scripts[s], shown[s]);
    }
    out += "]}";
}

void appendPart(std::string& out, std::string_view part, const HtmlRun& run,
                const RunTotals& counts, std::vector<std::vector<bool>>& shown) {
    if (part == "title") {
        out += "ZorRun report: ";
        appendNumber(out, counts.failed + counts.errors);
        out += " not passed of ";
        appendNumber(out, counts.tests);
    } else if (part == "style") {
        out += html::reportStyle();
    } else if (part == "summary") {
        appendSummary(out, run, counts);
    } else if (part == "timeline") {
        appendTimeline(out, run);
    } else if (part == "errors") {
        appendErrors(out, run);
    } else if (part == "failures") {
        shown = appendFailures(out, run);
    } else if (part == "scripts") {
        for (std::size_t s = 0; s < run.scripts.size(); ++s)
            appendScriptSection(out, run.scripts[s], s);
    } else if (part == "data") {
        appendData(out, run, shown);
    } else if (part == "script") {
        out += html::reportScript();
    }
}

}  // namespace

// In JSON, "<" stands only inside strings.
void appendPageJsonString(std::string& out, std::string_view text) {
    std::string json;
    appendJsonString(json, text);
    for (const char c : json) {
        if (c == '<')
            out += "\\u003c";
        else
            out += c;
    }
}

// The template's places are marked <!--zor:NAME-->; the template is the
// project's own, so a mark that is never closed simply ends the page.
std::string renderHtmlReport(const HtmlRun& run) {
    const RunTotals& counts = run.totals;
    std::vector<std::vector<bool>> shown(run.scripts.size());
    const std::string_view page = html::reportTemplate();
    static constexpr std::string_view open = "<!--zor:";
    std::string out;
    std::size_t at = 0;
    while (at < page.size()) {
        const std::size_t mark = page.find(open, at);
        const std::size_t close = page.find("-->", mark == page.npos ? page.size() : mark);
        if (mark == page.npos || close == page.npos) {
            out.append(page.substr(at));
            break;
        }
        out.append(page.substr(at, mark - at));
        const std::size_t name = mark + open.size();
        appendPart(out, page.substr(name, close - name), run, counts, shown);
        at = close + 3;
    }
    return out;
}

bool writeHtmlReport(const std::string& path, const HtmlRun& run, std::string& reason) {
    ReplacedFile file;
    if (!file.open(path, reason)) return false;
    file.write(renderHtmlReport(run));
    return file.commit(reason);
}

// A folder in the page's place would be found only when the finished page
// cannot take its name.
bool canWriteHtmlReport(const std::string& path, std::string& reason) {
    struct stat status;
    if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        reason = std::strerror(EISDIR);
        return false;
    }
    ReplacedFile draft;
    return draft.open(path, reason);
}

}  // namespace zorrun
