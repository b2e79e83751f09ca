#include "script/Names.h"

#include <cstring>

#include "script/ErrorReport.h"
#include "script/Outline.h"
#include "script/ParseState.h"
#include "script/ScanState.h"

namespace zor {

namespace {

constexpr std::size_t nameDetailLength = 40;

// target = first + second, or "name too long" when that does not fit a text.
int joinNames(ScriptText& target, const char* first, const char* second) {
    std::size_t firstLength = std::strlen(first);
    std::size_t secondLength = std::strlen(second);
    if (firstLength + secondLength > ScriptText::maxLength) return failNameTooLong(first, second);
    // target may be the text that first or second lies in.
    char joined[ScriptText::capacity];
    std::memcpy(joined, first, firstLength);
    std::memcpy(joined + firstLength, second, secondLength + 1);
    std::memcpy(target.text, joined, firstLength + secondLength + 1);
    return 0;
}

}  // namespace

int failNameTooLong(const char* first, const char* second) {
    char detail[nameDetailLength + 1] = {};
    std::strncat(detail, first, nameDetailLength);
    std::strncat(detail, second, nameDetailLength - std::strlen(detail));
    return failAction("name too long", detail);
}

void completePath() {
    scanState().markerOn = false;
}

int joinPath(ScriptText& path, const ScriptText& identifier, const ScriptText& rest) {
    ScriptText head;
    if (joinNames(head, identifier.text, ".") != 0) return 1;
    return joinNames(path, head.text, rest.text);
}

int plainTarget(ScriptText& target, const ScriptText& path) {
    if (parseState().verifyMode) return joinNames(target, "==", path.text);
    if (outlining()) outlineDefinition(parseState(), path);
    copyText(target, path.text);
    return 0;
}

int operatorTarget(ScriptText& target, const ScriptText& path, const char* prefix) {
    if (!parseState().verifyMode) return failAction("illegal operation", prefix);
    return joinNames(target, prefix, path.text);
}

}  // namespace zor
