// A script opened once and looked at through its descriptor before anything
// reads it: a FIFO, a device or a folder would never end (or never begin), and
// a file past the size limit would only fill memory. The library then reads
// the very file that was looked at, through /proc/self/fd, so that a name
// swapped for /dev/zero in between changes nothing.
#pragma once

#include <string>

namespace zorrun {

// The largest script ZorRun reads: 64 MiB, several times the largest suite
// a run is known to hold, and far below what its outline could not take.
inline constexpr long scriptSizeLimit = 64L << 20;

class CheckedScript {
public:
    explicit CheckedScript(const std::string& path);
    ~CheckedScript();
    CheckedScript(const CheckedScript&) = delete;
    CheckedScript& operator=(const CheckedScript&) = delete;

    // Why the script must not be read ("is a FIFO, not a regular file"), or
    // "" when it may be, or when it could not be opened at all: the library
    // then fails to open it too and says why in its own words.
    const std::string& getProblem() const { return problem; }
    // The name to hand the library: the opened file where /proc tells it,
    // else the path as given (a swap after the check then stays possible).
    const std::string& getPath() const { return readPath; }
    // A folder fails at once, as a script that is not there does.
    bool isFolder() const { return folder; }

private:
    int descriptor = -1;
    bool folder = false;
    std::string problem;
    std::string readPath;
};

// Why the file at path is no script to read, by its status alone: "" for a
// regular file within the limit.
std::string scriptKindProblem(unsigned mode, long long size);

}  // namespace zorrun
