// One drawing record of a device's screen. Each kind has a text encoding that
// starts with the kind as two digits; the test server encodes records, the
// viewer decodes and draws them, and both use these classes so that they agree.
#pragma once

#include <memory>

namespace display {

class DrawContext;
class FieldReader;
class FieldWriter;

enum RecordKind {
    colorKind = 1,
    pointKind = 2,
    lineKind = 3,
    rectKind = 4,
    arcKind = 5,
    polyKind = 6,
    textKind = 7,
};

class GraphicRecord {
public:
    virtual ~GraphicRecord() = default;

    // Writes the whole encoding, kind included, at the cursor and moves the
    // cursor past it; false, with nothing written, when it does not fit
    // before the limit.
    bool encode(char*& cursor, const char* limit) const;
    // Reads the fields that follow the kind digits and moves the cursor past
    // them; false, with the cursor unmoved, when they do not fit before the
    // limit or are not well formed (the record is then to be discarded).
    bool decode(const char*& cursor, const char* limit);
    virtual void draw(DrawContext& context) const = 0;

    virtual RecordKind kind() const = 0;
    // The length of the whole encoding, kind included.
    virtual int encodedLength() const = 0;
    // A record that starts a new picture empties the display list before it is added.
    virtual bool startsPicture() const { return false; }

protected:
    virtual void writeFields(FieldWriter& out) const = 0;
    virtual bool readFields(FieldReader& in) = 0;
};

// An empty record of the kind; null for a kind outside 1..7.
std::unique_ptr<GraphicRecord> makeRecord(int kind);

// Reads the kind and the record at the cursor and moves the cursor past it;
// null, with the cursor unmoved, when the kind is unknown or the record does
// not fit or is not well formed.
std::unique_ptr<GraphicRecord> decodeRecord(const char*& cursor, const char* limit);

}  // namespace display
