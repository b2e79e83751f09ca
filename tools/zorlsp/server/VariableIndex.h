// The outline's variables as an editor asks about them: which definitions a
// use refers to, and which uses have none above them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Positions.h"
#include "Rpc.h"
#include "script/ScriptOutline.h"

namespace zorlsp {

// "ids[0].x" as "ids.x": an element is defined with its list.
std::string variableKey(std::string_view path);
// Whether a definition of defined gives the variable used.
bool defines(const std::string& defined, const std::string& used);

// The variable whose path starts under the cursor, or null.
const OutlineVariable* variableAt(std::string_view text, const ScriptOutline& outline, Position at);
// The definitions of the variable, or else those of its record or members.
std::vector<const OutlineVariable*> definitionsOf(const ScriptOutline& outline,
                                                  const OutlineVariable& variable);
// Uses with no definition above them.
void addUndefinedUses(std::string_view text, const ScriptOutline& outline, Json& diagnostics);
// A variable's range in the text.
Json variableRange(std::string_view text, const OutlineVariable& variable);

}  // namespace zorlsp
