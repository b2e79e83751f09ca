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

// The script's text; "" when it cannot be read (a folder, no rights).
std::string readScriptText(const std::string& script);

// The line a position (as the library counts it) stands on. Tests come in the
// script's order, so the count goes on from the last position asked for and
// reads each character once per script.
class ScriptLines {
public:
    // An empty text (a script that cannot be read) knows no line.
    void reset(std::string scriptText);
    // 1-based; 0 when the position is not in the text.
    int lineOf(int position);

private:
    std::string text;
    std::size_t at = 0;  // the first character of line `line` not yet passed
    int line = 1;
    int passed = 0;  // the position of text[at]
};

}  // namespace zor
