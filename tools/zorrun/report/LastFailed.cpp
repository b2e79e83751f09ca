#include "LastFailed.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "TestSelection.h"
#include "host/FailedTests.h"
#include "host/PosixFiles.h"
#include "pugixml.hpp"

namespace zorrun {

namespace {

// Files larger than this are not read back: a run's failures stay far below.
constexpr std::size_t keptSizeLimit = 64u << 20;

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

// The entity or character reference at the start of text ("&amp;", "&#xE9;"),
// appended as the character ZorRun wrote; its length, or 0 when there is none.
// A character reference below 0x100 is that byte, as ZorRun wrote it.
std::size_t appendReference(std::string_view text, std::string& out) {
    static const std::pair<std::string_view, char> named[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    for (const auto& [entity, c] : named) {
        if (!text.starts_with(entity)) continue;
        out += c;
        return entity.size();
    }
    // No reference ZorRun writes is longer; looking further would make a
    // value of many ampersands cost the square of its length.
    const std::size_t semicolon = text.substr(0, 12).find(';');
    if (!text.starts_with("&#") || semicolon == std::string_view::npos) return 0;
    const bool hex = text.size() > 2 && text[2] == 'x';
    unsigned code = 0;
    std::from_chars(text.data() + (hex ? 3 : 2), text.data() + semicolon, code, hex ? 16 : 10);
    out += static_cast<char>(code);
    return semicolon + 1;
}

std::string xmlUnescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t taken = text[i] == '&' ? appendReference(text.substr(i), out) : 0;
        if (taken == 0) out += text[i];
        i += taken == 0 ? 1 : taken;
    }
    return out;
}

// An attribute's value as ZorRun wrote it; the parser leaves references as
// they are, so a reference to a byte that is no UTF-8 is that byte again.
std::string attribute(const pugi::xml_node& node, const char* name) {
    return xmlUnescape(node.attribute(name).value());
}

bool hasVerdictOf(const pugi::xml_node& testcase, const char* kind) {
    return static_cast<bool>(testcase.child(kind));
}

// false when the testcase is not one ZorRun wrote in that suite.
bool readTestCase(const pugi::xml_node& testcase, const std::string& suite,
                  RecordedFailures& failed, RecordedFailures& passed) {
    if (!testcase.attribute("classname") || !testcase.attribute("name") ||
        attribute(testcase, "classname") != suite)
        return false;
    const int line = readCount(attribute(testcase, "line"));
    const RecordedTest test = namedTest(attribute(testcase, "name"), std::max(line, 0));
    const bool failing = hasVerdictOf(testcase, "failure") || hasVerdictOf(testcase, "error");
    if (failing || !test.isWholeScript())
        (failing ? failed : passed)[scriptKey(suite)].insert(test);
    return true;
}

// A report larger than this is refused rather than read into memory: ZorRun's
// reports of the largest suites stay far below it.
constexpr std::size_t junitSizeLimit = 64u << 20;

// The file's bytes, at most the limit; false with a reason.
bool readReport(const std::string& path, std::string& text, std::string& reason) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    std::optional<std::string> bytes = host::readRegularFile(fd, junitSizeLimit, &reason);
    if (fd >= 0) close(fd);
    if (bytes) text = std::move(*bytes);
    return bytes.has_value();
}

// The folder that keeps the file, opened without following a link: a .zorrun
// that is a link or a file would have the run write wherever it leads. -1
// with a reason.
int openKeepingFolder(const std::string& folder, std::string& reason) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) return fd;
    const int error = errno;
    struct stat status;
    if (lstat(folder.c_str(), &status) == 0 && S_ISLNK(status.st_mode))
        reason = folder + " is a symbolic link, not a folder";
    else if (error == ENOTDIR)
        reason = folder + " is not a folder";
    else
        reason = std::strerror(error);
    return -1;
}

// "lastfailed" of ".zorrun/lastfailed".
std::string leafOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// The file's text, read only from a real folder and a regular file of at
// most the limit; "" otherwise.
std::string readKept(const std::string& path) {
    std::string reason;
    const int folder = openKeepingFolder(folderOf(path), reason);
    if (folder < 0) return {};
    const int fd = openat(folder, leafOf(path).c_str(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    close(folder);
    std::optional<std::string> bytes = host::readRegularFile(fd, keptSizeLimit);
    if (fd >= 0) close(fd);
    return bytes ? std::move(*bytes) : std::string();
}

// Writes text beside the file and renames it over it, both inside the folder
// opened once; false with a reason.
bool replaceKept(int folder, const std::string& leaf, const std::string& text,
                 std::string& reason) {
    const std::string draft = leaf + ".tmp" + std::to_string(getpid());
    unlinkat(folder, draft.c_str(), 0);
    const int fd =
        openat(folder, draft.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    bool written = fd >= 0 && host::writeAll(fd, text);
    if (fd >= 0 && close(fd) != 0) written = false;
    if (written && renameat(folder, draft.c_str(), folder, leaf.c_str()) == 0) return true;
    reason = std::strerror(errno);
    unlinkat(folder, draft.c_str(), 0);
    return false;
}

}  // namespace

// ZorRun's reports open with this declaration and a testsuites element, and
// every testcase names its suite as its classname: other writers' reports
// name a class there. The parser expands no entity, loads nothing and reads
// in one pass; a report that is not well-formed was not written whole.
bool readJUnitFailures(const std::string& path, RecordedFailures& failed, RecordedFailures& passed,
                       std::string& reason) {
    std::string text;
    if (!readReport(path, text, reason)) return false;
    const std::string_view opening = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites";
    reason = "not a JUnit report written by ZorRun";
    if (text.compare(0, opening.size(), opening) != 0) return false;
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer_inplace(
        text.data(), text.size(), pugi::parse_minimal, pugi::encoding_utf8);
    if (!parsed) {
        reason = std::string("not well-formed XML: ") + parsed.description() + " at byte " +
                 std::to_string(parsed.offset);
        return false;
    }
    for (const pugi::xml_node& suiteNode : document.child("testsuites").children("testsuite")) {
        const std::string suite = attribute(suiteNode, "name");
        for (const pugi::xml_node& testcase : suiteNode.children("testcase")) {
            if (!readTestCase(testcase, suite, failed, passed)) return false;
        }
    }
    reason.clear();
    return true;
}

RecordedFailures readLastFailed(const std::string& path) {
    RecordedFailures failed;
    std::vector<host::FailedTest> tests;
    host::readFailedTests(readKept(path), tests);
    for (host::FailedTest& test : tests)
        failed[std::move(test.script)].insert(
            {std::move(test.name), test.ordinal, test.line, test.position});
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
    const int folderFd = openKeepingFolder(folderOf(path), reason);
    if (folderFd < 0) return false;
    std::vector<host::FailedTest> tests;
    for (const auto& [script, failed] : merged())
        for (const RecordedTest& test : failed)
            tests.push_back({script, test.name, test.ordinal, test.line, test.position});
    const bool replaced = replaceKept(folderFd, leafOf(path), host::failedTestsText(tests), reason);
    close(folderFd);
    return replaced;
}

}  // namespace zorrun
