#include "run/NumberText.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace zor {

namespace {

int terminate(char* out, char* end) {
    *end = '\0';
    return static_cast<int>(end - out);
}

int copyText(const char* text, char* out) {
    std::strcpy(out, text);
    return static_cast<int>(std::strlen(text));
}

}  // namespace

int formatInt(int value, char* out) {
    return terminate(out, std::to_chars(out, out + 11, value).ptr);
}

int formatHex(int value, char* out) {
    return terminate(out, std::to_chars(out, out + 8, static_cast<unsigned>(value), 16).ptr);
}

int formatDouble(double value, char* out) {
    // printf spells the special values this way; to_chars would not add the sign of -inf/-nan
    // alike.
    if (std::isnan(value)) return copyText(std::signbit(value) ? "-nan" : "nan", out);
    if (std::isinf(value)) return copyText(value < 0 ? "-inf" : "inf", out);
    auto result = std::to_chars(out, out + numberTextSize - 1, value, std::chars_format::fixed, 6);
    return terminate(out, result.ptr);
}

int parseInt(std::string_view text) {
    const char* first = text.data();
    const char* last = first + text.size();
    bool negative = first != last && *first == '-';
    if (first != last && (*first == '-' || *first == '+')) ++first;
    long long magnitude = 0;
    const char* digit = first;
    for (; digit != last && *digit >= '0' && *digit <= '9'; ++digit) {
        magnitude = magnitude * 10 + (*digit - '0');
        if (magnitude > 1LL + INT_MAX) magnitude = 1LL + INT_MAX;  // saturate, keep scanning
    }
    long long value = negative ? -magnitude : magnitude;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

double parseDouble(std::string_view text) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    double value = 0.0;
    auto result = std::from_chars(first, last, value);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves value unset on overflow; strtod gives +-HUGE_VAL or 0.
        bool negative = first != last && *first == '-';
        const char* e =
            std::find_if(first, result.ptr, [](char c) { return c == 'e' || c == 'E'; });
        bool tiny = e != result.ptr && e + 1 != result.ptr && e[1] == '-';
        return tiny ? (negative ? -0.0 : 0.0) : (negative ? -HUGE_VAL : HUGE_VAL);
    }
    return value;
}

}  // namespace zor
