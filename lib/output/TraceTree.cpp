#include "output/TraceTree.h"

#include <new>

#include "output/ParseOut.h"
#include "output/TraceElements.h"
#include "output/TraceLinks.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

namespace zor {

namespace {

// The child becomes item n of the parent's links, where n counts the children
// entered before it. Read back, because an element the pool cannot supply is
// silently not made, and a child no link reaches would never be deleted.
bool linkChild(DataMap& parent, int parentLinkValue, DataMap& child, int childLinkValue) {
    int n = static_cast<int>(parent[childCount]);
    StoreCv slot = parent[childLinks][n];
    slot = childLinkValue;
    parent[childCount] = n + 1;
    child[parentLink] = parentLinkValue;
    return static_cast<int>(slot) == childLinkValue &&
           static_cast<int>(parent[childCount]) == n + 1 &&
           static_cast<int>(child[parentLink]) == parentLinkValue;
}

}  // namespace

int makeTraceRecord(const char* name, DataMap* parent, int parentLinkValue, int depth,
                    unsigned int thread) {
    DataMap* record = new (std::nothrow) DataMap;
    if (!record) return 0;
    record->setName(name);
    int link = addTraceRecord(record, parent ? parentLinkValue : 0, thread);
    if (link == 0 || (parent && !linkChild(*parent, parentLinkValue, *record, link))) {
        ParseOut::smartDelete(record);
        return 0;
    }
    (*record)[depthName] = depth + 1;
    return link;
}

}  // namespace zor

namespace {

// Each child leaves the link table before it is deleted, so a second link to
// it, if there were one, would find nothing.
void deleteTree(DataMap* record) {
    for (StoreEl* element = record->getData(nullptr); element; element = element->getNext()) {
        if (!zor::isLinkElement(*element)) continue;
        if (DataMap* child = zor::takeChildRecord(zor::intValue(*element), record))
            deleteTree(child);
    }
    delete record;
}

}  // namespace

void ParseOut::smartDelete(DataMap* record) {
    if (!record) return;
    zor::removeTraceRecord(record);
    deleteTree(record);
}
