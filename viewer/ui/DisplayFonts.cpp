#include "DisplayFonts.h"

#include <QFontMetrics>

#include <algorithm>

namespace {

// A device font's height is that of its whole character cell and its width
// the average character width; the toolkit sizes a font by its em square, so
// both are measured and the font scaled to match.
QFont deviceFont(const char* face, int cellHeight, int averageWidth) {
    QFont font(QString::fromLatin1(face));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    font.setPixelSize(cellHeight);
    const int measuredHeight = QFontMetrics(font).height();
    if (measuredHeight > cellHeight)
        font.setPixelSize(std::max(1, cellHeight * cellHeight / measuredHeight));
    if (averageWidth > 0) {
        const int measuredWidth = QFontMetrics(font).averageCharWidth();
        if (measuredWidth > 0)
            font.setStretch(std::clamp(100 * averageWidth / measuredWidth, 1, 4000));
    }
    return font;
}

}  // namespace

DisplayFonts::DisplayFonts()
    : fonts{deviceFont("Lucida Console", 9, 0), deviceFont("Courier", 16, 8),
            deviceFont("Arial", 21, 0)} {}
