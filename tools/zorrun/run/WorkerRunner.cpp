#include "WorkerRunner.h"

#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "LibraryRun.h"
#include "RecordPositions.h"
#include "StopSignals.h"

namespace zorrun {

namespace {

// Milliseconds the supervisor waits for a wake-up before it looks at the ring
// anyway: the verdicts that a slow test holds back in an unfinished batch
// appear this late. Once the worker's end of the pipe is closed, it is about
// to end, and the supervisor looks more often.
constexpr int lookInterval = 50;
constexpr int lookIntervalAtEnd = 1;

// The position in a filter "login 404"; -1 when it has none.
int filterPosition(const std::string& filter) {
    const std::size_t space = filter.rfind(' ');
    int position = -1;
    if (space == std::string::npos) return -1;
    const char* end = filter.data() + filter.size();
    const auto [stop, failure] = std::from_chars(filter.data() + space + 1, end, position);
    return failure == std::errc() && stop == end ? position : -1;
}

// Beside other runners, only the streams test functions print to: the
// others belong to threads of the supervisor, whose locks may have been held
// at the fork, and their buffers (report files among them) were filled by the
// supervisor, so the worker would write them a second time.
void flushWorkerStreams(bool besideOthers) {
    if (besideOthers) {
        std::fflush(stdout);
        std::fflush(stderr);
    } else {
        std::fflush(nullptr);
    }
}

// A test function that calls exit() ends the worker as its own end does.
void leaveAsWorker(int status, void* besideOthers) {
    flushWorkerStreams(*static_cast<const bool*>(besideOthers));
    _exit(status);
}

}  // namespace

WorkerRunner::WorkerRunner(ScriptReport& scriptReport, bool reports)
    : report(scriptReport), withReports(reports), supervisor(getpid()) {}

void WorkerRunner::run(const std::string& script, const std::string& filter) {
    std::string reason;
    if (!channel.prepare(reason)) return report.cannotRun("cannot start a worker: " + reason);
    // Output still in a buffer would be written twice, once by each process.
    // Beside other runners, stdout is empty, and touching it could leave its
    // lock held in another runner's worker.
    if (!besideOthers) std::fflush(nullptr);
    const pid_t worker = fork();
    if (worker < 0) {
        reason = std::strerror(errno);
        channel.closePipe();
        return report.cannotRun("cannot start a worker: " + reason);
    }
    if (worker == 0) work(script, filter);
    channel.becomeSupervisor();
    judgeEnd(supervise(worker), script, filter);
}

void WorkerRunner::select(TestSelection* tests, bool firstFailureEnds) {
    selection = tests;
    exitFirst = firstFailureEnds;
}

// The worker leaves by _exit: the supervisor's buffers and objects are not
// its to flush or destroy.
void WorkerRunner::work(const std::string& script, const std::string& filter) {
    restoreStopSignals();
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != supervisor) _exit(1);
    channel.becomeWorker();
    on_exit(leaveAsWorker, &besideOthers);
    {
        LibraryRun run(channel, withReports, &channel);
        run.select(selection, exitFirst);
        run.run(script, filter);
    }
    flushWorkerStreams(besideOthers);
    _exit(0);
}

// The worker's wait status once it has ended, and every message it published.
int WorkerRunner::supervise(pid_t worker) {
    int status = 0;
    damaged = false;
    timedOut = false;
    limitFrom = std::chrono::steady_clock::now();
    verdictsSeen = report.getTestsRun();
    for (;;) {
        if (stopSignal()) kill(worker, SIGKILL);
        pollfd wake{channel.wakeDescriptor(), POLLIN, 0};
        poll(&wake, 1, wake.fd >= 0 ? lookInterval : lookIntervalAtEnd);
        if (wake.revents != 0) channel.takeWakeUps();
        if (!damaged && !channel.receive(report)) {
            damaged = true;
            kill(worker, SIGKILL);
        }
        report.flush();
        if (!timedOut && timeRanOut()) kill(worker, SIGKILL);
        if (waitpid(worker, &status, WNOHANG) == worker) break;
    }
    if (!damaged && !channel.receive(report)) damaged = true;
    channel.closePipe();
    report.flush();
    return status;
}

// The time limit runs from the last verdict heard, which is at most one look
// interval late.
bool WorkerRunner::timeRanOut() {
    const auto now = std::chrono::steady_clock::now();
    if (report.getTestsRun() != verdictsSeen) {
        verdictsSeen = report.getTestsRun();
        limitFrom = now;
    }
    timedOut = timeoutSeconds > 0 && now - limitFrom >= std::chrono::seconds(timeoutSeconds);
    return timedOut;
}

void WorkerRunner::judgeEnd(int status, const std::string& script, const std::string& filter) {
    if (damaged) return report.scriptError("the worker's messages are damaged");
    if (channel.hasScriptEnd()) return;
    std::string name;
    int position = -1;
    const std::string where = whereStopped(name, position, script, filter);
    if (const int signal = stopSignal())
        return report.interrupted("interrupted by " + signalName(signal) + where);
    const bool running = channel.runningTest(name);
    const std::string limit = "timed out after " + std::to_string(timeoutSeconds) + " s";
    if (timedOut && running)
        return report.testError(name, position, limit + " in " + testName(name, position));
    if (timedOut) return report.scriptError(limit + where);
    const std::string ending = WIFSIGNALED(status)
                                   ? "died from " + signalName(WTERMSIG(status))
                                   : "exited with status " + std::to_string(WEXITSTATUS(status));
    if (running && WIFSIGNALED(status)) {
        report.testError(name, position,
                         "test function crashed: " + signalName(WTERMSIG(status)) + " in " +
                             testName(name, position));
    } else if (running) {
        report.testError(name, position, "script ended early: the process " + ending + where);
    } else {
        report.scriptError("script ended early: the process " + ending + where);
    }
}

// " inside login 404", " after login 404" or " before the first test". The
// running test's position is its filter's, or found in the script after the
// last verdict's.
std::string WorkerRunner::whereStopped(std::string& name, int& position, const std::string& script,
                                       const std::string& filter) {
    std::string last;
    int lastPosition = -1;
    const bool anyVerdict = report.lastVerdict(last, lastPosition);
    if (channel.runningTest(name)) {
        position = !filter.empty() ? filterPosition(filter)
                                   : findTestRecord(script, anyVerdict ? lastPosition : -1, name);
        // Records of that name that the selection passed over did not run.
        if (selection && filter.empty()) selection->beginScript(script);
        while (selection && filter.empty() && position >= 0 &&
               !selection->selects(name.c_str(), position))
            position = findTestRecord(script, position, name);
        return " inside " + testName(name, position);
    }
    if (!anyVerdict) return " before the first test";
    name = last;
    position = lastPosition;
    return " after " + testName(name, position);
}

}  // namespace zorrun
