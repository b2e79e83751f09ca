// The run's output file name as other threads see it: trace scopes close on
// any thread while the script thread may be naming a new output file.
#pragma once

#include <cstddef>

namespace zor {

// Copies the current output file name whole (never half rewritten).
void copyLastOutFile(char* target, std::size_t size);

}  // namespace zor
