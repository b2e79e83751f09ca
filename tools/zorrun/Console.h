// What ZorRun prints: per-test lines and the summary on stdout, errors on
// stderr, each starting in column 1 even while a progress line is shown. Each
// test's line is sent on as soon as it is written.
#pragma once

#include <string>
#include <string_view>

#include "ProgressLine.h"

namespace zor {

class Console {
public:
    // Quiet consoles print failed tests only (under their script's header).
    Console(bool quiet, ProgressLine& progress);

    void beginScript(std::string_view script);
    // "login 57: ok (out.txt)" or "login 57: FAIL (out.txt)"; a position
    // below 0 is not known (a remote run) and left out: "login: ok (out.txt)".
    void testLine(std::string_view name, int position, bool passed, std::string_view outFile);
    // One line on stderr, as given.
    void error(std::string_view line);
    void summary(std::string_view text);
    // Sends the lines written so far on, whatever stdout is.
    void flush();

private:
    void printHeader();

    bool quiet;
    ProgressLine& progress;
    bool flushEachLine;  // a terminal shows each line as it ends anyway
    std::string script;
    std::string lineText;
    bool headerPrinted = false;
};

}  // namespace zor
