// The library's outline of a text that exists only in memory: the text is
// handed over in an anonymous memory file, so nothing is written to disk.
#pragma once

#include <string>
#include <string_view>

#include "script/ScriptOutline.h"

namespace zorlsp {

// False with the reason when the outline could not be made at all.
bool outlineText(std::string_view text, ScriptOutline& outline, std::string& problem);

}  // namespace zorlsp
