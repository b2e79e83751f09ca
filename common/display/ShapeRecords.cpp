#include "display/ShapeRecords.h"

#include "display/DrawContext.h"
#include "display/FixedField.h"

namespace display {

namespace {

constexpr int coordinateWidth = 4;

}  // namespace

// A line leaves out its end point, so this one sets the pixel (x, y) alone.
void PointRecord::draw(DrawContext& context) const {
    context.usePen();
    context.canvas().line({x, y}, {x + 1, y + 1});
}

void PointRecord::writeFields(FieldWriter& out) const {
    out.number(x, coordinateWidth);
    out.number(y, coordinateWidth);
}

bool PointRecord::readFields(FieldReader& in) {
    return in.number(coordinateWidth, x) && in.number(coordinateWidth, y);
}

void LineRecord::draw(DrawContext& context) const {
    context.usePen();
    context.canvas().line({x1, y1}, {x2, y2});
}

void LineRecord::writeFields(FieldWriter& out) const {
    for (int value : {x1, y1, x2, y2}) out.number(value, coordinateWidth);
}

bool LineRecord::readFields(FieldReader& in) {
    return in.number(coordinateWidth, x1) && in.number(coordinateWidth, y1) &&
           in.number(coordinateWidth, x2) && in.number(coordinateWidth, y2);
}

// An outline is four lines, each leaving out its end point, which the next
// one starts with; so every corner is set once.
void RectRecord::draw(DrawContext& context) const {
    context.usePen();
    Canvas& canvas = context.canvas();
    if (filled != 0) {
        context.useBrush();
        canvas.rectangle({x1, y1, x2, y2});
        return;
    }
    canvas.line({x1, y1}, {x2, y1});
    canvas.line({x2, y1}, {x2, y2});
    canvas.line({x2, y2}, {x1, y2});
    canvas.line({x1, y2}, {x1, y1});
}

void RectRecord::writeFields(FieldWriter& out) const {
    for (int value : {x1, y1, x2, y2}) out.number(value, coordinateWidth);
    out.number(filled, 1);
}

bool RectRecord::readFields(FieldReader& in) {
    return in.number(coordinateWidth, x1) && in.number(coordinateWidth, y1) &&
           in.number(coordinateWidth, x2) && in.number(coordinateWidth, y2) && in.number(1, filled);
}

}  // namespace display
