// The values of number tokens as the actions store them. A token whose text is
// not one well-formed number, or whose value does not fit, stops the parse with
// an action error at the line and position where the token stood: the parser
// may have read a token beyond it before the action runs.
#pragma once

#include <cstdint>

#include "script/ScriptText.h"

namespace zor {

// Each answers 0 with the value, or 1 once the error has been reported.
int integerValue(const ScriptText& token, std::int32_t& value);
int floatValue(const ScriptText& token, double& value);

}  // namespace zor
