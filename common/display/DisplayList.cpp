#include "display/DisplayList.h"

#include <algorithm>

namespace display {

// Only the n bytes received belong to this block: the rest of the buffer
// still holds an earlier block, so no record may reach into it.
int DisplayList::decodeBlock(const BlockBuffer& block, int n) {
    const char* const first = block.data();
    const char* const limit = first + std::clamp(n, 0, blockSize);
    const char* cursor = first;
    while (cursor < limit) {
        std::unique_ptr<GraphicRecord> record = decodeRecord(cursor, limit);
        if (!record) break;
        append(std::move(record));
    }
    return static_cast<int>(cursor - first);
}

void DisplayList::append(std::unique_ptr<GraphicRecord> record) {
    if (record->startsPicture()) clear();
    records.push_back(std::move(record));
}

}  // namespace display
