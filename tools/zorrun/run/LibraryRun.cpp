#include "LibraryRun.h"

#include "FailedEntries.h"
#include "ScriptFiles.h"
#include "ZorLib.h"
#include "host/RunCallback.h"

namespace zorrun {

namespace {

// The library calls back through plain functions; they reach the run here.
LibraryRun* activeRun = nullptr;
TestWatch* activeWatch = nullptr;

// A failed test's report block goes into the JUnit file up to this size.
constexpr std::size_t reportLimit = 1 << 20;

}  // namespace

LibraryRun::LibraryRun(VerdictListener& verdicts, bool withReports, TestWatch* testWatch)
    : listener(verdicts), watch(testWatch) {
    if (withReports) reportCopy = std::make_unique<ReportCopy>();
    activeRun = this;
    activeWatch = watch;
    Parse::setVerifyObserver(heardVerdict);
}

LibraryRun::~LibraryRun() {
    Parse::setVerifyObserver(nullptr);
    Parse::setTestSelector(nullptr);
    activeRun = nullptr;
    activeWatch = nullptr;
}

void LibraryRun::heardVerdict(const char* name, int position, int pass, int result) {
    if (activeRun) activeRun->verdict(name, position, pass, result);
}

int LibraryRun::selectTest(const char* name, int position) {
    if (!activeRun || activeRun->failedOnce) return 0;
    return !activeRun->selection || activeRun->selection->selects(name, position) ? 1 : 0;
}

void LibraryRun::select(TestSelection* tests, bool firstFailureEnds) {
    selection = tests;
    exitFirst = firstFailureEnds;
    Parse::setTestSelector(selection || exitFirst ? selectTest : nullptr);
}

int LibraryRun::testCallback() {
    if (activeWatch) activeWatch->testStarts(Parse::getInStore()->getName());
    if (activeRun) activeRun->calledBack = true;
    return runCallback();
}

double LibraryRun::secondsSinceLast() {
    const auto now = std::chrono::steady_clock::now();
    const std::chrono::duration<double> seconds = now - lastVerdictTime;
    lastVerdictTime = now;
    return seconds.count();
}

// The comparison has closed the output file, so its write error is this
// block's. A block that did not go in whole fails its test whatever the
// comparison found.
void LibraryRun::verdict(const char* name, int position, int pass, int result) {
    Verdict verdict;
    verdict.name = name;
    verdict.position = position;
    verdict.pass = pass;
    verdict.outFile = Parse::getLastOutFile();
    verdict.writeError = Parse::getIO().getWriteError();
    verdict.passed = result == 0 && verdict.writeError.empty();
    verdict.seconds = secondsSinceLast();
    verdict.at = std::chrono::duration<double>(lastVerdictTime.time_since_epoch()).count();
    verdict.line = lines.lineOf(position);
    // A record of globals is compared without a test function.
    const char* message = calledBack ? escapedException() : nullptr;
    if (message) verdict.threw = message;
    // Looked up again only for a failed test, so that passing ones pay nothing.
    verdict.unknownFunction = calledBack && !verdict.passed && !message &&
                              ZorCall::getFunc(Parse::getInStore()->getName()) == nullptr;
    takeComparison(verdict, pass);
    calledBack = false;
    if (exitFirst && (!verdict.passed || !verdict.threw.empty())) failedOnce = true;
    listener.verdict(verdict);
    if (watch) watch->testEnded();
}

// What the comparison found, beyond passed or not: the entries that did not
// hold and the test's report block. The one place that reads them from the
// library, so that a comparison value from it can take over here alone.
void LibraryRun::takeComparison(Verdict& verdict, int pass) {
    // A record of globals is compared against the globals, not the logged record.
    const bool comparedLogged = calledBack;
    failedEntries.clear();
    if (!verdict.passed && comparedLogged && verdict.threw.empty() && !verdict.unknownFunction) {
        collectFailedEntries(Parse::getVerStore()[0], Parse::getOutStore(), failedEntries);
        verdict.failedEntries = failedEntries;
    }
    if (reportCopy && !verdict.passed && verdict.writeError.empty()) {
        report = failureReport(Parse::getLastOutFile(), pass);
        verdict.report = report;
    }
}

// Without an output file the comparison was never made.
std::string LibraryRun::failureReport(const char* outFile, int pass) {
    if (fileSize(outFile) < 0)
        return std::string("no comparison was made: the output file '") + outFile +
               "' could not be opened";
    return reportCopy->make(pass, reportLimit);
}

void LibraryRun::run(const std::string& script, const std::string& filter) {
    lines.open(script);
    lastVerdictTime = std::chrono::steady_clock::now();
    ParseEnd end;
    if (selection) selection->beginScript(script);
    end.code = Parse::parseLoop(script.c_str(), filter.c_str(), testCallback);
    end.errLine = Parse::getErrLine();
    end.errPos = Parse::getErrPos();
    end.errString = Parse::getErrString();
    end.lastOutFile = Parse::getLastOutFile();
    if (end.code == -3) end.writeError = Parse::getIO().getWriteError();
    listener.parseEnded(end);
}

}  // namespace zorrun
