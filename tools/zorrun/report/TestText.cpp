#include "TestText.h"

#include <string_view>

namespace zorrun {

std::string testName(const std::string& name, int position) {
    return position < 0 ? name : name + " " + std::to_string(position);
}

std::string placedReason(const TestResult& result) {
    if (result.outcome != Outcome::error || result.reason.starts_with("cannot write the report"))
        return result.reason;
    // A process that ended by itself did so inside the test's record.
    const char* joint = result.reason.starts_with("script ended early") ? " inside " : " in ";
    return result.reason + joint + testName(result.name, result.position);
}

std::string entryText(const FailedEntry& entry) {
    return "expected " + entry.expected + ", actual " + entry.actual;
}

int failedEntryCount(const TestResult& result) {
    return static_cast<int>(result.entries.size()) + result.moreEntries;
}

std::string failureSummary(const TestResult& result) {
    if (result.entries.empty()) {
        if (!result.reason.empty()) return result.reason;
        // A block of one line is a note in the record's place ("no comparison
        // was made: ..."), not a record.
        const std::string_view block = result.reportBlock;
        if (!block.empty() && block.find('\n') == std::string_view::npos) return result.reportBlock;
        return "verification failed";
    }
    const int more = failedEntryCount(result) - 1;
    std::string text = entryText(result.entries.front());
    if (more > 0) text += " (+" + std::to_string(more) + " more)";
    return text;
}

std::string errorPlace(const ScriptError& error) {
    if (error.line <= 0) return "";
    return error.script + ":" + std::to_string(error.line) + ":" + std::to_string(error.column);
}

std::string placedText(const ScriptError& error) {
    const std::string place = errorPlace(error);
    return place.empty() ? error.text : place + ": " + error.text;
}

}  // namespace zorrun
