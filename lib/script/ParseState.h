// The parse state that the grammar's actions share: the nesting level, the
// names and item counters per level, where entries go, the current record's
// position and the section flags, and the script's global variables.
#pragma once

#include <cstdint>

#include "script/Scanner.h"
#include "script/ScriptText.h"

class DataMap;

namespace zor {

// Records, names and item counters exist for levels 0 to 19; a body may not
// open a level beyond the last one.
constexpr int levelCount = 20;
constexpr int deepestLevel = levelCount - 1;

struct ParseState {
    // 0 between statements, 1 inside a top-level body, one more for each open
    // nested record, list or record item.
    int level = 0;
    // [0] the top-level record's name (empty for global variables), [k] the
    // nested record or list that the body at level k builds.
    ScriptText levelNames[levelCount]{};
    std::int32_t itemCounters[levelCount]{};
    // The store array that the body at level L fills at [L - 1]: the run's
    // in-data or expected data, or the global variables.
    DataMap* targetStores = nullptr;
    std::int32_t recordPos = 0;
    // Where the current top-level record's name stands (a global-variable
    // record: its "{"). recordPos stays what filters and hosts have always
    // seen, which an extern record leaves as the record before it set it.
    TokenPlace recordPlace{};
    bool verifyMode = false;
    bool externMode = false;
};

ParseState& parseState();

// Opens one more level for the nested record or list named name; fails with
// "nesting too deep" and that name when the last level is already open.
int openLevel(const char* name);

// The script's global variables: [0] the variables, [1] to [19] the working
// records of a global-variable record with nested values.
DataMap* globalVars();

}  // namespace zor
