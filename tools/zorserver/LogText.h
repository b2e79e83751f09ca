// Texts that come from clients and scripts, made safe for the server's log:
// one line each, whatever bytes they hold.
#pragma once

#include <string>
#include <string_view>

namespace zorserver {

// Control characters and the backslash as C escapes ("\n", "\x1b", "\\");
// every other byte as it is.
std::string escapeForLog(std::string_view text);

}  // namespace zorserver
