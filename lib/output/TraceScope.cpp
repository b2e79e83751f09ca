// Opening and closing trace scopes. The trace lock is held while the scope
// table changes and while a thread's tree grows or is taken apart. A finished
// tree belongs to the closing scope alone and is written after the trace lock
// is released, under the trace's write lock: no scope waits for another
// thread's file output, and a thread that opens a scope inside a write phase of
// its own cannot deadlock with a thread that waits for the output lock.
#include <cstring>
#include <mutex>

#include "output/ParseOut.h"
#include "output/TraceElements.h"
#include "output/TraceLinks.h"
#include "output/TraceTable.h"
#include "output/TraceTree.h"
#include "run/AdaptIO.h"
#include "run/LastOutFile.h"
#include "run/Parse.h"
#include "store/DataMap.h"
#include "store/StoreCv.h"

namespace {

// Appends the block to the run's last output file; a file that cannot be
// opened loses it.
void appendTrace(DataMap& tree, unsigned int thread) {
    char outFile[Parse::textSize];
    zor::copyLastOutFile(outFile, sizeof outFile);
    if (!outFile[0]) return;  // no file to open: spare the writer and its lock file
    std::lock_guard<std::mutex> turn(zor::traceWriteLock());
    AdaptIO writer;
    if (!writer.openOut(outFile)) return;
    ParseOut::smartOut(writer, &tree, thread, 0);
    writer.closeOut();
}

void writeAndDelete(DataMap& tree, unsigned int thread) {
    appendTrace(tree, thread);
    ParseOut::smartDelete(&tree);
}

// A thread that ends with traced scopes still open (made on the heap and never
// closed) has its trace finished as if its outermost scope had closed: kernel
// thread ids are reused, and a later thread must not grow the dead one's tree.
void finishThread(unsigned int thread) {
    zor::TraceRecord root;
    {
        std::lock_guard<std::mutex> hold(zor::traceLock());
        int current = zor::currentScope(thread);
        if (current == 0) return;
        zor::dropThread(thread);
        zor::TraceRecord own;
        if (!zor::findTraceRecord(current, own) || !zor::findTraceRecord(own.root, root)) return;
        zor::finishTree(own.root);
    }
    writeAndDelete(*root.record, thread);
}

struct ThreadEnd {
    ~ThreadEnd() { finishThread(zor::currentThreadNumber()); }
};

// A scope of an outermost position is traced only where tracing starts: at
// any name for the empty root, else at the root's name.
bool startsTrace(const char* root, const char* name) {
    return root[0] == '\0' || std::strcmp(root, name) == 0;
}

}  // namespace

void ParseOut::open(const char* name) {
    int depthLimit = traceDepth.load(std::memory_order_relaxed);
    if (depthLimit == 0) return;
    if (!name) name = "";

    static thread_local ThreadEnd threadEnd;
    (void)threadEnd;
    std::lock_guard<std::mutex> hold(zor::traceLock());
    unsigned int thread = zor::currentThreadNumber();
    int parentLink = zor::currentScope(thread);
    zor::TraceRecord parent;
    bool hasParent = parentLink != 0 && zor::findTraceRecord(parentLink, parent);
    int depth = 0;
    if (!hasParent) {
        if (!startsTrace(traceRoot, name)) return;
    } else if (depthLimit < depthUnlimited) {
        depth = static_cast<int>((*parent.record)[zor::depthName]);
        if (depth >= depthLimit) return;
    }

    int link =
        zor::makeTraceRecord(name, hasParent ? parent.record : nullptr, parentLink, depth, thread);
    if (link == 0) return;
    zor::TraceRecord made;
    if (!zor::setCurrentScope(thread, link) && zor::findTraceRecord(link, made)) {
        smartDelete(made.record);  // the parent keeps a link that now resolves to nothing
        return;
    }
    record = link;
}

// A scope whose record is gone (an enclosing scope closed first, out of the
// nesting order) finds nothing to do.
void ParseOut::close() {
    zor::TraceRecord own;
    {
        std::lock_guard<std::mutex> hold(zor::traceLock());
        if (!zor::findTraceRecord(record, own)) return;
        int up = static_cast<int>((*own.record)[zor::parentLink]);
        zor::TraceRecord parent;
        if (up != 0 && zor::findTraceRecord(up, parent)) {
            zor::setCurrentScope(own.thread, up);
            return;
        }
        zor::finishTree(record);
        zor::dropThread(own.thread);
    }
    writeAndDelete(*own.record, own.thread);
}
