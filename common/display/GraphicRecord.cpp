#include "display/GraphicRecord.h"

#include "display/ArcRecord.h"
#include "display/ColorRecord.h"
#include "display/FixedField.h"
#include "display/PolyRecord.h"
#include "display/ShapeRecords.h"
#include "display/TextRecord.h"

namespace display {

namespace {

constexpr int kindWidth = 2;

}  // namespace

bool GraphicRecord::encode(char*& cursor, const char* limit) const {
    const int length = encodedLength();
    if (length < 0 || limit - cursor < length) return false;
    FieldWriter out(cursor);
    out.number(kind(), kindWidth);
    writeFields(out);
    cursor = out.position();
    return true;
}

bool GraphicRecord::decode(const char*& cursor, const char* limit) {
    FieldReader in(cursor, limit);
    if (!readFields(in)) return false;
    cursor = in.position();
    return true;
}

std::unique_ptr<GraphicRecord> makeRecord(int kind) {
    switch (kind) {
        case colorKind:
            return std::make_unique<ColorRecord>();
        case pointKind:
            return std::make_unique<PointRecord>();
        case lineKind:
            return std::make_unique<LineRecord>();
        case rectKind:
            return std::make_unique<RectRecord>();
        case arcKind:
            return std::make_unique<ArcRecord>();
        case polyKind:
            return std::make_unique<PolyRecord>();
        case textKind:
            return std::make_unique<TextRecord>();
        default:
            return nullptr;
    }
}

std::unique_ptr<GraphicRecord> decodeRecord(const char*& cursor, const char* limit) {
    FieldReader in(cursor, limit);
    int kind = 0;
    if (!in.number(kindWidth, kind)) return nullptr;
    std::unique_ptr<GraphicRecord> record = makeRecord(kind);
    const char* fields = in.position();
    if (!record || !record->decode(fields, limit)) return nullptr;
    cursor = fields;
    return record;
}

}  // namespace display
