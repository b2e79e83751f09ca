#include "JobQueue.h"

#include <algorithm>

namespace zorrun {

namespace {

// Waiting jobs looked at for one that may start: past this many, a long run
// of scripts sharing one file would make each look cost as much as the run.
constexpr std::size_t lookAhead = 256;

}  // namespace

std::vector<ScriptJob> listJobs(const std::vector<std::string>& scripts, int repeat) {
    std::vector<ScriptJob> jobs;
    for (int run = 1; run <= repeat; ++run) {
        const std::string suffix =
            repeat == 1 ? std::string()
                        : " (run " + std::to_string(run) + "/" + std::to_string(repeat) + ")";
        for (const std::string& script : scripts) jobs.push_back({script, suffix});
    }
    return jobs;
}

JobQueue::JobQueue(std::size_t jobCount) : state(jobCount, waiting) {
    files.reserve(jobCount);
}

void JobQueue::plan(ScriptFileNames jobFiles) {
    if (files.size() < state.size()) files.push_back(std::move(jobFiles));
}

int JobQueue::take() {
    const std::size_t end = std::min(files.size(), firstWaiting + lookAhead);
    for (std::size_t job = firstWaiting; job < end; ++job) {
        if (state[job] != waiting) continue;
        bool free = true;
        for (std::size_t earlier = firstUnfinished; free && earlier < job; ++earlier)
            free = state[earlier] == finished || !shareFiles(files[earlier], files[job]);
        if (!free) continue;
        state[job] = running;
        while (firstWaiting < state.size() && state[firstWaiting] != waiting) ++firstWaiting;
        return static_cast<int>(job);
    }
    return -1;
}

void JobQueue::finish(int job) {
    state[static_cast<std::size_t>(job)] = finished;
    while (firstUnfinished < state.size() && state[firstUnfinished] == finished) ++firstUnfinished;
}

}  // namespace zorrun
