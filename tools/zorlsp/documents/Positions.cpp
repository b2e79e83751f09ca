#include "Positions.h"

#include <algorithm>
#include <cstring>

namespace zorlsp {

namespace {

// The length of the UTF-8 sequence at bytes[0], 1 for a byte that starts none.
std::size_t sequenceLength(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    const std::size_t length = lead < 0xC2   ? 1
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF5 ? 4
                                             : 1;
    if (length > bytes.size()) return 1;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(bytes[i]) & 0xC0) != 0x80) return 1;
    return length;
}

int unitsOf(std::size_t sequence) {
    return sequence == 4 ? 2 : 1;
}

}  // namespace

std::size_t lineStart(std::string_view text, int line) {
    std::size_t at = 0;
    for (int i = 0; i < line; ++i) {
        const void* feed = std::memchr(text.data() + at, '\n', text.size() - at);
        if (!feed) return text.size();
        at = static_cast<std::size_t>(static_cast<const char*>(feed) - text.data()) + 1;
    }
    return at;
}

std::string_view lineAt(std::string_view text, int line) {
    const std::size_t start = lineStart(text, line);
    std::string_view rest = text.substr(start);
    rest = rest.substr(0, std::min(rest.find('\n'), rest.size()));
    if (!rest.empty() && rest.back() == '\r') rest.remove_suffix(1);
    return rest;
}

std::size_t offsetOf(std::string_view text, Position position) {
    if (position.line < 0) return 0;
    const std::size_t start = lineStart(text, position.line);
    const std::string_view line = lineAt(text, position.line);
    std::size_t at = 0;
    for (int units = 0; at < line.size() && units < position.character;) {
        const std::size_t sequence = sequenceLength(line.substr(at));
        // A position inside a surrogate pair stands before the character.
        if (units + unitsOf(sequence) > position.character) break;
        units += unitsOf(sequence);
        at += sequence;
    }
    return start + at;
}

Position positionOf(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    const std::string_view before = text.substr(0, offset);
    const std::size_t feed = before.rfind('\n');
    const std::size_t start = feed == std::string_view::npos ? 0 : feed + 1;
    const int line = static_cast<int>(std::count(before.begin(), before.end(), '\n'));
    return {line, utf16Length(before.substr(start))};
}

int utf16Length(std::string_view bytes) {
    int units = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t sequence = sequenceLength(bytes.substr(at));
        units += unitsOf(sequence);
        at += sequence;
    }
    return units;
}

}  // namespace zorlsp
