#include "Totals.h"

namespace zorrun {

void Totals::scriptStart(const ScriptStart&) {
    errorHere = false;
    ++begun;
}

void Totals::testResult(const TestResult& event) {
    ++counts.tests;
    switch (event.outcome) {
        case Outcome::passed:
            ++counts.passed;
            break;
        case Outcome::failed:
            ++counts.failed;
            break;
        case Outcome::error:
            ++counts.errors;
            break;
    }
}

// A script counts once, however many errors it had.
void Totals::scriptError(const ScriptError&) {
    if (errorHere) return;
    errorHere = true;
    ++counts.scriptsWithErrors;
}

void Totals::testsNotRun(const TestsNotRun& event) {
    counts.notRun += event.count;
}

int Totals::exitStatus() const {
    if (stopSignal) return 128 + stopSignal;
    if (setupError || counts.errors > 0 || counts.notRun > 0 || counts.scriptsWithErrors > 0)
        return host::exitError;
    return counts.failed > 0 ? host::exitFailed : host::exitPassed;
}

RunTotals Totals::get(double seconds) const {
    RunTotals totals = counts;
    totals.seconds = seconds;
    totals.exitStatus = exitStatus();
    return totals;
}

std::string totalsText(const RunTotals& totals) {
    return "tests: " + std::to_string(totals.tests) + ", passed: " + std::to_string(totals.passed) +
           ", failed: " + std::to_string(totals.failed) +
           ", errors: " + std::to_string(totals.errors) +
           ", not run: " + std::to_string(totals.notRun) +
           ", scripts with errors: " + std::to_string(totals.scriptsWithErrors);
}

}  // namespace zorrun
