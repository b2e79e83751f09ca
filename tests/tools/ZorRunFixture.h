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
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "TempDir.h"
#ifdef ZORSERVER_PATH
#include "ServerProcess.h"
#endif

namespace zorruntest {

struct ChildResult {
    int status = -1;  // -1 when the child did not exit normally
    // out leaves ZorRun's closing lines out (the recap of failed tests and
    // the time taken, which varies): whole has them.
    std::string out, err, whole;
};

inline std::string withoutClosingLines(const std::string& out) {
    static const std::regex closing("^((failed|error): [^\n]*|ran in [0-9]+\\.[0-9]{2} s)\n",
                                    std::regex::multiline);
    return std::regex_replace(out, closing, "");
}

// The program in dir with stdin from /dev/null, stdout on a pipe as a CI job
// reads it, stderr in a file. Under a file-size limit SIGXFSZ is ignored, so
// that a write past it fails instead of ending the child.
class PipedChild {
public:
    PipedChild(std::vector<std::string> argv, const std::string& dir = "",
               long fileSizeLimit = -1) {
        int ends[2];
        EXPECT_EQ(pipe(ends), 0);
        const std::string errFile = capture.file("err");
        pid = fork();
        if (pid == 0) {
            dup2(open("/dev/null", O_RDONLY), 0);
            dup2(ends[1], 1);
            dup2(open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
            close(ends[0]);
            if (fileSizeLimit >= 0) {
                const rlimit limit{static_cast<rlim_t>(fileSizeLimit),
                                   static_cast<rlim_t>(fileSizeLimit)};
                setrlimit(RLIMIT_FSIZE, &limit);
                ::signal(SIGXFSZ, SIG_IGN);
            }
            std::vector<char*> args;
            for (std::string& arg : argv) args.push_back(arg.data());
            args.push_back(nullptr);
            if (dir.empty() || chdir(dir.c_str()) == 0) execv(args[0], args.data());
            _exit(127);
        }
        close(ends[1]);
        out = ends[0];
    }
    ~PipedChild() {
        if (out >= 0) finish();
    }

    void sendSignal(int number) const { kill(pid, number); }

    ChildResult finish() {
        while (readSome(out, result.out)) {
        }
        close(out);
        out = -1;
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.whole = result.out;
        result.out = withoutClosingLines(result.out);
        result.err = zortest::readFile(capture.file("err"));
        return result;
    }

private:
    static bool readSome(int fd, std::string& into) {
        char chunk[4096];
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got > 0) into.append(chunk, static_cast<std::size_t>(got));
        return got > 0;
    }

    zortest::TempDir capture;
    pid_t pid = -1;
    int out = -1;
    ChildResult result;
};

// ZorRun's last line.
inline std::string summary(int passed, int failed, int scriptsWithErrors = 0, int errors = 0,
                           int notRun = 0) {
    return "tests: " + std::to_string(passed + failed + errors) +
           ", passed: " + std::to_string(passed) + ", failed: " + std::to_string(failed) +
           ", errors: " + std::to_string(errors) + ", not run: " + std::to_string(notRun) +
           ", scripts with errors: " + std::to_string(scriptsWithErrors) + "\n";
}

inline ChildResult runChild(std::vector<std::string> argv, const std::string& dir = "") {
    return PipedChild(std::move(argv), dir).finish();
}

class ZorRunFixture : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& text) const {
        zortest::writeFile(dir.file(name), text);
        return name;
    }
    std::string read(const std::string& name) const { return zortest::readFile(dir.file(name)); }
    ChildResult zorRun(std::vector<std::string> args, long fileSizeLimit = -1) const {
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
    std::string query(const std::string& xpath) const { return xmllint("--xpath", xpath); }

    zortest::TempDir dir;
};

#ifdef ZORSERVER_PATH
// ZorServer in a folder of its own, its clients in another, which is the
// current folder while the test runs.
class ServerFixture : public ZorRunFixture {
protected:
    ServerFixture() : previousDir(std::filesystem::current_path()) {
        std::filesystem::current_path(dir.path());
    }
    ~ServerFixture() override { std::filesystem::current_path(previousDir); }

    void startServer(std::vector<std::string> args = {}, long maxFileSize = 0) {
        args.insert(args.begin(), {ZORSERVER_PATH, "--port", "0"});
        server =
            std::make_unique<zortest::ServerProcess>(args, serverDir.path().string(), maxFileSize);
        ASSERT_TRUE(server->started()) << server->output();
    }
    std::string serverFile(const std::string& name) const {
        return zortest::readFile(serverDir.file(name));
    }
    bool logged(const std::string& text) const {
        return server->output().find(text) != std::string::npos;
    }
    // The server as ZorRun --remote names it.
    std::string address() const { return "localhost:" + std::to_string(server->viewerPort()); }
    zortest::TempDir serverDir;
    std::filesystem::path previousDir;
    std::unique_ptr<zortest::ServerProcess> server;
};
#endif

}  // namespace zorruntest
