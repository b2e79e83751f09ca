// Results named in parentheses become the script's global variables.
#include <algorithm>
#include <cstring>

#include "run/Parse.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"
#include "store/StoreEl.h"

namespace {

// Index of the first ')' after the opening '(' of a name, or its length.
std::size_t closingIndex(const char* name, std::size_t length) {
    const void* found = std::memchr(name + 1, ')', length - 1);
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - name) : length;
}

// Moves the ')' at index close to the end, keeping the length:
// "(conn).port" becomes "(conn.port)", "(ids)[2]" becomes "(ids[2])".
void moveClosingToEnd(char* name, std::size_t length, std::size_t close) {
    std::memmove(name + close, name + close + 1, length - close - 1);
    name[length - 1] = ')';
}

void assignValue(StoreCv target, StoreEl& element) {
    switch (element.getType()) {
        case StoreEl::typeInt:
            target = *static_cast<int*>(element.getData());
            break;
        case StoreEl::typeDouble:
            target = *static_cast<double*>(element.getData());
            break;
        case StoreEl::typeString:
            target = static_cast<const char*>(element.getData());
            break;
        default:
            break;
    }
}

}  // namespace

void Parse::addToGlobals(DataMap& globals) {
    for (StoreEl* element = outStore.getData(nullptr); element; element = element->getNext()) {
        char* name = element->getName();
        if (name[0] != '(') continue;
        const std::size_t length = std::strlen(name);
        const std::size_t close = closingIndex(name, length);
        if (close + 1 < length) {
            // The renamed element may sort elsewhere: take it out of the tree
            // and put it back so that look-ups still find it. Its place in the
            // list stays.
            outStore.avl_pull(element);
            moveClosingToEnd(name, length, close);
            outStore.avl_push(element);
        }
        if (length < 2 || name[length - 1] != ')') continue;
        char key[textSize];
        const std::size_t keyLength = std::min(length - 2, sizeof key - 1);
        std::memcpy(key, name + 1, keyLength);
        key[keyLength] = 0;
        assignValue(globals[key], *element);
    }
}
