// Global variables as values: a variable is written as a path in parentheses
// and looked up in the script's global variables.
#pragma once

#include "script/Outline.h"
#include "script/ScriptText.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

namespace zor {

// The variable record, globalVars()[0].
DataMap& variableRecord();

// A variable that is not there: "undefined" with its path, which stops the
// parse. Under a filter for another record than the current one the error is
// suppressed and the answer is 0: the value is then simply not there.
int failUndefined(const ScriptText& path);

// Hands the value of the variable named by path to store: an int, a double or
// a text, or else the variable's members as a record. A variable that is
// neither is undefined (failUndefined). An outline stores no values, and a
// variable may be made by a test function that it does not run.
template <class Store>
int withVariable(const ScriptText& path, Store store) {
    if (outlining()) {
        outlineVariableUse(path);
        return 0;
    }
    DataMap& variables = variableRecord();
    StoreCv variable = variables[path.text];
    switch (variables.getType(path.text)) {
        case StoreEl::typeInt:
            store(static_cast<int>(variable));
            return 0;
        case StoreEl::typeDouble:
            store(static_cast<double>(variable));
            return 0;
        case StoreEl::typeString:
            store(static_cast<const char*>(static_cast<char*>(variable)));
            return 0;
    }
    const DataMap members(variable);
    if (members.getData(nullptr) == nullptr) return failUndefined(path);
    store(members);
    return 0;
}

}  // namespace zor
