#include "store/StoreCv.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "store/DataMap.h"
#include "store/StoreInternals.h"
#include "store/StoreMessage.h"

using zor::ElementAccess;

namespace {

constexpr std::size_t longestPath = StoreCv::nameSize - 1;
constexpr char truncatedMessage[] = "name truncated: ";
constexpr char unknownTypeMessage[] = "StoreCv::operator= unknown type";

// What a string read answers for a missing or non-string element; callers
// must not write into it.
char emptyText[1] = "";

const char* orEmpty(const char* text) {
    return text ? text : "";
}

// Reports the whole joined text, which the path field could not hold.
void reportTruncated(const char* path, const char* joint, const char* tail, std::size_t length,
                     const char* kept) {
    char* full = static_cast<char*>(std::malloc(length + 1));
    if (!full) {
        zor::storeMessage(truncatedMessage, kept);
        return;
    }
    std::size_t a = std::strlen(path);
    std::size_t b = std::strlen(joint);
    std::memcpy(full, path, a);
    std::memcpy(full + a, joint, b);
    std::memcpy(full + a + b, tail, length - a - b + 1);
    zor::storeMessage(truncatedMessage, full);
    std::free(full);
}

// Builds path + joint + tail into a path field, measuring the whole text
// first: a text longer than 499 characters is reported whole as "name
// truncated: " and only its first 499 characters are copied into the field.
// A text of exactly 499 characters fits and is not reported.
void joinPath(char* target, const char* path, const char* joint, const char* tail) {
    std::size_t a = std::strlen(path);
    std::size_t b = std::strlen(joint);
    std::size_t c = std::strlen(tail);
    std::size_t length = a + b + c;
    std::size_t keep[3] = {a, b, c};
    std::size_t room = longestPath;
    const char* parts[3] = {path, joint, tail};
    char* out = target;
    for (int i = 0; i < 3; ++i) {
        std::size_t n = keep[i] < room ? keep[i] : room;
        std::memcpy(out, parts[i], n);
        out += n;
        room -= n;
    }
    *out = '\0';
    if (length > longestPath) reportTruncated(path, joint, tail, length, target);
}

StoreEl* lookUp(const StoreCv& ref) {
    return ref.getData() ? ref.getData()->getData(ref.getName()) : nullptr;
}

}  // namespace

StoreCv::StoreCv(DataMap* targetRecord, const char* path) : record(targetRecord) {
    joinPath(name, orEmpty(path), "", "");
}

StoreCv::StoreCv(DataMap* targetRecord, const char* path, const char* joint, const char* member)
    : record(targetRecord) {
    joinPath(name, path, joint, member);
}

StoreCv::StoreCv(const StoreCv& other) : record(other.record) {
    std::memcpy(name, other.name, std::strlen(other.name) + 1);
}

StoreCv StoreCv::operator[](const char* member) const {
    if (!member) return *this;
    return StoreCv(record, name, ".", member);
}

StoreCv StoreCv::operator[](int index) const {
    char item[16];
    char* end = std::to_chars(item, item + sizeof item - 2, index).ptr;
    end[0] = ']';
    end[1] = '\0';
    return StoreCv(record, name, "[", item);
}

int StoreCv::getType() const {
    const StoreEl* element = lookUp(*this);
    return element ? element->getType() : StoreEl::typeUndefined;
}

StoreCv::operator int() const {
    const StoreEl* element = lookUp(*this);
    if (!element || element->getType() != StoreEl::typeInt) return 0;
    return ElementAccess::intValue(*element);
}

StoreCv::operator double() const {
    const StoreEl* element = lookUp(*this);
    if (!element || element->getType() != StoreEl::typeDouble) return 0.0;
    return ElementAccess::doubleValue(*element);
}

StoreCv::operator char*() const {
    const StoreEl* element = lookUp(*this);
    if (!element || element->getType() != StoreEl::typeString) return emptyText;
    return static_cast<char*>(element->getData());
}

StoreCv& StoreCv::operator=(int value) {
    if (!record) return *this;
    if (StoreEl* element = record->getData(name)) {
        ElementAccess::writeInt(*element, value);
    } else {
        record->appElem(new StoreEl(name, value));
    }
    return *this;
}

StoreCv& StoreCv::operator=(double value) {
    if (!record) return *this;
    if (StoreEl* element = record->getData(name)) {
        ElementAccess::writeDouble(*element, value);
    } else {
        record->appElem(new StoreEl(name, value));
    }
    return *this;
}

// A present element whose buffer cannot grow stays exactly as it was.
StoreCv& StoreCv::operator=(const char* text) {
    if (!record) return *this;
    text = orEmpty(text);
    if (StoreEl* element = record->getData(name)) {
        ElementAccess::writeText(*element, text);
    } else {
        record->appElem(new StoreEl(name, text));
    }
    return *this;
}

// Each 16-bit unit gives its low byte, up to the first unit whose low byte is
// 0; wide texts of any length are narrowed whole.
StoreCv& StoreCv::operator=(const unsigned short* text) {
    if (!record) return *this;
    std::size_t length = 0;
    if (text) {
        while (text[length] & 0xFF) ++length;
    }
    char local[nameSize];
    char* narrow = length < sizeof local ? local : static_cast<char*>(std::malloc(length + 1));
    if (!narrow) return *this;
    for (std::size_t i = 0; i < length; ++i) narrow[i] = static_cast<char>(text[i] & 0xFF);
    narrow[length] = '\0';
    *this = static_cast<const char*>(narrow);
    if (narrow != local) std::free(narrow);
    return *this;
}

// An element is copied by value; otherwise other names a sub-record (or
// nothing), which is extracted and grafted under this path.
StoreCv& StoreCv::operator=(const StoreCv& other) {
    if (!record || !other.record) return *this;
    const StoreEl* source = lookUp(other);
    if (!source) {
        DataMap members(other);
        return *this = members;
    }
    switch (source->getType()) {
        case StoreEl::typeInt:
            return *this = ElementAccess::intValue(*source);
        case StoreEl::typeDouble:
            return *this = ElementAccess::doubleValue(*source);
        case StoreEl::typeString:
            return *this = static_cast<const char*>(source->getData());
        default:
            return *this;
    }
}

namespace {

// Names that start with a digit (other than a hexadecimal "0x") are list
// items, "3].a", and hang on the path with "["; all others with ".".
const char* graftJoint(const char* memberName) {
    bool item = memberName[0] >= '0' && memberName[0] <= '9' && memberName[1] != 'x' &&
                memberName[1] != 'X';
    return item ? "[" : ".";
}

std::size_t elementCount(const DataMap& source) {
    std::size_t count = 0;
    for (const StoreEl* element = source.getData(nullptr); element; element = element->getNext())
        ++count;
    return count;
}

// Overwrites a present element with the source's value; false ends the graft.
bool overwrite(StoreEl& target, const StoreEl& source) {
    switch (source.getType()) {
        case StoreEl::typeInt:
            ElementAccess::writeInt(target, ElementAccess::intValue(source));
            return true;
        case StoreEl::typeDouble:
            ElementAccess::writeDouble(target, ElementAccess::doubleValue(source));
            return true;
        case StoreEl::typeString:
            return ElementAccess::writeText(target, static_cast<const char*>(source.getData()));
        default:
            zor::storeMessage(unknownTypeMessage);
            return true;
    }
}

}  // namespace

// Grafting a record into its own record walks only the elements it had at the
// start, so the elements it adds are not grafted again.
StoreCv& StoreCv::operator=(const DataMap& source) {
    if (!record) return *this;
    bool present = record->hasPrefix(name) != 0;
    std::size_t remaining = &source == record ? elementCount(source) : SIZE_MAX;
    char target[nameSize];
    for (const StoreEl* element = source.getData(nullptr); element && remaining > 0;
         element = element->getNext(), --remaining) {
        joinPath(target, name, graftJoint(element->getName()), element->getName());
        StoreEl* found = present ? record->getData(target) : nullptr;
        if (found) {
            if (!overwrite(*found, *element)) break;
            continue;
        }
        if (!ElementAccess::knownType(*element)) {
            zor::storeMessage(unknownTypeMessage);
            break;
        }
        StoreEl* made = ElementAccess::copyOf(*element, target);
        if (!made) break;
        record->appElem(made);
    }
    return *this;
}
