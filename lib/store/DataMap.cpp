#include "store/DataMap.h"

#include <cstring>

#include "store/AvlLinks.h"
#include "store/StoreCv.h"
#include "store/StoreInternals.h"
#include "store/StoreMessage.h"

using zor::ElementAccess;

namespace {

constexpr char defaultName[] = "DataMap";
constexpr char unknownTypeMessage[] = "DataMap::operator= unknown type";

// Record names keep at most 499 characters; longer ones are cut, null is empty.
void copyName(char* target, const char* source) {
    if (!source) source = "";
    std::size_t length = strnlen(source, DataMap::nameSize - 1);
    std::memcpy(target, source, length);
    target[length] = '\0';
}

}  // namespace

DataMap::DataMap() : first(nullptr), last(nullptr) {
    copyName(name, defaultName);
}

DataMap::DataMap(const StoreCv& ref) : DataMap() {
    *this = ref;
}

// Copy construction is a deep copy, like assignment: two records never share elements.
DataMap::DataMap(const DataMap& other) : DataMap() {
    *this = other;
}

DataMap::~DataMap() {
    clear();
}

void DataMap::clear() {
    avl_clear();
    for (StoreEl* element = first; element;) {
        StoreEl* next = element->getNext();
        delete element;
        element = next;
    }
    first = nullptr;
    last = nullptr;
}

void DataMap::appElem(StoreEl* element) {
    if (!element) return;
    element->setNext(nullptr);
    if (last) {
        last->setNext(element);
    } else {
        first = element;
    }
    last = element;
    avl_push(element);
}

// The tree's own descent (avl_search) with the name comparison inlined, as
// look-ups are the store's hottest path: the wanted text is compared whole,
// whatever its length, and nothing is allocated. With equal names present the
// first one met on the way down is answered, as avl_search would.
StoreEl* DataMap::find(const char* elementName) const {
    const AVL_ITEM* node = avlRoot;
    while (node) {
        auto* element = static_cast<StoreEl*>(node->data);
        int order = std::strcmp(element->getName(), elementName);
        if (order == 0) return element;
        node = order > 0 ? zor::leftChild(node) : zor::rightChild(node);
    }
    return nullptr;
}

StoreEl* DataMap::getData(const char* elementName) const {
    return elementName ? find(elementName) : first;
}

int DataMap::getType(const char* elementName) const {
    if (!elementName) return StoreEl::typeUndefined;
    const StoreEl* element = find(elementName);
    return element ? element->getType() : StoreEl::typeUndefined;
}

void DataMap::setName(const char* newName) {
    copyName(name, newName);
}

StoreCv DataMap::operator[](const char* path) {
    return StoreCv(this, path);
}

int DataMap::compare(LOCAL_DAT* a, LOCAL_DAT* b) const {
    return std::strcmp(static_cast<StoreEl*>(a)->getName(), static_cast<StoreEl*>(b)->getName());
}

int DataMap::hasPrefix(const char* prefix) const {
    if (!prefix || !*prefix) return 0;
    std::size_t length = std::strlen(prefix);
    auto begins = [&](LOCAL_DAT* found) {
        return found && std::strncmp(static_cast<StoreEl*>(found)->getName(), prefix, length) == 0;
    };
    StoreEl key(StoreEl::BorrowName{}, prefix);
    if (begins(avl_uppeq(key))) return 1;
    return begins(avl_loweq(key)) ? 1 : 0;
}

DataMap& DataMap::operator=(const DataMap& other) {
    if (&other == this) return *this;
    clear();
    copyName(name, other.name);
    for (const StoreEl* element = other.first; element; element = element->getNext())
        assignCopy(*element);
    return *this;
}

// Assigns the element's value to the element of the same name here, adding
// it when the name is new: a name present twice keeps its first place and
// the last value. Names are taken whole, whatever their length.
void DataMap::assignCopy(const StoreEl& source) {
    if (!ElementAccess::knownType(source)) {
        zor::storeMessage(unknownTypeMessage);
        return;
    }
    StoreEl* present = find(source.getName());
    if (!present) {
        appElem(ElementAccess::copyOf(source, source.getName()));
        return;
    }
    switch (source.getType()) {
        case StoreEl::typeInt:
            ElementAccess::writeInt(*present, ElementAccess::intValue(source));
            break;
        case StoreEl::typeDouble:
            ElementAccess::writeDouble(*present, ElementAccess::doubleValue(source));
            break;
        default:
            ElementAccess::writeText(*present, static_cast<const char*>(source.getData()));
            break;
    }
}

// Extracting from this record itself first collects the members apart, so
// that clearing the record does not lose them.
DataMap& DataMap::operator=(const StoreCv& ref) {
    const DataMap* source = ref.getData();
    if (source == this) {
        DataMap extracted;
        extracted.extractFrom(*this, ref.getName());
        clear();
        takeElements(extracted);
        return *this;
    }
    clear();
    if (source) extractFrom(*source, ref.getName());
    return *this;
}

// Members of path are the elements named path.m (m not empty) and path[...;
// each is added under the rest of its name: "pos.x" -> "x", "list[3].a" -> "3].a".
void DataMap::extractFrom(const DataMap& source, const char* path) {
    std::size_t stem = std::strlen(path);
    for (const StoreEl* element = source.first; element; element = element->getNext()) {
        const char* elementName = element->getName();
        if (std::strncmp(elementName, path, stem) != 0) continue;
        char joint = elementName[stem];
        bool member = joint == '.' && elementName[stem + 1] != '\0';
        if (!member && joint != '[') continue;
        if (!ElementAccess::knownType(*element)) {
            zor::storeMessage(unknownTypeMessage);
            return;
        }
        StoreEl* made = ElementAccess::copyOf(*element, elementName + stem + 1);
        if (!made) return;
        appElem(made);
    }
}

// Moves every element of the other record to the end of this one.
void DataMap::takeElements(DataMap& from) {
    from.avl_clear();
    for (StoreEl* element = from.first; element;) {
        StoreEl* next = element->getNext();
        appElem(element);
        element = next;
    }
    from.first = nullptr;
    from.last = nullptr;
}
