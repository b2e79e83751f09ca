#include "script/Statements.h"

#include "run/AdaptIO.h"
#include "run/Parse.h"
#include "script/ErrorReport.h"
#include "script/Outline.h"
#include "script/ParseState.h"
#include "script/RecordEnd.h"
#include "script/ScanState.h"
#include "script/Scanner.h"
#include "store/DataMap.h"

namespace zor {

namespace {

// The working levels hold partial records only while a nested value is being
// built; a parse that stopped inside one must not pass them on to the next.
void clearWorkingLevels(ParseState& state) {
    for (ScriptText& name : state.levelNames) name.text[0] = '\0';
    for (std::int32_t& counter : state.itemCounters) counter = 0;
    if (outlining()) return;
    for (int level = 1; level < levelCount; ++level) {
        Parse::getInStore()[level].clear();
        Parse::getVerStore()[level].clear();
        globalVars()[level].clear();
    }
}

// What a run starts from; an outline leaves the run's state alone.
void startRunState() {
    Parse::setLastOutFile("");
    Parse::getCache().clear();
    // Under a filter the variables of the previous run stay for the selected test.
    if (Parse::getFilterName()[0] == '\0') globalVars()[0].clear();
}

// A record's test data starts empty: in-data, expected data and results.
void emptyTestStores() {
    if (outlining()) return;
    Parse::clearInStore();
    Parse::clearVerStore();
    Parse::getOutStore().clear();
}

void beginNamedRecord(const ScriptText& path) {
    ParseState& state = parseState();
    copyText(state.levelNames[state.level], path.text);
    emptyTestStores();
}

}  // namespace

void startScript() {
    ParseState& state = parseState();
    ScanState& scan = scanState();
    state.level = 0;
    scan.charsRead = 0;
    scan.charsBefore = 0;
    state.verifyMode = false;
    state.recordPos = 0;
    scan.lineNo = 1;
    scan.lineStart = 0;
    resetErrorReport();
    Parse::setErrString("");
    if (!outlining()) startRunState();
    clearWorkingLevels(state);
}

void setOutputFile(const ScriptText& name) {
    if (outlining()) return outlineFile(OutlineFile::resultFile, name);
    Parse::setLastOutFile(name.text);
}

void deleteNamedFile(const ScriptText& name) {
    if (outlining()) return outlineFile(OutlineFile::deleteFile, name);
    // The result is not looked at: a file that cannot be deleted is passed over.
    if (Parse::hasCallback()) AdaptIO::deleteFile(name.text);
}

void beginExternRecord(const ScriptText& path) {
    ParseState& state = parseState();
    state.externMode = true;
    state.recordPlace = scanState().afterKeyword;
    beginNamedRecord(path);
}

void endExternRecord() {
    endRecord();
    parseState().externMode = false;
}

void takeRecordPosition() {
    ParseState& state = parseState();
    state.recordPlace = currentPlace();
    state.recordPos = state.recordPlace.position;
}

void beginTestRecord(const ScriptText& path) {
    parseState().externMode = false;
    beginNamedRecord(path);
}

int endTestRecord() {
    return endRecord();
}

void beginGlobalRecord() {
    ParseState& state = parseState();
    state.externMode = false;
    state.recordPlace = currentPlace();
    state.recordPos = state.recordPlace.position;
    state.levelNames[state.level].text[0] = '\0';
    emptyTestStores();
}

int endGlobalRecord() {
    return endRecord();
}

}  // namespace zor
