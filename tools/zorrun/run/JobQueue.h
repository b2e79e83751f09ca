// The order in which scripts may start when several run at once. A script
// waits for every script before it on the command line that shares a file
// with it, so each file is written in the order one job writes it.
#pragma once

#include <string>
#include <vector>

#include "OutputFiles.h"

namespace zorrun {

// One run of one script: with --repeat, a script has one job per run.
struct ScriptJob {
    std::string script;
    std::string runSuffix;  // " (run 2/3)", or empty for a single run
};

// Every run of every script, in the order a single job runs them.
std::vector<ScriptJob> listJobs(const std::vector<std::string>& scripts, int repeat);

// Jobs become known in order, as their scripts' files are found, so that
// the first ones start while the later ones are still being read.
class JobQueue {
public:
    explicit JobQueue(std::size_t jobCount);

    // The files of the next job in order.
    void plan(ScriptFileNames jobFiles);
    // The first planned, waiting job that shares no file with an earlier one
    // not yet finished, now taken; -1 when none may start now.
    int take();
    void finish(int job);
    bool allTaken() const { return firstWaiting >= state.size(); }

private:
    enum State : char { waiting, running, finished };

    std::vector<ScriptFileNames> files;
    std::vector<State> state;
    std::size_t firstWaiting = 0;
    std::size_t firstUnfinished = 0;
};

}  // namespace zorrun
