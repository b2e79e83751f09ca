// Where a test record stands in a script, for a test that got no verdict to
// name it: the script read at its top level as the library's scanner reads it.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace zorrun {

// The position (as the library counts it: every line break is one character)
// of the first test record named name that starts after the position after;
// -1 when there is none or the script cannot be read.
int findTestRecord(const std::string& script, int after, std::string_view name);

// The line a position (as the library counts it) stands on. Tests come in the
// script's order, so the count goes on from the last position asked for and
// reads the script once, a piece at a time: a large script is never held whole.
class LineCounter {
public:
    LineCounter() = default;
    ~LineCounter();
    LineCounter(const LineCounter&) = delete;
    LineCounter& operator=(const LineCounter&) = delete;

    // A script that cannot be read knows no line.
    void open(const std::string& script);
    // 1-based; 0 when the position is not in the script.
    int lineOf(int position);

private:
    void restart();
    bool fill();

    std::FILE* file = nullptr;
    char piece[1 << 14];
    std::size_t pieceSize = 0;
    std::size_t at = 0;  // in piece: the first character not yet passed
    int line = 1;
    long passed = 0;  // the position of that character
};

}  // namespace zorrun
