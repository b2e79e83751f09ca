// ZorRun's verdicts for the tests of one script, as its JSON report gives them.
#pragma once

#include <string>
#include <vector>

#include "Rpc.h"

namespace zorlsp {

struct FailedEntry {
    std::string expected;
    std::string actual;
};

struct TestVerdict {
    std::string name;
    int position = -1;
    int line = 0;
    std::string verdict;  // "passed", "failed" or "error"
    std::vector<FailedEntry> failures;
    std::string message;
};

struct ScriptVerdicts {
    std::vector<TestVerdict> tests;
    std::vector<std::string> errors;
};

// Whether a script a run reported (by a path relative to base, or absolute)
// is the one at scriptPath.
bool samePath(const std::string& reported, const std::string& scriptPath, const std::string& base);

// The verdicts the report holds for the script at scriptPath; a script named
// by a relative path is taken from base. False when the report cannot be read
// or does not hold the script.
bool readReport(const Json& report, const std::string& scriptPath, const std::string& base,
                ScriptVerdicts& verdicts);
bool readReportFile(const std::string& file, const std::string& scriptPath, const std::string& base,
                    ScriptVerdicts& verdicts);

const TestVerdict* findVerdict(const ScriptVerdicts& verdicts, const std::string& name,
                               int position);
// "expected sum == 5, actual 4"
std::string failureText(const FailedEntry& entry);

}  // namespace zorlsp
