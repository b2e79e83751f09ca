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
#include "WorkerMessage.h"
#include "ZorLib.h"
#include "host/PosixFiles.h"

namespace zorserver {

namespace {

using Clock = std::chrono::steady_clock;

// The library's machine-wide output lock, which every writer opens for its
// write phase, lies outside the folder.
constexpr const char* outputLockFile = "/tmp/ZorSem.lock";

// The walls go up before anything of the request runs.
void enterWorker(const WorkerSettings& settings, pid_t server) {
    // Its own process group, so that whatever it starts ends with it.
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != server) _exit(127);
    for (const int fd : settings.closedInWorker) close(fd);
    limitAddressSpace(settings.maxMemory);
    // Built before the walls: it creates the output lock when missing.
    Parse::getIO();
    confineWritesToFolder(settings.folderFd, outputLockFile);
    confineLibraryFiles(settings.folderFd);
}

[[noreturn]] void runWorker(const remote::ServerRequest& request, const WorkerSettings& settings,
                            pid_t server, int resultFd) {
    enterWorker(settings, server);
    const RunOutcome outcome = runRequest(request);
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

    bool wait(std::string& message);

private:
    int pollTimeout() const;
    // False once nothing more is to come through the pipe.
    bool take(std::string& message);

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

bool Waiter::take(std::string& message) {
    char chunk[4096];
    for (;;) {
        const ssize_t got = read(pipeFd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EAGAIN) return true;
        if (got <= 0) return false;
        message.append(chunk, static_cast<std::size_t>(got));
        const std::size_t whole = announcedLength(message);
        if (message.size() > maxWorkerMessage || (whole > 0 && message.size() >= whole))
            return false;
    }
}

// The worker may leave children that hold the pipe open: its own end, seen
// through the process descriptor, ends the reading as well.
bool Waiter::wait(std::string& message) {
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
        if (watched[0].revents != 0) reading = take(message);
        if (watched[1].revents != 0) {
            running = false;
            if (reading) take(message);
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

// Collects the worker, then ends whatever it left running in its group.
int collect(pid_t worker, bool inTime) {
    if (!inTime) kill(worker, SIGKILL);
    int status = 0;
    while (waitpid(worker, &status, 0) < 0 && errno == EINTR) {
    }
    kill(-worker, SIGKILL);
    return status;
}

ServerReply superviseWorker(pid_t worker, int resultFd, const WorkerSettings& settings) {
    std::string message;
    Waiter waiter(worker, resultFd, settings.runTimeout);
    const bool inTime = waiter.wait(message);
    const int status = collect(worker, inTime);
    close(resultFd);
    if (!inTime)
        return failedRun("run timed out after " + std::to_string(settings.runTimeout) + " s");
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        if (const std::optional<WorkerResult> result = decodeWorkerResult(message))
            return replyOf(*result);
        if (!message.empty()) return failedRun("the worker sent a damaged result");
    }
    return failedRun(endOfWorker(status));
}

ServerReply workerReply(const remote::ServerRequest& request, const WorkerSettings& settings) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return failedRun(std::string("cannot start a worker: ") + std::strerror(errno));
    // Buffered lines would be written twice, once by each process.
    std::fflush(nullptr);
    const pid_t server = getpid();
    const pid_t worker = fork();
    if (worker == 0) {
        close(ends[0]);
        runWorker(request, settings, server, ends[1]);
    }
    const int error = errno;
    close(ends[1]);
    if (worker < 0) {
        close(ends[0]);
        return failedRun(std::string("cannot start a worker: ") + std::strerror(error));
    }
    setpgid(worker, worker);
    fcntl(ends[0], F_SETFL, O_NONBLOCK);
    return superviseWorker(worker, ends[0], settings);
}

}  // namespace

ServerReply runInWorker(const remote::ServerRequest& request, const WorkerSettings& settings) {
    ServerReply reply = workerReply(request, settings);
    reply.blocks = displayBlocks(device().picture());
    return reply;
}

}  // namespace zorserver
