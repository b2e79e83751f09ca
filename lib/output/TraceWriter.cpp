// The trace block: a record and the records linked below it as indented text.
// Lines end with a bare line feed; each level indents by four blanks, and the
// type words are padded to eleven characters so that all names line up.
#include <charconv>
#include <cstring>

#include "output/ParseOut.h"
#include "output/TraceElements.h"
#include "output/TraceLinks.h"
#include "run/AdaptIO.h"
#include "run/NumberText.h"
#include "store/DataMap.h"

namespace {

void indent(AdaptIO& out, int level) {
    for (int i = 0; i < level; ++i) out << "    ";
}

// The outermost record names its thread; nested ones show empty parentheses.
void writeHeader(AdaptIO& out, const DataMap& record, unsigned int thread, int level) {
    indent(out, level);
    out << record.getName();
    if (level == 0) {
        char number[16];
        *std::to_chars(number, number + sizeof number - 1, thread).ptr = '\0';
        out << "(" << number << ")\n";
    } else {
        out << "()\n";
    }
    indent(out, level);
    out << "{\n";
}

void writeInt(AdaptIO& out, const char* name, int value) {
    char number[12];
    out << "    int    " << name;
    if (name[0] == '0' && name[1] == 'x') {
        zor::formatHex(value, number);
        out << " = 0x" << number << "\n";
    } else {
        zor::formatInt(value, number);
        out << " = " << number << "\n";
    }
}

void writeDouble(AdaptIO& out, const char* name, double value) {
    char number[zor::numberTextSize];
    zor::formatDouble(value, number);
    out << "    double " << name << " = " << number << "\n";
}

// An element that is neither a link nor bookkeeping: one line of the block.
void writeEntry(AdaptIO& out, const StoreEl& element, int level) {
    const char* name = element.getName();
    switch (element.getType()) {
        case StoreEl::typeInt:
            indent(out, level);
            writeInt(out, name, zor::intValue(element));
            break;
        case StoreEl::typeDouble:
            indent(out, level);
            writeDouble(out, name, zor::doubleValue(element));
            break;
        case StoreEl::typeString:
            indent(out, level);
            out << "    char*  " << name << " = " << static_cast<const char*>(element.getData())
                << "\n";
            break;
        default:
            out << "unknown type: " << name << "\n";
    }
}

// Links are followed only to live children of this record; bookkeeping ints
// are never written.
void writeRecord(AdaptIO& out, const DataMap& record, unsigned int thread, int level) {
    writeHeader(out, record, thread, level);
    for (StoreEl* element = record.getData(nullptr); element; element = element->getNext()) {
        if (zor::isLinkElement(*element)) {
            if (DataMap* child = zor::childRecord(zor::intValue(*element), &record))
                writeRecord(out, *child, thread, level + 1);
        } else if (!zor::isBookkeeping(*element)) {
            writeEntry(out, *element, level);
        }
    }
    indent(out, level);
    out << "}\n";
    if (level == 0) out << "\n";
}

}  // namespace

void ParseOut::smartOut(AdaptIO& out, DataMap* record, unsigned int thread, int level) {
    if (record) writeRecord(out, *record, thread, level < 0 ? 0 : level);
}
