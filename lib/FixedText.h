// The size of every fixed text of a run: the run state's texts, token values
// and parser stack entries, record names, paths and the trace root. Each holds
// at most 499 characters and the terminating zero.
#pragma once

namespace zor {

inline constexpr int fixedTextSize = 500;

}  // namespace zor
