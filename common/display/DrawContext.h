// What records draw with: the canvas, the pane's size, the current colour and
// the lazy drawing state. A pen, brush, text colour or font is handed to the
// canvas only when a record first needs it after the last colour record.
#pragma once

#include "display/Canvas.h"

namespace display {

class DrawContext {
public:
    DrawContext(Canvas& canvas, int paneWidth, int paneHeight)
        : target(canvas), width(paneWidth), height(paneHeight) {}

    Canvas& canvas() { return target; }
    int paneWidth() const { return width; }
    int paneHeight() const { return height; }

    Rgb currentColor() const { return current; }
    void setCurrentColor(Rgb color) { current = color; }
    // Every colour record starts the lazy state afresh.
    void resetLazyState();

    void usePen();
    void useBrush();
    void useTextColor();
    // One of the fonts 0 to 2.
    void useFont(int font);

private:
    Canvas& target;
    int width;
    int height;
    Rgb current;
    bool penChosen = false;
    bool brushChosen = false;
    bool textColorChosen = false;
    int fontInEffect = -1;  // none since the last colour record
};

}  // namespace display
