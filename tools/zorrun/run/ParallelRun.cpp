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
#include "Totals.h"
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

// What one reading of a script's outline tells the jobs that run it.
struct ScriptPlan {
    ScriptFileNames files;
    int tests = -1;  // its test records; -1 where the outline cannot tell
};

// The records are counted as they are read, not kept.
ScriptPlan planScript(const std::string& script) {
    ScriptOutline outline;
    int tests = 0;
    outline.takeRecord = [&tests](const OutlineRecord& record) {
        if (record.kind == OutlineRecord::test) ++tests;
    };
    const int outlined = guardedOutline(script, outline);
    return {scriptFiles(script, outline, outlined), outlined >= 0 ? tests : -1};
}

class Jobs {
public:
    Jobs(const std::vector<ScriptJob>& list, const RunOptions& runOptions, bool reports,
         TestSelection* tests)
        : jobs(list),
          options(runOptions),
          withReports(reports),
          selection(tests),
          queue(list.size()),
          results(list.size()),
          testCounts(list.size(), -1) {}

    void plan();
    void slot(int worker);
    std::vector<WorkerSpan> tellInOrder(Reporter& reporters);

private:
    int takeJob(int& failuresLeft);
    int plannedTests(int job);
    void finishJob(int job, JobResult&& result);
    double secondsSinceStart() const;
    void runJob(int job, int tests, ScriptEvents& events, WorkerRunner& runner);

    const std::vector<ScriptJob>& jobs;
    const RunOptions& options;
    bool withReports;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    TestSelection* selection;
    std::mutex mutex;
    std::condition_variable changed;
    JobQueue queue;
    std::vector<JobResult> results;
    std::vector<int> testCounts;  // by job, once planned
    // The scripts that have ended, counted as the run's totals count them,
    // for --maxfail.
    Totals ended;
    bool stopped = false;
};

// Each script is read once however often it repeats, in the command line's
// order; its files decide which jobs may run at once.
void Jobs::plan() {
    std::map<std::string, ScriptPlan> found;
    for (std::size_t job = 0; job < jobs.size(); ++job) {
        const std::string& script = jobs[job].script;
        auto known = found.find(script);
        if (known == found.end()) known = found.emplace(script, planScript(script)).first;
        const std::lock_guard lock(mutex);
        if (stopped) break;
        queue.plan(known->second.files);
        testCounts[job] = known->second.tests;
        changed.notify_all();
    }
}

int Jobs::plannedTests(int job) {
    const std::lock_guard lock(mutex);
    return testCounts[static_cast<std::size_t>(job)];
}

// -1 once no job is left to start. The failures the job may still have
// before the run stops are those the scripts ended so far left over.
int Jobs::takeJob(int& failuresLeft) {
    std::unique_lock lock(mutex);
    for (;;) {
        if (stopped || queue.allTaken()) return -1;
        const int job = queue.take();
        if (job >= 0) {
            results[static_cast<std::size_t>(job)].taken = true;
            failuresLeft = options.maxFail > 0 ? options.maxFail - ended.failures() : 0;
            return job;
        }
        changed.wait(lock);
    }
}

void Jobs::finishJob(int job, JobResult&& result) {
    const std::lock_guard lock(mutex);
    result.taken = result.done = true;
    result.events.replay(ended);
    if (options.maxFail > 0 && ended.failures() >= options.maxFail) stopped = true;
    results[static_cast<std::size_t>(job)] = std::move(result);
    queue.finish(job);
    changed.notify_all();
}

// A stop ends the scripts that run; each slot's next one stands in the
// report as interrupted, and no other starts.
void Jobs::runJob(int job, int tests, ScriptEvents& events, WorkerRunner& runner) {
    const ScriptJob& script = jobs[static_cast<std::size_t>(job)];
    events.begin(script.script, script.script + script.runSuffix, job, options.filter);
    if (const int signal = stopSignal()) {
        events.scriptError("interrupted by " + signalName(signal) + " before it started");
        const std::lock_guard lock(mutex);
        stopped = true;
    } else if (script.script.size() >= static_cast<std::size_t>(Parse::entryNameSize)) {
        events.cannotRun("name longer than 255 characters");
    } else {
        runner.knowTestCount(tests);
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
    if (options.passOutput) runner.passOutputThrough();
    runner.runBesideOthers();
    int failuresLeft = 0;
    for (int job; (job = takeJob(failuresLeft)) >= 0;) {
        runner.select(selection, failuresLeft);
        JobResult result;
        result.span.worker = worker;
        result.span.start = secondsSinceStart();
        runJob(job, plannedTests(job), events, runner);
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
    // Planned before any worker starts: a thread still reading a script while
    // another forks would hand the worker an allocator locked mid-call (the
    // sanitizers' allocators are not fork-safe).
    run.plan();
    for (std::size_t i = 0; i < slots; ++i)
        threads.emplace_back([&run, i] { run.slot(static_cast<int>(i) + 1); });
    std::vector<WorkerSpan> spans = run.tellInOrder(reporters);
    for (std::thread& thread : threads) thread.join();
    return spans;
}

}  // namespace zorrun
