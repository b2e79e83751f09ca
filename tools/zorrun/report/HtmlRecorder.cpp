#include "HtmlRecorder.h"

#include <string>

namespace zorrun {

namespace {

// A failed test's report block may hold a megabyte; a page with many such
// failures would no longer open. The output file keeps the whole block.
constexpr std::size_t maxReportShown = 64 * 1024;
constexpr std::size_t maxEntryShown = 4 * 1024;

// Cut before a UTF-8 continuation byte, so no character is split.
std::string shortened(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return std::string(text);
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return std::string(text.substr(0, end)) + "\n[cut after " + std::to_string(end) +
           " bytes: the output file holds the whole text]\n";
}

}  // namespace

void HtmlRecorder::beginScript(std::string_view path, double startSeconds) {
    run.scripts.emplace_back();
    run.scripts.back().path = path;
    lastSeconds = startSeconds;
}

// A test's time runs from the previous verdict, or from its script's start;
// a time below 0 is not known (the verdicts of a remote run come all at once).
HtmlTest& HtmlRecorder::addTest(std::string_view name, int position, HtmlVerdict verdict,
                                double nowSeconds) {
    if (run.scripts.empty()) beginScript("", nowSeconds);
    HtmlTest& test = run.scripts.back().tests.emplace_back();
    test.name = name;
    test.position = position;
    test.verdict = verdict;
    if (nowSeconds < 0) return test;
    test.seconds = nowSeconds >= lastSeconds ? nowSeconds - lastSeconds : -1;
    lastSeconds = nowSeconds;
    return test;
}

// The verdict's own time, where the run measured one, is the test's.
void HtmlRecorder::addVerdict(const Verdict& verdict, double nowSeconds) {
    HtmlTest& test =
        addTest(verdict.name, verdict.position,
                verdict.passed ? HtmlVerdict::passed : HtmlVerdict::failed, nowSeconds);
    test.line = verdict.line;
    if (verdict.seconds >= 0) test.seconds = verdict.seconds;
    if (verdict.passed) return;
    test.report = shortened(verdict.report, maxReportShown);
    std::string_view packed = verdict.failedEntries;
    for (FailedEntry entry; nextFailedEntry(packed, entry);) {
        test.failedEntries.push_back(
            {shortened(entry.expected, maxEntryShown), shortened(entry.actual, maxEntryShown)});
    }
}

void HtmlRecorder::addTestError(std::string_view name, int position, int line,
                                std::string_view message, std::string_view detail,
                                double nowSeconds) {
    HtmlTest& test = addTest(name, position, HtmlVerdict::error, nowSeconds);
    test.line = line;
    test.report = message;
    if (!detail.empty() && detail != message) {
        test.report += '\n';
        test.report += shortened(detail, maxReportShown);
    }
}

HtmlScript HtmlRecorder::takeScript() {
    if (run.scripts.empty()) return {};
    HtmlScript script = std::move(run.scripts.back());
    run.scripts.pop_back();
    return script;
}

void HtmlRecorder::addScriptError(int line, int column, std::string_view text) {
    if (run.scripts.empty()) run.scripts.emplace_back();
    run.scripts.back().errors.push_back({line, column, std::string(text)});
}

}  // namespace zorrun
