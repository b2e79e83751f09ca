// Runs a program in a child process and collects its exit status and output,
// for tests that meet ZorRun and xmllint as a user's shell does.
#pragma once

#include <string>
#include <vector>

namespace zortest {

struct ChildResult {
    int status = -1;  // the exit status; -1 when the child did not exit normally
    std::string out;
    std::string err;
};

// argv[0] is the program's path; the child runs in dir when it is not empty,
// with stdin from /dev/null.
ChildResult runChild(const std::vector<std::string>& argv, const std::string& dir = "");

// The same with stderr on a pseudo-terminal, as in an interactive shell; err
// holds what the terminal received.
ChildResult runChildOnTerminal(const std::vector<std::string>& argv, const std::string& dir);

// What xmllint prints for the arguments (stdout, then stderr), without the
// line feed it adds after an --xpath answer.
std::string xmllintAnswer(const std::vector<std::string>& args);

}  // namespace zortest
