// ParseOut: a trace scope of native code. A scope opened while tracing is on
// becomes a record in its thread's trace tree; when the thread's outermost
// traced scope closes, the tree is appended to the run's last output file as
// an indented block and deleted. Where tracing starts (the trace root) and how
// deep it goes (the trace depth) are process-wide settings.
#pragma once

#include <atomic>

#include "FixedText.h"
#include "ZorExport.h"

class AdaptIO;
class DataMap;

class ZORLIB_API ParseOut {
public:
    // The trace root holds 499 characters and the terminating zero.
    static constexpr int rootSize = zor::fixedTextSize;
    // A trace depth of this value (or more) means no limit.
    static constexpr int depthUnlimited = 100;

    // With tracing off (depth 0) no scope can be traced, nested or not: the
    // test is made here, so that an untraced scope costs native code one load.
    explicit ParseOut(const char* name) : record(0) {
        if (traceDepth.load(std::memory_order_relaxed) != 0) open(name);
    }
    ~ParseOut() {
        if (record != 0) close();
    }
    // A copy would share the scope's record and close it twice.
    ParseOut(const ParseOut&) = delete;
    ParseOut& operator=(const ParseOut&) = delete;

    // Copies the text, cut at 499 characters; null leaves the root unchanged.
    // The empty root lets every outermost scope start a trace.
    static void setTraceRoot(const char* root);
    static char* getTraceRoot();
    // Stores 100 for 100 or more, 0 (tracing off) for 0 or less.
    static void setTraceDepth(int depth);
    static int getTraceDepth();

    // Appends the block that marks the current test as broken for the reason
    // given to the run's last output file.
    static void brkTraceExec(const char* reason);

    // Writes the record and the records linked below it as one block, with
    // the thread number in the first line when level is 0.
    static void smartOut(AdaptIO& out, DataMap* record, unsigned int thread, int level);
    // Deletes the linked records, then the record itself (made with new).
    static void smartDelete(DataMap* record);

private:
    void open(const char* name);
    void close();

    // The link of this scope's trace record; 0 when the scope is not traced.
    int record;

    static char traceRoot[rootSize];
    static std::atomic<int> traceDepth;
};
