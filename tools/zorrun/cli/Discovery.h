// Folders on the command line stand for the scripts beneath them.
#pragma once

#include <string>
#include <vector>

namespace zorrun {

// Each folder among the arguments becomes the regular files beneath it whose
// names match pattern (a shell glob), in sorted order; hidden folders are
// passed over and links to folders are not followed. Other arguments stay as
// they are. False, with error set, for a folder in which nothing matches.
bool discoverScripts(std::vector<std::string>& scripts, const std::string& pattern,
                     std::string& error);

}  // namespace zorrun
