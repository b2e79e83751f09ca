#include "script/FileNames.h"

#include "script/Names.h"
#include "script/Outline.h"
#include "script/Variables.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

namespace zor {

namespace {

constexpr int textType = 3;

// parts + suffix, or "name too long".
int appendPart(ScriptText& parts, const char* suffix) {
    if (appendText(parts, suffix)) return 0;
    return failNameTooLong(parts.text, suffix);
}

// The text of the variable named by path, or null when it is not a text.
const char* textVariable(const ScriptText& path) {
    if (outlining()) {
        outlineVariableUse(path);
        return computedPart;
    }
    DataMap& variables = variableRecord();
    if (variables.getType(path.text) != textType) return nullptr;
    return variables[path.text];
}

}  // namespace

void takeFileParts(ScriptText& name, const ScriptText& parts) {
    copyText(name, parts.text);
}

int appendStringPart(ScriptText& parts, const ScriptText& string) {
    return appendPart(parts, string.text);
}

int variablePart(ScriptText& parts, const ScriptText& path) {
    parts.text[0] = '\0';
    const char* value = textVariable(path);
    if (value == nullptr) return failUndefined(path);
    return appendPart(parts, value);
}

int appendVariablePart(ScriptText& parts, const ScriptText& path) {
    const char* value = textVariable(path);
    if (value == nullptr) return failUndefined(path);
    return appendPart(parts, value);
}

}  // namespace zor
