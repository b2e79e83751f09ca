// "1234 tests run" on a terminal, for runs that take longer than a second:
// first shown after one second, redrawn at most once a second, cleared again
// before other output and at the end.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>

namespace zorrun {

class ProgressLine {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // A disabled line never writes; ZorRun enables it when stderr is a terminal.
    ProgressLine(std::FILE* out, bool enabled, Clock clock = std::chrono::steady_clock::now);

    // Called after every test with the count so far.
    void update(long testsRun);
    // Erases the line if it is shown, so that other output starts in column 1.
    void hide();

private:
    std::FILE* out;
    bool enabled;
    bool shown = false;
    Clock clock;
    std::chrono::steady_clock::time_point nextDraw;
};

}  // namespace zorrun
