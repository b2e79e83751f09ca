// Running a whole script: parseLoop, and the comparisons that append reports.
#include "output/CompareRecords.h"
#include "run/AdaptIO.h"
#include "run/Parse.h"
#include "run/TextCopy.h"
#include "script/ScriptEngine.h"
#include "store/DataMap.h"

namespace {

// Appends text to the file under the output lock; false when it cannot be
// opened or the text did not go in whole.
bool appendText(AdaptIO& io, const char* file, const char* text) {
    if (!io.openOut(file)) return false;
    io << text;
    io.closeOut();
    return io.getWriteError()[0] == '\0';
}

// Where the block of the current comparison went, and why not whole.
Comparison& noteDelivery(AdaptIO& io, bool opened, const char* file) {
    Comparison& comparison = zor::currentComparison();
    comparison.outFile = opened ? file : "";
    // A file refused for a reason of its own (the lock file) says which.
    const char* reason = io.getWriteError();
    comparison.writeError = opened || reason[0] ? reason : "the output file could not be opened";
    return comparison;
}

}  // namespace

int Parse::runParser(AdaptIO& io) {
    errLine = 0;
    zor::scanRestart(io);
    pState = 1;
    const int parsed = yyparse();
    zor::stackBuffer(0, 0);
    zor::stackBuffer(1, 0);
    zor::scanRelease();
    pState = 0;
    return parsed;
}

int Parse::parseLoop(const char* inputFile, const char* filter, int (*callback)()) {
    if (pState != 0 || !inputFile || !filter) return -1;
    // A cut name would be another file or another test: refuse it untouched.
    if (zor::hasAtLeast(inputFile, entryNameSize) || zor::hasAtLeast(filter, entryNameSize))
        return -1;
    callBack = callback;
    char inputName[entryNameSize];
    zor::copyText(inputName, sizeof inputName, inputFile);
    zor::copyText(filterName, entryNameSize, filter);

    AdaptIO& io = getIO();
    if (!io.openIn(inputName)) return -2;
    // The parse empties the extern cache, so the cached file no longer matches it.
    cachedFile[0] = 0;
    const int parsed = runParser(io);
    if (parsed != 0 && errLine >= 1) appendText(io, outFileName, errString);
    int result = errLine;
    if (!appendText(io, outFileName, "\n")) result = -3;
    io.closeIn();
    if (result == 0 && verifyResult != 0) result = -4;
    return result;
}

// Without the file the comparison is still made, so that an observer hears
// what failed; the writer swallows the block and the result is a failure.
int Parse::verData(int pass, DataMap& actual) {
    AdaptIO& io = getIO();
    const bool opened = io.openOut(outFileName) != 0;
    int result = verStore[0].differ(io, actual, pass);
    if (opened) io.closeOut();
    Comparison& comparison = noteDelivery(io, opened, outFileName);
    // A report cut short would hide what it failed to say.
    if (!comparison.writeError.empty()) result = 1;
    if (result == 1) verifyResult = 1;
    comparison.position = zor::recordPosition();
    comparison.line = zor::recordLine();
    comparison.result = result;
    // The value first: a verdict observer may compare again and so refill it.
    if (comparisonObserver) comparisonObserver(comparison);
    if (verifyObserver) verifyObserver(verStore[0].getName(), zor::recordPosition(), pass, result);
    return result;
}

Parse::VerifyObserver Parse::verifyObserver = nullptr;

void Parse::setVerifyObserver(VerifyObserver observer) {
    verifyObserver = observer;
}

Parse::ComparisonObserver Parse::comparisonObserver = nullptr;

void Parse::setComparisonObserver(ComparisonObserver observer) {
    comparisonObserver = observer;
}

Parse::TestSelector Parse::testSelector = nullptr;

void Parse::setTestSelector(TestSelector selector) {
    testSelector = selector;
}

Parse::TestSelector Parse::getTestSelector() {
    return testSelector;
}

int Parse::closeLoop() {
    if (pState == 1 || outFileName[0] == 0 || filterName[0] == 0) return 0;
    AdaptIO& io = getIO();
    // Without the file the comparison still runs; the writer swallows its text.
    const bool opened = io.openOut(outFileName) != 0;
    verStore[0].setName(filterName);
    int result = verStore[0].differ(io, outStore, 1);
    if (opened) io.closeOut();
    Comparison& comparison = noteDelivery(io, opened, outFileName);
    // A report cut short is no pass, whatever the entries said.
    if (opened && !comparison.writeError.empty()) result = 1;
    // The provider way names its test without a position.
    comparison.position = -1;
    comparison.line = 0;
    comparison.result = result;
    if (comparisonObserver) comparisonObserver(comparison);
    outStore.clear();
    filterName[0] = 0;
    return result;
}
