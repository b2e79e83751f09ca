// Runs scripts through the library, one at a time, with the callback every
// host shares, and turns what the library reports into ZorRun's output: a line
// per verified test, errors on stderr, JUnit testcases, and each script's own
// verdicts.
#pragma once

#include <memory>
#include <string>

#include "Console.h"
#include "JUnitReport.h"
#include "ProgressLine.h"
#include "ReportCopy.h"
#include "RunSummary.h"

namespace zor {

class ScriptRunner {
public:
    // junit may be null. The runner hears the library's verdicts while it lives.
    ScriptRunner(Console& console, ProgressLine& progress, JUnitReport* junit);
    ~ScriptRunner();
    ScriptRunner(const ScriptRunner&) = delete;
    ScriptRunner& operator=(const ScriptRunner&) = delete;

    ScriptOutcome run(const std::string& script, const std::string& filter);

private:
    static void heardVerdict(const char* name, int position, int pass, int result);

    void verdict(const char* name, int position, int pass, bool passed);
    void reportCode(const std::string& script, int code);
    void scriptError(const std::string& script);
    void fileError(const std::string& file, const std::string& what, const std::string& reason);
    std::string failureReport(const char* outFile, int pass);

    Console& console;
    ProgressLine& progress;
    JUnitReport* junit;
    ScriptOutcome outcome;
    long testsRun = 0;
    std::unique_ptr<ReportCopy> reportCopy;  // with a JUnit report only
};

}  // namespace zor
