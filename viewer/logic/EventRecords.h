// The one-line script records that clicks and key presses on the graphic
// display become, and the mouse position shown in the output field. They are
// run at once as event runs, which a connected test server executes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace viewer {

// The event script file, in the working directory.
inline constexpr const char* eventFile = "xin.txt";
// Run on entering graphic mode, so that a connected server sends its picture.
inline constexpr const char* graphicStartEvent = "ongraphic{}";

// Button 0 is the left, 1 the middle and 2 the right one.
std::string buttonPressEvent(int x, int y, int button);
std::string keyPressEvent(int x, int y, std::string_view keyName);
// "X:0012 Y:0345"
std::string mousePositionText(int x, int y);

// The key name that a typed character is recorded under, or nothing for the
// characters that are swallowed: control characters such as Ctrl+C's, the
// backquote, and every character beyond ASCII (accents, umlauts, the sharp s).
// The double quote, which would end the quoted name, is "apostrophe".
std::optional<std::string> typedKeyName(char32_t character);

}  // namespace viewer
