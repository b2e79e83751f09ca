// The parser's two stacks, states and values, grow together: 70 entries at
// first, then 140, 280 and at most 500. Their blocks come from stackBuffer
// (ScriptEngine.h) and stay allocated until the run driver releases them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "script/ScriptEngine.h"

namespace zor {

constexpr std::ptrdiff_t initialStackDepth = 70;
constexpr std::ptrdiff_t maxStackDepth = 500;

enum class StackGrowth { grown, overflow, outOfMemory };

// The next capacity after `capacity`, or 0 when the stacks are at their limit.
std::ptrdiff_t nextStackDepth(std::ptrdiff_t capacity);
// Reports the failures of a growth; answers what to tell the parser.
StackGrowth reportStackOverflow();
StackGrowth reportStackOutOfMemory();

// Gives the parser stacks of the next capacity, moving the `used` entries of
// both into the new blocks. The block a stack leaves stays valid until the next
// growth, so the entries are copied out of it after the new one is had.
template <class State, class Value, class Size>
StackGrowth growParserStacks(State** states, Value** values, std::ptrdiff_t used, Size* capacity) {
    std::ptrdiff_t depth = nextStackDepth(*capacity);
    if (depth == 0) return reportStackOverflow();
    void* stateBlock = stackBuffer(0, static_cast<std::size_t>(depth) * sizeof(State));
    void* valueBlock =
        stateBlock ? stackBuffer(1, static_cast<std::size_t>(depth) * sizeof(Value)) : nullptr;
    if (valueBlock == nullptr) return reportStackOutOfMemory();
    // A block kept from an earlier parse may be the very one in use.
    if (stateBlock != *states) std::memcpy(stateBlock, *states, used * sizeof(State));
    if (valueBlock != *values) std::copy_n(*values, used, static_cast<Value*>(valueBlock));
    *states = static_cast<State*>(stateBlock);
    *values = static_cast<Value*>(valueBlock);
    *capacity = static_cast<Size>(depth);
    return StackGrowth::grown;
}

}  // namespace zor
