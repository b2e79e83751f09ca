#include "run/NumberText.h"

#include <charconv>
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

}  // namespace zor
