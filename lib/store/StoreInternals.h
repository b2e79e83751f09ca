// Inside views of the element class that the store's own code needs and hosts
// never see: the element pool, value writes that stay within an element's
// buffers, and copies of elements.
#pragma once

#include "store/StoreEl.h"

namespace zor {

class ElementAccess {
public:
    // One pool block: a header slot and 99 element slots.
    static constexpr int blockSlots = 100;

    // A slot from the pool; null when the general heap has no block.
    static void* poolAllocate() noexcept;
    // Gives a slot back; the last one alive returns every block.
    static void poolRelease(void* slot) noexcept;

    // Pool inspection, for tests.
    static int liveElements();
    static int poolBlocks();
    static const void* nextSlot();

    // Retype the element to int or double and store the value in the first
    // bytes of its buffer.
    static void writeInt(StoreEl& element, int value);
    static void writeDouble(StoreEl& element, double value);
    // Retype the element to string and store the text (null counts as empty),
    // growing the buffer when it is too small. False, with the element
    // unchanged, when no larger block can be had.
    static bool writeText(StoreEl& element, const char* text);

    // A new element under the given name with the source's type and value;
    // null when the source is of no known type or the pool has no slot.
    static StoreEl* copyOf(const StoreEl& source, const char* name);
    static bool knownType(const StoreEl& element);

    static int intValue(const StoreEl& element);
    static double doubleValue(const StoreEl& element);
};

}  // namespace zor
