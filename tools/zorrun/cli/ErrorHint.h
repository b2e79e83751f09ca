// Hints that follow a script error on the console where the library's text
// alone leaves the cause to guess.
#pragma once

#include <string>
#include <string_view>

namespace zorrun {

// The hint for an error at the given token (ScriptOutline::errorToken), or ""
// when none helps.
std::string errorHint(std::string_view errorToken);

}  // namespace zorrun
