#include "EventRecords.h"

#include <cstdio>

namespace viewer {

namespace {

// A key name is a script string: printable ASCII without the backquote. Any
// other byte would make the server refuse the whole record as a parse error.
constexpr char32_t firstPrintable = 0x20;
constexpr char32_t lastPrintable = 0x7E;
constexpr char32_t backquote = 0x60;

}  // namespace

std::string buttonPressEvent(int x, int y, int button) {
    char text[80];
    std::snprintf(text, sizeof text, "buttonpress{x=%d y=%d button=%d}", x, y, button);
    return text;
}

std::string keyPressEvent(int x, int y, std::string_view keyName) {
    char text[64];
    std::snprintf(text, sizeof text, "keypress{x=%d y=%d key=\"", x, y);
    return text + std::string(keyName) + "\"}";
}

std::string mousePositionText(int x, int y) {
    char text[32];
    std::snprintf(text, sizeof text, "X:%04d Y:%04d", x, y);
    return text;
}

std::optional<std::string> typedKeyName(char32_t character) {
    if (character < firstPrintable || character > lastPrintable || character == backquote)
        return std::nullopt;
    if (character == U'"') return "apostrophe";
    return std::string(1, static_cast<char>(character));
}

}  // namespace viewer
