#include "VerdictRecorder.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <unordered_map>

#include "WorkerMessage.h"
#include "ZorLib.h"
#include "host/PosixFiles.h"
#include "host/RunCallback.h"
#include "protocol/VerdictCodec.h"

namespace zorserver {

namespace {

using Clock = std::chrono::steady_clock;

struct Recorder {
    int fd = -1;
    // Where each test's name stands, by position, from the script's outline.
    std::unordered_map<int, int> lines;
    // Set from a test's start to its verdict: a record of globals is
    // compared without a test function.
    bool calledBack = false;
    Clock::time_point started;
};

Recorder recorder;

int lineOf(int position) {
    const auto found = recorder.lines.find(position);
    return found == recorder.lines.end() ? 0 : found->second;
}

void send(FrameKind kind, const remote::RemoteVerdict& verdict) {
    host::writeAll(recorder.fd, encodeFrame(kind, remote::encodeVerdict(verdict)));
}

// Asked just before the test's function runs; every test runs.
int started(const char* name, int position) {
    remote::RemoteVerdict verdict;
    verdict.name = name ? name : "";
    verdict.position = position;
    verdict.line = lineOf(position);
    verdict.outcome = remote::VerdictOutcome::error;
    verdict.outFile = Parse::getLastOutFile();
    remote::boundVerdict(verdict);
    recorder.calledBack = true;
    recorder.started = Clock::now();
    send(FrameKind::started, verdict);
    return 1;
}

// What the entries do not tell; the outcome follows it.
void explain(const Comparison& comparison, remote::RemoteVerdict& verdict) {
    const char* threw = recorder.calledBack ? escapedException() : nullptr;
    if (!comparison.writeError.empty()) {
        verdict.outcome = remote::VerdictOutcome::error;
        verdict.reason =
            "cannot write the report to " + comparison.outFile + ": " + comparison.writeError;
    } else if (threw) {
        verdict.outcome = remote::VerdictOutcome::error;
        verdict.reason = std::string("test function threw: ") + threw;
    } else if (comparison.result == 0) {
        verdict.outcome = remote::VerdictOutcome::passed;
    } else if (recorder.calledBack && !ZorCall::getFunc(comparison.name.c_str())) {
        verdict.reason = "no test function " + comparison.name;
    }
}

// The one place where the library's judgement becomes the server's verdict.
void judged(const Comparison& comparison) {
    remote::RemoteVerdict verdict;
    verdict.name = comparison.name;
    verdict.position = comparison.position;
    verdict.line = lineOf(comparison.position);
    verdict.outcome = remote::VerdictOutcome::failed;
    verdict.outFile = comparison.outFile;
    for (const ComparisonEntry& entry : comparison.entries) {
        if (!entry.held)
            verdict.entries.push_back(
                {entry.path + " " + entry.op + " " + entry.expectedExact, entry.actualExact});
    }
    explain(comparison, verdict);
    if (recorder.calledBack)
        verdict.seconds = std::chrono::duration<double>(Clock::now() - recorder.started).count();
    recorder.calledBack = false;
    remote::boundVerdict(verdict);
    send(FrameKind::judged, verdict);
}

// The outline is read before the run starts: the parse it makes is the
// run's own scanner and parser, with nothing run.
void outlineLines(const std::string& scriptFile) {
    ScriptOutline outline;
    recorder.lines.clear();
    if (Parse::outlineScript(scriptFile.c_str(), outline) < 0) return;
    for (const OutlineRecord& record : outline.records)
        if (record.kind == OutlineRecord::test)
            recorder.lines.emplace(record.position, record.line);
}

}  // namespace

void reportVerdicts(int resultFd, const std::string& scriptFile) {
    recorder.fd = resultFd;
    outlineLines(scriptFile);
    Parse::setTestSelector(started);
    Parse::setComparisonObserver(judged);
}

void reportRunEnd(const remote::RemoteRunEnd& end) {
    remote::RemoteRunEnd bounded = end;
    remote::boundRunEnd(bounded);
    host::writeAll(recorder.fd, encodeFrame(FrameKind::runEnd, remote::encodeRunEnd(bounded)));
}

}  // namespace zorserver
