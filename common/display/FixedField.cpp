#include "display/FixedField.h"

#include <algorithm>

namespace display {

namespace {

int powerOfTen(int exponent) {
    int value = 1;
    for (int i = 0; i < exponent; ++i) value *= 10;
    return value;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

int fieldMax(int width) {
    return powerOfTen(width) - 1;
}

// One place goes to the sign, so one place alone holds no negative number.
int fieldMin(int width) {
    return -(powerOfTen(width - 1) - 1);
}

void FieldWriter::number(int value, int width) {
    value = std::clamp(value, fieldMin(width), fieldMax(width));
    char* const first = at;
    at += width;
    unsigned magnitude = static_cast<unsigned>(value < 0 ? -value : value);
    for (char* digit = at; digit != first;) {
        *--digit = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    }
    if (value < 0) *first = '-';
}

void FieldWriter::characters(std::string_view text) {
    at = std::copy(text.begin(), text.end(), at);
}

bool FieldReader::number(int width, int& value) {
    if (left() < static_cast<std::size_t>(width)) return false;
    const bool negative = at[0] == '-';
    const char* digit = negative ? at + 1 : at;
    const char* const last = at + width;
    if (digit == last) return false;
    int magnitude = 0;
    for (; digit != last; ++digit) {
        if (!isDigit(*digit)) return false;
        magnitude = magnitude * 10 + (*digit - '0');
    }
    value = negative ? -magnitude : magnitude;
    at = last;
    return true;
}

}  // namespace display
