// ZorRun: runs test scripts from a terminal or a CI job and reports every
// test's verdict, a summary, optional JUnit XML and an exit status.
#include <sys/stat.h>
#include <unistd.h>
#include <chrono>
#include <climits>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "Console.h"
#include "HtmlRecorder.h"
#include "JUnitReport.h"
#include "JsonReport.h"
#include "LastFailed.h"
#include "LibraryRun.h"
#include "LockNotices.h"
#include "Options.h"
#include "ParallelRun.h"
#include "ProgressLine.h"
#include "RemoteRunner.h"
#include "RunSummary.h"
#include "ScriptReport.h"
#include "Shards.h"
#include "StopSignals.h"
#include "TestList.h"
#include "TestSelection.h"
#include "WorkerRunner.h"
#include "ZorLib.h"
#include "host/ModuleLoader.h"

namespace {

using namespace zorrun;

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
        if (host::loadModule(module, reason)) continue;
        console.error(module + ": cannot load module: " + reason);
        summary.addSetupError();
    }
}

bool nameFits(const std::string& script, ScriptReport& report) {
    if (script.size() < static_cast<std::size_t>(Parse::entryNameSize)) return true;
    report.cannotRun("name longer than 255 characters");
    return false;
}

// -x: a failed test or an error leaves the remaining scripts unrun.
bool endsRun(const RunOptions& options, const ScriptOutcome& outcome) {
    return options.exitFirst && (outcome.failed > 0 || outcome.error);
}

// Debuggers follow the process they started: there the tests run.
void runInProcess(const RunOptions& options, ScriptReport& report, bool withReports,
                  RunSummary& summary, TestSelection* selection) {
    LibraryRun run(report, withReports);
    run.select(selection, options.exitFirst);
    for (const ScriptJob& job : listJobs(options.scripts, options.repeat)) {
        report.setRunSuffix(job.runSuffix);
        report.begin(job.script, options.filter);
        if (nameFits(job.script, report)) run.run(job.script, options.filter);
        const ScriptOutcome outcome = report.end();
        summary.addScript(outcome);
        if (endsRun(options, outcome)) return;
    }
}

// A stop ends the script that runs; the next one stands in the report as
// interrupted, so that a stopped run never looks complete.
void runInWorkers(const RunOptions& options, ScriptReport& report, bool withReports,
                  RunSummary& summary, TestSelection* selection) {
    WorkerRunner runner(report, withReports);
    runner.setTimeout(options.timeoutSeconds);
    runner.select(selection, options.exitFirst);
    for (const ScriptJob& job : listJobs(options.scripts, options.repeat)) {
        report.setRunSuffix(job.runSuffix);
        report.begin(job.script, options.filter);
        if (const int signal = stopSignal()) {
            report.interrupted("interrupted by " + signalName(signal) + " before it started");
            summary.addScript(report.end());
            return;
        }
        if (nameFits(job.script, report)) runner.run(job.script, options.filter);
        const ScriptOutcome outcome = report.end();
        summary.addScript(outcome);
        if (endsRun(options, outcome)) return;
    }
}

// The supervisor must not touch the library's shared file object before it
// starts workers: they would share the descriptor of its output lock, and a
// worker dying inside a write phase would leave the lock taken.
void runLocally(const RunOptions& options, Console& console, ProgressLine& progress,
                JUnitReport* junit, HtmlRecorder* html, RunSummary& summary,
                TestSelection* selection, JsonReport* json) {
    loadModules(options, console, summary);
    watchOutputLock();
    ScriptReport report(console, progress, junit, json);
    FailureLog failures(readLastFailed(lastFailedPath));
    report.setFailureLog(&failures);
    report.setHtml(html);
    const bool withReports = junit != nullptr || html != nullptr;
    if (options.inProcess) {
        runInProcess(options, report, withReports, summary, selection);
    } else if (options.jobs > 1) {
        runInParallel(listJobs(options.scripts, options.repeat), options, junit, html, summary,
                      selection, failures, json);
    } else {
        // The supervisor sends the lines on each time it has read the ring.
        if (isatty(STDOUT_FILENO) != 1) console.batchLines();
        runInWorkers(options, report, withReports, summary, selection);
    }
    std::string reason;
    if (!failures.save(lastFailedFolder, lastFailedPath, reason))
        console.error(std::string(lastFailedPath) + ": cannot keep the failed tests: " + reason);
}

// The filter that asks a test server for the one test of the script that the
// selection takes; false when it takes none (the script is not sent) or
// several, which a server cannot run alone.
bool remoteFilter(const std::string& script, const RunOptions& options, TestSelection* selection,
                  Console& console, JUnitReport* junit, HtmlRecorder* html, ScriptOutcome& refused,
                  std::string& filter, JsonReport* json) {
    filter = options.filter;
    if (!selection) return true;
    std::vector<ListedTest> tests;
    std::string error;
    if (selectedTests(script, options.filter, selection, tests, error) && tests.size() == 1) {
        filter = tests[0].name + " " + std::to_string(tests[0].position);
        return true;
    }
    console.beginScript(script);
    if (error.empty() && tests.size() > 1)
        error = script + ": -k takes " + std::to_string(tests.size()) +
                " tests; a test server runs one test alone or the whole script";
    if (error.empty()) return false;
    console.error(error);
    refused.error = true;
    if (junit) {
        junit->beginSuite(script);
        junit->addError(error, error);
        junit->endSuite(0);
    }
    if (json) {
        json->beginScript(script);
        json->addError(error);
        json->endScript(refused, 0);
    }
    if (html) {
        html->beginScript(script, -1);
        html->addScriptError(0, 0, error);
    }
    return false;
}

// A server that cannot be reached fails each script in turn, so that every
// script is accounted for.
void runRemote(const RunOptions& options, Console& console, JUnitReport* junit, HtmlRecorder* html,
               RunSummary& summary, TestSelection* selection, JsonReport* json) {
    RemoteRunner runner(options.remoteHost, options.remotePort, console, junit);
    runner.setTimeout(options.timeoutSeconds);
    runner.setJson(json);
    runner.setHtml(html);
    for (const ScriptJob& job : listJobs(options.scripts, options.repeat)) {
        const std::string& script = job.script;
        std::string filter;
        ScriptOutcome outcome;
        if (remoteFilter(script, options, selection, console, junit, html, outcome, filter, json))
            outcome = runner.run(script, filter);
        summary.addScript(outcome);
        if (endsRun(options, outcome)) return;
    }
}

// A report takes its file's place at the end: a script under that name would
// be lost.
bool reportIsAScript(const RunOptions& options, const std::string& reportFile) {
    struct stat report;
    const bool exists = stat(reportFile.c_str(), &report) == 0;
    for (const std::string& script : options.scripts) {
        struct stat status;
        if (script == reportFile) return true;
        if (exists && stat(script.c_str(), &status) == 0 && status.st_dev == report.st_dev &&
            status.st_ino == report.st_ino)
            return true;
    }
    return false;
}

// As a shell would read it back: words with other characters than these in
// single quotes.
std::string commandLineText(int argc, char** argv) {
    static const char plain[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-+=/.,:@%";
    std::string text;
    for (int i = 0; i < argc; ++i) {
        const std::string word = i == 0 ? "ZorRun" : argv[i];
        if (i) text += ' ';
        if (!word.empty() && word.find_first_not_of(plain) == std::string::npos) {
            text += word;
            continue;
        }
        text += '\'';
        for (char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
        text += '\'';
    }
    return text;
}

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "";
    return name;
}

// The page is written last, once the summary's counts are final.
void writeHtml(const RunOptions& options, HtmlRun& page, std::time_t started, double seconds,
               const std::string& commandLine, Console& console, RunSummary& summary) {
    page.startTime = started;
    page.seconds = seconds;
    page.host = hostName();
    page.commandLine = commandLine;
    std::string reason;
    if (writeHtmlReport(options.htmlFile, page, reason)) return;
    console.error(options.htmlFile + ": cannot write HTML report: " + reason);
    summary.addSetupError();
}

// The failed tests to run again, when some of them are in these scripts; as
// with pytest, a run with none runs every test and says so.
bool selectFailed(const RunOptions& options, TestSelection& selection, Console& console) {
    FailedTests failed;
    std::string reason;
    if (options.lastFailed) {
        failed = readLastFailed(lastFailedPath);
    } else if (!options.rerunFailedFile.empty() &&
               !readJUnitFailures(options.rerunFailedFile, failed, reason)) {
        console.error(options.rerunFailedFile + ": cannot rerun failed tests: " + reason);
        return false;
    }
    if (!options.lastFailed && options.rerunFailedFile.empty()) return true;
    for (const std::string& script : options.scripts) {
        if (!failed.count(scriptKey(script))) continue;
        selection.setFailed(std::move(failed));
        return true;
    }
    console.summary("no failed tests to run again: running every test");
    return true;
}

// Each listed test counts as passed, so a selection that lists none is told
// apart as it is in a run.
int listAll(const RunOptions& options, TestSelection* selection, Console& console) {
    RunSummary summary;
    for (const std::string& script : options.scripts)
        summary.addScript(listTests(script, options.filter, selection, console));
    if ((selection || !options.filter.empty()) && summary.getTests() == 0) {
        if (summary.exitStatus() != host::exitError) console.error("no test is selected");
        return host::exitError;
    }
    return summary.exitStatus();
}

int run(const RunOptions& options, const std::string& commandLine) {
    const std::time_t started = std::time(nullptr);
    const auto startedSteady = std::chrono::steady_clock::now();
    ProgressLine progress(stderr, isatty(STDERR_FILENO) == 1);
    Console console(options.quiet, progress, colorWanted(options.color));
    JUnitReport junit;
    JsonReport json;
    std::string reason;
    TestSelection selection;
    for (const std::string& pattern : options.selectPatterns) selection.addPattern(pattern);
    if (!selectFailed(options, selection, console)) return host::exitError;
    TestSelection* const selecting = selection.isActive() ? &selection : nullptr;
    if (options.list) return listAll(options, selecting, console);
    // Only a supervisor has a worker to stop; the other runs end as before.
    if (options.remotePort < 0 && !options.inProcess) catchStopSignals();
    if (!options.junitFile.empty() && reportIsAScript(options, options.junitFile)) {
        console.error(options.junitFile + ": cannot write JUnit report: it is one of the scripts");
        return host::exitError;
    }
    if (!options.htmlFile.empty() && reportIsAScript(options, options.htmlFile)) {
        console.error(options.htmlFile + ": cannot write HTML report: it is one of the scripts");
        return host::exitError;
    }
    if (!options.htmlFile.empty() && !canWriteHtmlReport(options.htmlFile, reason)) {
        console.error(options.htmlFile + ": cannot write HTML report: " + reason);
        return host::exitError;
    }
    HtmlRecorder recorder;
    HtmlRecorder* html = options.htmlFile.empty() ? nullptr : &recorder;
    if (!options.junitFile.empty() && !junit.open(options.junitFile, reason)) {
        console.error(options.junitFile + ": cannot write JUnit report: " + reason);
        return host::exitError;
    }
    if (!options.jsonFile.empty() && reportIsAScript(options, options.jsonFile)) {
        console.error(options.jsonFile + ": cannot write JSON report: it is one of the scripts");
        return host::exitError;
    }
    if (!options.jsonFile.empty() && !json.open(options.jsonFile, reason)) {
        console.error(options.jsonFile + ": cannot write JSON report: " + reason);
        return host::exitError;
    }
    RunSummary summary;
    if (options.shardCount > 0 && options.scripts.empty())
        std::printf("shard %d/%d has no scripts\n", options.shardIndex, options.shardCount);
    applyTrace(options);
    if (options.remotePort >= 0) {
        runRemote(options, console, junit.isOpen() ? &junit : nullptr, html, summary, selecting,
                  json.isOpen() ? &json : nullptr);
    } else {
        runLocally(options, console, progress, junit.isOpen() ? &junit : nullptr, html, summary,
                   selecting, json.isOpen() ? &json : nullptr);
    }
    if ((selecting || !options.filter.empty()) && summary.getTests() == 0) {
        // An error already said why nothing ran.
        if (selecting && summary.exitStatus() != host::exitError)
            console.error("no test is selected");
        summary.addSetupError();
    }
    console.summary(summary.text(), summary.exitStatus() == host::exitPassed);
    if (!junit.close(reason)) {
        console.error(options.junitFile + ": JUnit report incomplete: " + reason);
        summary.addSetupError();
    }
    if (!json.close(reason)) {
        console.error(options.jsonFile + ": JSON report incomplete: " + reason);
        summary.addSetupError();
    }
    if (html) {
        const std::chrono::duration<double> seconds =
            std::chrono::steady_clock::now() - startedSteady;
        writeHtml(options, recorder.getRun(), started, seconds.count(), commandLine, console,
                  summary);
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
            return host::exitPassed;
        case Command::version:
            std::printf("ZorRun %s\n", ZORRUN_VERSION);
            return host::exitPassed;
        case Command::badArguments:
            std::fprintf(stderr, "ZorRun: %s\nTry 'ZorRun --help' for more information.\n",
                         error.c_str());
            return host::exitError;
        case Command::run:
            break;
    }
    if (options.shardCount > 0)
        options.scripts = shardScripts(options.scripts, options.shardIndex, options.shardCount);
    return run(options, commandLineText(argc, argv));
}
