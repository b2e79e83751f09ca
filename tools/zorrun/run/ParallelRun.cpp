#include "ParallelRun.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

#include "EventList.h"
#include "Outlines.h"
#include "ScriptEvents.h"
#include "StopSignals.h"
#include "WorkerRunner.h"
#include "ZorLib.h"

namespace zorrun {

namespace {

struct JobResult {
    EventList events;
    WorkerSpan span;
    bool taken = false;
    bool done = false;
};

// Whether a script's events end a run under -x.
bool failedScript(const EventList& events) {
    for (const Event& event : events.getEvents()) {
        if (const auto* result = std::get_if<TestResult>(&event)) {
            if (result->outcome != Outcome::passed) return true;
        } else if (std::holds_alternative<ScriptError>(event) ||
                   std::holds_alternative<TestsNotRun>(event)) {
            return true;
        }
    }
    return false;
}

class Jobs {
public:
    Jobs(const std::vector<ScriptJob>& list, const RunOptions& runOptions, bool reports,
         TestSelection* tests)
        : jobs(list),
          options(runOptions),
          withReports(reports),
          selection(tests),
          queue(fileNames(list)),
          results(list.size()) {}

    void slot(int worker);
    std::vector<WorkerSpan> tellInOrder(Reporter& reporters);

private:
    static std::vector<ScriptFileNames> fileNames(const std::vector<ScriptJob>& list);
    int takeJob();
    void finishJob(int job, JobResult&& result);
    double secondsSinceStart() const;
    void runJob(int job, ScriptEvents& events, WorkerRunner& runner);

    const std::vector<ScriptJob>& jobs;
    const RunOptions& options;
    bool withReports;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    TestSelection* selection;
    std::mutex mutex;
    std::condition_variable changed;
    JobQueue queue;
    std::vector<JobResult> results;
    bool stopped = false;
};

// Found before any worker starts, each script once however often it repeats.
std::vector<ScriptFileNames> Jobs::fileNames(const std::vector<ScriptJob>& list) {
    std::map<std::string, ScriptFileNames> found;
    std::vector<ScriptFileNames> names;
    for (const ScriptJob& job : list) {
        auto known = found.find(job.script);
        if (known == found.end()) {
            ScriptOutline outline;
            const int outlined = guardedOutline(job.script, outline);
            known = found.emplace(job.script, scriptFiles(job.script, outline, outlined)).first;
        }
        names.push_back(known->second);
    }
    return names;
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
    if (options.exitFirst && failedScript(result.events)) stopped = true;
    results[static_cast<std::size_t>(job)] = std::move(result);
    queue.finish(job);
    changed.notify_all();
}

// A stop ends the scripts that run; each slot's next one stands in the
// report as interrupted, and no other starts.
void Jobs::runJob(int job, ScriptEvents& events, WorkerRunner& runner) {
    const ScriptJob& script = jobs[static_cast<std::size_t>(job)];
    events.begin(script.script, script.script + script.runSuffix, job, options.filter);
    if (const int signal = stopSignal()) {
        events.scriptError("interrupted by " + signalName(signal) + " before it started");
        const std::lock_guard lock(mutex);
        stopped = true;
    } else if (script.script.size() >= static_cast<std::size_t>(Parse::entryNameSize)) {
        events.cannotRun("name longer than 255 characters");
    } else {
        runner.run(script.script, options.filter);
    }
    events.end();
}

// Each slot records its scripts' events, and has a worker runner with a ring
// of its own.
void Jobs::slot(int worker) {
    EventList recorded;
    ScriptEvents events(recorded);
    WorkerRunner runner(events, withReports);
    runner.setTimeout(options.timeoutSeconds);
    runner.runBesideOthers();
    runner.select(selection, options.exitFirst);
    for (int job; (job = takeJob()) >= 0;) {
        JobResult result;
        result.span.worker = worker;
        result.span.start = secondsSinceStart();
        runJob(job, events, runner);
        result.events = recorded.take();
        result.span.end = secondsSinceStart();
        finishJob(job, std::move(result));
    }
}

double Jobs::secondsSinceStart() const {
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    return seconds.count();
}

// The reporters hear the scripts in the command line's order.
std::vector<WorkerSpan> Jobs::tellInOrder(Reporter& reporters) {
    std::vector<WorkerSpan> spans;
    for (JobResult& result : results) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return result.done || (stopped && !result.taken); });
        if (!result.done) continue;
        lock.unlock();
        result.events.replay(reporters);
        result.events = EventList();
        result.span.script = static_cast<int>(spans.size());
        spans.push_back(result.span);
    }
    return spans;
}

}  // namespace

std::vector<WorkerSpan> runInParallel(const std::vector<ScriptJob>& jobs, const RunOptions& options,
                                      bool withReports, TestSelection* selection,
                                      Reporter& reporters) {
    Jobs run(jobs, options, withReports, selection);
    std::fflush(stdout);
    const std::size_t slots = std::min(jobs.size(), static_cast<std::size_t>(options.jobs));
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < slots; ++i)
        threads.emplace_back([&run, i] { run.slot(static_cast<int>(i) + 1); });
    std::vector<WorkerSpan> spans = run.tellInOrder(reporters);
    for (std::thread& thread : threads) thread.join();
    return spans;
}

}  // namespace zorrun
