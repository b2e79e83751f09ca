#include "TestText.h"

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

std::string errorPlace(const ScriptError& error) {
    if (error.line <= 0) return "";
    return error.script + ":" + std::to_string(error.line) + ":" + std::to_string(error.column);
}

std::string placedText(const ScriptError& error) {
    const std::string place = errorPlace(error);
    return place.empty() ? error.text : place + ": " + error.text;
}

}  // namespace zorrun
