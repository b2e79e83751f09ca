// UTF-8 as the reports read it: every report that passes text on whole
// (console, JUnit, JSON) takes the same sequences as well formed.
#pragma once

#include <cstddef>
#include <string_view>

namespace zorrun {

// The length of the well-formed sequence of two to four bytes at the start of
// text, with its code point in code; 0 for anything else (a lone byte, an
// overlong form, a surrogate, a code point past U+10FFFF, a cut sequence).
std::size_t utf8Sequence(std::string_view text, unsigned long& code);

}  // namespace zorrun
