#include "VerdictRecorder.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <optional>

#include "FolderAccess.h"
#include "ScriptLines.h"
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
    ScriptLines lines;
    // Set from a test's start to its verdict: a record of globals is
    // compared without a test function.
    bool calledBack = false;
    Clock::time_point started;
};

Recorder recorder;

void send(FrameKind kind, const remote::RemoteVerdict& verdict) {
    host::writeAll(recorder.fd, encodeFrame(kind, remote::encodeVerdict(verdict)));
}

// Asked just before the test's function runs; every test runs.
int started(const char* name, int position) {
    remote::RemoteVerdict verdict;
    verdict.name = name ? name : "";
    verdict.position = position;
    verdict.line = recorder.lines.lineOf(position);
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
    verdict.line = recorder.lines.lineOf(comparison.position);
    verdict.outcome = remote::VerdictOutcome::failed;
    verdict.outFile = comparison.outFile;
    for (const ComparisonEntry& entry : comparison.entries) {
        if (!entry.held)
            verdict.entries.push_back(
                {entry.path + " " + entry.op + " " + entry.expected, entry.actual});
    }
    explain(comparison, verdict);
    if (recorder.calledBack)
        verdict.seconds = std::chrono::duration<double>(Clock::now() - recorder.started).count();
    recorder.calledBack = false;
    remote::boundVerdict(verdict);
    send(FrameKind::judged, verdict);
}

// Until the library hands out its comparison value, the verify observer
// tells the verdict without its entries; with the value, judged listens to
// Parse::setComparisonObserver instead.
void compared(const char* name, int position, int pass, int result) {
    Comparison comparison;
    comparison.name = name ? name : "";
    comparison.position = position;
    comparison.pass = pass;
    comparison.result = result;
    comparison.outFile = Parse::getLastOutFile();
    const char* writeError = Parse::getIO().getWriteError();
    comparison.writeError = writeError ? writeError : "";
    judged(comparison);
}

void listenToJudge() {
    Parse::setVerifyObserver(compared);
}

std::string scriptText(int folderFd, const std::string& scriptFile) {
    const int fd = openBeneath(folderFd, scriptFile, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::string();
    const std::optional<std::string> text = host::readAll(fd);
    close(fd);
    return text.value_or(std::string());
}

}  // namespace

void reportVerdicts(int resultFd, int folderFd, const std::string& scriptFile) {
    recorder.fd = resultFd;
    recorder.lines = ScriptLines(scriptText(folderFd, scriptFile));
    Parse::setTestSelector(started);
    listenToJudge();
}

void reportRunEnd(const remote::RemoteRunEnd& end) {
    remote::RemoteRunEnd bounded = end;
    remote::boundRunEnd(bounded);
    host::writeAll(recorder.fd, encodeFrame(FrameKind::runEnd, remote::encodeRunEnd(bounded)));
}

}  // namespace zorserver
