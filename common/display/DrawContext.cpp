#include "display/DrawContext.h"

namespace display {

void DrawContext::resetLazyState() {
    penChosen = false;
    brushChosen = false;
    textColorChosen = false;
    fontInEffect = -1;
}

void DrawContext::usePen() {
    if (penChosen) return;
    target.selectPen(current);
    penChosen = true;
}

void DrawContext::useBrush() {
    if (brushChosen) return;
    target.selectBrush(current);
    brushChosen = true;
}

void DrawContext::useTextColor() {
    if (textColorChosen) return;
    target.setTextColor(current);
    textColorChosen = true;
}

// Only one font is in effect at a time, so a text in another font than the
// one before selects its own again.
void DrawContext::useFont(int font) {
    if (font == fontInEffect) return;
    target.selectFont(font);
    fontInEffect = font;
}

}  // namespace display
