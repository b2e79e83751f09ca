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
    // Why the run could not take the script pane's text; empty when it did.
    std::string paneRefused;
    // With paneRefused: whether the file on disk ran in its place.
    bool diskFileRan = false;
};

// "local | all tests | 2 passed, 1 failed, 0 errors | 0.31 s"; a selection
// that reached no test says "nothing ran: the selection matches no test".
// The run's error or notice follows whole, as the output field may cut it.
std::string runStatusText(const RunStatus& status);

}  // namespace viewer
