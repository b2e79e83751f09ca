#include "display/DisplayPainter.h"

#include "display/Canvas.h"
#include "display/ColorRecord.h"
#include "display/DisplayList.h"
#include "display/DrawContext.h"

namespace display {

namespace {

constexpr int clipMargin = 6;

}  // namespace

void drawDisplay(const DisplayList& list, Canvas& canvas, int paneWidth, int paneHeight) {
    canvas.clip({0, 0, paneWidth - clipMargin, paneHeight - clipMargin});
    DrawContext context(canvas, paneWidth, paneHeight);
    ColorRecord(210, 210, 215, 0).draw(context);
    ColorRecord(0, 0, 0, 1).draw(context);
    for (const auto& record : list) record->draw(context);
}

}  // namespace display
