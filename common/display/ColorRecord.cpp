#include "display/ColorRecord.h"

#include <algorithm>

#include "display/DrawContext.h"
#include "display/FixedField.h"

namespace display {

namespace {

// The clear leaves a margin of five pixels at the right and bottom.
constexpr int clearMargin = 5;

int colorPart(int value) {
    return std::clamp(value, 0, 255);
}

}  // namespace

void ColorRecord::draw(DrawContext& context) const {
    const Rgb color{colorPart(r), colorPart(g), colorPart(b)};
    context.resetLazyState();
    if (mode != 0) {
        context.setCurrentColor(color);
        return;
    }
    if (context.paneWidth() == 0 || context.paneHeight() == 0) return;
    Canvas& canvas = context.canvas();
    canvas.selectPen(color);
    canvas.selectBrush(color);
    canvas.rectangle({0, 0, context.paneWidth() - clearMargin, context.paneHeight() - clearMargin});
    canvas.setTransparentText();
}

void ColorRecord::writeFields(FieldWriter& out) const {
    out.number(r, 3);
    out.number(g, 3);
    out.number(b, 3);
    out.number(mode, 2);
}

bool ColorRecord::readFields(FieldReader& in) {
    return in.number(3, r) && in.number(3, g) && in.number(3, b) && in.number(2, mode);
}

}  // namespace display
