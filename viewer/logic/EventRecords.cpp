#include "EventRecords.h"

#include <algorithm>
#include <cstdio>

namespace viewer {

namespace {

// Characters that the device's keyboard cannot send, swallowed unrecorded.
constexpr char32_t swallowedCharacters[] = {0x60, 0xB0, 0xB4, 0xDF, 0xC4,
                                            0xF6, 0xD6, 0xE4, 0xDC, 0xFC};

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
    if (character > 0xFF || std::ranges::count(swallowedCharacters, character) != 0)
        return std::nullopt;
    if (character == U'"') return "apostrophe";
    return std::string(1, static_cast<char>(character));
}

}  // namespace viewer
