// What ZorRun finds out about the files of a run: the column of an error in
// the script, whether a file is there, and why a file that the library could
// not open cannot be opened.
#pragma once

#include <string>

namespace zorrun {

// The 1-based column in the script of the library's error position, which
// counts characters from the start of the file with each line break as one;
// 0 when the script or the line cannot be read.
int errorColumn(const std::string& script, int line, int position);

// A script's text, or empty when it cannot be read.
std::string readScriptText(const std::string& path);

// Size of the file in bytes, or -1 when it cannot be examined.
long fileSize(const char* path);

// Why the file cannot be opened for reading, or appended to: the system's
// reason ("No such file or directory").
std::string unreadableReason(const std::string& path);
std::string unwritableReason(const std::string& path);

}  // namespace zorrun
