#include "ChildProcess.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
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

}  // namespace

ChildResult runChild(const std::vector<std::string>& argv, const std::string& dir) {
    TempDir capture;
    const std::string outFile = capture.file("out"), errFile = capture.file("err");
    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) execChild(argv, dir, outFile, errFile);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    ChildResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readFile(outFile);
    result.err = readFile(errFile);
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
