// What a worker's test functions print on stdout and stderr. The worker's
// descriptors 1 and 2 lead into a file in memory of a fixed size, which the
// worker takes at each test's start and verdict, so that what a test printed
// travels with its verdict, and what was printed between tests with the
// script. A test function can never put a line of its own among ZorRun's (a
// forged verdict or summary), and however much it prints, the file does not
// grow: what does not fit is cut, and the cut is said.
#pragma once

#include <string>
#include <string_view>

namespace zorrun {

class OutputCapture {
public:
    // Bytes kept of what one test printed, and of what the script printed
    // outside its tests.
    static constexpr std::size_t keptBytes = 1u << 20;

    OutputCapture() = default;
    ~OutputCapture();
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    // -s: the worker keeps ZorRun's own stdout and stderr, as a debugging
    // session wants them; nothing is caught.
    void passThrough() { passing = true; }
    bool isPassing() const { return passing; }
    // Supervisor, before starting a worker: an empty file; false with the reason.
    bool prepare(std::string& reason);
    // Worker, right after it started: stdout and stderr go into the file.
    void becomeWorker();
    // Worker, at each test's bounds: what was printed since the last take,
    // with a note where it was cut; the file is empty again. "" when nothing
    // is caught.
    std::string take();
    // Supervisor, once the worker has ended: what it printed since its last
    // take; the file is closed.
    std::string finish();

private:
    std::string takeFile();

    int file = -1;
    bool passing = false;
};

// Joins what was taken to what was kept before, within the bound.
void appendOutput(std::string& kept, std::string_view taken);

}  // namespace zorrun
