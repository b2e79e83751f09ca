#include "display/ArcRecord.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "display/DrawContext.h"
#include "display/FixedField.h"

namespace display {

namespace {

constexpr int coordinateWidth = 4;
constexpr int angleWidth = 5;
constexpr int fullCircle = 36000;
// The smallest sweep drawn: a tenth of a degree.
constexpr int minimumSweep = 10;
// The circle in hundredths of a degree, with the precision the device uses.
constexpr double radiansPerHundredth = 6.28318507 / fullCircle;

// The radial point of an angle lies far outside the ellipse (ten times the
// box's larger side from its centre), so that rounding it to whole pixels
// keeps its direction.
Point radialPoint(Point centre, int reach, int angle) {
    const double radians = angle * radiansPerHundredth;
    return {static_cast<int>(centre.x + reach * std::cos(radians) + 0.5),
            static_cast<int>(centre.y - reach * std::sin(radians) + 0.5)};
}

}  // namespace

void ArcRecord::draw(DrawContext& context) const {
    const int from = std::clamp(start, 0, fullCircle);
    int span = std::clamp(sweep, 0, fullCircle);
    if (span > 0 && span < minimumSweep) span = minimumSweep;
    const Point centre{(x1 + x2) / 2, (y1 + y2) / 2};
    const int reach = 10 * std::max(std::abs(x2 - x1), std::abs(y2 - y1));
    const Box bounds{x1, y1, x2, y2};
    const Point first = radialPoint(centre, reach, from);
    const Point second = radialPoint(centre, reach, from + span);

    context.usePen();
    if (filled != 0) {
        context.useBrush();
        context.canvas().pie(bounds, first, second);
    } else {
        context.canvas().arc(bounds, first, second);
    }
}

void ArcRecord::writeFields(FieldWriter& out) const {
    for (int value : {x1, y1, x2, y2}) out.number(value, coordinateWidth);
    out.number(start, angleWidth);
    out.number(sweep, angleWidth);
    out.number(filled, 1);
}

bool ArcRecord::readFields(FieldReader& in) {
    return in.number(coordinateWidth, x1) && in.number(coordinateWidth, y1) &&
           in.number(coordinateWidth, x2) && in.number(coordinateWidth, y2) &&
           in.number(angleWidth, start) && in.number(angleWidth, sweep) && in.number(1, filled);
}

}  // namespace display
