// Helpers shared by the record and value-reference tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/DataMap.h"
#include "store/StoreCv.h"
#include "store/StoreEl.h"
#include "store/StoreInternals.h"

namespace storetest {

using Listing = std::vector<std::string>;

// The record's elements in list order as "name=value" texts, with the value
// shown by type: ints as numbers, doubles with a trailing 'd', strings quoted.
inline Listing listing(const DataMap& record) {
    Listing out;
    for (const StoreEl* e = record.getData(nullptr); e; e = e->getNext()) {
        std::string value = "?";
        if (e->getType() == StoreEl::typeInt)
            value = std::to_string(zor::ElementAccess::intValue(*e));
        else if (e->getType() == StoreEl::typeDouble)
            value = std::to_string(zor::ElementAccess::doubleValue(*e)) + "d";
        else if (e->getType() == StoreEl::typeString)
            value = "'" + std::string(static_cast<const char*>(e->getData())) + "'";
        out.push_back(std::string(e->getName()) + "=" + value);
    }
    return out;
}

// Appends int elements directly, so that repeated names stay repeated.
inline void append(DataMap& record, std::initializer_list<std::pair<const char*, int>> elements) {
    for (auto [name, value] : elements) record.appElem(new StoreEl(name, value));
}

inline std::string text(const StoreCv& ref) {
    return static_cast<char*>(ref);
}

}  // namespace storetest
