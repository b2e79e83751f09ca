#include "WorkerBox.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "host/PosixFiles.h"

namespace zorserver {

namespace {

// The one child a keeper waits for; SIGTERM ends it.
volatile sig_atomic_t keptChild = 0;

void endKeptChild(int) {
    if (keptChild > 0) kill(keptChild, SIGKILL);
}

void armTermination() {
    struct sigaction action {};
    action.sa_handler = endKeptChild;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
}

void disarmTermination() {
    std::signal(SIGTERM, SIG_DFL);
}

bool writeProcFile(const char* name, const std::string& text) {
    const int fd = open(name, O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = host::writeAll(fd, text);
    close(fd);
    return written;
}

// The user keeps its own ids inside, so that files keep their owner.
bool mapOwnIds(uid_t uid, gid_t gid) {
    return writeProcFile("/proc/self/setgroups", "deny") &&
           writeProcFile("/proc/self/uid_map",
                         std::to_string(uid) + " " + std::to_string(uid) + " 1") &&
           writeProcFile("/proc/self/gid_map",
                         std::to_string(gid) + " " + std::to_string(gid) + " 1");
}

// The next child of the caller is the first process of a new PID namespace.
// The user namespace comes first and apart: one whose ids cannot be mapped
// must not be followed by a PID namespace whose first process is the worker.
bool enterNamespaces(int namespaces) {
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if ((namespaces & CLONE_NEWUSER) != 0 && (unshare(CLONE_NEWUSER) != 0 || !mapOwnIds(uid, gid)))
        return false;
    return unshare(namespaces & ~CLONE_NEWUSER) == 0;
}

int waitFor(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return 0;
    }
    return status;
}

// A process's number in its own PID namespace, the keeper's: the last of
// those that /proc lists, which numbers processes as its own namespace does.
pid_t ownNumber(pid_t procNumber) {
    std::ifstream status("/proc/" + std::to_string(procNumber) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (!line.starts_with("NSpid:")) continue;
        const std::size_t last = line.find_last_of(" \t");
        return static_cast<pid_t>(std::strtol(line.c_str() + last + 1, nullptr, 10));
    }
    return 0;
}

// The calling thread's children.
std::vector<pid_t> childrenOfSelf() {
    std::ifstream list("/proc/thread-self/children");
    std::vector<pid_t> children;
    for (pid_t pid = 0; list >> pid;)
        if (const pid_t own = ownNumber(pid); own > 0) children.push_back(own);
    return children;
}

// As a subreaper (or a namespace's first process) the caller inherits what
// its descendants leave behind: each round ends the children it has now,
// whose own children then become its children. The first process of a
// namespace reaches every other one there at once.
void endDescendants() {
    const bool firstOfNamespace = getpid() == 1;
    for (;;) {
        if (firstOfNamespace) {
            kill(-1, SIGKILL);
        } else {
            for (const pid_t child : childrenOfSelf()) kill(child, SIGKILL);
        }
        if (waitpid(-1, nullptr, 0) < 0 && errno == ECHILD) return;
    }
}

// Waits for the worker, ends the rest and passes the worker's status on.
[[noreturn]] void superviseWorker(pid_t worker, int statusFd) {
    const int status = waitFor(worker);
    keptChild = 0;
    endDescendants();
    if (statusFd >= 0)
        host::writeAll(statusFd,
                       std::string_view(reinterpret_cast<const char*>(&status), sizeof status));
    _exit(0);
}

// Forks with SIGTERM held, so that the handler never sees a stale child.
pid_t forkKept() {
    sigset_t term, previous;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    sigprocmask(SIG_BLOCK, &term, &previous);
    const pid_t child = fork();
    if (child == 0) disarmTermination();
    if (child > 0) keptChild = child;
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return child;
}

[[noreturn]] void startAndSupervise(int statusFd,
                                    const std::function<void(pid_t keeper)>& startWorker) {
    const pid_t self = getpid();
    const pid_t worker = forkKept();
    if (worker == 0) {
        startWorker(self);
        _exit(127);
    }
    if (worker < 0) _exit(127);
    superviseWorker(worker, statusFd);
}

// The first process of the namespace stands between the keeper and the
// worker, so that the worker is an ordinary process: the kernel shields a
// namespace's first process from the signals its own code raises. Its end
// ends every process in the namespace.
[[noreturn]] void startNamespace(int statusFd,
                                 const std::function<void(pid_t keeper)>& startWorker) {
    // Its parent is outside the namespace, where getppid() cannot see it:
    // the keeper's end of this pipe closes when the keeper ends.
    int life[2];
    if (pipe2(life, O_CLOEXEC) != 0) _exit(127);
    const pid_t first = forkKept();
    if (first == 0) {
        close(life[1]);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        pollfd keeper{life[0], POLLIN, 0};
        if (poll(&keeper, 1, 0) != 0) _exit(127);
        close(life[0]);
        startAndSupervise(statusFd, startWorker);
    }
    if (first < 0) _exit(127);
    close(life[0]);
    close(statusFd);
    waitFor(first);
    keptChild = 0;
    endDescendants();
    _exit(0);
}

}  // namespace

int probeWorkerNamespaces(std::string& why) {
    const int namespaces = geteuid() == 0 ? CLONE_NEWPID : CLONE_NEWUSER | CLONE_NEWPID;
    const pid_t probe = fork();
    if (probe == 0) {
        if (!enterNamespaces(namespaces)) _exit(errno & 0x7f);
        const pid_t first = fork();
        if (first == 0) _exit(0);
        if (first < 0) _exit(errno & 0x7f);
        _exit(waitFor(first) == 0 ? 0 : EINVAL);
    }
    if (probe < 0) {
        why = std::strerror(errno);
        return 0;
    }
    const int status = waitFor(probe);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return namespaces;
    why = WIFEXITED(status) ? std::strerror(WEXITSTATUS(status)) : "the probe crashed";
    return 0;
}

void keepExchange(int namespaces, int statusFd,
                  const std::function<void(pid_t keeper)>& startWorker) {
    armTermination();
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    if (namespaces != 0 && enterNamespaces(namespaces)) startNamespace(statusFd, startWorker);
    startAndSupervise(statusFd, startWorker);
}

bool keepsItsKeeper(pid_t keeper) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    return getppid() == keeper;
}

}  // namespace zorserver
