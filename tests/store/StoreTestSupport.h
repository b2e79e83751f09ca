// Helpers shared by the record and value-reference tests.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "store/DataMap.h"
#include "store/StoreCv.h"
#include "store/StoreEl.h"
#include "store/StoreInternals.h"

namespace storetest {

// The record's elements in list order as "name=value" texts, with the value
// shown by type: ints as numbers, doubles with a trailing 'd', strings quoted.
inline std::vector<std::string> listing(const DataMap& record) {
    std::vector<std::string> out;
    for (const StoreEl* e = record.getData(nullptr); e; e = e->getNext()) {
        std::string value;
        switch (e->getType()) {
            case StoreEl::typeInt:
                value = std::to_string(zor::ElementAccess::intValue(*e));
                break;
            case StoreEl::typeDouble:
                value = std::to_string(zor::ElementAccess::doubleValue(*e)) + "d";
                break;
            case StoreEl::typeString:
                value = "'" + std::string(static_cast<const char*>(e->getData())) + "'";
                break;
            default:
                value = "?";
        }
        out.push_back(std::string(e->getName()) + "=" + value);
    }
    return out;
}

using Listing = std::vector<std::string>;

}  // namespace storetest
