// Report paths that ZorRun must not write: the reports are written beside
// their place and renamed into it, which would replace whatever is there.
#pragma once

#include <string>

namespace zorrun {

// Why file cannot take a report, or "": an existing file other than a regular
// one (a folder, a FIFO, a device), or the library's output lock file, reached
// by any path or link (replacing it would leave running writers serialised on
// a file that nobody else opens).
std::string reportPathProblem(const std::string& file, const std::string& lockFile);

// Creates the folders a report's path names that are not there yet, as a CI
// job's "--junit reports/unit.xml" expects; false with the system's reason.
bool makeReportFolder(const std::string& file, std::string& reason);

}  // namespace zorrun
