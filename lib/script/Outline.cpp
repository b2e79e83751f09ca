#include "script/Outline.h"

#include <cstring>
#include <string>

#include "script/ParseState.h"
#include "script/ScanState.h"
#include "script/Scanner.h"

namespace zor {

namespace {

ScriptOutline* current = nullptr;
int resultFileInForce = -1;
ParseState setAsideParse;
ScanState setAsideScan;

OutlineRecord::Kind kindOf(const ParseState& state) {
    if (state.externMode) return OutlineRecord::externTest;
    return state.levelNames[0].text[0] != '\0' ? OutlineRecord::test : OutlineRecord::global;
}

}  // namespace

void beginOutline(ScriptOutline& outline) {
    setAsideParse = parseState();
    setAsideScan = scanState();
    current = &outline;
    resultFileInForce = -1;
}

void endOutline() {
    current = nullptr;
    parseState() = setAsideParse;
    scanState() = setAsideScan;
}

bool outlining() {
    return current != nullptr;
}

void outlineFile(OutlineFile::Kind kind, const ScriptText& name) {
    OutlineFile file;
    file.kind = kind;
    file.computed = std::strchr(name.text, computedPart[0]) != nullptr;
    if (!file.computed) file.name = name.text;
    file.line = scanState().keywordPlace.line;
    if (kind == OutlineFile::resultFile)
        resultFileInForce = static_cast<int>(current->files.size());
    current->files.push_back(std::move(file));
}

void outlineRecord(const ParseState& state) {
    OutlineRecord record;
    record.kind = kindOf(state);
    record.name = state.levelNames[0].text;
    record.position = state.recordPlace.position;
    record.line = state.recordPlace.line;
    record.column = state.recordPlace.column;
    const TokenPlace close = scanState().closePlace;
    record.endLine = close.line;
    record.endColumn = close.column;
    const TokenPlace verify = scanState().verifyPlace;
    if (verify.position > state.recordPlace.position) record.verifyLine = verify.line;
    record.outFile = resultFileInForce;
    if (current->takeRecord)
        current->takeRecord(record);
    else
        current->records.push_back(std::move(record));
}

void outlineVariableUse(const ScriptText& path) {
    if (!current->takeVariables) return;
    const TokenPlace place = scanState().pathPlace;
    current->variables.push_back({OutlineVariable::use, path.text, place.line, place.column});
}

void outlineDefinition(const ParseState& state, const ScriptText& name) {
    if (!current->takeVariables || kindOf(state) != OutlineRecord::global) return;
    // The body at level L fills the record named by levels 1 to L - 1.
    std::string path;
    for (int level = 1; level < state.level; ++level)
        path += std::string(state.levelNames[level].text) + ".";
    const TokenPlace place = scanState().pathPlace;
    current->variables.push_back(
        {OutlineVariable::definition, path + name.text, place.line, place.column});
}

}  // namespace zor
