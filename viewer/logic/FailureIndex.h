// Where the failures stand in an output file as the output pane shows it: the
// lines marked ERROR, the report blocks that hold them, and for the blocks
// that the last run wrote, the script line of their test.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "RunEngines.h"

namespace viewer {

// Byte offsets into the shown text, [start, end); end is the line feed's.
struct TextRange {
    int start = 0;
    int end = 0;
};

struct FailedBlock {
    TextRange range;     // from its name line to its closing line
    std::string name;    // the name line
    int scriptLine = 0;  // its test's line; 0 when an earlier run wrote it
};

struct FailureIndex {
    std::vector<TextRange> errorLines;
    std::vector<FailedBlock> blocks;
};

// A run appends its blocks, so the last run's failures are matched to the
// failed blocks from the end of the text backward, by name, up to the first
// block whose name does not match: an earlier run's block is never taken for
// one of this run's.
FailureIndex indexFailures(std::string_view text, const std::vector<RunFailure>& failures);

// The failed block after (or before) the one holding position, wrapping
// around; -1 when there is none.
int nextFailedBlock(const FailureIndex& index, int position, bool forward);

// The failed block holding position; -1 when none does.
int failedBlockAt(const FailureIndex& index, int position);

}  // namespace viewer
