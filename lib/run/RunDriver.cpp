// Running a whole script: parseLoop, and the comparisons that append reports.
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

int Parse::verData(int pass, DataMap& actual) {
    AdaptIO& io = getIO();
    int result = 1;
    if (io.openOut(outFileName)) {
        result = verStore[0].differ(io, actual, pass);
        io.closeOut();
        // A report cut short would hide what it failed to say.
        if (io.getWriteError()[0] != '\0') result = 1;
    }
    if (result == 1) verifyResult = 1;
    if (verifyObserver) verifyObserver(verStore[0].getName(), zor::recordPosition(), pass, result);
    return result;
}

Parse::VerifyObserver Parse::verifyObserver = nullptr;

void Parse::setVerifyObserver(VerifyObserver observer) {
    verifyObserver = observer;
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
    const int opened = io.openOut(outFileName);
    verStore[0].setName(filterName);
    int result = verStore[0].differ(io, outStore, 1);
    if (opened) io.closeOut();
    // A report cut short is no pass, whatever the entries said.
    if (opened && io.getWriteError()[0] != 0) result = 1;
    outStore.clear();
    filterName[0] = 0;
    return result;
}
