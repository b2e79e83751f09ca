// Helpers shared by the store tests and the script fixture.
#pragma once

#include <gtest/gtest.h>

#include <charconv>
#include <string>
#include <vector>

#include "store/DataMap.h"
#include "store/StoreCv.h"
#include "store/StoreEl.h"

namespace storetest {

using Listing = std::vector<std::string>;

// A record's elements in list order, shown by type: "x=1 y=2.500000 s=\"t\"".
// Numbers are shown the same under any locale.
inline std::string elementsOf(const DataMap& record) {
    std::string elements;
    for (const StoreEl* e = record.getData(nullptr); e; e = e->getNext()) {
        const void* data = e->getData();
        char number[400] = {};
        if (e->getType() == StoreEl::typeInt)
            std::to_chars(number, number + sizeof number - 1, *static_cast<const int*>(data));
        else if (e->getType() == StoreEl::typeDouble)
            std::to_chars(number, number + sizeof number - 1, *static_cast<const double*>(data),
                          std::chars_format::fixed, 6);
        const std::string value = *number ? std::string(number)
                                  : e->getType() == StoreEl::typeString
                                      ? "\"" + std::string(static_cast<const char*>(data)) + "\""
                                      : "?";
        elements += (elements.empty() ? "" : " ") + std::string(e->getName()) + "=" + value;
    }
    return elements;
}

// Appends int elements directly, so that repeated names stay repeated.
inline void append(DataMap& record, std::initializer_list<std::pair<const char*, int>> elements) {
    for (auto [name, value] : elements) record.appElem(new StoreEl(name, value));
}

inline std::string text(const StoreCv& ref) {
    return static_cast<char*>(ref);
}

}  // namespace storetest
