#include "Worker.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>

#include "DeviceFunctions.h"
#include "Sandbox.h"
#include "ScriptExecution.h"
#include "SyscallFilter.h"
#include "VerdictRecorder.h"
#include "WorkerBox.h"
#include "WorkerMessage.h"
#include "WorkerStream.h"
#include "ZorLib.h"
#include "host/PosixFiles.h"
#include "protocol/VerdictCodec.h"

namespace zorserver {

namespace {

using Clock = std::chrono::steady_clock;

// The library's machine-wide output lock, which every writer opens for its
// write phase, lies outside the folder.
constexpr const char* outputLockFile = "/tmp/ZorSem.lock";

// Tells the server why the worker cannot run, through the same message a
// run's end sends.
[[noreturn]] void refuseToRun(int resultFd, const std::string& why) {
    WorkerResult result;
    result.errLine = 1;
    result.errText = why;
    result.device = device().getState();
    host::writeAll(resultFd, encodeWorkerResult(result));
    _exit(0);
}

// The walls go up before anything of the request runs; the user changes
// after the library has opened what it keeps open.
void enterWorker(const WorkerSettings& settings, pid_t keeper, int resultFd) {
    if (!keepsItsKeeper(keeper)) _exit(127);
    limitAddressSpace(settings.maxMemory);
    // Requests in their own folders never share a file: each file's own lock
    // keeps its writers apart, and no request waits for another's.
    AdaptIO::setLockMode(AdaptIO::lockPerFile);
    Parse::getIO();
    if (!becomeWorkerUser(settings.user))
        refuseToRun(resultFd, "the worker cannot run as user " + settings.user.name + ": " +
                                  std::strerror(errno));
    if (!keepsItsKeeper(keeper)) _exit(127);
    confineWritesToFolder(settings.folderFd, outputLockFile);
    blockMetadataCalls();
    confineLibraryFiles(settings.folderFd);
}

[[noreturn]] void runWorker(const remote::ServerRequest& request, const WorkerSettings& settings,
                            pid_t keeper, int resultFd) {
    enterWorker(settings, keeper, resultFd);
    if (request.wantsVerdicts()) reportVerdicts(resultFd, request.scriptFile);
    const RunOutcome outcome = runRequest(request);
    if (request.wantsVerdicts()) reportRunEnd(outcome.end);
    WorkerResult result;
    result.outFile = outcome.reply.outFile;
    result.errLine = outcome.reply.errLine;
    result.errPos = outcome.reply.errPos;
    result.errText = outcome.reply.errText;
    result.device = device().getState();
    host::writeAll(resultFd, encodeWorkerResult(result));
    // Without exit's handlers: the statics are the server's, not the worker's.
    _exit(0);
}

// The keeper's process: out of the server's group and bound to its life.
[[noreturn]] void runKeeper(const remote::ServerRequest& request, const WorkerSettings& settings,
                            pid_t server, int resultFd, int statusFd) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != server) _exit(127);
    for (const int fd : settings.closedInWorker) close(fd);
    keepExchange(settings.namespaces, statusFd, [&](pid_t keeper) {
        close(statusFd);
        runWorker(request, settings, keeper, resultFd);
    });
}

int pidfdOpen(pid_t pid) {
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
}

// Reads the worker's message until it is whole, the worker has ended and
// the pipe is drained, or the deadline passes. False on the deadline.
class Waiter {
public:
    Waiter(pid_t worker, int resultFd, int timeoutSeconds)
        : pid(worker),
          pipeFd(resultFd),
          processFd(pidfdOpen(worker)),
          deadline(timeoutSeconds > 0 ? Clock::now() + std::chrono::seconds(timeoutSeconds)
                                      : Clock::time_point::max()) {}
    ~Waiter() {
        if (processFd >= 0) close(processFd);
    }
    Waiter(const Waiter&) = delete;
    Waiter& operator=(const Waiter&) = delete;

    bool wait(WorkerStream& stream);

private:
    int pollTimeout() const;
    // False once nothing more is to come through the pipe.
    bool take(WorkerStream& stream);

    pid_t pid;
    int pipeFd;
    int processFd;
    Clock::time_point deadline;
};

int Waiter::pollTimeout() const {
    if (deadline == Clock::time_point::max()) return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}

// A worker whose frames are not sound is ended: left writing into a pipe
// that nobody reads, it would hold the server until the run's time-out.
bool Waiter::take(WorkerStream& stream) {
    char chunk[4096];
    for (;;) {
        const ssize_t got = read(pipeFd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EAGAIN) return true;
        if (got <= 0) return false;
        const WorkerStream::State state =
            stream.feed(std::string_view(chunk, static_cast<std::size_t>(got)));
        if (state == WorkerStream::State::damaged) kill(pid, SIGTERM);
        if (state != WorkerStream::State::reading) return false;
    }
}

// The worker may leave children that hold the pipe open: its own end, seen
// through the process descriptor, ends the reading as well.
bool Waiter::wait(WorkerStream& stream) {
    bool reading = true;
    bool running = true;
    while (reading || running) {
        pollfd watched[2] = {{pipeFd, POLLIN, 0}, {processFd, POLLIN, 0}};
        if (!reading) watched[0].fd = -1;
        if (!running || processFd < 0) watched[1].fd = -1;
        if (watched[0].fd < 0 && watched[1].fd < 0) break;
        const int ready = poll(watched, 2, pollTimeout());
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        if (watched[0].revents != 0) reading = take(stream);
        if (watched[1].revents != 0) {
            running = false;
            if (reading) take(stream);
            reading = false;
        }
    }
    return true;
}

std::string signalName(int signal) {
    const char* abbreviation = sigabbrev_np(signal);
    return abbreviation ? std::string("SIG") + abbreviation : "signal " + std::to_string(signal);
}

std::string endOfWorker(int status) {
    if (WIFSIGNALED(status)) return "test function crashed: " + signalName(WTERMSIG(status));
    return "test function exited with status " + std::to_string(WEXITSTATUS(status));
}

ServerReply failedRun(const std::string& text) {
    ServerReply reply;
    setServerError(reply, text);
    return reply;
}

ServerReply replyOf(const WorkerResult& result) {
    ServerReply reply;
    reply.outFile = result.outFile;
    reply.errLine = result.errLine;
    reply.errPos = result.errPos;
    reply.errText = result.errText;
    // A state the device could not reach leaves it as it was.
    device().setState(result.device);
    return reply;
}

// A keeper told to end ends the worker and all it started; one that does not
// within this time is killed, and the worker with it.
constexpr int keeperGraceMs = 2000;

int waitForKeeper(pid_t keeper, bool inTime) {
    int status = 0;
    if (!inTime) {
        kill(keeper, SIGTERM);
        for (int waited = 0; waited < keeperGraceMs; waited += 10) {
            if (waitpid(keeper, &status, WNOHANG) == keeper) return status;
            usleep(10'000);
        }
        kill(keeper, SIGKILL);
    }
    while (waitpid(keeper, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// The worker's own wait status, which its keeper passes on; the keeper's when
// it ended before it could.
int collect(pid_t keeper, bool inTime, int statusFd) {
    const int keeperStatus = waitForKeeper(keeper, inTime);
    kill(-keeper, SIGKILL);
    int status = 0;
    const bool passed = read(statusFd, &status, sizeof status) == sizeof status;
    close(statusFd);
    return passed ? status : keeperStatus;
}

ServerReply endedRun(const WorkerStream& stream, int status, bool inTime, int runTimeout) {
    if (!inTime) return failedRun("run timed out after " + std::to_string(runTimeout) + " s");
    if (stream.state() == WorkerStream::State::damaged)
        return failedRun("the worker sent a damaged result");
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        if (const std::optional<WorkerResult> result = decodeWorkerResult(stream.result()))
            return replyOf(*result);
        if (!stream.result().empty()) return failedRun("the worker sent a damaged result");
    }
    return failedRun(endOfWorker(status));
}

// A run that never returned leaves the test that was running as an error,
// with what ended it.
void addVerdicts(ServerReply& reply, WorkerStream& stream) {
    reply.verdictsWanted = true;
    reply.verdicts = std::move(stream.judged());
    reply.runEnd = stream.runEnd().value_or(remote::RemoteRunEnd{});
    reply.runEnd.dropped = stream.dropped();
    if (reply.runEnd.returned || !stream.running()) return;
    remote::RemoteVerdict crashed = *stream.running();
    crashed.outcome = remote::VerdictOutcome::error;
    crashed.reason = reply.errText;
    crashed.seconds =
        std::chrono::duration<double>(WorkerStream::Clock::now() - stream.runningSince()).count();
    remote::boundVerdict(crashed);
    reply.verdicts.push_back(std::move(crashed));
}

ServerReply superviseWorker(pid_t keeper, int resultFd, int statusFd,
                            const WorkerSettings& settings, bool verdicts) {
    WorkerStream stream;
    Waiter waiter(keeper, resultFd, settings.runTimeout);
    const bool inTime = waiter.wait(stream);
    const int status = collect(keeper, inTime, statusFd);
    close(resultFd);
    ServerReply reply = endedRun(stream, status, inTime, settings.runTimeout);
    if (verdicts) addVerdicts(reply, stream);
    return reply;
}

ServerReply workerReply(const remote::ServerRequest& request, const WorkerSettings& settings) {
    int ends[2];
    int statusEnds[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return failedRun(std::string("cannot start a worker: ") + std::strerror(errno));
    if (pipe2(statusEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        const int error = errno;
        close(ends[0]);
        close(ends[1]);
        return failedRun(std::string("cannot start a worker: ") + std::strerror(error));
    }
    // Buffered lines would be written twice, once by each process.
    std::fflush(nullptr);
    const pid_t server = getpid();
    const pid_t keeper = fork();
    if (keeper == 0) {
        close(ends[0]);
        close(statusEnds[0]);
        runKeeper(request, settings, server, ends[1], statusEnds[1]);
    }
    const int error = errno;
    close(ends[1]);
    close(statusEnds[1]);
    if (keeper < 0) {
        close(ends[0]);
        close(statusEnds[0]);
        return failedRun(std::string("cannot start a worker: ") + std::strerror(error));
    }
    setpgid(keeper, keeper);
    fcntl(ends[0], F_SETFL, O_NONBLOCK);
    return superviseWorker(keeper, ends[0], statusEnds[0], settings, request.wantsVerdicts());
}

}  // namespace

ServerReply runInWorker(const remote::ServerRequest& request, const WorkerSettings& settings) {
    ServerReply reply = workerReply(request, settings);
    // Even a worker that could not start answers with its (empty) verdicts:
    // the client must not take this server for one that gives none.
    reply.verdictsWanted = request.wantsVerdicts();
    reply.blocks = displayBlocks(device().picture());
    return reply;
}

}  // namespace zorserver
