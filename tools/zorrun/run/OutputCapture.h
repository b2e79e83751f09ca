// What a worker's test functions print on stdout and stderr. The worker's
// descriptors 1 and 2 lead into a pipe that the supervisor reads, so that a
// test function can never put a line of its own among ZorRun's (a forged
// verdict or summary); the supervisor shows what it caught with the script.
#pragma once

#include <string>

namespace zorrun {

class OutputCapture {
public:
    // Bytes kept of one script's output; the rest is counted.
    static constexpr std::size_t keptBytes = 64 * 1024;

    OutputCapture() = default;
    ~OutputCapture();
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    // -s: the worker keeps ZorRun's own stdout and stderr, as a debugging
    // session wants them; nothing is caught.
    void passThrough() { passing = true; }
    // Supervisor, before starting a worker: a new pipe; false with the reason.
    bool prepare(std::string& reason);
    // Worker, right after it started: stdout and stderr go into the pipe.
    void becomeWorker();
    // Supervisor, right after the worker started.
    void becomeSupervisor();

    // The end to wait on; -1 once it is closed.
    int descriptor() const { return readEnd; }
    // Takes what the pipe holds now, never waiting for more.
    void take();
    // What the worker printed, once it has ended, with a note of what was not
    // kept; the pipe is closed. A process the worker left behind that still
    // holds the pipe is not waited for.
    std::string finish();

private:
    static void closeEnd(int& end);

    int readEnd = -1;
    int writeEnd = -1;
    std::string kept;
    std::size_t dropped = 0;
    bool passing = false;
};

}  // namespace zorrun
