// The counts of a run and its exit status, defined once, from the events
// every other reporter hears: a test that started has one outcome (passed,
// failed or error), and the reports print these numbers.
#pragma once

#include <string>

#include "Events.h"
#include "host/ExitStatus.h"

namespace zorrun {

class Totals : public Reporter {
public:
    void scriptStart(const ScriptStart& event) override;
    void testResult(const TestResult& event) override;
    void scriptError(const ScriptError& event) override;
    void testsNotRun(const TestsNotRun& event) override;

    // Something outside the scripts went wrong (a module that cannot be
    // loaded, a report that cannot be written).
    void addSetupError() { setupError = true; }
    // The signal that stopped the run, which then decides the exit status.
    void setStopSignal(int signal) { stopSignal = signal; }

    // What --maxfail counts: failed tests, tests with errors, and scripts
    // with errors outside any test, each once.
    int failures() const { return counts.failed + counts.errors + counts.scriptsWithErrors; }
    // Scripts begun, whether they ran or were not selected.
    int scriptsBegun() const { return begun; }

    // The counts so far, with the exit status they make and seconds.
    RunTotals get(double seconds) const;
    int getTests() const { return counts.tests; }
    // 0 all passed, 1 a verification failed and nothing worse, 2 anything
    // worse, 128 + the signal after a stop.
    int exitStatus() const;

private:
    RunTotals counts;
    bool errorHere = false;
    int begun = 0;
    bool setupError = false;
    int stopSignal = 0;
};

// "tests: 12, passed: 10, failed: 1, errors: 1, not run: 2, scripts with errors: 0"
std::string totalsText(const RunTotals& totals);

}  // namespace zorrun
