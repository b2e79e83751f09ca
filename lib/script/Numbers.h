// Number conversions of the script language. They never look at the process
// locale. The values of number tokens are refused when their text is not one
// well-formed number or its value does not fit; the filter's position never
// fails, and a text that does not form a number reads as 0 there.
#pragma once

#include <cstdint>

namespace zor {

// Decimal integer: leading white space, an optional sign, then digits up to the
// first other character; no digits read as 0. Values beyond the 32-bit range are
// clamped to it, as the 32-bit `long` of the original platform did.
std::int32_t readDecimal(const char* text);

enum class NumberError { none, malformed, outOfRange };

// The value of an INTEGER token: one optional '-', then decimal digits, within
// the 32-bit signed range. A hexadecimal literal arrives as its decimal text,
// which always fits.
NumberError convertInteger(const char* text, std::int32_t& value);

// The value of a FLOAT token: one optional '-', digits and one '.', with a
// digit on at least one side of the point. A magnitude beyond the double range
// is refused; one too small for it reads as 0.
NumberError convertFloat(const char* text, double& value);

// The digits after "0x" of a hexadecimal literal, weighted from the last one and
// summed with 32-bit wrap-around, so only the last eight digits count.
std::int32_t readHexDigits(const char* digits, std::size_t count);

}  // namespace zor
