#include "ServerProcess.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "TempDir.h"

namespace zortest {

namespace {

// Output goes to files rather than pipes, so that a chatty server never
// blocks on a pipe that nobody reads.
[[noreturn]] void execServer(const std::vector<std::string>& argv, const std::string& dir,
                             const std::string& outFile, const std::string& errFile,
                             long maxFileSize) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (maxFileSize > 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(maxFileSize), static_cast<rlim_t>(maxFileSize)};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
    }
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
        _exit(127);
    if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(127);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

bool readPorts(const std::string& output, int& tcpPort, int& enteredPort) {
    const std::size_t line = output.find("TCP port ");
    if (line == std::string::npos || output.find('\n', line) == std::string::npos) return false;
    return std::sscanf(output.c_str() + line, "TCP port %d; viewers enter port %d", &tcpPort,
                       &enteredPort) == 2;
}

}  // namespace

void giveToWorkerUser(const std::filesystem::path& folder) {
    const passwd* nobody = geteuid() == 0 ? getpwnam("nobody") : nullptr;
    if (!nobody) return;
    lchown(folder.c_str(), nobody->pw_uid, nobody->pw_gid);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        lchown(entry.path().c_str(), nobody->pw_uid, nobody->pw_gid);
}

ServerProcess::ServerProcess(const std::vector<std::string>& argv, const std::string& dir,
                             long maxFileSize) {
    giveToWorkerUser(dir);
    child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) execServer(argv, dir, outFile, errFile, maxFileSize);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!readPorts(readFile(outFile), listeningPort, enteredPort) &&
           std::chrono::steady_clock::now() < deadline && waitpid(child, nullptr, WNOHANG) == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

int ServerProcess::stop() {
    if (child <= 0) return -1;
    kill(child, SIGTERM);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    child = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace zortest
