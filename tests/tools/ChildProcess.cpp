#include "ChildProcess.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "TempDir.h"

#ifndef ZOR_XMLLINT
#error "ZOR_XMLLINT must name the xmllint program"
#endif

namespace zortest {

namespace {

// Output goes to files rather than pipes, so a chatty child never blocks.
[[noreturn]] void execChild(const std::vector<std::string>& argv, const std::string& dir,
                            const std::string& outFile, const std::string& errFile) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errFile.c_str(), O_WRONLY | O_NOCTTY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
        _exit(127);
    if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(127);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

int waitFor(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Everything the terminal holds once the child has ended; reading a terminal
// whose other side is closed ends with an error rather than end of file.
std::string drain(int terminal) {
    std::string text;
    char chunk[4096];
    ssize_t got;
    while ((got = read(terminal, chunk, sizeof chunk)) > 0) text.append(chunk, got);
    return text;
}

}  // namespace

ChildResult runChild(const std::vector<std::string>& argv, const std::string& dir) {
    TempDir capture;
    const std::string outFile = capture.file("out"), errFile = capture.file("err");
    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) execChild(argv, dir, outFile, errFile);
    ChildResult result;
    result.status = waitFor(child);
    result.out = readFile(outFile);
    result.err = readFile(errFile);
    return result;
}

// The terminal's buffer holds far more than ZorRun's progress lines, so it is
// read only after the child has ended.
ChildResult runChildOnTerminal(const std::vector<std::string>& argv, const std::string& dir) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        throw std::runtime_error("no pseudo-terminal");
    TempDir capture;
    const std::string outFile = capture.file("out");
    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) execChild(argv, dir, outFile, ptsname(master));
    ChildResult result;
    result.status = waitFor(child);
    result.out = readFile(outFile);
    fcntl(master, F_SETFL, O_NONBLOCK);
    result.err = drain(master);
    close(master);
    return result;
}

std::string xmllintAnswer(const std::vector<std::string>& args) {
    std::vector<std::string> argv{ZOR_XMLLINT};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildResult result = runChild(argv);
    std::string answer = result.out + result.err;
    if (!answer.empty() && answer.back() == '\n') answer.pop_back();
    return answer;
}

}  // namespace zortest
