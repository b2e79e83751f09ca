#include "WorkerRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>

#include "CapturingListener.h"
#include "LibraryRun.h"
#include "LockNotices.h"
#include "Outlines.h"
#include "StopSignals.h"
#include "TestReach.h"
#include "TestText.h"

namespace zorrun {

namespace {

// Milliseconds the supervisor waits for a wake-up before it looks at the ring
// anyway: the verdicts that a slow test holds back in an unfinished batch
// appear this late. Once the worker's end of the pipe is closed, it is about
// to end, and the supervisor looks more often, unless the worker's end itself
// wakes it: a worker that closed its pipe and hangs must not keep the
// supervisor busy.
constexpr int lookInterval = 50;
constexpr int lookIntervalAtEnd = 1;

// After a stop, a worker that SIGKILL has not ended by then (one stuck in the
// kernel, on a file system that does not answer) is left behind, so that the
// stop still ends ZorRun.
constexpr auto stopGrace = std::chrono::milliseconds(500);

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

// A descriptor that becomes readable when the worker ends; -1 where the
// kernel has none.
struct WorkerEnd {
    explicit WorkerEnd(pid_t worker) : fd(static_cast<int>(syscall(SYS_pidfd_open, worker, 0))) {}
    ~WorkerEnd() {
        if (fd >= 0) close(fd);
    }
    WorkerEnd(const WorkerEnd&) = delete;
    WorkerEnd& operator=(const WorkerEnd&) = delete;
    const int fd;
};

std::string endingOf(int status) {
    return WIFSIGNALED(status) ? "died from " + signalName(WTERMSIG(status))
                               : "exited with status " + std::to_string(WEXITSTATUS(status));
}

}  // namespace

// Where a worker stopped: inside a test (running), after one, or before the
// first.
struct WorkerRunner::Stop {
    bool running = false;
    std::string name;
    int position = -1;
    std::string where;  // " inside login 404", " after login 404", " before the first test"
};

WorkerRunner::WorkerRunner(ScriptEvents& scriptEvents, bool reports)
    : events(scriptEvents), withReports(reports), supervisor(getpid()) {}

void WorkerRunner::run(const std::string& script, const std::string& filter) {
    // A selection is asked inside the worker, which needs the outline there;
    // otherwise the supervisor reads it while the worker runs, on another
    // core, and needs it only once the worker has ended.
    const bool outlineFirst = selection && selection->isActive();
    const int counted = std::exchange(knownTests, -1);
    const bool countKnown = !outlineFirst && counted >= 0 && filter.empty();
    if (outlineFirst) {
        outline(script, filter);
        if (selectsNone(reach, outlined)) return events.notSelected();
    }
    std::string reason;
    if (!channel.prepare(reason) || !capture.prepare(reason))
        return events.cannotRun("cannot start a worker: " + reason);
    if (!outlineFirst) {
        scriptOutline = ScriptOutline();
        reach = TestReach();
    }
    if (countKnown) {
        outlined = 0;
        reach.known = true;
        reach.count = counted;
    }
    // Output still in a buffer would be written twice, once by each process.
    // Beside other runners, stdout is empty, and touching it could leave its
    // lock held in another runner's worker.
    if (!besideOthers) std::fflush(nullptr);
    const pid_t worker = forkOutsideOutlines();
    if (worker < 0) {
        reason = std::strerror(errno);
        channel.closePipe();
        events.setOutline(nullptr);
        return events.cannotRun("cannot start a worker: " + reason);
    }
    if (worker == 0) work(script, filter);
    channel.becomeSupervisor(worker);
    std::thread outliner;
    if (!outlineFirst && !countKnown)
        outliner = std::thread([this, &script, &filter] { countReach(script, filter); });
    const int status = supervise(worker);
    leftOutput = capture.finish();
    if (outliner.joinable()) outliner.join();
    // A run that did not end as it should is told with its tests' names and
    // lines, which only the whole outline holds.
    if (!outlineFirst && !endedWhole(status)) outline(script, filter);
    events.setOutline(outlined < 0 ? nullptr : &scriptOutline);
    judgeEnd(status);
    events.outsideOutput(std::exchange(leftOutput, std::string()));
    events.setOutline(nullptr);
}

// The outline uses a file object of its own, never the library's shared one,
// which the workers would inherit.
void WorkerRunner::outline(const std::string& script, const std::string& filter) {
    outlined = outlineReach(script, filter, selection, scriptOutline, reach);
}

// Without a selection every test record counts; their names are not kept.
void WorkerRunner::countReach(const std::string& script, const std::string& filter) {
    int tests = 0;
    scriptOutline.takeRecord = [&tests](const OutlineRecord& record) {
        if (record.kind == OutlineRecord::test) ++tests;
    };
    outlined = guardedOutline(script, scriptOutline);
    scriptOutline.takeRecord = nullptr;
    reach = TestReach();
    reach.known = outlined >= 0 && filter.empty();
    reach.count = tests;
}

bool WorkerRunner::endedWhole(int status) const {
    return !damaged && channel.hasScriptEnd() && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void WorkerRunner::select(TestSelection* tests, int failuresAllowed) {
    selection = tests;
    failuresLeft = failuresAllowed;
}

// The worker leaves by _exit: the supervisor's buffers and objects are not
// its to flush or destroy.
void WorkerRunner::work(const std::string& script, const std::string& filter) {
    restoreStopSignals();
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != supervisor) _exit(1);
    channel.becomeWorker();
    // ZorRun's own notices (a wait for a file's lock) still reach the user.
    sendNoticesTo(fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3));
    capture.becomeWorker();
    on_exit(leaveAsWorker, &besideOthers);
    {
        CapturingListener listener(channel, capture);
        LibraryRun run(listener, withReports, &listener);
        run.select(selection, failuresLeft);
        run.run(script, filter, &scriptOutline);
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
    verdictsSeen = 0;
    stopNoted = {};
    const WorkerEnd ended(worker);
    workerEnd = ended.fd;
    for (;;) {
        if (stopSignal()) kill(worker, SIGKILL);
        waitForWorker(channel.wakeDescriptor() >= 0 || ended.fd >= 0 ? lookInterval
                                                                     : lookIntervalAtEnd);
        if (!damaged && !channel.receive(events)) {
            damaged = true;
            kill(worker, SIGKILL);
        }
        received();
        if (!timedOut && timeRanOut()) kill(worker, SIGKILL);
        if (waitpid(worker, &status, WNOHANG) == worker) break;
        if (stopOutlasted()) {
            status = SIGKILL;  // as if it had died from the kill
            break;
        }
    }
    workerEnd = -1;
    endedAt = steadySeconds();
    if (!damaged && !channel.receive(events)) damaged = true;
    channel.closePipe();
    received();
    return status;
}

bool WorkerRunner::stopOutlasted() {
    if (!stopSignal()) return false;
    const auto now = std::chrono::steady_clock::now();
    if (stopNoted == std::chrono::steady_clock::time_point{}) stopNoted = now;
    return now - stopNoted >= stopGrace;
}

// Until the worker wakes the supervisor, ends or the time is up.
void WorkerRunner::waitForWorker(int milliseconds) {
    pollfd wake[2] = {{channel.wakeDescriptor(), POLLIN, 0}, {workerEnd, POLLIN, 0}};
    poll(wake, 2, milliseconds);
    if (wake[0].revents != 0) channel.takeWakeUps();
}

void WorkerRunner::received() {
    if (afterReceive) afterReceive();
}

// The time limit runs from the last verdict heard, which is at most one look
// interval late.
bool WorkerRunner::timeRanOut() {
    const auto now = std::chrono::steady_clock::now();
    if (events.getVerdicts() != verdictsSeen) {
        verdictsSeen = events.getVerdicts();
        limitFrom = now;
    }
    timedOut = timeoutSeconds > 0 && now - limitFrom >= std::chrono::seconds(timeoutSeconds);
    return timedOut;
}

// Once its messages are damaged, nothing more the worker said can be trusted:
// the tests that told no verdict did not run, as far as anyone can tell.
void WorkerRunner::judgeEnd(int status) {
    if (damaged) {
        events.scriptError("the worker's messages are damaged");
        return tellNotRun(whereStopped(), "after the damaged messages");
    }
    if (channel.heardOthers())
        events.scriptError(
            "verdicts from another process: a test function forked and its "
            "child went on with the script");
    if (channel.hasScriptEnd()) return checkEnd(status);
    judgeStop(status);
}

// The worker said it ended; what it said must agree with what arrived, with
// how it ended and with the tests the outline says its run reaches. Under a
// failure limit the run may stop early by design, so its reach is not counted.
void WorkerRunner::checkEnd(int status) {
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        events.scriptError("the worker " + endingOf(status) + " after the script's end");
    const int heard = events.getVerdicts();
    if (channel.getPublished() != heard)
        events.scriptError("verdicts lost: the worker published " +
                           std::to_string(channel.getPublished()) + ", " + std::to_string(heard) +
                           " arrived");
    // In a fresh worker, only this script's verifications can have failed.
    if (channel.getEndCode() == -4 && events.getFailedVerdicts() == 0)
        events.scriptError("the library reports a failed verification that no verdict told");
    const int reached = reach.count;
    if (!events.hasError() && reach.known && failuresLeft == 0 && reached > heard)
        events.scriptError("verdicts lost: the run reached " + std::to_string(reached) +
                           " tests, " + std::to_string(heard) + " verdicts arrived");
}

// No end message: the worker was stopped, killed or ended inside the script.
void WorkerRunner::judgeStop(int status) {
    const Stop stop = whereStopped();
    if (const int signal = stopSignal())
        return events.scriptError("interrupted by " + signalName(signal) + stop.where);
    const double seconds = endedAt - events.getLastAt();
    const std::string limit = "timed out after " + std::to_string(timeoutSeconds) + " s";
    std::string why = timedOut              ? "after the time-out"
                      : WIFSIGNALED(status) ? "after the crash"
                                            : "after the exit";
    if (timedOut && stop.running) {
        events.testError(stop.name, stop.position, limit, seconds, takeLeftOutput());
    } else if (timedOut) {
        events.scriptError(limit + stop.where);
    } else if (stop.running && WIFSIGNALED(status)) {
        events.testError(stop.name, stop.position,
                         "test function crashed: " + signalName(WTERMSIG(status)), seconds,
                         takeLeftOutput());
    } else if (stop.running) {
        events.testError(stop.name, stop.position,
                         "script ended early: the process " + endingOf(status), seconds,
                         takeLeftOutput());
    } else {
        events.scriptError("script ended early: the process " + endingOf(status) + stop.where);
    }
    tellNotRun(stop, why);
}

// The tests after the one that stopped, or after the last verdict.
void WorkerRunner::tellNotRun(const Stop& stop, const std::string& why) {
    if (!reach.known) return;
    std::string last;
    int after = -1;
    if (stop.running)
        after = stop.position;
    else if (events.lastVerdict(last, after) == false)
        after = -1;
    std::vector<std::string> names;
    for (const int index : reach.tests) {
        const OutlineRecord& test = scriptOutline.records[static_cast<std::size_t>(index)];
        if (test.position > after) names.push_back(test.name + " " + std::to_string(test.position));
    }
    const int count = static_cast<int>(names.size());
    events.notRun(count, why, std::move(names));
}

// " inside login 404", " after login 404" or " before the first test": the
// worker names the test it started with its position.
WorkerRunner::Stop WorkerRunner::whereStopped() {
    Stop stop;
    std::string last;
    int lastPosition = -1;
    const bool anyVerdict = events.lastVerdict(last, lastPosition);
    stop.running = channel.runningTest(stop.name, stop.position);
    if (stop.running) {
        stop.where = " inside " + testName(stop.name, stop.position);
    } else if (!anyVerdict) {
        stop.where = " before the first test";
    } else {
        stop.where = " after " + testName(last, lastPosition);
    }
    return stop;
}

}  // namespace zorrun
