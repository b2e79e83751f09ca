// ZorRun: runs test scripts from a terminal or a CI job and reports every
// test's verdict, a summary, optional JUnit XML, JSON and a report page, and
// an exit status. Runners emit events; every report is a reporter of them.
#include <sys/stat.h>
#include <unistd.h>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "CheckedScript.h"
#include "ConsoleReport.h"
#include "Discovery.h"
#include "HtmlRecorder.h"
#include "JUnitReport.h"
#include "JsonReport.h"
#include "LastFailed.h"
#include "LibraryRun.h"
#include "LockNotices.h"
#include "Options.h"
#include "Outlines.h"
#include "ParallelRun.h"
#include "ProgressLine.h"
#include "ProjectArguments.h"
#include "RemoteRunner.h"
#include "ReportPaths.h"
#include "ReporterList.h"
#include "ScriptEvents.h"
#include "Shards.h"
#include "StopSignals.h"
#include "TestList.h"
#include "TestSelection.h"
#include "Totals.h"
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

// A suite whose test functions are missing would only fail test after test
// and append those reports to its output files: the run ends before it.
bool loadModules(const RunOptions& options, Console& console) {
    bool loaded = true;
    for (const std::string& module : options.modules) {
        std::string reason;
        if (host::loadModule(module, reason)) continue;
        console.error(module + ": cannot load module: " + reason);
        loaded = false;
    }
    if (!loaded) console.error("no script ran: every module must load");
    return loaded;
}

bool nameFits(const std::string& script, ScriptEvents& events) {
    if (script.size() < static_cast<std::size_t>(Parse::entryNameSize)) return true;
    events.cannotRun("name longer than 255 characters");
    return false;
}

// What every local and remote run shares: where the events go, and what
// decides that --maxfail ends the run.
struct Run {
    const RunOptions& options;
    ReporterList& reporters;
    Totals& totals;
    Console& console;
    TestSelection* selection;
    bool withReports;
    // Tells the run's end and writes the reports; answers the exit status.
    std::function<int()> finish;
};

// --maxfail: the failures counted so far leave the remaining scripts unrun.
bool endsRun(const Run& run) {
    return run.options.maxFail > 0 && run.totals.failures() >= run.options.maxFail;
}

// The failures the next script may have before the run stops inside it; 0
// for no limit.
int failuresLeft(const Run& run) {
    return run.options.maxFail > 0 ? run.options.maxFail - run.totals.failures() : 0;
}

// The outline a selection is asked with is read once, here, and the run takes
// its lines from it.
void runOneInProcess(const std::string& script, const Run& run, LibraryRun& library,
                     ScriptEvents& events) {
    if (!run.selection) return library.run(script, run.options.filter);
    ScriptOutline outline;
    TestReach reach;
    const int outlined = outlineReach(script, run.options.filter, run.selection, outline, reach);
    if (selectsNone(reach, outlined)) return events.notSelected();
    library.run(script, run.options.filter, &outline);
}

// A test function that calls exit() in ZorRun's own process would end the run
// with its status, often 0, and without the reports: the run ends from here.
std::function<void()> exitInsideTest;

void whenProcessExits() {
    if (!exitInsideTest) return;
    const std::function<void()> told = std::move(exitInsideTest);
    exitInsideTest = nullptr;
    told();
}

// The test that ended the process errs; the scripts after it do not run.
[[noreturn]] void endRunInsideTest(const Run& run, ScriptEvents& events, const std::string& name,
                                   int position, int line) {
    TestResult result;
    result.name = name;
    result.position = position;
    result.line = line;
    result.outcome = Outcome::error;
    result.reason = "test function called exit()";
    result.seconds = steadySeconds() - events.getLastAt();
    events.testResult(result);
    events.end();
    run.finish();
    std::fflush(nullptr);
    std::_Exit(host::exitError);
}

// Debuggers follow the process they started: there the tests run.
void runInProcess(const Run& run) {
    ScriptEvents events(run.reporters);
    LibraryRun library(events, run.withReports);
    static const bool watching = std::atexit(whenProcessExits) == 0;
    if (watching) {
        exitInsideTest = [&run, &events, &library] {
            std::string name;
            int position = -1, line = 0;
            if (library.runningTest(name, position, line))
                endRunInsideTest(run, events, name, position, line);
        };
    }
    int index = 0;
    for (const ScriptJob& job : listJobs(run.options.scripts, run.options.repeat)) {
        events.begin(job.script, job.script + job.runSuffix, index++, run.options.filter);
        library.select(run.selection, failuresLeft(run));
        if (nameFits(job.script, events)) runOneInProcess(job.script, run, library, events);
        events.end();
        if (endsRun(run)) break;
    }
    exitInsideTest = nullptr;
}

// A stop ends the script that runs; the next one stands in the report as
// interrupted, so that a stopped run never looks complete.
void runInWorkers(const Run& run) {
    ScriptEvents events(run.reporters);
    WorkerRunner runner(events, run.withReports);
    runner.setTimeout(run.options.timeoutSeconds);
    if (run.options.passOutput) runner.passOutputThrough();
    runner.setAfterReceive([&run] { run.console.flush(); });
    int index = 0;
    for (const ScriptJob& job : listJobs(run.options.scripts, run.options.repeat)) {
        events.begin(job.script, job.script + job.runSuffix, index++, run.options.filter);
        runner.select(run.selection, failuresLeft(run));
        if (const int signal = stopSignal()) {
            events.scriptError("interrupted by " + signalName(signal) + " before it started");
            events.end();
            return;
        }
        if (nameFits(job.script, events)) runner.run(job.script, run.options.filter);
        events.end();
        if (endsRun(run)) return;
    }
}

// Scripts side by side tell their events whole, in the command line's order;
// their lines go out in one write each, past stdio, whose buffer a worker
// started meanwhile would inherit and write a second time.
void runSideBySide(const Run& run, HtmlRecorder* html) {
    run.console.batchLines();
    const std::vector<WorkerSpan> spans =
        runInParallel(listJobs(run.options.scripts, run.options.repeat), run.options,
                      run.withReports, run.selection, run.reporters);
    if (!html) return;
    for (const WorkerSpan& span : spans)
        html->addSpan({span.worker, span.script, span.start, span.end});
}

// The supervisor must not touch the library's shared file object before it
// starts workers: they would share the descriptor of its output lock, and a
// worker dying inside a write phase would leave the lock taken.
void runLocally(const Run& run, HtmlRecorder* html) {
    watchOutputLock();
    if (run.options.inProcess) {
        runInProcess(run);
    } else if (run.options.jobs > 1) {
        runSideBySide(run, html);
    } else {
        // The supervisor sends the lines on each time it has read the ring.
        if (isatty(STDOUT_FILENO) != 1) run.console.batchLines();
        runInWorkers(run);
    }
}

// The filter that asks a test server for the one test of the script that the
// selection takes; false when it takes none (the script is not sent, and not
// selected) or several, which a server cannot run alone.
bool remoteFilter(const std::string& script, const Run& run, ScriptEvents& events,
                  std::string& filter) {
    filter = run.options.filter;
    if (!run.selection) return true;
    std::vector<ListedTest> tests;
    std::string error;
    if (selectedTests(script, run.options.filter, run.selection, tests, error) &&
        tests.size() == 1) {
        filter = tests[0].name + " " + std::to_string(tests[0].position);
        return true;
    }
    if (error.empty() && tests.empty()) {
        events.notSelected();
        return false;
    }
    if (error.empty())
        error = script + ": -k takes " + std::to_string(tests.size()) +
                " tests; a test server runs one test alone or the whole script";
    const std::string named = script + ": ";
    events.scriptError(error.starts_with(named) ? error.substr(named.size()) : error);
    return false;
}

// A server that cannot be reached fails each script in turn, so that every
// script is accounted for.
void runRemote(const Run& run) {
    ScriptEvents events(run.reporters);
    RemoteRunner runner(run.options.remoteHost, run.options.remotePort, events);
    runner.setTimeout(run.options.timeoutSeconds);
    runner.setOutputFolder(run.options.remoteOutput);
    runner.setNotice([&run](const std::string& text) { run.console.error(text); });
    int index = 0;
    for (const ScriptJob& job : listJobs(run.options.scripts, run.options.repeat)) {
        events.begin(job.script, job.script + job.runSuffix, index++, run.options.filter);
        std::string filter;
        if (remoteFilter(job.script, run, events, filter)) runner.run(job.script, filter);
        events.end();
        if (endsRun(run)) return;
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

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "";
    return name;
}

// A recorded failure that matches no test any more never leaves its script
// unrun: the script runs whole, and ZorRun says so.
void sayUnmatched(const std::map<std::string, int>& unmatched, Console& console) {
    for (const auto& [script, count] : unmatched) {
        console.error(std::to_string(count) +
                      (count == 1 ? " recorded failure no longer matches"
                                  : " recorded failures no longer match") +
                      " a test in " + script + ": running that script whole");
    }
}

// A JUnit report names the scripts whose tests it holds: the others (another
// shard's, say) are left out of the run unread.
void keepRecordedScripts(const RecordedFailures& recorded, RunOptions& options) {
    std::vector<std::string> named;
    for (const std::string& script : options.scripts) {
        if (recorded.count(scriptKey(script))) named.push_back(script);
    }
    options.scripts = std::move(named);
}

// The failed tests to run again, when some of them are in these scripts; as
// with pytest, a run with none runs every test and says so.
bool selectFailed(RunOptions& options, TestSelection& selection, Console& console) {
    RecordedFailures recorded, passed;
    std::string reason;
    if (options.lastFailed) {
        recorded = readLastFailed(lastFailedPath);
    } else if (!options.rerunFailedFile.empty() &&
               !readJUnitFailures(options.rerunFailedFile, recorded, passed, reason)) {
        console.error(options.rerunFailedFile + ": cannot rerun failed tests: " + reason);
        return false;
    }
    if (!options.lastFailed && options.rerunFailedFile.empty()) return true;
    std::map<std::string, int> unmatched;
    FailedTests failed = findFailedTests(recorded, options.scripts, outlineOf, unmatched, passed);
    if (failed.empty()) {
        console.summary("no failed tests to run again: running every test");
        return true;
    }
    sayUnmatched(unmatched, console);
    selection.setFailed(std::move(failed));
    if (!options.rerunFailedFile.empty()) keepRecordedScripts(recorded, options);
    return true;
}

bool addPatterns(const RunOptions& options, TestSelection& selection, Console& console) {
    std::string error;
    for (const std::string& pattern : options.selectPatterns) {
        if (selection.addPattern(pattern, error)) continue;
        console.error(error);
        return false;
    }
    return true;
}

std::string counted(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The closing line of a run that --maxfail ended, told from the totals.
void sayStopped(const RunOptions& options, const Totals& totals, Console& console) {
    if (options.maxFail == 0 || totals.failures() < options.maxFail || stopSignal()) return;
    const int scripts = static_cast<int>(options.scripts.size()) * options.repeat;
    console.summary("stopped after " + counted(totals.failures(), "failure", "failures") + ": " +
                        counted(scripts - totals.scriptsBegun(), "script", "scripts") + " not run",
                    false);
}

int listAll(const RunOptions& options, TestSelection* selection, Console& console) {
    int listed = 0;
    bool whole = true;
    for (const std::string& script : options.scripts)
        whole = listTests(script, options.filter, selection, console, listed) && whole;
    if (!whole) return host::exitError;
    if ((selection || !options.filter.empty()) && listed == 0) {
        console.error("no test is selected");
        return host::exitError;
    }
    return host::exitPassed;
}

// A script that would never end (a FIFO, a device) or that is past the size
// limit is refused before anything reads any script. A folder, like a script
// that is not there, is only that script's error.
bool scriptsUsable(const RunOptions& options, Console& console) {
    bool usable = true;
    for (const std::string& script : options.scripts) {
        const CheckedScript checked(script);
        if (checked.getProblem().empty() || checked.isFolder()) continue;
        console.error(script + ": cannot run script: " + checked.getProblem());
        usable = false;
    }
    return usable;
}

// Reports that cannot be written are refused before any script runs.
bool reportFilesUsable(const RunOptions& options, Console& console) {
    const std::pair<const std::string&, const char*> reports[] = {
        {options.junitFile, "JUnit"}, {options.jsonFile, "JSON"}, {options.htmlFile, "HTML"}};
    for (const auto& [file, kind] : reports) {
        if (file.empty()) continue;
        std::string problem = reportIsAScript(options, file)
                                  ? "it is one of the scripts"
                                  : reportPathProblem(file, AdaptIO::getLockPath());
        if (problem.empty() && makeReportFolder(file, problem)) continue;
        console.error(file + ": cannot write " + kind + " report: " + problem);
        return false;
    }
    std::string reason;
    if (options.htmlFile.empty() || canWriteHtmlReport(options.htmlFile, reason)) return true;
    console.error(options.htmlFile + ": cannot write HTML report: " + reason);
    return false;
}

bool openReport(const std::string& file, const char* kind, bool opened, Console& console,
                const std::string& reason) {
    if (file.empty() || opened) return true;
    console.error(file + ": cannot write " + kind + " report: " + reason);
    return false;
}

// A report file that a write failed in leaves its former file and fails the run.
void closeReports(const RunOptions& options, JUnitReport& junit, JsonReport& json, Console& console,
                  Totals& totals) {
    std::string reason;
    if (!junit.close(reason)) {
        console.error(options.junitFile + ": JUnit report incomplete: " + reason);
        totals.addSetupError();
    }
    if (!json.close(reason)) {
        console.error(options.jsonFile + ": JSON report incomplete: " + reason);
        totals.addSetupError();
    }
}

// The page is written last, once the counts are final.
void writeHtml(const RunOptions& options, const HtmlRecorder& recorder, Console& console,
               Totals& totals) {
    std::string reason;
    if (writeHtmlReport(options.htmlFile, recorder.getRun(), reason)) return;
    console.error(options.htmlFile + ": cannot write HTML report: " + reason);
    totals.addSetupError();
}

void keepFailures(const FailureLog& failures, Console& console) {
    std::string reason;
    if (!failures.save(lastFailedFolder, lastFailedPath, reason))
        console.error(std::string(lastFailedPath) + ": cannot keep the failed tests: " + reason);
}

int run(RunOptions& options, const std::vector<std::string>& arguments) {
    const std::time_t started = std::time(nullptr);
    const auto startedSteady = std::chrono::steady_clock::now();
    ProgressLine progress(stderr, isatty(STDERR_FILENO) == 1);
    Console console(options.quiet, progress, colorWanted(options.color));
    if (!scriptsUsable(options, console)) return host::exitError;
    TestSelection selection(outlineOf);
    if (!addPatterns(options, selection, console) || !selectFailed(options, selection, console))
        return host::exitError;
    TestSelection* const selecting = selection.isActive() ? &selection : nullptr;
    if (options.list) return listAll(options, selecting, console);
    // Only a supervisor has a worker to stop; the other runs end as before.
    if (options.remotePort < 0 && !options.inProcess) catchStopSignals();
    if (!reportFilesUsable(options, console)) return host::exitError;
    if (options.remotePort < 0 && !loadModules(options, console)) return host::exitError;
    JUnitReport junit;
    junit.writePlaces(options.junitPlaces);
    JsonReport json;
    std::string reason;
    if (!openReport(options.junitFile, "JUnit",
                    options.junitFile.empty() || junit.open(options.junitFile, reason), console,
                    reason) ||
        !openReport(options.jsonFile, "JSON",
                    options.jsonFile.empty() || json.open(options.jsonFile, reason), console,
                    reason))
        return host::exitError;

    Totals totals;
    ConsoleReport consoleReport(console, progress);
    HtmlRecorder html;
    FailureLog failures(readLastFailed(lastFailedPath), outlineOf);
    const bool remote = options.remotePort >= 0;
    ReporterList reporters;
    reporters.add(totals);
    reporters.add(consoleReport);
    if (junit.isOpen()) reporters.add(junit);
    if (json.isOpen()) reporters.add(json);
    if (!options.htmlFile.empty()) reporters.add(html);
    // Remote runs leave the failures of local ones as they were.
    if (!remote) reporters.add(failures);

    if (options.shardCount > 0 && options.scripts.empty())
        std::printf("shard %d/%d has no scripts\n", options.shardIndex, options.shardCount);
    applyTrace(options);
    reporters.runStart({arguments, started, hostName(), options.jobs});
    const auto finish = [&] {
        if ((selecting || !options.filter.empty()) && totals.getTests() == 0) {
            // An error already said why nothing ran.
            if (selecting && totals.exitStatus() != host::exitError)
                console.error("no test is selected");
            totals.addSetupError();
        }
        totals.setStopSignal(stopSignal());
        const std::chrono::duration<double> seconds =
            std::chrono::steady_clock::now() - startedSteady;
        reporters.runEnd({totals.get(seconds.count())});
        sayStopped(options, totals, console);
        closeReports(options, junit, json, console, totals);
        if (!remote) keepFailures(failures, console);
        if (!options.htmlFile.empty()) writeHtml(options, html, console, totals);
        return totals.exitStatus();
    };
    const Run run{options, reporters, totals,
                  console, selecting, junit.isOpen() || !options.htmlFile.empty(),
                  finish};
    if (remote)
        runRemote(run);
    else
        runLocally(run, options.htmlFile.empty() ? nullptr : &html);
    return finish();
}

}  // namespace

// Asking for help or the version needs no project file.
bool needsProject(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") return true;
        if (arg == "-h" || arg == "--help" || arg == "--version") return false;
    }
    return true;
}

int badArguments(const std::string& error) {
    std::fprintf(stderr, "ZorRun: %s\nTry 'ZorRun --help' for more information.\n", error.c_str());
    return host::exitError;
}

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    RunOptions options;
    std::string error;
    host::ProjectFile project;
    if (needsProject(args)) {
        if (!findProjectFile(project, error)) {
            std::fprintf(stderr, "ZorRun: %s\n", error.c_str());
            return host::exitError;
        }
        args = withProjectArguments(project, args);
        options.defaultScripts = project.scripts;
    }
    switch (parseOptions(args, options, error)) {
        case Command::help:
            std::fputs(usageText(), stdout);
            return host::exitPassed;
        case Command::version:
            std::printf("ZorRun %s\n", ZORRUN_VERSION);
            return host::exitPassed;
        case Command::badArguments:
            return badArguments(error);
        case Command::run:
            break;
    }
    if (!discoverScripts(options.scripts, project.pattern, error)) {
        std::fprintf(stderr, "ZorRun: %s\n", error.c_str());
        return host::exitError;
    }
    if (options.shardCount > 0)
        options.scripts = shardScripts(options.scripts, options.shardIndex, options.shardCount);
    return run(options, std::vector<std::string>(argv, argv + argc));
}
