#include "script/Entries.h"

#include "script/NumberValues.h"
#include "script/ParseState.h"
#include "script/RecordEnd.h"
#include "script/Variables.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

namespace zor {

namespace {

// Assigns the value to the element named name of the record that the body at
// the current level fills; a record value is grafted under that name.
template <class Value>
void storeEntry(const ScriptText& name, const Value& value) {
    const ParseState& state = parseState();
    if (state.targetStores == nullptr) return;
    state.targetStores[state.level - 1][name.text] = value;
}

}  // namespace

void nameNestedRecord(const ScriptText& path) {
    ParseState& state = parseState();
    if (outlining()) outlineDefinition(state, path);
    copyText(state.levelNames[state.level], path.text);
}

int openNestedRecord() {
    const ParseState& state = parseState();
    return openLevel(state.levelNames[state.level].text);
}

void closeNestedRecord() {
    --parseState().level;
}

void endNestedRecord() {
    endRecord();
}

void nameList(const ScriptText& path) {
    ParseState& state = parseState();
    if (outlining()) outlineDefinition(state, path);
    copyText(state.levelNames[state.level], path.text);
}

int storeInteger(const ScriptText& target, const ScriptText& digits) {
    std::int32_t value = 0;
    if (int failed = integerValue(digits, value)) return failed;
    storeEntry(target, static_cast<int>(value));
    return 0;
}

int storeFloat(const ScriptText& target, const ScriptText& number) {
    double value = 0.0;
    if (int failed = floatValue(number, value)) return failed;
    storeEntry(target, value);
    return 0;
}

void storeText(const ScriptText& target, const ScriptText& text) {
    storeEntry(target, static_cast<const char*>(text.text));
}

int storeVariable(const ScriptText& target, const ScriptText& path) {
    return withVariable(path, [&target](const auto& value) { storeEntry(target, value); });
}

}  // namespace zor
