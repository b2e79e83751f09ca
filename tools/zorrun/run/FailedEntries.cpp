#include "FailedEntries.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "Verdict.h"
#include "ZorLib.h"

namespace zorrun {

namespace {

// What a verdict carries at most, so that a huge logged text neither floods
// the console nor outgrows a verdict message: the first entries, each text
// cut after so many bytes with "..." added.
constexpr int shownEntries = 20;
constexpr std::size_t shownTextSize = 200;

constexpr int intType = 1;
constexpr int doubleType = 2;
constexpr int stringType = 3;

// An expected element's name is its path with the operator inside it: the
// first operator character and the one after it, or the last character alone
// (then read as "X ").
struct Expectation {
    std::string path;
    char op[2] = {0, 0};
};

Expectation splitName(std::string_view name) {
    Expectation expectation;
    const std::size_t at = name.find_first_of("=!<>");
    if (at == std::string_view::npos) {
        expectation.path = name;
        return expectation;
    }
    const std::size_t taken = at + 1 < name.size() ? 2 : 1;
    expectation.op[0] = name[at];
    expectation.op[1] = taken == 2 ? name[at + 1] : ' ';
    expectation.path = std::string(name.substr(0, at)) + std::string(name.substr(at + taken));
    return expectation;
}

std::string operatorText(const char op[2]) {
    if (op[0] == 0) return " == ";
    return std::string{' ', op[0], op[1], ' '};
}

template <typename T>
T valueOf(const StoreEl& element) {
    return *static_cast<const T*>(element.getData());
}

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

bool holds(const char op[2], const StoreEl& logged, const StoreEl& expected) {
    switch (expected.getType()) {
        case intType:
            return check(op, valueOf<int>(logged), valueOf<int>(expected));
        case doubleType:
            return check(op, valueOf<double>(logged), valueOf<double>(expected));
        default:
            return check(op,
                         std::strcmp(static_cast<const char*>(logged.getData()),
                                     static_cast<const char*>(expected.getData())),
                         0);
    }
}

bool hexNamed(std::string_view path) {
    return path.starts_with("0x") || path.starts_with("(0x");
}

// printf's "%lf", which the report uses, spelled alike in every locale.
std::string sixDecimals(double value) {
    if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char text[400];
    return std::string(
        text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6).ptr);
}

std::string shortest(double value) {
    if (!std::isfinite(value)) return sixDecimals(value);
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string valueText(const StoreEl& element, std::string_view path) {
    switch (element.getType()) {
        case intType: {
            char text[12];
            const int value = valueOf<int>(element);
            if (!hexNamed(path))
                return std::string(text, std::to_chars(text, text + 12, value).ptr);
            return "0x" +
                   std::string(
                       text, std::to_chars(text, text + 12, static_cast<unsigned>(value), 16).ptr);
        }
        case doubleType:
            return sixDecimals(valueOf<double>(element));
        case stringType: {
            const std::string_view text = static_cast<const char*>(element.getData());
            if (text.size() <= shownTextSize) return '"' + std::string(text) + '"';
            return '"' + std::string(text.substr(0, shownTextSize)) + "\"...";
        }
        default:
            return "a value of unknown type";
    }
}

const char* typeWord(int type) {
    switch (type) {
        case intType:
            return "int ";
        case doubleType:
            return "double ";
        case stringType:
            return "char* ";
        default:
            return "";
    }
}

// Answers whether the entry failed.
bool addEntry(const StoreEl& expected, const DataMap& logged, std::string& packed) {
    const Expectation expectation = splitName(expected.getName());
    const StoreEl* found = logged.getData(expectation.path.c_str());
    if (!found) {
        packFailedEntry(
            packed,
            expectation.path + operatorText(expectation.op) + valueText(expected, expectation.path),
            "undefined");
        return true;
    }
    if (found->getType() != expected.getType()) {
        packFailedEntry(
            packed,
            expectation.path + operatorText(expectation.op) + valueText(expected, expectation.path),
            typeWord(found->getType()) + valueText(*found, expectation.path));
        return true;
    }
    if (holds(expectation.op, *found, expected)) return false;
    std::string wanted = valueText(expected, expectation.path);
    std::string got = valueText(*found, expectation.path);
    if (wanted == got && expected.getType() == doubleType) {
        wanted = shortest(valueOf<double>(expected));
        got = shortest(valueOf<double>(*found));
    }
    packFailedEntry(packed, expectation.path + operatorText(expectation.op) + wanted, got);
    return true;
}

bool knownType(int type) {
    return type == intType || type == doubleType || type == stringType;
}

}  // namespace

void collectFailedEntries(const DataMap& expected, const DataMap& logged, std::string& packed) {
    int shown = 0;
    for (const StoreEl* element = expected.getData(nullptr); element && shown < shownEntries;
         element = element->getNext()) {
        if (knownType(element->getType()) && addEntry(*element, logged, packed)) ++shown;
    }
}

}  // namespace zorrun
