// Runs scripts in several workers at once. Each script's console lines, JUnit
// suites and JSON object are kept until every script before it has been printed, so
// the output reads as with one job, only sooner.
#pragma once

#include <vector>

#include "HtmlRecorder.h"
#include "JUnitReport.h"
#include "JobQueue.h"
#include "JsonReport.h"
#include "LastFailed.h"
#include "Options.h"
#include "RunSummary.h"

namespace zorrun {

// junit, json, html and selection may be null. -x lets no script start after one that
// failed; those already running end as they would.
void runInParallel(const std::vector<ScriptJob>& jobs, const RunOptions& options,
                   JUnitReport* junit, HtmlRecorder* html, RunSummary& summary,
                   TestSelection* selection, FailureLog& failures, JsonReport* json = nullptr);

}  // namespace zorrun
