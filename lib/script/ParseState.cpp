#include "script/ParseState.h"

#include "script/ErrorReport.h"
#include "script/ScriptEngine.h"
#include "store/DataMap.h"

namespace zor {

ParseState& parseState() {
    static ParseState state;
    return state;
}

// The run driver's verdict observer names the test by it.
int recordPosition() {
    return parseState().recordPos;
}

int recordLine() {
    return parseState().recordPlace.line;
}

int openLevel(const char* name) {
    ParseState& state = parseState();
    if (state.level >= deepestLevel) return failAction("nesting too deep", name);
    ++state.level;
    return 0;
}

DataMap* globalVars() {
    // Made on first use, so it is destroyed before the element pool and string
    // heap that its elements live in.
    static DataMap variables[levelCount];
    return variables;
}

}  // namespace zor
