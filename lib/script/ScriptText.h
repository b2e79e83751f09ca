// The text that every grammar symbol and the token value carry: at most 499
// characters and a terminating zero, like every fixed text of a run.
#pragma once

#include <cstddef>

namespace zor {

struct ScriptText {
    static constexpr std::size_t capacity = 500;
    static constexpr std::size_t maxLength = capacity - 1;

    char text[capacity];
};

// Copies at most maxLength characters of source (up to its terminator) into
// target and terminates it; source may be null (the empty text).
void copyText(ScriptText& target, const char* source);
// Appends suffix to target when the whole result fits; answers false (and
// leaves target unchanged) when it would not.
bool appendText(ScriptText& target, const char* suffix);

}  // namespace zor
