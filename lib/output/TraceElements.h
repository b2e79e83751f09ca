// The bookkeeping elements of trace records, and plain reads of element values
// for the record walks that see elements rather than paths.
#pragma once

#include <cstring>

#include "store/StoreEl.h"

namespace zor {

// Parent side: the links to the children are the items of this path, in the
// order in which the children were entered, and "//id" counts them.
inline constexpr const char* childLinks = "//>";
inline constexpr const char* childCount = "//id";
// Child side: the link to the parent (absent in an outermost record) and the depth.
inline constexpr const char* parentLink = "//<";
inline constexpr const char* depthName = "//dp";

inline int intValue(const StoreEl& element) {
    int value;
    std::memcpy(&value, element.getData(), sizeof value);
    return value;
}

inline double doubleValue(const StoreEl& element) {
    double value;
    std::memcpy(&value, element.getData(), sizeof value);
    return value;
}

inline bool isLinkElement(const StoreEl& element) {
    return element.getType() == StoreEl::typeInt && std::strncmp(element.getName(), "//>", 3) == 0;
}

// Int elements named "//..." are never written; strings of that name (the
// line markers of a script) are.
inline bool isBookkeeping(const StoreEl& element) {
    const char* name = element.getName();
    return element.getType() == StoreEl::typeInt && name[0] == '/' && name[1] == '/';
}

}  // namespace zor
