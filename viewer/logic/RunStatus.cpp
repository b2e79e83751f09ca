#include "RunStatus.h"

#include <cstdio>

namespace viewer {

namespace {

std::string testsRan(const RunStatus& status) {
    if (status.testName.empty()) return "all tests";
    if (status.result->reached == 0) return "nothing ran: the selection matches no test";
    return "test " + status.testName + " at " + std::to_string(status.testPosition);
}

std::string whatRan(const RunStatus& status) {
    if (status.paneRefused.empty()) return testsRan(status);
    if (!status.diskFileRan) return "nothing ran: " + status.paneRefused;
    return testsRan(status) + " of the file on disk, not of the script pane (" +
           status.paneRefused + ")";
}

// The library's error text ends with its line feed, a broken server's with a space.
std::string problemText(const RunResult& result) {
    std::string text = result.notice.empty() ? result.errText : result.notice;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? text : " | " + text;
}

std::string verdicts(const RunResult& result) {
    if (!result.counts) return "no verdicts from the server";
    const RunCounts& counts = *result.counts;
    return std::to_string(counts.passed) + " passed, " + std::to_string(counts.failed) +
           " failed, " + std::to_string(counts.errors) +
           (counts.errors == 1 ? " error" : " errors");
}

}  // namespace

std::string runStatusText(const RunStatus& status) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f s", status.seconds);
    return status.where + " | " + whatRan(status) + " | " + verdicts(*status.result) + " | " +
           seconds + problemText(*status.result);
}

}  // namespace viewer
