#include "ParallelRun.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "Console.h"
#include "ScriptReport.h"
#include "StopSignals.h"
#include "WorkerRunner.h"
#include "ZorLib.h"

namespace zorrun {

namespace {

struct JobResult {
    HtmlScript page;
    HtmlWorkerSpan span;
    std::vector<Console::HeldText> console;
    std::string suites;
    bool suitesWritten = true;
    std::string scripts;
    bool scriptsWritten = true;
    ScriptOutcome outcome;
    bool taken = false;
    bool done = false;
};

class Jobs {
public:
    Jobs(const std::vector<ScriptJob>& list, const RunOptions& runOptions, bool junit, bool html,
         TestSelection* tests, FailureLog& log, bool json)
        : jobs(list),
          options(runOptions),
          withJUnit(junit),
          withJson(json),
          withHtml(html),
          selection(tests),
          failures(log),
          queue(fileNames(list)),
          results(list.size()) {}

    void slot(int worker);
    void printInOrder(JUnitReport* junit, HtmlRecorder* html, RunSummary& summary,
                      JsonReport* json);

private:
    static std::vector<ScriptFileNames> fileNames(const std::vector<ScriptJob>& list);
    int takeJob();
    FailedTests scriptEntries(const std::string& script);
    void setScriptEntries(const std::string& script, const FailedTests& entries);
    void finishJob(int job, JobResult&& result);
    double secondsSinceStart() const;
    void runJob(int job, ScriptReport& report, WorkerRunner& runner);

    const std::vector<ScriptJob>& jobs;
    const RunOptions& options;
    bool withJUnit;
    bool withJson;
    bool withHtml = false;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    TestSelection* selection;
    FailureLog& failures;  // under the mutex
    std::mutex mutex;
    std::condition_variable changed;
    JobQueue queue;
    std::vector<JobResult> results;
    bool stopped = false;
};

// A script counts among its own files, so that its repeated runs, and what
// they leave in the failure log, keep their order.
std::vector<ScriptFileNames> Jobs::fileNames(const std::vector<ScriptJob>& list) {
    std::vector<ScriptFileNames> names;
    for (const ScriptJob& job : list) {
        ScriptFileNames found = findFileNames(job.script);
        std::error_code error;
        const std::string self =
            std::filesystem::absolute(job.script, error).lexically_normal().string();
        found.names.insert(std::lower_bound(found.names.begin(), found.names.end(), self), self);
        names.push_back(std::move(found));
    }
    return names;
}

FailedTests Jobs::scriptEntries(const std::string& script) {
    const std::lock_guard lock(mutex);
    return failures.scriptEntries(script);
}

void Jobs::setScriptEntries(const std::string& script, const FailedTests& entries) {
    const std::lock_guard lock(mutex);
    failures.setScriptEntries(script, entries);
}

// -1 once no job is left to start.
int Jobs::takeJob() {
    std::unique_lock lock(mutex);
    for (;;) {
        if (stopped || queue.allTaken()) return -1;
        const int job = queue.take();
        if (job >= 0) {
            results[static_cast<std::size_t>(job)].taken = true;
            return job;
        }
        changed.wait(lock);
    }
}

void Jobs::finishJob(int job, JobResult&& result) {
    const std::lock_guard lock(mutex);
    result.taken = result.done = true;
    if (options.exitFirst && (result.outcome.failed > 0 || result.outcome.error)) stopped = true;
    results[static_cast<std::size_t>(job)] = std::move(result);
    queue.finish(job);
    changed.notify_all();
}

// A stop ends the scripts that run; each slot's next one stands in the
// report as interrupted, and no other starts.
void Jobs::runJob(int job, ScriptReport& report, WorkerRunner& runner) {
    const std::string& script = jobs[static_cast<std::size_t>(job)].script;
    if (const int signal = stopSignal()) {
        report.interrupted("interrupted by " + signalName(signal) + " before it started");
        const std::lock_guard lock(mutex);
        stopped = true;
    } else if (script.size() >= static_cast<std::size_t>(Parse::entryNameSize)) {
        report.cannotRun("name longer than 255 characters");
    } else {
        runner.run(script, options.filter);
    }
}

// Each slot has a console, a JUnit report, a JSON report and a page recorder of its own that
// keep what they are told, and a worker runner with a ring of its own.
void Jobs::slot(int worker) {
    ProgressLine progress(stderr, false);
    Console console(options.quiet, progress, colorWanted(options.color));
    console.hold();
    JUnitReport junit;
    const bool junitReady = withJUnit && junit.openInMemory();
    JsonReport json;
    const bool jsonReady = withJson && json.openInMemory();
    ScriptReport report(console, progress, junitReady ? &junit : nullptr,
                        jsonReady ? &json : nullptr);
    HtmlRecorder page;
    if (withHtml) report.setHtml(&page);
    WorkerRunner runner(report, withJUnit || withHtml);
    runner.setTimeout(options.timeoutSeconds);
    runner.runBesideOthers();
    runner.select(selection, options.exitFirst);
    for (int job; (job = takeJob()) >= 0;) {
        JobResult result;
        result.span.worker = worker;
        result.span.start = secondsSinceStart();
        const std::string& script = jobs[static_cast<std::size_t>(job)].script;
        FailureLog log(scriptEntries(script));
        report.setFailureLog(&log);
        report.setRunSuffix(jobs[static_cast<std::size_t>(job)].runSuffix);
        report.begin(script, options.filter);
        runJob(job, report, runner);
        result.outcome = report.end();
        setScriptEntries(script, log.scriptEntries(script));
        result.console = console.takeHeld();
        result.suitesWritten = !withJUnit || (junitReady && junit.takeSuites(result.suites));
        result.scriptsWritten = !withJson || (jsonReady && json.takeScripts(result.scripts));
        result.page = page.takeScript();
        result.span.end = secondsSinceStart();
        finishJob(job, std::move(result));
    }
}

double Jobs::secondsSinceStart() const {
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    return seconds.count();
}

// The page lists the scripts in the command line's order, as the console does.
void Jobs::printInOrder(JUnitReport* junit, HtmlRecorder* html, RunSummary& summary,
                        JsonReport* json) {
    for (JobResult& result : results) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return result.done || (stopped && !result.taken); });
        if (!result.done) continue;
        lock.unlock();
        Console::writeHeld(result.console);
        if (junit) junit->addSuites(result.suites);
        if (!result.suitesWritten) summary.addSetupError();
        if (json) json->addScripts(result.scripts);
        if (!result.scriptsWritten) summary.addSetupError();
        summary.addScript(result.outcome);
        if (!html) continue;
        html->addScript(std::move(result.page));
        result.span.script = static_cast<int>(html->getRun().scripts.size()) - 1;
        html->addSpan(result.span);
    }
}

}  // namespace

void runInParallel(const std::vector<ScriptJob>& jobs, const RunOptions& options,
                   JUnitReport* junit, HtmlRecorder* html, RunSummary& summary,
                   TestSelection* selection, FailureLog& failures, JsonReport* json) {
    Jobs run(jobs, options, junit != nullptr, html != nullptr, selection, failures,
             json != nullptr);
    std::fflush(stdout);
    const std::size_t slots = std::min(jobs.size(), static_cast<std::size_t>(options.jobs));
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < slots; ++i)
        threads.emplace_back([&run, i] { run.slot(static_cast<int>(i) + 1); });
    run.printInOrder(junit, html, summary, json);
    for (std::thread& thread : threads) thread.join();
}

}  // namespace zorrun
