#include "RunSummary.h"

namespace zorrun {

void RunSummary::addScript(const ScriptOutcome& outcome) {
    passed += outcome.passed;
    failed += outcome.failed;
    if (outcome.error) ++scriptsWithErrors;
}

std::string RunSummary::text() const {
    return "tests: " + std::to_string(getTests()) + ", passed: " + std::to_string(passed) +
           ", failed: " + std::to_string(failed) +
           ", scripts with errors: " + std::to_string(scriptsWithErrors);
}

host::ExitStatus RunSummary::exitStatus() const {
    if (scriptsWithErrors > 0 || setupError) return host::exitError;
    return failed > 0 ? host::exitFailed : host::exitPassed;
}

}  // namespace zorrun
