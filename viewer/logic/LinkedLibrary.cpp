#include "LinkedLibrary.h"

#include <string>

#include "host/RunCallback.h"
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

std::string writeFailure() {
    const char* reason = Parse::getIO().getWriteError();
    if (!reason || !reason[0]) return std::string();
    return "cannot write the report to " + std::string(Parse::getLastOutFile()) + ": " + reason;
}

void noteLostReport(const char*, int, int, int) {
    if (lostReport.empty()) lostReport = writeFailure();
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
    Parse::setVerifyObserver(noteLostReport);
    result.code = Parse::parseLoop(inputFile.c_str(), filter.c_str(), runCallback);
    Parse::setVerifyObserver(nullptr);
    // The error text and the closing line feed are the run's last write phase.
    result.notice = lostReport.empty() ? writeFailure() : lostReport;
    result.outFile = Parse::getLastOutFile();
    result.errText = Parse::getErrString();
    result.errLine = Parse::getErrLine();
    result.errPos = Parse::getErrPos();
    return result;
}

void LinkedLibrary::setLastOutFile(const std::string& name) {
    Parse::setLastOutFile(name.c_str());
}

std::string LinkedLibrary::lastOutFile() const {
    return Parse::getLastOutFile();
}

}  // namespace viewer
