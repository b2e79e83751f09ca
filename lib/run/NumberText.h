// Numbers as text, the same in every locale: a host that calls setlocale()
// must not turn 3.5 into "3,500000" in a report.
#pragma once

#include <string_view>

namespace zor {

// Room for any "%lf" text: 309 integer digits, sign, point and six decimals.
constexpr int numberTextSize = 330;

// "%d"; out needs 12 bytes. Returns the length; the text is zero-terminated.
int formatInt(int value, char* out);
// "%x" of the value's 32 bits; out needs 9 bytes.
int formatHex(int value, char* out);
// "%lf": fixed notation with six decimals; out needs numberTextSize bytes.
int formatDouble(double value, char* out);

// Leading decimal integer (optional sign), clamped to the 32-bit range; 0 when
// the text does not start with a number.
int parseInt(std::string_view text);
// Leading floating-point number in "C" notation; 0.0 when there is none.
double parseDouble(std::string_view text);

}  // namespace zor
