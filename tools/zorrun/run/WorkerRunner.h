// Runs each script in a worker process started from ZorRun after the modules
// are loaded, and watches it: a test function that crashes, exits or hangs
// until ZorRun is stopped ends that script with an error, never ZorRun. What
// the worker tells is checked against what it should have told, so that a
// verdict lost on the way is an error, never a pass.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "OutputCapture.h"
#include "ScriptEvents.h"
#include "TestReach.h"
#include "TestSelection.h"
#include "VerdictChannel.h"
#include "script/ScriptOutline.h"

namespace zorrun {

class WorkerRunner {
public:
    // With reports, failed tests' report blocks travel with their verdicts.
    WorkerRunner(ScriptEvents& events, bool withReports);

    // Seconds one test may run before its worker is killed; 0 for no limit.
    void setTimeout(int seconds) { timeoutSeconds = seconds; }
    // -s: test functions print straight to ZorRun's stdout and stderr.
    void passOutputThrough() { capture.passThrough(); }
    // Other threads start workers too: this runner leaves stdio alone.
    void runBesideOthers() { besideOthers = true; }
    // Called each time the messages that arrived have been told on, so that
    // the console sends its lines on while the script still runs.
    void setAfterReceive(std::function<void()> call) { afterReceive = std::move(call); }

    void run(const std::string& script, const std::string& filter);
    // The test records of the next run's script, counted from its outline
    // beforehand, so that the run needs no second reading of it; a selection
    // or a filter still asks the outline itself.
    void knowTestCount(int tests) { knownTests = tests; }
    // What the workers' runs select; see LibraryRun::select. A script the
    // selection takes no test of is not run at all.
    void select(TestSelection* selection, int failuresLeft);

private:
    struct Stop;

    void outline(const std::string& script, const std::string& filter);
    void countReach(const std::string& script, const std::string& filter);
    bool endedWhole(int status) const;
    [[noreturn]] void work(const std::string& script, const std::string& filter);
    int supervise(pid_t worker);
    void waitForWorker(int milliseconds);
    bool stopOutlasted();
    void received();
    void judgeEnd(int status);
    void checkEnd(int status);
    void judgeStop(int status);
    bool timeRanOut();
    Stop whereStopped();
    void tellNotRun(const Stop& stop, const std::string& why);
    std::string takeLeftOutput() { return std::exchange(leftOutput, std::string()); }

    ScriptEvents& events;
    bool withReports;
    int knownTests = -1;
    VerdictChannel channel;
    OutputCapture capture;
    // What the worker printed after its last take: the stopped test's, or
    // the script's.
    std::string leftOutput;
    // The script's outline and the tests its run reaches, found before the
    // worker starts: the worker takes its lines from the same outline.
    ScriptOutline scriptOutline;
    TestReach reach;
    int outlined = -1;  // what reading the outline answered
    pid_t supervisor;
    std::function<void()> afterReceive;
    std::chrono::steady_clock::time_point limitFrom;
    std::chrono::steady_clock::time_point stopNoted;  // when a stop was first seen
    double endedAt = 0;
    long verdictsSeen = 0;
    bool damaged = false;
    int timeoutSeconds = 0;
    bool timedOut = false;
    int workerEnd = -1;  // readable once the worker has ended, while it is supervised
    bool besideOthers = false;
    TestSelection* selection = nullptr;
    int failuresLeft = 0;
};

}  // namespace zorrun
