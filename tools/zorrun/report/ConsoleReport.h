// The console as a reporter: a header per script, a line per test (ok, FAIL
// with its failed entries, ERROR with its reason), the tests that did not
// run, what the script's test functions printed, errors on stderr, and at the
// end a recap of the tests that failed or erred and of the script errors (one
// "failed: NAME POSITION (FILE:LINE)" or "error: ..." a line, left out when
// quiet: then those lines are all that was printed), the time the run took
// and the summary from the run's totals, last, where scripts look for it.
#pragma once

#include <string>

#include "Console.h"
#include "Events.h"

namespace zorrun {

class ConsoleReport : public Reporter {
public:
    ConsoleReport(Console& console, ProgressLine& progress);

    void scriptStart(const ScriptStart& event) override;
    void testResult(const TestResult& event) override;
    void scriptError(const ScriptError& event) override;
    void testsNotRun(const TestsNotRun& event) override;
    void scriptEnd(const ScriptEnd& event) override;
    void runEnd(const RunEnd& event) override;

private:
    Console& console;
    ProgressLine& progress;
    std::string details;
    std::string lastWriteError;
    std::string recap;
    long testsRun = 0;
    bool scriptFailed = false;  // a test of the script did not pass, or it erred
};

}  // namespace zorrun
