#include "HtmlRecorder.h"

#include "TestText.h"

namespace zorrun {

namespace {

// A failed test's report block may hold a megabyte; a page with many such
// failures would no longer open. The output file keeps the whole block.
constexpr std::size_t maxReportShown = 64 * 1024;
constexpr std::size_t maxEntryShown = 4 * 1024;
// A failed test's output on the page, as on the console; the JSON and JUnit
// reports hold all that was caught.
constexpr std::size_t maxOutputShown = 64 * 1024;
// The page writes out so many failures as HTML at most; the output of those
// beyond would never be shown.
constexpr std::size_t maxOutputsKept = 1000;

// Cut before a UTF-8 continuation byte, so no character is split.
std::string shortened(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return std::string(text);
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return std::string(text.substr(0, end)) + "\n[cut after " + std::to_string(end) +
           " bytes: the output file holds the whole text]\n";
}

HtmlVerdict verdictOf(Outcome outcome) {
    switch (outcome) {
        case Outcome::passed:
            return HtmlVerdict::passed;
        case Outcome::failed:
            return HtmlVerdict::failed;
        case Outcome::error:
            return HtmlVerdict::error;
    }
    return HtmlVerdict::error;
}

// An error reads its reason first, then the block the test left, if any.
std::string reportOf(const TestResult& event) {
    if (event.outcome == Outcome::passed) return "";
    const std::string block = shortened(event.reportBlock, maxReportShown);
    if (event.outcome == Outcome::failed) return block.empty() ? event.reason : block;
    const std::string message = placedReason(event);
    return block.empty() ? message : message + "\n" + block;
}

}  // namespace

std::string commandLineText(const std::vector<std::string>& arguments) {
    static const char plain[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-+=/.,:@%";
    std::string text;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string word = i == 0 ? "ZorRun" : arguments[i];
        if (i) text += ' ';
        if (!word.empty() && word.find_first_not_of(plain) == std::string::npos) {
            text += word;
            continue;
        }
        text += '\'';
        for (char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
        text += '\'';
    }
    return text;
}

void HtmlRecorder::runStart(const RunStart& event) {
    run.startTime = event.startTime;
    run.host = event.host;
    run.commandLine = commandLineText(event.arguments);
}

void HtmlRecorder::scriptStart(const ScriptStart& event) {
    run.scripts.emplace_back();
    run.scripts.back().path = event.script;
}

void HtmlRecorder::scriptEnd(const ScriptEnd& event) {
    current().notSelected = event.notSelected;
    current().output = event.output;
}

HtmlScript& HtmlRecorder::current() {
    if (run.scripts.empty()) run.scripts.emplace_back();
    return run.scripts.back();
}

void HtmlRecorder::testResult(const TestResult& event) {
    HtmlTest& test = current().tests.emplace_back();
    test.name = event.name;
    test.position = event.position;
    test.line = event.line;
    test.verdict = verdictOf(event.outcome);
    test.seconds = event.seconds;
    test.report = reportOf(event);
    for (const FailedEntry& entry : event.entries) {
        test.failedEntries.push_back(
            {shortened(entry.expected, maxEntryShown), shortened(entry.actual, maxEntryShown)});
    }
    if (event.moreEntries > 0)
        test.failedEntries.push_back(
            {"... and " + std::to_string(event.moreEntries) + " more", ""});
    if (event.outcome == Outcome::passed || event.output.empty()) return;
    if (++outputsKept > maxOutputsKept) return;
    test.output = shortened(event.output, maxOutputShown);
    if (test.output.size() < event.output.size())
        test.output += "\n[" + std::to_string(event.output.size() - test.output.size()) +
                       " more bytes not shown]\n";
}

void HtmlRecorder::scriptError(const ScriptError& event) {
    current().errors.push_back({event.line, event.column, event.text});
}

void HtmlRecorder::testsNotRun(const TestsNotRun& event) {
    current().notRun += event.count;
}

}  // namespace zorrun
