#include "RunStatus.h"

#include <cstdio>

namespace viewer {

namespace {

std::string whatRan(const RunStatus& status) {
    if (status.testName.empty()) return "all tests";
    if (status.result->reached == 0) return "nothing ran: the selection matches no test";
    return "test " + status.testName + " at " + std::to_string(status.testPosition);
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
           seconds;
}

}  // namespace viewer
