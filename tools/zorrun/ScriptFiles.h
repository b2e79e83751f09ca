// What ZorRun reads back from the files of a run: the column of an error in
// the script, the report block a failed test appended, and why a file that the
// library could not open cannot be opened.
#pragma once

#include <string>

namespace zor {

// The 1-based column in the script of the library's error position, which
// counts characters from the start of the file with each line break as one;
// 0 when the script or the line cannot be read.
int errorColumn(const std::string& script, int line, int position);

// Size of the file in bytes, or -1 when it cannot be examined.
long fileSize(const char* path);

// The bytes appended to the file from the given offset on, at most limit of
// them (a note marks a cut); empty when the file cannot be read.
std::string readFrom(const char* path, long offset, std::size_t limit);

// Why the file cannot be opened for reading, or appended to: the system's
// reason ("No such file or directory").
std::string unreadableReason(const std::string& path);
std::string unwritableReason(const std::string& path);

}  // namespace zor
