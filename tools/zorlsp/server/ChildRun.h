// A ZorRun started for the editor. Its console output is drained through a
// pipe that the server's loop polls beside its input, so that the server
// keeps answering while the run goes on and the child never blocks on a
// full pipe.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zorlsp {

class ChildRun {
public:
    ChildRun() = default;
    ChildRun(const ChildRun&) = delete;
    ChildRun& operator=(const ChildRun&) = delete;
    // A run still going when the server ends is stopped.
    ~ChildRun();

    // Starts program with arguments in folder; false with the reason.
    bool start(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& folder, std::string& problem);
    // The pipe to poll.
    int getFd() const { return fd; }
    // Takes what the pipe holds; true once the child has ended and is reaped.
    bool drain();
    int getExitStatus() const { return exitStatus; }
    const std::string& getOutput() const { return output; }

private:
    pid_t pid = -1;
    int fd = -1;
    int exitStatus = -1;
    std::string output;
};

}  // namespace zorlsp
