#include "output/ReportSpelling.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "run/NumberText.h"
#include "store/StoreEl.h"

namespace zor {

namespace {

bool hexNamed(const char* name) {
    return std::strncmp(name, "0x", 2) == 0 || std::strncmp(name, "(0x", 3) == 0;
}

template <typename T>
T valueOf(const StoreEl& element) {
    T value;
    std::memcpy(&value, element.getData(), sizeof value);
    return value;
}

}  // namespace

bool knownType(int type) {
    return type == StoreEl::typeInt || type == StoreEl::typeDouble || type == StoreEl::typeString;
}

const char* typeWord(int type) {
    switch (type) {
        case StoreEl::typeInt:
            return "int ";
        case StoreEl::typeDouble:
            return "double ";
        default:
            return "char* ";
    }
}

void appendValue(std::string& out, const StoreEl& element, const char* name) {
    char text[numberTextSize];
    switch (element.getType()) {
        case StoreEl::typeInt:
            if (hexNamed(name)) {
                out += "0x";
                out.append(text, static_cast<std::size_t>(formatHex(valueOf<int>(element), text)));
            } else {
                out.append(text, static_cast<std::size_t>(formatInt(valueOf<int>(element), text)));
            }
            break;
        case StoreEl::typeDouble:
            out.append(text,
                       static_cast<std::size_t>(formatDouble(valueOf<double>(element), text)));
            break;
        default:
            out += '"';
            out += static_cast<const char*>(element.getData());
            out += '"';
            break;
    }
}

void appendShortest(std::string& out, double value) {
    char text[numberTextSize];
    if (!std::isfinite(value)) {
        out.append(text, static_cast<std::size_t>(formatDouble(value, text)));
        return;
    }
    out.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

}  // namespace zor
