// How long a run took, as the output field shows it after the output file's name.
#pragma once

#include <string>

namespace viewer {

// " (%M:%S min)": two-digit minutes and seconds of the span; hours are dropped,
// and a negative span (the clock was set back) shows as zero.
std::string formatRunTime(long long seconds);

}  // namespace viewer
