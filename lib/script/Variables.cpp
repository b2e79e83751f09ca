#include "script/Variables.h"

#include <cstring>

#include "run/Parse.h"
#include "script/ErrorReport.h"
#include "script/ParseState.h"
#include "store/DataMap.h"

namespace zor {

DataMap& variableRecord() {
    return globalVars()[0];
}

int failUndefined(const ScriptText& path) {
    // A filter is a name followed by a position, so any filter differs from a
    // record's name: while a filter is set, undefined variables are not errors.
    const char* filter = Parse::getFilterName();
    if (filter[0] != '\0' && std::strcmp(filter, parseState().levelNames[0].text) != 0) return 0;
    return failAction("undefined", path.text);
}

}  // namespace zor
