#include "run/TextCopy.h"

#include <cstring>

namespace zor {

void copyText(char* target, std::size_t size, const char* text) {
    std::size_t length = text ? strnlen(text, size - 1) : 0;
    std::memcpy(target, text ? text : "", length);
    target[length] = 0;
}

bool hasAtLeast(const char* text, std::size_t limit) {
    return strnlen(text, limit) >= limit;
}

}  // namespace zor
