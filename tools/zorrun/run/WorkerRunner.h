// Runs each script in a worker process started from ZorRun after the modules
// are loaded, and watches it: a test function that crashes, exits or hangs
// until ZorRun is stopped ends that script with an error, never ZorRun.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>

#include "ScriptReport.h"
#include "TestSelection.h"
#include "VerdictChannel.h"

namespace zorrun {

class WorkerRunner {
public:
    // With reports, failed tests' report blocks travel with their verdicts.
    WorkerRunner(ScriptReport& report, bool withReports);

    // Seconds one test may run before its worker is killed; 0 for no limit.
    void setTimeout(int seconds) { timeoutSeconds = seconds; }

    // Other threads start workers too: this runner leaves stdio alone.
    void runBesideOthers() { besideOthers = true; }

    void run(const std::string& script, const std::string& filter);
    // What the workers' runs select; see LibraryRun::select.
    void select(TestSelection* selection, bool exitFirst);

private:
    [[noreturn]] void work(const std::string& script, const std::string& filter);
    int supervise(pid_t worker);
    void judgeEnd(int status, const std::string& script, const std::string& filter);
    bool timeRanOut();
    std::string whereStopped(std::string& name, int& position, const std::string& script,
                             const std::string& filter);

    ScriptReport& report;
    bool withReports;
    VerdictChannel channel;
    pid_t supervisor;
    std::chrono::steady_clock::time_point limitFrom;
    long verdictsSeen = 0;
    bool damaged = false;
    int timeoutSeconds = 0;
    bool timedOut = false;
    bool besideOthers = false;
    TestSelection* selection = nullptr;
    bool exitFirst = false;
};

}  // namespace zorrun
