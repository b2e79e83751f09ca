// Hints that follow a script error on the console where the library's text
// alone leaves the cause to guess.
#pragma once

#include <string>

namespace zorrun {

// The hint for an error on the given line of the script, or "" when none helps.
std::string errorHint(const std::string& script, int line);

}  // namespace zorrun
