// Where tracing starts and how deep it goes, for the whole process.
#include <cstring>
#include <mutex>

#include "output/ParseOut.h"
#include "output/TraceTable.h"

char ParseOut::traceRoot[rootSize];
std::atomic<int> ParseOut::traceDepth{0};

// Under the trace lock, so that a scope never compares its name with half a root.
void ParseOut::setTraceRoot(const char* root) {
    if (!root) return;
    std::lock_guard<std::mutex> hold(zor::traceLock());
    size_t length = strnlen(root, rootSize - 1);
    std::memcpy(traceRoot, root, length);
    traceRoot[length] = '\0';
}

char* ParseOut::getTraceRoot() {
    return traceRoot;
}

void ParseOut::setTraceDepth(int depth) {
    int stored = depth >= depthUnlimited ? depthUnlimited : depth <= 0 ? 0 : depth;
    traceDepth.store(stored, std::memory_order_relaxed);
}

int ParseOut::getTraceDepth() {
    return traceDepth.load(std::memory_order_relaxed);
}
