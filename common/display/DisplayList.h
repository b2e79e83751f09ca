// The display list: the drawing records of a device's screen in arrival
// order, filled from the display blocks that a test server sends.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "display/GraphicRecord.h"

namespace display {

constexpr int blockSize = 501;
using BlockBuffer = std::array<char, blockSize>;

class DisplayList {
public:
    // Decodes the first n bytes of the block into records appended to the
    // list and answers how many bytes they took. Decoding stops at the first
    // record that is unknown, not well formed or not wholly within those
    // bytes; what was appended before it stays. A colour record of mode 0
    // empties the list before it is appended.
    int decodeBlock(const BlockBuffer& block, int n);

    void append(std::unique_ptr<GraphicRecord> record);
    void clear() { records.clear(); }

    bool empty() const { return records.empty(); }
    std::size_t size() const { return records.size(); }
    const GraphicRecord& operator[](std::size_t i) const { return *records[i]; }
    auto begin() const { return records.begin(); }
    auto end() const { return records.end(); }

private:
    std::vector<std::unique_ptr<GraphicRecord>> records;
};

}  // namespace display
