// The failed tests of the last ZorRun run in a folder, as ZorRun keeps them
// in .zorrun/lastfailed for --last-failed and editors show them. The file is
// text: a first line that names the format, then one test a line,
// "SCRIPT\tNAME\tORDINAL\tLINE"; a line "SCRIPT\t" stands for a script that
// ended with an error outside any test. In SCRIPT a backslash, tab or line
// feed is written "\\", "\t" or "\n". Files of the first format, lines
// "SCRIPT\tNAME POSITION", are still read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host {

// The file's place, relative to the folder ZorRun ran in.
inline constexpr const char* failedTestsFolder = ".zorrun";
inline constexpr const char* failedTestsName = "lastfailed";
inline constexpr const char* failedTestsPath = ".zorrun/lastfailed";

struct FailedTest {
    std::string script;  // as ZorRun named it
    std::string name;    // "" for a script that ended with an error
    int ordinal = 0;     // among the script's test records of that name, from 1; 0: not known
    int line = 0;        // 0: not known
    int position = -1;   // where the first format named it; -1: not known
};

// Every line of the text of one of the file's shapes, in order; false, with
// none, when the first line names no format ZorRun wrote. A line of the first
// format without a position stands for its whole script, as nothing else
// could find that test again.
bool readFailedTests(std::string_view text, std::vector<FailedTest>& tests);

// The file's text in the current format (the positions are not written).
std::string failedTestsText(const std::vector<FailedTest>& tests);

}  // namespace host
