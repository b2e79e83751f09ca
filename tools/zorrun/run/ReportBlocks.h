// The verification report blocks of an output file, read back from its text:
// what a remote run learns about its tests, since the test server sends the
// output file but no verdicts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zorrun {

struct ReportBlock {
    std::string name;
    bool passed = true;
    std::string text;  // the whole block, from its name line to its closing line
};

// Every block in the file's order: a name line, "{", the sections "  verified:"
// and "  logged:", then "}" (passed unless an entry ends with "] ERROR") or
// "} [ERROR]". Lines end with "\r\n"; other text between blocks (traces, an
// error text) is passed over.
std::vector<ReportBlock> reportBlocks(std::string_view file);

}  // namespace zorrun
