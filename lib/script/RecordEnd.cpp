#include "script/RecordEnd.h"

#include <cstring>

#include "run/Parse.h"
#include "script/Numbers.h"
#include "script/Outline.h"
#include "script/ParseState.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

namespace zor {

namespace {

// A filter is a record's name immediately followed by its position. The name
// need only begin the filter, and the rest reads as a number however it goes
// on ("login57" also selects "log" at 0, "login 57" selects "login" at 57).
bool filterSelects(const char* filter, const char* name, std::int32_t position) {
    std::size_t length = std::strlen(name);
    if (std::strncmp(filter, name, length) != 0) return false;
    return readDecimal(filter + length) == position;
}

// A global-variable record is selected by "{", any one character and its
// position; a filter too short for that reads its number from the empty text.
bool filterSelectsGlobals(const char* filter, std::int32_t position) {
    if (filter[0] != '{') return false;
    const char* number = filter[1] != '\0' ? filter + 2 : filter + 1;
    return readDecimal(number) == position;
}

bool hostSelects(const ParseState& state) {
    const Parse::TestSelector selector = Parse::getTestSelector();
    return selector == nullptr || selector(state.levelNames[0].text, state.recordPos) != 0;
}

// A test record while running: the host's callback runs the test, results in
// parentheses become globals, and the report is appended unless the callback
// asked to skip it. A test the host refuses is passed over as one the filter
// does not match, so the filter's test refused still lets the parse go on.
int runTest(const ParseState& state) {
    const char* filter = Parse::getFilterName();
    const bool filtered = filter[0] != '\0';
    if (filtered && !filterSelects(filter, state.levelNames[0].text, state.recordPos)) return 0;
    if (!hostSelects(state)) return 0;
    const int pass = Parse::startEvent();
    Parse::addToGlobals(globalVars()[0]);
    if (pass >= 0) Parse::verData(pass, Parse::getOutStore());
    return pass >= -1 && filtered ? 1 : 0;
}

// An extern record while providing: its in-data, expected data and output file
// are kept under its name for readLoop.
void cacheExternRecord(const ParseState& state) {
    StoreCv entry = Parse::getCache()[state.levelNames[0].text];
    entry[0] = Parse::getInStore()[0];
    entry[1] = Parse::getVerStore()[0];
    entry[2] = Parse::getLastOutFile();
}

int endNamedRecord(const ParseState& state) {
    Parse::getInStore()[0].setName(state.levelNames[0].text);
    Parse::getVerStore()[0].setName(state.levelNames[0].text);
    const bool running = Parse::hasCallback() != 0;
    if (running && !state.externMode) return runTest(state);
    if (!running && state.externMode) cacheExternRecord(state);
    return 0;
}

int endGlobalVariables(const ParseState& state) {
    if (!filterSelectsGlobals(Parse::getFilterName(), state.recordPos)) return 0;
    Parse::verData(1, globalVars()[0]);
    return 1;
}

// A nested record closes into the body around it.
int graftNestedRecord(const ParseState& state) {
    DataMap* stores = state.targetStores;
    if (stores == nullptr) return 0;
    stores[state.level - 1][state.levelNames[state.level].text] = stores[state.level];
    stores[state.level].clear();
    return 0;
}

}  // namespace

int endRecord() {
    const ParseState& state = parseState();
    if (state.level >= 1) return graftNestedRecord(state);
    if (outlining()) {
        outlineRecord(state);
        return 0;
    }
    if (state.levelNames[0].text[0] != '\0') return endNamedRecord(state);
    return endGlobalVariables(state);
}

}  // namespace zor

bool Parse::filterTakes(const char* filter, const char* name, int position) {
    if (!filter || !name) return false;
    return filter[0] == '\0' || zor::filterSelects(filter, name, position);
}
