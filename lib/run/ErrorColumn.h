// The column of an error from its line and position, read from the script.
#pragma once

class AdaptIO;

namespace zor {

// Positions are offsets less the line number plus 1, so within one line a
// position and an offset differ by the same amount: the column (from 1) is the
// distance from the line's first character. It is kept within the line, from
// 1 to one past its last character (line ends excluded), because a parse that
// ends at the end of the input reports a position that may lie outside it.
// Answers 0 when the script has no such line or cannot be opened.
int errorColumn(AdaptIO& io, const char* scriptFile, int line, int position);

}  // namespace zor
