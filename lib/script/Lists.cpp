#include "script/Lists.h"

#include "script/NumberValues.h"
#include "script/ParseState.h"
#include "script/Variables.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

namespace zor {

namespace {

// The next item number of the list whose body is at the current level.
std::int32_t takeItemNumber() {
    ParseState& state = parseState();
    return ++state.itemCounters[state.level];
}

// Stores item number (from 1) of the list whose body is at the current level M
// into the record around the list, under the list's name and index number - 1.
// The working records of the item's two levels are then cleared for the next.
template <class Value>
void storeItem(std::int32_t number, const Value& value) {
    const ParseState& state = parseState();
    const int level = state.level;
    DataMap* stores = state.targetStores;
    if (level < 2 || stores == nullptr) return;
    stores[level - 2][state.levelNames[level - 1].text][number - 1] = value;
    stores[level - 1].clear();
    stores[level].clear();
}

}  // namespace

int openList() {
    ParseState& state = parseState();
    if (int failed = openLevel(state.levelNames[state.level].text)) return failed;
    state.itemCounters[state.level] = 0;
    return 0;
}

void closeList() {
    --parseState().level;
}

int storeIntegerItem(const ScriptText& digits) {
    std::int32_t value = 0;
    if (int failed = integerValue(digits, value)) return failed;
    storeItem(takeItemNumber(), static_cast<int>(value));
    return 0;
}

int storeFloatItem(const ScriptText& number) {
    double value = 0.0;
    if (int failed = floatValue(number, value)) return failed;
    storeItem(takeItemNumber(), value);
    return 0;
}

void storeTextItem(const ScriptText& text) {
    storeItem(takeItemNumber(), static_cast<const char*>(text.text));
}

int storeVariableItem(const ScriptText& path) {
    const std::int32_t number = takeItemNumber();
    return withVariable(path, [number](const auto& value) { storeItem(number, value); });
}

int openRecordItem() {
    const ParseState& state = parseState();
    takeItemNumber();
    return openLevel(state.levelNames[state.level - 1].text);
}

void storeRecordItem() {
    ParseState& state = parseState();
    --state.level;
    if (state.targetStores == nullptr) return;
    storeItem(state.itemCounters[state.level], state.targetStores[state.level]);
}

void storeEmptyRecordItem() {
    const ParseState& state = parseState();
    const std::int32_t number = takeItemNumber();
    if (state.targetStores == nullptr) return;
    storeItem(number, state.targetStores[state.level]);
}

}  // namespace zor
