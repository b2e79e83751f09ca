#include "script/ScriptText.h"

#include <cstring>

namespace zor {

void copyText(ScriptText& target, const char* source) {
    if (source == nullptr) source = "";
    std::size_t length = strnlen(source, ScriptText::maxLength);
    std::memmove(target.text, source, length);
    target.text[length] = '\0';
}

bool appendText(ScriptText& target, const char* suffix) {
    std::size_t length = strnlen(target.text, ScriptText::maxLength);
    std::size_t added = std::strlen(suffix);
    if (added > ScriptText::maxLength - length) return false;
    std::memcpy(target.text + length, suffix, added + 1);
    return true;
}

}  // namespace zor
