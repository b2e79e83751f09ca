#include "script/RecordBodies.h"

#include "run/Parse.h"
#include "script/Outline.h"
#include "script/ParseState.h"
#include "script/ScanState.h"

namespace zor {

void openTestBody() {
    ++parseState().level;
    // Markers are results, and an outline stores none.
    scanState().markerOn = !outlining();
}

void closeTestBody() {
    --parseState().level;
}

void targetInputStore() {
    parseState().targetStores = outlining() ? nullptr : Parse::getInStore();
}

void beginVerifyEntries() {
    ParseState& state = parseState();
    state.verifyMode = true;
    state.targetStores = outlining() ? nullptr : Parse::getVerStore();
}

void endVerifyEntries() {
    parseState().verifyMode = false;
}

void openGlobalBody() {
    ++parseState().level;
}

void closeGlobalBody() {
    --parseState().level;
}

void targetGlobalVariables() {
    parseState().targetStores = outlining() ? nullptr : globalVars();
}

}  // namespace zor
