// Kinds 02 to 04: a point, a line and a rectangle, drawn in the current colour.
#pragma once

#include "display/GraphicRecord.h"

namespace display {

class PointRecord : public GraphicRecord {
public:
    PointRecord() = default;
    PointRecord(int px, int py) : x(px), y(py) {}

    void draw(DrawContext& context) const override;
    RecordKind kind() const override { return pointKind; }
    int encodedLength() const override { return 10; }

    int x = 0;
    int y = 0;

protected:
    void writeFields(FieldWriter& out) const override;
    bool readFields(FieldReader& in) override;
};

class LineRecord : public GraphicRecord {
public:
    LineRecord() = default;
    LineRecord(int fromX, int fromY, int toX, int toY) : x1(fromX), y1(fromY), x2(toX), y2(toY) {}

    void draw(DrawContext& context) const override;
    RecordKind kind() const override { return lineKind; }
    int encodedLength() const override { return 18; }

    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;

protected:
    void writeFields(FieldWriter& out) const override;
    bool readFields(FieldReader& in) override;
};

class RectRecord : public GraphicRecord {
public:
    RectRecord() = default;
    RectRecord(int left, int top, int right, int bottom, int isFilled)
        : x1(left), y1(top), x2(right), y2(bottom), filled(isFilled) {}

    void draw(DrawContext& context) const override;
    RecordKind kind() const override { return rectKind; }
    int encodedLength() const override { return 19; }

    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    int filled = 0;

protected:
    void writeFields(FieldWriter& out) const override;
    bool readFields(FieldReader& in) override;
};

}  // namespace display
