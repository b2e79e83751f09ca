// Kind 05: an arc, or a filled pie segment, of the ellipse in a bounding box.
// Start and sweep are hundredths of a degree, counter-clockwise from the
// positive x axis.
#pragma once

#include "display/Canvas.h"
#include "display/GraphicRecord.h"

namespace display {

class ArcRecord : public GraphicRecord {
public:
    ArcRecord() = default;
    ArcRecord(int left, int top, int right, int bottom, int startAngle, int sweepAngle,
              int isFilled)
        : x1(left),
          y1(top),
          x2(right),
          y2(bottom),
          start(startAngle),
          sweep(sweepAngle),
          filled(isFilled) {}

    void draw(DrawContext& context) const override;
    RecordKind kind() const override { return arcKind; }
    int encodedLength() const override { return 29; }

    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    int start = 0;
    int sweep = 0;
    int filled = 0;

protected:
    void writeFields(FieldWriter& out) const override;
    bool readFields(FieldReader& in) override;
};

}  // namespace display
