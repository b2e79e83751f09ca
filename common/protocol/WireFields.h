// The elements of the test server protocol that are not plain bytes: command
// words and number fields, both eight bytes long.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace remote {

constexpr std::size_t fieldSize = 8;
using WireField = std::array<char, fieldSize>;

// Command words: seven characters and a zero byte.
inline constexpr std::string_view execWord = "TSTEXEC";
inline constexpr std::string_view stopWord = "TSTSTOP";
inline constexpr std::string_view pingWord1 = "TSTPNG1";
inline constexpr std::string_view pingWord2 = "TSTPNG2";

WireField commandWord(std::string_view word);
// Whether the field holds the word and its zero byte.
bool isCommandWord(const WireField& field, std::string_view word);

// The largest values that a number field carries with its zero byte.
constexpr int maxPaddedNumber = 9'999'999;
constexpr int minPaddedNumber = -999'999;
// Eight digits fill the field without the zero byte; readers that parse within
// the field, as these do, still take them. Used for file lengths only.
constexpr int maxNumber = 99'999'999;
constexpr int minNumber = -9'999'999;

// "%07d" and a zero byte ("0000025", "-000001"); eight digits without the zero
// byte beyond that. Values outside [minNumber, maxNumber] are clamped: callers
// check the limits before they send.
WireField numberField(int value);

// The decimal number at the start of the field, read within its eight bytes:
// leading blanks, an optional sign, then digits up to the first other byte.
// A field that does not start with a number reads as 0.
int fieldNumber(const WireField& field);

}  // namespace remote
