// Kind 06: a polygon, filled or as its closed outline. The points are kept as
// two arrays, all x values and then all y values, as they are encoded.
#pragma once

#include <vector>

#include "display/GraphicRecord.h"

namespace display {

class PolyRecord : public GraphicRecord {
public:
    PolyRecord() = default;
    PolyRecord(std::vector<int> xValues, std::vector<int> yValues, int isFilled);

    void draw(DrawContext& context) const override;
    RecordKind kind() const override { return polyKind; }
    // -1 when the point count does not fit the count field.
    int encodedLength() const override;

    int count() const { return static_cast<int>(xs.size()); }

    std::vector<int> xs;
    std::vector<int> ys;
    int filled = 0;

protected:
    void writeFields(FieldWriter& out) const override;
    bool readFields(FieldReader& in) override;
};

}  // namespace display
