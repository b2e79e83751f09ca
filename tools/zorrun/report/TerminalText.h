// Text from outside ZorRun (a script's name, a test's name, a value or the
// output of a test function) on its way to a terminal or a CI log: its line
// ends would forge ZorRun's own lines (a verdict, a summary) and its escape
// sequences would drive the terminal.
#pragma once

#include <string>
#include <string_view>

namespace zorrun {

// text with every control character spelled out ("\n", "\t", "\r", "\x1b",
// "\x7f"), and so are the C1 controls and the bytes that are no UTF-8
// ("\xc2\x9b", "\xff"): some terminals act on them too. Well-formed UTF-8
// text stays as it is.
std::string terminalText(std::string_view text);
// The same, appended to out; plain ASCII text, the usual case, costs a scan.
void appendTerminalText(std::string& out, std::string_view text);
// The same into out, cut to fit its size, with a terminating zero; the count
// of characters written. For callers that must not allocate.
std::size_t copyTerminalText(std::string_view text, char* out, std::size_t size);

}  // namespace zorrun
