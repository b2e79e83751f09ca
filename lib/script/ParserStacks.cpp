#include "script/ParserStacks.h"

#include <algorithm>
#include <cstdlib>

#include "script/ErrorReport.h"

namespace zor {

namespace {

// One stack's blocks: the one in use and the one it replaced, which the parser
// still copies from right after a growth.
struct StackSlot {
    void* current = nullptr;
    std::size_t size = 0;
    void* replaced = nullptr;
};

StackSlot slots[2];

}  // namespace

void* stackBuffer(int stack, std::size_t bytes) {
    if (stack < 0 || stack > 1) return nullptr;
    StackSlot& slot = slots[stack];
    if (bytes == 0) {
        std::free(slot.current);
        std::free(slot.replaced);
        slot = StackSlot{};
        return nullptr;
    }
    if (bytes <= slot.size) return slot.current;
    // A failed allocation leaves the slot as it was.
    void* block = std::malloc(bytes);
    if (block == nullptr) return nullptr;
    std::free(slot.replaced);
    slot.replaced = slot.current;
    slot.current = block;
    slot.size = bytes;
    return block;
}

std::ptrdiff_t nextStackDepth(std::ptrdiff_t capacity) {
    if (capacity >= maxStackDepth) return 0;
    return std::min(capacity * 2, maxStackDepth);
}

StackGrowth reportStackOverflow() {
    reportError("parser stack overflow");
    return StackGrowth::overflow;
}

StackGrowth reportStackOutOfMemory() {
    failAction("out of memory", "yyparse::malloc");
    return StackGrowth::outOfMemory;
}

}  // namespace zor
