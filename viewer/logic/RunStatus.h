// The status line after a run: where it ran, what ran, how it ended and how
// long it took, so that a passed, a failed and a partial run never look alike.
#pragma once

#include <string>

#include "RunEngines.h"

namespace viewer {

struct RunStatus {
    std::string where;        // "local" or the server's "host:port"
    std::string testName;     // the selected test; empty when all tests ran
    int testPosition = 0;     // its position, as the filter names it
    const RunResult* result;  // the run's result
    double seconds = 0;
};

// "local | all tests | 2 passed, 1 failed, 0 errors | 0.31 s"; a selection
// that reached no test says "nothing ran: the selection matches no test".
std::string runStatusText(const RunStatus& status);

}  // namespace viewer
