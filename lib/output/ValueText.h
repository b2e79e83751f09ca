// Number texts of the output files, the same in every locale.
#pragma once

namespace zor {

// Large enough for any of the forms below, "%lf" of the largest double included.
constexpr int valueTextSize = 330;

// "%d": signed decimal.
const char* decimalText(char (&buffer)[valueTextSize], int value);
// "0x%x": the unsigned 32-bit pattern in lowercase hexadecimal.
const char* hexText(char (&buffer)[valueTextSize], int value);
// "%lf": fixed notation with six digits after the point.
const char* fixedText(char (&buffer)[valueTextSize], double value);

}  // namespace zor
