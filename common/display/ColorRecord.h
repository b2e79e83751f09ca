// Kind 01: sets the current colour (mode not 0), or clears the whole picture
// with the colour (mode 0), which also starts a new picture.
#pragma once

#include "display/GraphicRecord.h"

namespace display {

class ColorRecord : public GraphicRecord {
public:
    ColorRecord() = default;
    ColorRecord(int red, int green, int blue, int colorMode)
        : r(red), g(green), b(blue), mode(colorMode) {}

    void draw(DrawContext& context) const override;
    RecordKind kind() const override { return colorKind; }
    int encodedLength() const override { return 13; }
    bool startsPicture() const override { return mode == 0; }

    int r = 0;
    int g = 0;
    int b = 0;
    int mode = 0;

protected:
    void writeFields(FieldWriter& out) const override;
    bool readFields(FieldReader& in) override;
};

}  // namespace display
