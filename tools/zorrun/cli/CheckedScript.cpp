#include "CheckedScript.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zorrun {

namespace {

const char* kindOf(unsigned mode) {
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

// The magic link reopens the descriptor's own file, whatever its name now
// leads to; without /proc there is only the name.
std::string pathOf(int descriptor, const std::string& given) {
    const std::string own = "/proc/self/fd/" + std::to_string(descriptor);
    return access(own.c_str(), R_OK) == 0 ? own : given;
}

}  // namespace

std::string scriptKindProblem(unsigned mode, long long size) {
    if (S_ISDIR(mode)) return "is a directory";
    if (!S_ISREG(mode)) {
        const std::string kind = kindOf(mode);
        return kind.starts_with("not") ? kind : "is " + kind + ", not a regular file";
    }
    if (size > scriptSizeLimit)
        return "too large (" + std::to_string(size) + " bytes; the limit is " +
               std::to_string(scriptSizeLimit) + ")";
    return "";
}

// What the name leads to is refused before it is opened where it can be:
// opening some devices (a tape) already does something. O_NONBLOCK: a FIFO
// put in its place meanwhile would wait for a writer at the open.
CheckedScript::CheckedScript(const std::string& path) : readPath(path) {
    struct stat status;
    if (stat(path.c_str(), &status) == 0) {
        folder = S_ISDIR(status.st_mode);
        problem = scriptKindProblem(status.st_mode, status.st_size);
    }
    if (!problem.empty()) return;
    descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0 || fstat(descriptor, &status) != 0) return;
    folder = S_ISDIR(status.st_mode);
    problem = scriptKindProblem(status.st_mode, status.st_size);
    if (problem.empty()) readPath = pathOf(descriptor, path);
}

CheckedScript::~CheckedScript() {
    if (descriptor >= 0) close(descriptor);
}

}  // namespace zorrun
