#include <climits>
#include <cstring>

#include "store/StoreInternals.h"
#include "store/TextBlock.h"

namespace zor {

// A number goes into the first bytes of whatever buffer the element has; a
// block installed with fewer bytes than a double is given up for the inline one.
void ElementAccess::writeInt(StoreEl& element, int value) {
    if (element.len < static_cast<int>(sizeof(double))) element.releaseData();
    std::memcpy(element.data, &value, sizeof value);
    element.type = StoreEl::typeInt;
}

void ElementAccess::writeDouble(StoreEl& element, double value) {
    if (element.len < static_cast<int>(sizeof(double))) element.releaseData();
    std::memcpy(element.data, &value, sizeof value);
    element.type = StoreEl::typeDouble;
}

// The text may lie in the element's own buffer (a value copied onto itself),
// so it is moved, not copied; a text that needs a larger block cannot lie there.
bool ElementAccess::writeText(StoreEl& element, const char* text) {
    if (!text) text = "";
    std::size_t length = std::strlen(text);
    if (length >= static_cast<std::size_t>(INT_MAX)) return false;
    if (element.len < 1 || length > static_cast<std::size_t>(element.len - 1)) {
        void* block = allocText(length + 1);
        if (!block) return false;
        element.setData(block, static_cast<int>(length + 1));
    }
    std::memmove(element.data, text, length + 1);
    element.type = StoreEl::typeString;
    return true;
}

bool ElementAccess::knownType(const StoreEl& element) {
    return element.type == StoreEl::typeInt || element.type == StoreEl::typeDouble ||
           element.type == StoreEl::typeString;
}

StoreEl* ElementAccess::copyOf(const StoreEl& source, const char* name) {
    switch (source.type) {
        case StoreEl::typeInt:
            return new StoreEl(name, intValue(source));
        case StoreEl::typeDouble:
            return new StoreEl(name, doubleValue(source));
        case StoreEl::typeString:
            return new StoreEl(name, static_cast<const char*>(source.data));
        default:
            return nullptr;
    }
}

// A buffer too small for the number (a caller's tiny block) reads as 0.
int ElementAccess::intValue(const StoreEl& element) {
    int value = 0;
    if (element.len < static_cast<int>(sizeof value)) return value;
    std::memcpy(&value, element.data, sizeof value);
    return value;
}

double ElementAccess::doubleValue(const StoreEl& element) {
    double value = 0.0;
    if (element.len < static_cast<int>(sizeof value)) return value;
    std::memcpy(&value, element.data, sizeof value);
    return value;
}

}  // namespace zor
