// The comparison report: checks a logged record against the expected one and
// writes the verification block of the output file.
#include <cstring>

#include "run/AdaptIO.h"
#include "run/NumberText.h"
#include "store/DataMap.h"
#include "store/StoreEl.h"

namespace {

// Room for the longest element name the string heap can hold.
constexpr std::size_t pathSize = 512;

constexpr char lineEnd[] = "\r\n";

// An expected element's name split into the path it checks and its operator.
struct Expectation {
    char path[pathSize];
    char op[2];  // op[0] is 0 when the name carries no operator
};

bool isOperatorChar(char c) {
    return c == '=' || c == '!' || c == '<' || c == '>';
}

// The first operator character and the one after it leave the name. When the
// operator character is the name's last, only it goes: the second character
// then reads as a blank.
void splitName(const char* name, Expectation& expectation) {
    const std::size_t length = strnlen(name, pathSize - 1);
    std::size_t at = 0;
    while (at < length && !isOperatorChar(name[at])) ++at;
    std::memcpy(expectation.path, name, length);
    expectation.path[length] = 0;
    expectation.op[0] = expectation.op[1] = 0;
    if (at == length) return;
    const std::size_t taken = at + 1 < length ? 2 : 1;
    expectation.op[0] = name[at];
    expectation.op[1] = taken == 2 ? name[at + 1] : ' ';
    std::memmove(expectation.path + at, expectation.path + at + taken, length - at - taken + 1);
}

bool hexNamed(const char* path) {
    return std::strncmp(path, "0x", 2) == 0 || std::strncmp(path, "(0x", 3) == 0;
}

template <typename T>
T valueOf(StoreEl& element) {
    return *static_cast<T*>(element.getData());
}

// Writes a value in its report form; the hex rule follows the given name.
void writeValue(AdaptIO& out, StoreEl& element, const char* name) {
    char text[zor::numberTextSize];
    switch (element.getType()) {
        case StoreEl::typeInt:
            if (hexNamed(name)) {
                zor::formatHex(valueOf<int>(element), text);
                out << "0x";
            } else {
                zor::formatInt(valueOf<int>(element), text);
            }
            out << text;
            break;
        case StoreEl::typeDouble:
            zor::formatDouble(valueOf<double>(element), text);
            out << text;
            break;
        default:
            out << "\"" << static_cast<const char*>(element.getData()) << "\"";
            break;
    }
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

bool knownType(int type) {
    return type == StoreEl::typeInt || type == StoreEl::typeDouble || type == StoreEl::typeString;
}

// Doubles compare by IEEE rules (a NaN equals nothing); strings through strcmp's order.
template <typename T>
bool check(const char op[2], T logged, T expected) {
    switch (op[0]) {
        case '!':
            return logged != expected;
        case '<':
            return op[1] == '=' ? logged <= expected : logged < expected;
        case '>':
            return op[1] == '=' ? logged >= expected : logged > expected;
        default:
            return logged == expected;
    }
}

// Both elements have the expected element's type.
bool holds(const char op[2], StoreEl& logged, StoreEl& expected) {
    switch (expected.getType()) {
        case StoreEl::typeInt:
            return check(op, valueOf<int>(logged), valueOf<int>(expected));
        case StoreEl::typeDouble:
            return check(op, valueOf<double>(logged), valueOf<double>(expected));
        default:
            return check(op,
                         std::strcmp(static_cast<const char*>(logged.getData()),
                                     static_cast<const char*>(expected.getData())),
                         0);
    }
}

void writeOperator(AdaptIO& out, const char op[2]) {
    if (op[0] == 0) {
        out << " == ";
        return;
    }
    const char shown[] = {' ', op[0], op[1], ' ', 0};
    out << shown;
}

// "; [type path = value] " and, when the check failed, "ERROR".
void writeLoggedValue(AdaptIO& out, StoreEl& logged, const char* path, bool failed) {
    out << "; [" << typeWord(logged.getType()) << path << " = ";
    writeValue(out, logged, path);
    out << (failed ? "] ERROR" : "] ") << lineEnd;
}

// One "verified" entry; answers 1 when it failed.
int writeEntry(AdaptIO& out, StoreEl& expected, DataMap& logged) {
    Expectation expectation;
    splitName(expected.getName(), expectation);
    const char* path = expectation.path;
    if (!knownType(expected.getType())) {
        out << "unknown type: " << path << lineEnd;
        return 0;
    }
    out << "    " << path;
    writeOperator(out, expectation.op);
    writeValue(out, expected, path);

    StoreEl* found = logged.getData(path);
    if (!found) {
        out << "; [undefined] ERROR" << lineEnd;
        return 1;
    }
    found->setMark();
    if (found->getType() != expected.getType() || !knownType(found->getType())) {
        writeLoggedValue(out, *found, path, true);
        return 1;
    }
    const bool passed = holds(expectation.op, *found, expected);
    if (passed && (expectation.op[0] == 0 || expectation.op[0] == '=')) {
        out << lineEnd;
        return 0;
    }
    writeLoggedValue(out, *found, path, !passed);
    return passed ? 0 : 1;
}

bool isLeadingComment(StoreEl& element) {
    return element.getType() == StoreEl::typeString &&
           std::strncmp(element.getName(), "//", 2) == 0;
}

// Comments at the head of the logged record keep their own line ends.
void writeComments(AdaptIO& out, DataMap& logged) {
    for (StoreEl* element = logged.getData(nullptr); element && isLeadingComment(*element);
         element = element->getNext()) {
        element->setMark();
        out << "  " << static_cast<const char*>(element->getData());
    }
}

// Lists what no expected element matched and clears the marks of the rest.
void writeUnmatched(AdaptIO& out, DataMap& logged) {
    for (StoreEl* element = logged.getData(nullptr); element; element = element->getNext()) {
        if (element->getMark()) {
            element->clearMark();
            continue;
        }
        if (!knownType(element->getType())) {
            out << "unknown type: " << element->getName() << lineEnd;
            continue;
        }
        out << "    " << element->getName() << " = ";
        writeValue(out, *element, element->getName());
        out << lineEnd;
    }
}

}  // namespace

int DataMap::differ(AdaptIO& out, DataMap& logged, int pass) {
    out << getName() << lineEnd << "{" << lineEnd;
    writeComments(out, logged);
    out << "  verified:" << lineEnd;
    int result = 0;
    for (StoreEl* element = getData(nullptr); element; element = element->getNext())
        result |= writeEntry(out, *element, logged);
    out << "  logged:" << lineEnd;
    writeUnmatched(out, logged);
    out << "}";
    if (pass == 0) {
        out << " [ERROR]";
        result = 1;
    }
    out << lineEnd << lineEnd;
    return result;
}
