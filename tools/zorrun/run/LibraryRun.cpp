#include "LibraryRun.h"

#include "CheckedScript.h"
#include "FailedEntryText.h"
#include "Outlines.h"
#include "TestReach.h"
#include "ZorLib.h"
#include "host/RunCallback.h"

namespace zorrun {

namespace {

// The library calls back through plain functions; they reach the run here.
LibraryRun* activeRun = nullptr;

// A failed test's report block goes into the JUnit file up to this size.
constexpr std::size_t reportLimit = 1 << 20;

}  // namespace

LibraryRun::LibraryRun(VerdictListener& verdicts, bool reports, TestWatch* testWatch)
    : listener(verdicts), watch(testWatch), withReports(reports) {
    activeRun = this;
    Parse::setComparisonObserver(heardComparison);
    Parse::setTestSelector(selectTest);
}

LibraryRun::~LibraryRun() {
    Parse::setComparisonObserver(nullptr);
    Parse::setTestSelector(nullptr);
    activeRun = nullptr;
}

void LibraryRun::heardComparison(const Comparison& comparison) {
    if (activeRun) activeRun->verdict(comparison);
}

// Asked just before a test runs: a crash from here to its verdict is the
// test's, which the watch then names with its position.
int LibraryRun::selectTest(const char* name, int position) {
    if (!activeRun || activeRun->limitReached()) return 0;
    LibraryRun& run = *activeRun;
    if (run.selection && !run.selection->selects(name, position)) return 0;
    if (run.watch) run.watch->testStarts(name, position);
    run.startedName = name;
    run.startedPosition = position;
    run.testStarted = true;
    return 1;
}

bool LibraryRun::runningTest(std::string& name, int& position, int& line) const {
    if (!testStarted) return false;
    name = startedName;
    position = startedPosition;
    // Only a selection reads the outline before the run, and the library
    // outlines nothing while it runs: without one the line is not known.
    line = outline ? lineOf(*outline, position) : 0;
    return true;
}

void LibraryRun::select(TestSelection* tests, int failuresAllowed) {
    selection = tests;
    failuresLeft = failuresAllowed;
}

int LibraryRun::testCallback() {
    if (activeRun) activeRun->calledBack = true;
    return runCallback();
}

double LibraryRun::secondsSinceLast() {
    const auto now = std::chrono::steady_clock::now();
    const std::chrono::duration<double> seconds = now - lastVerdictTime;
    lastVerdictTime = now;
    return seconds.count();
}

// The comparison's result already fails a block that did not go in whole.
// Without an output file the test fails, its entries compared all the same:
// the verdict names the file the script chose, and the run's end says why
// there is none.
void LibraryRun::verdict(const Comparison& comparison) {
    testStarted = false;
    Verdict verdict;
    const bool opened = !comparison.outFile.empty();
    outFile = opened ? comparison.outFile : Parse::getLastOutFile();
    verdict.name = comparison.name;
    verdict.position = comparison.position;
    verdict.pass = comparison.pass;
    verdict.outFile = outFile;
    if (opened) verdict.writeError = comparison.writeError;
    verdict.passed = comparison.result == 0 && opened && comparison.writeError.empty();
    verdict.seconds = secondsSinceLast();
    verdict.at = std::chrono::duration<double>(lastVerdictTime.time_since_epoch()).count();
    verdict.line = comparison.line > 0 ? comparison.line
                   : outline           ? lineOf(*outline, comparison.position)
                                       : 0;
    // A record of globals is compared without a test function.
    const char* message = calledBack ? escapedException() : nullptr;
    if (message) verdict.threw = message;
    // Looked up again only for a failed test, so that passing ones pay nothing.
    verdict.unknownFunction = calledBack && !verdict.passed && !message &&
                              ZorCall::getFunc(comparison.name.c_str()) == nullptr;
    takeEntries(comparison, verdict);
    takeReport(comparison, opened, verdict);
    calledBack = false;
    if (!verdict.passed || !verdict.threw.empty()) ++failuresHere;
    listener.verdict(verdict);
    if (watch) watch->testEnded();
}

// Entries say why a test failed only where nothing else does.
void LibraryRun::takeEntries(const Comparison& comparison, Verdict& verdict) {
    failedEntries.clear();
    if (verdict.passed || !verdict.threw.empty() || verdict.unknownFunction) return;
    verdict.moreEntries = packFailedEntries(comparison, failedEntries);
    verdict.failedEntries = failedEntries;
}

void LibraryRun::takeReport(const Comparison& comparison, bool opened, Verdict& verdict) {
    if (!withReports || verdict.passed || !verdict.writeError.empty()) return;
    if (!opened) {
        report = outFile.empty() ? "no comparison was made: the script names no output file"
                                 : "no comparison was made: the output file '" + outFile +
                                       "' could not be opened";
        verdict.report = report;
        return;
    }
    report.assign(comparison.block, 0, reportLimit);
    if (comparison.block.size() > reportLimit)
        report += "\n[report cut after " + std::to_string(reportLimit) + " bytes]\n";
    verdict.report = report;
}

void LibraryRun::run(const std::string& script, const std::string& filter,
                     const ScriptOutline* given) {
    // Lines come with the library's verdicts: the outline is read before
    // the run only for a selection, and after it only to place an error.
    ScriptOutline own;
    const bool selecting = selection && selection->isActive();
    if (!given && selecting) guardedOutline(script, own);
    outline = given ? given : &own;
    testStarted = false;
    lastVerdictTime = std::chrono::steady_clock::now();
    ParseEnd end;
    if (selection) selection->beginScript(script, *outline);
    // The library reads the file that was checked; one that may not be read
    // stands as one it could not open, and the error says why.
    const CheckedScript checked(script);
    end.code = checked.getProblem().empty()
                   ? Parse::parseLoop(checked.getPath().c_str(), filter.c_str(), testCallback)
                   : -2;
    end.errLine = Parse::getErrLine();
    end.errPos = Parse::getErrPos();
    end.errString = Parse::getErrString();
    if (end.errLine > 0 && outline->errorLine != end.errLine) {
        guardedOutline(script, own);
        outline = &own;
    }
    if (outline->errorLine == end.errLine && outline->errorPos == end.errPos) {
        end.errColumn = outline->errorColumn;
        end.errToken = outline->errorToken;
    }
    end.lastOutFile = Parse::getLastOutFile();
    if (end.code == -3) end.writeError = Parse::getIO().getWriteError();
    listener.parseEnded(end);
    outline = nullptr;
    failuresHere = 0;
    testStarted = false;
}

}  // namespace zorrun
