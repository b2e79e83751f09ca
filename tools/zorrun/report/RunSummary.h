// The verdicts of a whole ZorRun call: counts, the summary line, the exit status.
#pragma once

#include <string>

#include "host/ExitStatus.h"

namespace zorrun {

// One script's own verdicts. The library's verification result is sticky for
// the life of the process, so a script is judged by the tests it ran itself.
struct ScriptOutcome {
    int passed = 0;
    int failed = 0;
    bool error = false;  // script error, input not opened, no output file
};

class RunSummary {
public:
    void addScript(const ScriptOutcome& outcome);
    // Something outside the scripts went wrong (a module that cannot be loaded).
    void addSetupError() { setupError = true; }

    int getTests() const { return passed + failed; }
    // "tests: 12, passed: 11, failed: 1, scripts with errors: 0"
    std::string text() const;
    // 2 when anything worse than a failed verification happened, else 1 when a
    // verification failed, else 0.
    host::ExitStatus exitStatus() const;

private:
    int passed = 0;
    int failed = 0;
    int scriptsWithErrors = 0;
    bool setupError = false;
};

}  // namespace zorrun
