#include "script/RecordBodies.h"

#include "run/Parse.h"
#include "script/ParseState.h"
#include "script/ScanState.h"

namespace zor {

void openTestBody() {
    ++parseState().level;
    scanState().markerOn = true;
}

void closeTestBody() {
    --parseState().level;
}

void targetInputStore() {
    parseState().targetStores = Parse::getInStore();
}

void beginVerifyEntries() {
    ParseState& state = parseState();
    state.verifyMode = true;
    state.targetStores = Parse::getVerStore();
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
    parseState().targetStores = globalVars();
}

}  // namespace zor
