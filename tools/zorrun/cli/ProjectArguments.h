// zorrun.toml's values as ZorRun's options. The command line wins over every
// value in the file.
#pragma once

#include <string>
#include <vector>

#include "host/ProjectFile.h"

namespace zorrun {

// The project file nearest the current folder. False, with error set to what
// ZorRun says, when one is there but cannot be used.
bool findProjectFile(host::ProjectFile& project, std::string& error);

// The project's options first, so that the command line's override them;
// the ones the command line rules out (--no-fork, --remote) are left out.
std::vector<std::string> withProjectArguments(const host::ProjectFile& project,
                                              const std::vector<std::string>& commandLine);

}  // namespace zorrun
