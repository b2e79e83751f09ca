// The report blocks of an output file, read back from its text for a test
// server that sends no verdicts. Only a file that reads as blocks from its
// first byte counts: text that is no block ends the reading, and the caller
// refuses a file whose rest is not what the run may leave there.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Events.h"

namespace zorrun {

struct ReportBlock {
    std::string name;
    bool passed = true;
    std::vector<FailedEntry> entries;  // the verified entries marked ERROR
    std::string text;                  // the whole block, to its empty line
};

struct ReportFile {
    std::vector<ReportBlock> blocks;
    std::string rest;  // the text after the last whole block
};

// Each block: a name line, "{", comment lines, "  verified:", entry lines
// (each indented by four blanks), "  logged:", logged lines, then "}" or
// "} [ERROR]" and an empty line. Lines end with "\r\n" (a comment's own may
// end with "\n"). A block fails when it closes with "} [ERROR]" or one of its
// verified entries ends with "] ERROR".
ReportFile readReportFile(std::string_view file);

}  // namespace zorrun
