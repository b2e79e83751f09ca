// The output file names a remote run may bring back, read from the very bytes
// the session sends: the pane may differ from its file, and the server runs
// what it received.
#pragma once

#include <string>
#include <string_view>

#include "protocol/ReplyNames.h"

namespace viewer {

// The rule for a reply to this script; it admits no name when the script
// cannot be read here.
remote::ReplyNameRule sentScriptNames(std::string_view script, const std::string& outputFolder);

}  // namespace viewer
