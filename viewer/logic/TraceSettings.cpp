#include "TraceSettings.h"

#include <algorithm>

namespace viewer {

std::string depthText(int depth) {
    if (depth <= 0) return "NONE";
    if (depth >= maxTraceDepth) return "MAX";
    return std::to_string(depth);
}

void applyTrace(TraceSettings& settings, int sliderDepth, std::string root) {
    settings.root = std::move(root);
    settings.depth = std::clamp(sliderDepth, 0, maxTraceDepth);
}

}  // namespace viewer
