// The text that every grammar symbol and the token value carry: at most 499
// characters and a terminating zero, like every fixed text of a run.
#pragma once

#include <cstddef>

#include "FixedText.h"

namespace zor {

struct ScriptText {
    static constexpr std::size_t capacity = fixedTextSize;
    static constexpr std::size_t maxLength = capacity - 1;

    ScriptText() = default;
    ScriptText(const ScriptText& other) { *this = other; }
    // The parser copies a text at every shift and reduction; most are short,
    // so only the characters up to the terminator are copied (at most 499, as
    // the text of an empty production is whatever lay on the stack).
    ScriptText& operator=(const ScriptText& other) {
        if (this == &other) return *this;
        std::size_t length = 0;
        for (; length < maxLength && other.text[length] != '\0'; ++length) {
            text[length] = other.text[length];
        }
        text[length] = '\0';
        return *this;
    }

    char text[capacity];
};

// Copies at most maxLength characters of source (up to its terminator) into
// target and terminates it; source may be null (the empty text).
void copyText(ScriptText& target, const char* source);
// Appends suffix to target when the whole result fits; answers false (and
// leaves target unchanged) when it would not.
bool appendText(ScriptText& target, const char* suffix);

}  // namespace zor
