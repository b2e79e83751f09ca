// What the run driver needs of the script language: the scanner's input and
// buffer, the generated parser, and the parser's two growable stacks.
#pragma once

#include <cstddef>

class AdaptIO;

// The parser generated from the grammar; 0 when it reached the end of the
// input, 1 on an error or once the selected test has run, 2 when out of stack.
int yyparse();

namespace zor {

// Makes io the scanner's input and restarts scanning (creating the scan buffer
// when none exists).
void scanRestart(AdaptIO& io);
// Releases the current scan buffer.
void scanRelease();
// Grows stack 0 or 1 of the parser to the given size in bytes; a size of 0
// releases it.
void* stackBuffer(int stack, std::size_t bytes);
// Position of the current top-level record (the test being run).
int recordPosition();
// The line on which the current record's name (or its "{") stands, from 1.
int recordLine();

}  // namespace zor
