// Text from a client (names, filters, error texts) on its way into the log.
#pragma once

#include <string>
#include <string_view>

namespace zorserver {

// The text with control characters written as escapes ("\n", "\x1b", and the
// C1 characters as "\u009b"), and a backslash as "\\", so that a client
// cannot forge log lines or drive the terminal that shows the log.
std::string escapeForLog(std::string_view text);

}  // namespace zorserver
