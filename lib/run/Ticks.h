// The platform's millisecond clock and sleep, as the wait loop needs them.
#pragma once

#include <cstdint>

namespace zor {

// Milliseconds of a monotonic clock cut to 32 bits: it wraps like a tick
// counter, so elapsed times are taken by unsigned subtraction.
uint32_t tickCount();

void sleepMs(int milliseconds);

}  // namespace zor
