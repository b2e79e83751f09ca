// What the outline says is wrong with a script, as the client's diagnostics.
#pragma once

#include <functional>
#include <string_view>

#include "Rpc.h"
#include "script/ScriptOutline.h"

namespace zorlsp {

enum Severity { error = 1, warning = 2, information = 3 };

// The client range of length bytes at the library's line (from 1) and byte
// column (from 1).
Json rangeAt(std::string_view text, int line, int column, std::size_t length);
// From the library's place to the end of the one-byte token (a brace) at
// endLine and endColumn.
Json rangeThrough(std::string_view text, int line, int column, int endLine, int endColumn);
// A statement's line (from 1), from its first non-blank character.
Json statementRange(std::string_view text, int line);
Json diagnostic(Json range, Severity severity, const std::string& message);

// The library's error, where and as the library reports it.
Json errorDiagnostic(std::string_view text, const ScriptOutline& outline);
// Test records that name no registered function; registered answers for a name.
void addUnknownFunctions(std::string_view text, const ScriptOutline& outline,
                         const std::function<bool(const std::string&)>& registered,
                         Json& diagnostics);

// resultfile statements that no test record after them writes to.
void addUnusedResultFiles(std::string_view text, const ScriptOutline& outline, Json& diagnostics);

}  // namespace zorlsp
