// Numbers as text, the same in every locale: a host that calls setlocale()
// must not turn 3.5 into "3,500000" in a report.
#pragma once

namespace zor {

// Room for any "%lf" text: 309 integer digits, sign, point and six decimals.
constexpr int numberTextSize = 330;

// "%d"; out needs 12 bytes. Returns the length; the text is zero-terminated.
int formatInt(int value, char* out);
// "%x" of the value's 32 bits; out needs 9 bytes.
int formatHex(int value, char* out);
// "%lf": fixed notation with six decimals; out needs numberTextSize bytes.
int formatDouble(double value, char* out);

}  // namespace zor
