// Runs scripts in several workers at once. Each script's events are kept
// until every script before it has been told, then told to the reporters, so
// the reports read as with one job, only sooner.
#pragma once

#include <vector>

#include "Events.h"
#include "JobQueue.h"
#include "Options.h"
#include "TestSelection.h"

namespace zorrun {

// One script run by one worker (numbered from 1), in seconds from the start
// of the run; script counts the scripts told before it.
struct WorkerSpan {
    int worker = 0;
    int script = 0;
    double start = 0;
    double end = 0;
};

// selection may be null. Once --maxfail's failures are reached no script
// starts; those already running end as they would. With reports, failed tests carry
// their report blocks.
std::vector<WorkerSpan> runInParallel(const std::vector<ScriptJob>& jobs, const RunOptions& options,
                                      bool withReports, TestSelection* selection,
                                      Reporter& reporters);

}  // namespace zorrun
