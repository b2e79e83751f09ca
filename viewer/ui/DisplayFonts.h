// The three fonts of the graphic display, made once when the dialog starts:
// font 0 "Lucida Console" 9 pixels high, font 1 "Courier" 16 high and 8 wide,
// font 2 "Arial" 21 high; normal weight, sans-serif family where the face is
// missing.
#pragma once

#include <QFont>

#include <array>

#include "display/Canvas.h"

class DisplayFonts {
public:
    DisplayFonts();

    const QFont& font(int index) const { return fonts[static_cast<std::size_t>(index)]; }

private:
    std::array<QFont, display::fontCount> fonts;
};
