// ZorRun run as a user runs it: the real binary in a child process, in a fresh
// folder holding the scripts, with relative names as a shell would give them.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include "TempDir.h"

namespace zorruntest {

struct ChildResult {
    int status = -1;  // -1 when the child did not exit normally
    std::string out, err;
};

// Runs the program in dir with stdin from /dev/null, and stdout and stderr in
// files (which never block a chatty child), but for the stream numbered
// onTerminal (1 or 2), which goes to a pseudo-terminal as in an interactive
// shell, read once the child has ended.
inline ChildResult runChild(std::vector<std::string> argv, const std::string& dir = "",
                            int onTerminal = 0) {
    zortest::TempDir capture;
    const int terminal = onTerminal ? posix_openpt(O_RDWR | O_NOCTTY) : -1;
    EXPECT_TRUE(!onTerminal ||
                (terminal >= 0 && grantpt(terminal) == 0 && unlockpt(terminal) == 0));
    const std::string files[] = {capture.file("out"), capture.file("err")};
    const std::string terminalName = onTerminal ? ptsname(terminal) : "";
    const pid_t child = fork();
    if (child == 0) {
        dup2(open("/dev/null", O_RDONLY), 0);
        for (int fd : {1, 2}) {
            const std::string& name = fd == onTerminal ? terminalName : files[fd - 1];
            dup2(open(name.c_str(), O_WRONLY | O_NOCTTY | O_CREAT | O_TRUNC, 0600), fd);
        }
        std::vector<char*> args;
        for (std::string& arg : argv) args.push_back(arg.data());
        args.push_back(nullptr);
        if (dir.empty() || chdir(dir.c_str()) == 0) execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    ChildResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                       onTerminal == 1 ? "" : zortest::readFile(files[0]),
                       onTerminal == 2 ? "" : zortest::readFile(files[1])};
    if (onTerminal) {
        fcntl(terminal, F_SETFL, O_NONBLOCK);
        std::string& shown = onTerminal == 1 ? result.out : result.err;
        char chunk[4096];
        for (ssize_t got; (got = read(terminal, chunk, sizeof chunk)) > 0;)
            shown.append(chunk, got);
        close(terminal);
    }
    return result;
}

// The program with stdout on a pipe, read as a CI job reads it, and stderr in
// a file. A file-size limit, when given, holds in the child, whose SIGXFSZ is
// ignored so that a write past it fails instead of ending the child.
class PipedChild {
public:
    PipedChild(std::vector<std::string> argv, const std::string& dir, long fileSizeLimit = -1) {
        int ends[2];
        EXPECT_EQ(pipe(ends), 0);
        const std::string errFile = capture.file("err");
        pid = fork();
        if (pid == 0) {
            close(ends[0]);
            dup2(open("/dev/null", O_RDONLY), 0);
            dup2(ends[1], 1);
            dup2(open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
            if (fileSizeLimit >= 0) {
                const rlimit limit{static_cast<rlim_t>(fileSizeLimit),
                                   static_cast<rlim_t>(fileSizeLimit)};
                setrlimit(RLIMIT_FSIZE, &limit);
                ::signal(SIGXFSZ, SIG_IGN);
            }
            std::vector<char*> args;
            for (std::string& arg : argv) args.push_back(arg.data());
            args.push_back(nullptr);
            if (chdir(dir.c_str()) == 0) execv(args[0], args.data());
            _exit(127);
        }
        close(ends[1]);
        out = ends[0];
    }
    ~PipedChild() {
        if (out >= 0) finish();
    }

    // Reads until the output holds text; false when it ended without it.
    bool waitFor(const std::string& text) {
        char chunk[4096];
        while (result.out.find(text) == std::string::npos) {
            const ssize_t got = read(out, chunk, sizeof chunk);
            if (got <= 0) return false;
            result.out.append(chunk, static_cast<std::size_t>(got));
        }
        return true;
    }
    void sendSignal(int number) const { kill(pid, number); }

    ChildResult finish() {
        char chunk[4096];
        for (ssize_t got; (got = read(out, chunk, sizeof chunk)) > 0;) {
            result.out.append(chunk, static_cast<std::size_t>(got));
        }
        close(out);
        out = -1;
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.err = zortest::readFile(capture.file("err"));
        return result;
    }

private:
    zortest::TempDir capture;
    pid_t pid = -1;
    int out = -1;
    ChildResult result;
};

class ZorRunFixture : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& text) const {
        zortest::writeFile(dir.file(name), text);
        return name;
    }
    std::string read(const std::string& name) const { return zortest::readFile(dir.file(name)); }
    ChildResult zorRun(std::vector<std::string> args) const {
        args.insert(args.begin(), ZORRUN_PATH);
        return runChild(args, dir.path().string());
    }
    ChildResult zorRunPiped(std::vector<std::string> args, long fileSizeLimit = -1) const {
        args.insert(args.begin(), ZORRUN_PATH);
        return PipedChild(args, dir.path().string(), fileSizeLimit).finish();
    }
    // What xmllint says of the JUnit report, without the line feed it adds
    // after an --xpath answer.
    std::string xmllint(const std::string& option, const std::string& xpath = "") const {
        std::vector<std::string> argv{ZOR_XMLLINT, option, dir.file("report.xml")};
        if (!xpath.empty()) argv.insert(argv.begin() + 2, xpath);
        const ChildResult result = runChild(argv);
        const std::string answer = result.out + result.err;
        return answer.ends_with('\n') ? answer.substr(0, answer.size() - 1) : answer;
    }

    zortest::TempDir dir;
};

}  // namespace zorruntest
