// ZorRun: runs test scripts from a terminal or a CI job and reports every
// test's verdict, a summary, optional JUnit XML and an exit status.
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <string>
#include <vector>

#include "Console.h"
#include "JUnitReport.h"
#include "LibraryRun.h"
#include "LockNotices.h"
#include "ModuleLoader.h"
#include "Options.h"
#include "ParallelRun.h"
#include "ProgressLine.h"
#include "RemoteRunner.h"
#include "RunSummary.h"
#include "ScriptReport.h"
#include "Shards.h"
#include "StopSignals.h"
#include "WorkerRunner.h"
#include "ZorLib.h"

namespace {

using namespace zor;

// Without either option nothing is traced, as in any batch run; a root alone
// means the whole tree below it.
void applyTrace(const RunOptions& options) {
    if (options.traceRoot) ParseOut::setTraceRoot(options.traceRoot->c_str());
    if (options.traceDepth)
        ParseOut::setTraceDepth(*options.traceDepth);
    else if (options.traceRoot)
        ParseOut::setTraceDepth(100);
}

void loadModules(const RunOptions& options, Console& console, RunSummary& summary) {
    for (const std::string& module : options.modules) {
        std::string reason;
        if (loadModule(module, reason)) continue;
        console.error(module + ": cannot load module: " + reason);
        summary.addSetupError();
    }
}

bool nameFits(const std::string& script, ScriptReport& report) {
    if (script.size() < static_cast<std::size_t>(Parse::entryNameSize)) return true;
    report.cannotRun("name longer than 255 characters");
    return false;
}

// Debuggers follow the process they started: there the tests run.
void runInProcess(const RunOptions& options, ScriptReport& report, bool withReports,
                  RunSummary& summary) {
    LibraryRun run(report, withReports);
    for (const ScriptJob& job : listJobs(options.scripts, options.repeat)) {
        report.setRunSuffix(job.runSuffix);
        report.begin(job.script, options.filter);
        if (nameFits(job.script, report)) run.run(job.script, options.filter);
        summary.addScript(report.end());
    }
}

// A stop ends the script that runs; the next one stands in the report as
// interrupted, so that a stopped run never looks complete.
void runInWorkers(const RunOptions& options, ScriptReport& report, bool withReports,
                  RunSummary& summary) {
    WorkerRunner runner(report, withReports);
    runner.setTimeout(options.timeoutSeconds);
    for (const ScriptJob& job : listJobs(options.scripts, options.repeat)) {
        report.setRunSuffix(job.runSuffix);
        report.begin(job.script, options.filter);
        if (const int signal = stopSignal()) {
            report.interrupted("interrupted by " + signalName(signal) + " before it started");
            summary.addScript(report.end());
            return;
        }
        if (nameFits(job.script, report)) runner.run(job.script, options.filter);
        summary.addScript(report.end());
    }
}

// The supervisor must not touch the library's shared file object before it
// starts workers: they would share the descriptor of its output lock, and a
// worker dying inside a write phase would leave the lock taken.
void runLocally(const RunOptions& options, Console& console, ProgressLine& progress,
                JUnitReport* junit, RunSummary& summary) {
    loadModules(options, console, summary);
    watchOutputLock();
    ScriptReport report(console, progress, junit);
    if (options.inProcess) {
        runInProcess(options, report, junit != nullptr, summary);
    } else if (options.jobs > 1) {
        runInParallel(listJobs(options.scripts, options.repeat), options, junit, summary);
    } else {
        // The supervisor sends the lines on each time it has read the ring.
        if (isatty(STDOUT_FILENO) != 1) console.batchLines();
        runInWorkers(options, report, junit != nullptr, summary);
    }
}

// A server that cannot be reached fails each script in turn, so that every
// script is accounted for.
void runRemote(const RunOptions& options, Console& console, JUnitReport* junit,
               RunSummary& summary) {
    RemoteRunner runner(options.remoteHost, options.remotePort, console, junit);
    runner.setTimeout(options.timeoutSeconds);
    for (const ScriptJob& job : listJobs(options.scripts, options.repeat))
        summary.addScript(runner.run(job.script, options.filter));
}

// The JUnit report takes its file's place at the end: a script under that name
// would be lost.
bool junitIsAScript(const RunOptions& options) {
    struct stat report;
    const bool exists = stat(options.junitFile.c_str(), &report) == 0;
    for (const std::string& script : options.scripts) {
        struct stat status;
        if (script == options.junitFile) return true;
        if (exists && stat(script.c_str(), &status) == 0 && status.st_dev == report.st_dev &&
            status.st_ino == report.st_ino)
            return true;
    }
    return false;
}

int run(const RunOptions& options) {
    ProgressLine progress(stderr, isatty(STDERR_FILENO) == 1);
    Console console(options.quiet, progress);
    JUnitReport junit;
    std::string reason;
    // Only a supervisor has a worker to stop; the other runs end as before.
    if (options.remotePort < 0 && !options.inProcess) catchStopSignals();
    if (!options.junitFile.empty() && junitIsAScript(options)) {
        console.error(options.junitFile + ": cannot write JUnit report: it is one of the scripts");
        return exitError;
    }
    if (!options.junitFile.empty() && !junit.open(options.junitFile, reason)) {
        console.error(options.junitFile + ": cannot write JUnit report: " + reason);
        return exitError;
    }
    RunSummary summary;
    if (options.shardCount > 0 && options.scripts.empty())
        std::printf("shard %d/%d has no scripts\n", options.shardIndex, options.shardCount);
    applyTrace(options);
    if (options.remotePort >= 0) {
        runRemote(options, console, junit.isOpen() ? &junit : nullptr, summary);
    } else {
        runLocally(options, console, progress, junit.isOpen() ? &junit : nullptr, summary);
    }
    console.summary(summary.text());
    if (!junit.close(reason)) {
        console.error(options.junitFile + ": JUnit report incomplete: " + reason);
        summary.addSetupError();
    }
    if (const int signal = stopSignal()) return 128 + signal;
    return summary.exitStatus();
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    RunOptions options;
    std::string error;
    switch (parseOptions(args, options, error)) {
        case Command::help:
            std::fputs(usageText(), stdout);
            return exitPassed;
        case Command::version:
            std::printf("ZorRun %s\n", ZORRUN_VERSION);
            return exitPassed;
        case Command::badArguments:
            std::fprintf(stderr, "ZorRun: %s\nTry 'ZorRun --help' for more information.\n",
                         error.c_str());
            return exitError;
        case Command::run:
            break;
    }
    if (options.shardCount > 0)
        options.scripts = shardScripts(options.scripts, options.shardIndex, options.shardCount);
    return run(options);
}
