#include "display/PolyRecord.h"

#include <algorithm>

#include "display/DrawContext.h"
#include "display/FixedField.h"

namespace display {

namespace {

constexpr int countWidth = 4;
constexpr int coordinateWidth = 4;

}  // namespace

// Both arrays keep the length of the shorter one, so every point has an x and a y.
PolyRecord::PolyRecord(std::vector<int> xValues, std::vector<int> yValues, int isFilled)
    : xs(std::move(xValues)), ys(std::move(yValues)), filled(isFilled) {
    const std::size_t points = std::min(xs.size(), ys.size());
    xs.resize(points);
    ys.resize(points);
}

int PolyRecord::encodedLength() const {
    if (count() > fieldMax(countWidth)) return -1;
    return 2 + countWidth + 2 * coordinateWidth * count() + 1;
}

void PolyRecord::draw(DrawContext& context) const {
    if (xs.empty()) return;
    std::vector<Point> points(xs.size());
    for (std::size_t i = 0; i < xs.size(); ++i) points[i] = {xs[i], ys[i]};
    context.usePen();
    Canvas& canvas = context.canvas();
    if (filled != 0) {
        context.useBrush();
        canvas.polygon(points);
        return;
    }
    for (std::size_t i = 0; i < points.size(); ++i)
        canvas.line(points[i], points[(i + 1) % points.size()]);
}

void PolyRecord::writeFields(FieldWriter& out) const {
    out.number(count(), countWidth);
    for (int x : xs) out.number(x, coordinateWidth);
    for (int y : ys) out.number(y, coordinateWidth);
    out.number(filled, 1);
}

// The count is checked against the bytes left before any array is made, so a
// large count cannot make the record allocate more than the block holds.
bool PolyRecord::readFields(FieldReader& in) {
    int points = 0;
    if (!in.number(countWidth, points) || points < 0) return false;
    if (in.left() < static_cast<std::size_t>(2 * coordinateWidth * points + 1)) return false;
    xs.assign(static_cast<std::size_t>(points), 0);
    ys.assign(xs.size(), 0);
    for (int& x : xs)
        if (!in.number(coordinateWidth, x)) return false;
    for (int& y : ys)
        if (!in.number(coordinateWidth, y)) return false;
    return in.number(1, filled);
}

}  // namespace display
