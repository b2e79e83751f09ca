// Client positions count lines from 0 and characters in UTF-16 code units;
// the library counts lines from 1 and columns in bytes. A byte that is not
// part of valid UTF-8 counts as one unit, as the client sees it replaced.
#pragma once

#include <cstddef>
#include <string_view>

namespace zorlsp {

struct Position {
    int line = 0;
    int character = 0;
};

// Where line (from 0) starts; the text's size when it has fewer lines.
std::size_t lineStart(std::string_view text, int line);
// The line's bytes without its line end.
std::string_view lineAt(std::string_view text, int line);
// The byte offset of a client position, clamped to its line's end.
std::size_t offsetOf(std::string_view text, Position position);
// The client position of a byte offset.
Position positionOf(std::string_view text, std::size_t offset);
// UTF-16 units in a run of bytes.
int utf16Length(std::string_view bytes);

}  // namespace zorlsp
