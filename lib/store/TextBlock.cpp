#include "store/TextBlock.h"

#include <cstdlib>

#include "store/StringHeap.h"

namespace zor {

namespace {

bool fitsStringHeap(std::size_t size) {
    return size <= static_cast<std::size_t>(StringHeap::largestRequest);
}

}  // namespace

void* allocText(std::size_t size) {
    if (size < 1) return nullptr;
    return fitsStringHeap(size) ? stringHeap().allocate(size) : std::malloc(size);
}

void releaseText(void* block, std::size_t size) {
    if (!block) return;
    if (fitsStringHeap(size)) {
        stringHeap().release(block);
    } else {
        std::free(block);
    }
}

}  // namespace zor
