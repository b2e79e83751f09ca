// Bounded copies into the run state's fixed texts.
#pragma once

#include <cstddef>

namespace zor {

// Copies at most size - 1 characters of text and terminates; null gives the empty text.
void copyText(char* target, std::size_t size, const char* text);

// True when text (non-null) has at least limit characters; reads at most limit bytes.
bool hasAtLeast(const char* text, std::size_t limit);

}  // namespace zor
