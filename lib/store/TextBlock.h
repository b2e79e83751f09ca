// Blocks for names and string values that do not fit an element's inline
// buffers. Blocks of up to 508 bytes come from the string heap; longer texts,
// which the string heap cannot hold, get a block of the general heap. The size
// asked for decides the source, so a block is released with that same size.
#pragma once

#include <cstddef>

namespace zor {

// Null for a size below 1 or when no memory can be had.
void* allocText(std::size_t size);
// Releases a block of allocText with the size it was asked for; null is ignored.
void releaseText(void* block, std::size_t size);

}  // namespace zor
