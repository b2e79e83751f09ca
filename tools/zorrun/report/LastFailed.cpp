#include "LastFailed.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>

#include "TestSelection.h"

namespace zorrun {

namespace {

// The first line names the format; the first format is still read.
constexpr std::string_view formatLine =
    "# ZorRun last failed 2: SCRIPT<TAB>NAME<TAB>ORDINAL<TAB>LINE";
constexpr std::string_view firstFormatLine = "# ZorRun last failed 1: SCRIPT<TAB>NAME POSITION";

std::string escapePath(const std::string& path) {
    std::string out;
    for (const char c : path) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string unescapePath(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char code = text[++i];
        out += code == 't' ? '\t' : code == 'n' ? '\n' : code;
    }
    return out;
}

// A whole number and nothing else; -1 otherwise.
int readCount(std::string_view text) {
    int number = -1;
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, number);
    return !text.empty() && failure == std::errc() && stop == end && number >= 0 ? number : -1;
}

// "login 57" as a name and position. A failed test named without a position
// cannot be found again: it stands for its whole script.
RecordedTest namedTest(const std::string& text, int line) {
    const std::size_t space = text.rfind(' ');
    const int position = space == std::string::npos ? -1 : readCount(text.substr(space + 1));
    if (position < 0) return {};
    return {text.substr(0, space), 0, line, position};
}

// "NAME\tORDINAL\tLINE", or "" for a whole script; false when the line is
// not of that shape.
bool readIdentity(const std::string& text, RecordedTest& test) {
    test = RecordedTest();
    if (text.empty()) return true;
    const std::size_t lineTab = text.rfind('\t');
    const std::size_t ordinalTab = lineTab == 0 || lineTab == std::string::npos
                                       ? std::string::npos
                                       : text.rfind('\t', lineTab - 1);
    if (ordinalTab == std::string::npos || ordinalTab == 0) return false;
    test.name = text.substr(0, ordinalTab);
    test.ordinal = readCount(text.substr(ordinalTab + 1, lineTab - ordinalTab - 1));
    test.line = readCount(text.substr(lineTab + 1));
    return test.ordinal >= 0 && test.line >= 0;
}

std::string readWhole(const std::string& path, bool& readable) {
    std::string text;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    readable = file != nullptr;
    if (!file) return text;
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        text.append(chunk, got);
    if (std::ferror(file)) readable = false;
    std::fclose(file);
    return text;
}

// The entities ZorRun writes in attributes; a character reference below 0x100
// is that byte, as ZorRun wrote it.
std::string xmlUnescape(std::string_view text) {
    static const std::pair<std::string_view, char> named[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& [entity, c] : named) {
            if (text.substr(i, entity.size()) != entity) continue;
            out += c;
            i += entity.size();
            replaced = true;
            break;
        }
        const std::size_t semicolon = text.find(';', i);
        if (!replaced && text.substr(i, 2) == "&#" && semicolon != std::string_view::npos) {
            const bool hex = i + 2 < text.size() && text[i + 2] == 'x';
            unsigned code = 0;
            std::from_chars(text.data() + i + (hex ? 3 : 2), text.data() + semicolon, code,
                            hex ? 16 : 10);
            out += static_cast<char>(code);
            i = semicolon + 1;
            replaced = true;
        }
        if (!replaced) out += text[i++];
    }
    return out;
}

// The value of an attribute in a start tag's text, unescaped; false when the
// tag has none.
bool attribute(std::string_view tag, std::string_view name, std::string& value) {
    for (std::size_t at = 0; (at = tag.find(name, at)) != std::string_view::npos; ++at) {
        const std::size_t quote = at + name.size() + 2;
        if (at == 0 || tag[at - 1] != ' ' || tag.substr(at + name.size(), 2) != "=\"") continue;
        const std::size_t end = tag.find('"', quote);
        if (end == std::string_view::npos) return false;
        value = xmlUnescape(tag.substr(quote, end - quote));
        return true;
    }
    return false;
}

}  // namespace

// ZorRun's reports open with this declaration and a testsuites element, and
// every testcase names its suite as its classname: other writers' reports
// name a class there.
bool readJUnitFailures(const std::string& path, RecordedFailures& failed, RecordedFailures& passed,
                       std::string& reason) {
    bool readable = false;
    const std::string text = readWhole(path, readable);
    if (!readable) {
        reason = std::strerror(errno);
        return false;
    }
    const std::string_view opening = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites";
    if (text.compare(0, opening.size(), opening) != 0) {
        reason = "not a JUnit report written by ZorRun";
        return false;
    }
    std::string suite;
    for (std::size_t at = 0; (at = text.find('<', at)) != std::string::npos; ++at) {
        const std::size_t close = text.find('>', at);
        if (close == std::string::npos) break;
        const std::string_view tag(text.data() + at, close - at);
        std::string classname, name, line;
        if (tag.starts_with("<testsuite ")) {
            attribute(tag, "name", suite);
        } else if (tag.starts_with("<testcase ")) {
            if (!attribute(tag, "classname", classname) || classname != suite ||
                !attribute(tag, "name", name)) {
                reason = "not a JUnit report written by ZorRun";
                return false;
            }
            attribute(tag, "line", line);
            const RecordedTest test = namedTest(name, std::max(readCount(line), 0));
            const std::size_t end = tag.ends_with("/") ? close : text.find("</testcase>", close);
            const std::string_view body(text.data() + close,
                                        end == std::string::npos ? 0 : end - close);
            const bool failing = body.find("<failure") != std::string_view::npos ||
                                 body.find("<error") != std::string_view::npos;
            if (failing || !test.isWholeScript())
                (failing ? failed : passed)[scriptKey(suite)].insert(test);
        }
        at = close;
    }
    return true;
}

RecordedFailures readLastFailed(const std::string& path) {
    RecordedFailures failed;
    bool readable = false;
    const std::string text = readWhole(path, readable);
    std::size_t at = text.find('\n');
    const std::string_view first = std::string_view(text).substr(0, at);
    const bool firstFormat = first == firstFormatLine;
    if (at == std::string::npos || (first != formatLine && !firstFormat)) return failed;
    while (++at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        RecordedTest test;
        const std::string rest = line.substr(tab + 1);
        if (firstFormat)
            test = namedTest(rest, 0);
        else if (!readIdentity(rest, test))
            continue;
        failed[unescapePath(line.substr(0, tab))].insert(test);
    }
    return failed;
}

void FailureLog::scriptStart(const ScriptStart& event) {
    key = scriptKey(event.script);
    const bool first = !runs.count(key);
    ScriptRun& run = current();
    run.script = event.script;
    if (first) {
        const auto found = previous.find(key);
        run.whole = found != previous.end() && found->second.count(RecordedTest());
    }
    run.failedHere = false;
    run.errorHere = false;
}

// A failure that names no test stands for its whole script, as an error does.
void FailureLog::testResult(const TestResult& event) {
    ScriptRun& run = current();
    if (event.outcome == Outcome::error || (event.position < 0 && event.outcome != Outcome::passed))
        run.errorHere = true;
    if (event.position < 0) return;
    const bool failed = event.outcome != Outcome::passed;
    // A pass matters only where it answers a failure kept from before: a
    // large suite that passes keeps nothing per test.
    if (!failed && !answersPrevious(event.name)) return;
    run.verdicts[{event.name, event.position}] = {failed, event.line};
    if (failed) run.failedHere = true;
}

bool FailureLog::answersPrevious(const std::string& name) const {
    const auto before = previous.find(key);
    if (before == previous.end()) return false;
    return std::any_of(before->second.begin(), before->second.end(),
                       [&](const RecordedTest& test) { return test.name == name; });
}

// A script that ran through without an error has had its whole-script mark
// answered, by the tests it ran.
// A script that was not selected did not run: what it had before stays as if
// it had not been given.
void FailureLog::scriptEnd(const ScriptEnd& event) {
    if (event.notSelected) {
        runs.erase(key);
        return;
    }
    ScriptRun& run = current();
    if (run.errorHere) run.errored = true;
    if (run.errorHere && !run.failedHere)
        run.whole = true;
    else if (!run.errorHere)
        run.whole = false;
}

// Failures kept in the first format are known by position only; they are
// found in the script as it is now, where that still can be done.
std::set<RecordedTest> FailureLog::identified(const std::string& script,
                                              const std::set<RecordedTest>& tests) const {
    const bool firstFormat = std::any_of(tests.begin(), tests.end(), [](const RecordedTest& test) {
        return !test.isWholeScript() && test.ordinal == 0 && test.position >= 0;
    });
    ScriptOutline found;
    if (!firstFormat || !outline || !outline(script, found)) return tests;
    const std::vector<RecordedTest> list(tests.begin(), tests.end());
    const std::vector<int> indexes = findRecordedTests(found.records, list);
    std::set<RecordedTest> out;
    for (std::size_t i = 0; i < list.size(); ++i)
        out.insert(indexes[i] < 0 ? list[i] : identify(found.records, indexes[i]));
    return out;
}

// A recorded failure that matches no test of a script that ran without an
// error is gone: the run said so and ran the script whole.
void FailureLog::keepUnanswered(const std::string& script, const ScriptRun& run,
                                const std::vector<OutlineRecord>& records,
                                std::set<RecordedTest>& tests) const {
    const auto before = previous.find(script);
    if (before == previous.end()) return;
    const std::vector<RecordedTest> list(before->second.begin(), before->second.end());
    const std::vector<int> indexes = findRecordedTests(records, list);
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].isWholeScript()) continue;
        if (indexes[i] < 0) {
            if (run.errored) tests.insert(list[i]);
            continue;
        }
        const OutlineRecord& record = records[static_cast<std::size_t>(indexes[i])];
        if (!run.verdicts.count({record.name, record.position}))
            tests.insert(identify(records, indexes[i]));
    }
}

void FailureLog::mergeRun(const std::string& script, const ScriptRun& run,
                          RecordedFailures& out) const {
    // Only a script with failures, new or kept, needs its records read again.
    const bool anyFailed = std::any_of(run.verdicts.begin(), run.verdicts.end(),
                                       [](const auto& verdict) { return verdict.second.failed; });
    ScriptOutline found;
    if ((anyFailed || previous.count(script)) && (!outline || !outline(run.script, found)))
        found = ScriptOutline();
    std::set<RecordedTest> tests;
    if (run.whole) tests.insert(RecordedTest());
    keepUnanswered(script, run, found.records, tests);
    for (const auto& [test, verdict] : run.verdicts) {
        if (!verdict.failed) continue;
        const int index = findTestRecord(found.records, test.first, test.second);
        tests.insert(index < 0 ? RecordedTest{test.first, 0, verdict.line, test.second}
                               : identify(found.records, index));
    }
    if (!tests.empty()) out[script] = std::move(tests);
}

RecordedFailures FailureLog::merged() const {
    RecordedFailures out;
    for (const auto& [script, tests] : previous) {
        if (!runs.count(script)) out[script] = identified(script, tests);
    }
    for (const auto& [script, run] : runs) mergeRun(script, run, out);
    return out;
}

bool FailureLog::save(const std::string& folder, const std::string& path,
                      std::string& reason) const {
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
        reason = std::strerror(errno);
        return false;
    }
    std::string text = std::string(formatLine) + "\n";
    for (const auto& [script, failed] : merged()) {
        for (const RecordedTest& test : failed) {
            text += escapePath(script) + "\t";
            if (!test.isWholeScript())
                text += test.name + "\t" + std::to_string(test.ordinal) + "\t" +
                        std::to_string(test.line);
            text += "\n";
        }
    }
    const std::string draft = path + ".tmp" + std::to_string(getpid());
    std::FILE* file = std::fopen(draft.c_str(), "wb");
    bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file && std::fclose(file) != 0) written = false;
    if (written && std::rename(draft.c_str(), path.c_str()) == 0) return true;
    reason = std::strerror(errno);
    std::remove(draft.c_str());
    return false;
}

}  // namespace zorrun
