#include "output/ValueText.h"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace zor {

namespace {

const char* finish(char (&buffer)[valueTextSize], std::to_chars_result converted) {
    if (converted.ec != std::errc{})
        std::strcpy(buffer, "?");
    else
        *converted.ptr = 0;
    return buffer;
}

}  // namespace

const char* decimalText(char (&buffer)[valueTextSize], int value) {
    return finish(buffer, std::to_chars(buffer, buffer + valueTextSize - 1, value));
}

const char* hexText(char (&buffer)[valueTextSize], int value) {
    buffer[0] = '0';
    buffer[1] = 'x';
    const uint32_t pattern = static_cast<uint32_t>(value);
    std::to_chars_result converted =
        std::to_chars(buffer + 2, buffer + valueTextSize - 1, pattern, 16);
    return finish(buffer, converted);
}

const char* fixedText(char (&buffer)[valueTextSize], double value) {
    return finish(buffer, std::to_chars(buffer, buffer + valueTextSize - 1, value,
                                        std::chars_format::fixed, 6));
}

}  // namespace zor
