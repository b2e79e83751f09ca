// A run of a whole script without the dialog: `ZorViewer SCRIPT`.
#pragma once

#include <string>
#include <vector>

#include "RunEngines.h"

namespace viewer {

struct BatchOutcome {
    // What the user is told, in order; each text is shown on its own.
    std::vector<std::string> messages;
    // 0 every test passed, 1 a verification failed, 2 the script could not
    // run through (unreadable, no output file, a script error).
    int status = 0;
};

// The command line after the program's name: its arguments joined by spaces.
std::string batchInputName(int argc, const char* const* argv);

// Runs every test of the script without trace limits.
BatchOutcome runBatch(LibraryAccess& library, const std::string& scriptFile);

}  // namespace viewer
