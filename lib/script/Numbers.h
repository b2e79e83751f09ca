// Number conversions of the script language. They never fail and never look at
// the process locale: a text that does not form a number reads as 0.
#pragma once

#include <cstdint>

namespace zor {

// Decimal integer: leading white space, an optional sign, then digits up to the
// first other character; no digits read as 0. Values beyond the 32-bit range are
// clamped to it, as the 32-bit `long` of the original platform did.
std::int32_t readDecimal(const char* text);

// Decimal number with a point, read as far as it forms one ("1.2.3" is 1.2,
// ".." is 0). Too large a magnitude gives an infinity, too small a zero.
double readFloat(const char* text);

// The digits after "0x" of a hexadecimal literal, weighted from the last one and
// summed with 32-bit wrap-around, so only the last eight digits count.
std::int32_t readHexDigits(const char* digits, std::size_t count);

}  // namespace zor
