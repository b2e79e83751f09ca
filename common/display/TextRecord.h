// Kind 07: a text in one of the three fonts, in the current colour. The text
// is encoded with its length plus one, then its characters and a zero byte.
#pragma once

#include <string>

#include "display/GraphicRecord.h"

namespace display {

class TextRecord : public GraphicRecord {
public:
    TextRecord() = default;
    TextRecord(int px, int py, int textFont, std::string characters)
        : x(px), y(py), font(textFont), text(std::move(characters)) {}

    void draw(DrawContext& context) const override;
    RecordKind kind() const override { return textKind; }
    // -1 when the text is too long for the length field.
    int encodedLength() const override;

    int x = 0;
    int y = 0;
    int font = 0;
    // Only the characters before a zero byte, if it holds one, are part of the record.
    std::string text;

protected:
    void writeFields(FieldWriter& out) const override;
    bool readFields(FieldReader& in) override;
};

}  // namespace display
