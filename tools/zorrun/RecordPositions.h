// Where a test record stands in a script, for a test that got no verdict to
// name it: the script read at its top level as the library's scanner reads it.
#pragma once

#include <string>
#include <string_view>

namespace zor {

// The position (as the library counts it: every line break is one character)
// of the first test record named name that starts after the position after;
// -1 when there is none or the script cannot be read.
int findTestRecord(const std::string& script, int after, std::string_view name);

}  // namespace zor
