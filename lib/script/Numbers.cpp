#include "script/Numbers.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace zor {

namespace {

bool isWhiteSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

// Whether the integer part of a number text (before its point) has a digit
// other than 0, which tells an overflowing magnitude from a vanishing one.
bool hasLargeIntegerPart(const char* begin, const char* end) {
    for (const char* p = begin; p != end && *p != '.'; ++p) {
        if (*p >= '1' && *p <= '9') return true;
    }
    return false;
}

const char* skipDigits(const char* p) {
    while (isDigit(*p)) ++p;
    return p;
}

// number: '-'? digit+ | '-'? digit* '.' digit*, with a digit somewhere
bool isWellFormed(const char* text, bool withPoint) {
    const char* p = text + (*text == '-');
    const char* digitsEnd = skipDigits(p);
    if (!withPoint) return digitsEnd != p && *digitsEnd == '\0';
    if (*digitsEnd != '.') return false;
    const char* end = skipDigits(digitsEnd + 1);
    return *end == '\0' && end - p > 1;
}

}  // namespace

std::int32_t readDecimal(const char* text) {
    const char* p = text;
    while (isWhiteSpace(*p)) ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    // One past the largest magnitude is enough to know that the value clamps.
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; isDigit(*p); ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > limit) magnitude = limit;
    }
    std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(value);
}

NumberError convertInteger(const char* text, std::int32_t& value) {
    value = 0;
    if (!isWellFormed(text, false)) return NumberError::malformed;
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    return error == std::errc{} && stop == end ? NumberError::none : NumberError::outOfRange;
}

NumberError convertFloat(const char* text, double& value) {
    value = 0.0;
    if (!isWellFormed(text, true)) return NumberError::malformed;
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value, std::chars_format::fixed);
    if (error == std::errc::result_out_of_range) {
        const bool negative = *text == '-';
        if (hasLargeIntegerPart(negative ? text + 1 : text, stop)) return NumberError::outOfRange;
        value = negative ? -0.0 : 0.0;
        return NumberError::none;
    }
    return error == std::errc{} && stop == end ? NumberError::none : NumberError::malformed;
}

std::int32_t readHexDigits(const char* digits, std::size_t count) {
    std::uint32_t sum = 0;
    std::uint32_t weight = 1;
    for (std::size_t i = count; i > 0; --i) {
        sum += static_cast<std::uint32_t>(hexValue(digits[i - 1])) * weight;
        weight *= 16;
    }
    return static_cast<std::int32_t>(sum);
}

}  // namespace zor
