// Draws the display list onto a canvas the size of the pane.
#pragma once

namespace display {

class Canvas;
class DisplayList;

// Clips to the pane less a six-pixel margin at the right and bottom, clears
// the picture with (210, 210, 215), sets black as the current colour and
// draws every record in order. Every repaint starts afresh, so no drawing
// state carries over from one to the next.
void drawDisplay(const DisplayList& list, Canvas& canvas, int paneWidth, int paneHeight);

}  // namespace display
