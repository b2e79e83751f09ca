#include "LinkedLibrary.h"

#include <string>
#include <utility>

#include "host/RunCallback.h"
#include "output/Comparison.h"
#include "output/ParseOut.h"
#include "run/AdaptIO.h"
#include "run/Parse.h"
#include "run/ZorCall.h"

namespace viewer {

namespace {

// The first report of the run that was not written whole. The shared file
// object keeps the reason only until its next write phase, so each report's
// is looked at as soon as it is written.
std::string lostReport;
// parseLoop's answer when the run went through but a verification failed,
// which the comparisons already count.
constexpr int verificationFailed = -4;
// The verdicts of the run in progress, from the comparisons the reports were
// written from.
RunCounts runCounts;
std::vector<RunFailure> runFailures;
int reachedTests = 0;

std::string writeFailure() {
    const char* reason = Parse::getIO().getWriteError();
    if (!reason || !reason[0]) return std::string();
    return "cannot write the report to " + std::string(Parse::getLastOutFile()) + ": " + reason;
}

void noteLostReport(const char*, int, int, int) {
    if (lostReport.empty()) lostReport = writeFailure();
}

void countComparison(const Comparison& comparison) {
    ++(comparison.result == 0 ? runCounts.passed : runCounts.failed);
    if (comparison.result != 0) runFailures.push_back({comparison.name, comparison.line});
}

int countReached(const char*, int) {
    ++reachedTests;
    return 1;
}

}  // namespace

bool LinkedLibrary::hasRegistry() const {
    return ZorCall::getFunc(nullptr) != nullptr;
}

void LinkedLibrary::setTrace(const TraceSettings& trace) {
    ParseOut::setTraceDepth(trace.depth);
    ParseOut::setTraceRoot(trace.root.c_str());
}

RunResult LinkedLibrary::parse(const std::string& inputFile, const std::string& filter) {
    RunResult result;
    lostReport.clear();
    runCounts = RunCounts();
    runFailures.clear();
    reachedTests = 0;
    Parse::setVerifyObserver(noteLostReport);
    Parse::setComparisonObserver(countComparison);
    Parse::setTestSelector(countReached);
    result.code = Parse::parseLoop(inputFile.c_str(), filter.c_str(), runCallback);
    Parse::setTestSelector(nullptr);
    Parse::setComparisonObserver(nullptr);
    Parse::setVerifyObserver(nullptr);
    // The error text and the closing line feed are the run's last write phase.
    result.notice = lostReport.empty() ? writeFailure() : lostReport;
    result.outFile = Parse::getLastOutFile();
    result.errText = Parse::getErrString();
    result.errLine = Parse::getErrLine();
    result.errPos = Parse::getErrPos();
    if (result.errLine != 0 || (result.code < 0 && result.code != verificationFailed))
        ++runCounts.errors;
    result.counts = runCounts;
    result.failures = std::move(runFailures);
    result.reached = reachedTests;
    return result;
}

void LinkedLibrary::setLastOutFile(const std::string& name) {
    Parse::setLastOutFile(name.c_str());
}

std::string LinkedLibrary::lastOutFile() const {
    return Parse::getLastOutFile();
}

}  // namespace viewer
