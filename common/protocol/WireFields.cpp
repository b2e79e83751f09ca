#include "protocol/WireFields.h"

#include <algorithm>

namespace remote {

namespace {

bool isBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

WireField commandWord(std::string_view word) {
    WireField field{};
    std::copy_n(word.begin(), std::min(word.size(), fieldSize - 1), field.begin());
    return field;
}

bool isCommandWord(const WireField& field, std::string_view word) {
    return field == commandWord(word);
}

// Digits are written from the right; a minus sign takes the first place.
WireField numberField(int value) {
    value = std::clamp(value, minNumber, maxNumber);
    WireField field{};
    const bool padded = value >= minPaddedNumber && value <= maxPaddedNumber;
    const std::size_t places = padded ? fieldSize - 1 : fieldSize;
    unsigned magnitude = static_cast<unsigned>(value < 0 ? -value : value);
    for (std::size_t i = places; i-- > 0;) {
        field[i] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    }
    if (value < 0) field[0] = '-';
    return field;
}

int fieldNumber(const WireField& field) {
    std::size_t i = 0;
    while (i < fieldSize && isBlank(field[i])) ++i;
    bool negative = false;
    if (i < fieldSize && (field[i] == '-' || field[i] == '+')) negative = field[i++] == '-';
    int magnitude = 0;  // at most eight digits: no overflow
    for (; i < fieldSize && isDigit(field[i]); ++i) magnitude = magnitude * 10 + (field[i] - '0');
    return negative ? -magnitude : magnitude;
}

}  // namespace remote
