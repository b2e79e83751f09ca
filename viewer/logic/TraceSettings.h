// The trace limits that every interactive run hands to the library.
#pragma once

#include <string>

namespace viewer {

constexpr int maxTraceDepth = 100;

struct TraceSettings {
    std::string root;  // scope at which the trace starts; empty: every scope
    int depth = maxTraceDepth;
};

// 0 shows as "NONE", 100 and more as "MAX", everything between as its number.
std::string depthText(int depth);

// What "Apply" stores: the root as typed and the slider's depth within 0..100.
void applyTrace(TraceSettings& settings, int sliderDepth, std::string root);

}  // namespace viewer
