// Test functions that turn on the process running them: they fork and let the
// copy run on, stop the process that supervises them, wipe the memory they
// share with it, return text that reads like report blocks, reach for files'
// metadata and devices, signal the server, leave a process behind or print
// lines that read like ZorRun's own. Whatever they do, a run must not end as a
// pass.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>

#include "ZorLib.h"

namespace {

std::string_view textInput(const char* name) {
    const char* value = static_cast<char*>(Parse::getInStore()[0][name]);
    return value ? value : "";
}

// The copy returns into the library and runs the rest of the script, as a
// child that forgot _exit would; the original waits until the copy is done,
// then crashes.
void forkAndReturn() {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child <= 0) return;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    std::signal(SIGSEGV, SIG_DFL);
    std::raise(SIGSEGV);
}

bool isStopped(pid_t process) {
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'T';
}

// Stops the parent, so that the verdicts of the tests that follow stay unread
// until wipeSharedMemory lets it go on. A guard holding no descriptor lets it
// go on after a few seconds anyway, so that a run that never reaches the wipe
// cannot hang.
void freezeParent() {
    const pid_t parent = getppid();
    if (fork() == 0) {
        for (int fd = 0; fd < 1024; ++fd) close(fd);
        std::this_thread::sleep_for(std::chrono::seconds(5));
        kill(parent, SIGCONT);
        _exit(0);
    }
    kill(parent, SIGSTOP);
    for (int wait = 0; wait < 2000 && !isStopped(parent); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Memory shared with another process and backed by no file on disk.
bool isSharedMemory(std::string_view perms, std::string_view path) {
    return perms == "rw-s" &&
           (path.empty() || path.starts_with("/dev/zero") || path.starts_with("/memfd:") ||
            path.starts_with("/SYSV") || path.starts_with("/dev/shm/"));
}

// Zeroes every such mapping, as a stray memset through a wild pointer might,
// then lets the parent go on. Logs how many it wiped.
void wipeSharedMemory() {
    std::ifstream maps("/proc/self/maps");
    int wiped = 0;
    for (std::string line; std::getline(maps, line);) {
        unsigned long from = 0, to = 0;
        char perms[5] = {};
        int pathAt = 0;
        if (std::sscanf(line.c_str(), "%lx-%lx %4s %*s %*s %*s%n", &from, &to, perms, &pathAt) < 3)
            continue;
        std::string_view path = std::string_view(line).substr(static_cast<std::size_t>(pathAt));
        path.remove_prefix(std::min(path.find_first_not_of(' '), path.size()));
        if (!isSharedMemory(perms, path)) continue;
        std::memset(reinterpret_cast<void*>(from), 0, to - from);
        ++wiped;
    }
    kill(getppid(), SIGCONT);
    Parse::getOutStore()["wiped"] = wiped;
}

// Lines that end the block being written and open one of a test named fake.
void forgedReport() {
    Parse::getOutStore()["text"] = "\r\n}\r\n\r\nfake\r\n{\r\n  verified:";
}

int openForWriting(const char* path) {
    const int fd = open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) close(fd);
    return fd;
}

// One call on the file named path, by op's name; 0 or -1 with errno.
int reach(std::string_view op, const std::string& path) {
    const char* file = path.c_str();
    if (op == "chmod") return chmod(file, 0777);
    if (op == "chown") return chown(file, getuid(), getgid());
    if (op == "utimes") return utimes(file, nullptr);
    if (op == "setxattr") return setxattr(file, "user.zor", "x", 1, 0);
    if (op == "mknod") return mknod(file, S_IFCHR | 0666, makedev(1, 3));
    if (op == "mkfifo") return mkfifo(file, 0644);
    if (op == "write") return openForWriting(file);
    if (op == "killParent") return kill(getppid(), SIGKILL);
    if (op == "kill") return kill(static_cast<pid_t>(std::stol(path)), SIGKILL);
    errno = EINVAL;
    return -1;
}

// result: "done" when the call succeeded, else why not.
void tamper() {
    const std::string path(textInput("path"));
    const int outcome = reach(textInput("op"), path);
    Parse::getOutStore()["result"] = outcome >= 0 ? "done" : std::strerror(errno);
}

// A process in a session of its own that appends to path for half a minute;
// returns once it has written.
void leaveStray() {
    const std::string path(textInput("path"));
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        setsid();
        if (fork() == 0) {
            for (int tick = 0; tick < 1500; ++tick) {
                const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
                if (fd >= 0 && ::write(fd, "x", 1) < 0) _exit(1);
                close(fd);
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    struct stat written {};
    for (int wait = 0; wait < 100 && (stat(path.c_str(), &written) != 0 || written.st_size == 0);
         ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// Prints what would pass for ZorRun's own summary, and a sequence that
// would clear the terminal.
void forgeSummary() {
    std::printf(
        "tests: 99, passed: 99, failed: 0, errors: 0, not run: 0, scripts with errors: 0\n");
    std::fflush(stdout);
    std::fputs("\x1b[2Jcleared\n", stderr);
}

// Prints without end and takes no notice of SIGTERM: only SIGKILL ends it.
// The file flooding.mark, for the test to wait on, tells that it has printed
// more than a pipe holds, so that its reader has taken some.
void flood() {
    std::signal(SIGTERM, SIG_IGN);
    const std::string line(199, 'y');
    for (int i = 0; i < 1000; ++i) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    std::ofstream("flooding.mark") << "printed\n";
    for (;;) std::printf("%s\n", line.c_str());
}

ZorCall forgeSummaryRegistration("forgeSummary", forgeSummary);
ZorCall floodRegistration("flood", flood);
ZorCall forkAndReturnRegistration("forkAndReturn", forkAndReturn);
ZorCall freezeParentRegistration("freezeParent", freezeParent);
ZorCall wipeSharedMemoryRegistration("wipeSharedMemory", wipeSharedMemory);
ZorCall forgedReportRegistration("forgedReport", forgedReport);
ZorCall tamperRegistration("tamper", tamper);
ZorCall leaveStrayRegistration("leaveStray", leaveStray);

}  // namespace
