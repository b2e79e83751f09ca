// The broken-test block: marks the current test of the run as broken. Unlike
// the trace block its lines end with "\r\n", like the comparison report beside it.
#include <mutex>

#include "output/ParseOut.h"
#include "output/TraceTable.h"
#include "run/AdaptIO.h"
#include "run/LastOutFile.h"
#include "run/Parse.h"
#include "store/DataMap.h"

// Takes its turn with the trace blocks, so that neither finds the file busy.
void ParseOut::brkTraceExec(const char* reason) {
    std::lock_guard<std::mutex> turn(zor::traceWriteLock());
    char outFile[Parse::textSize];
    zor::copyLastOutFile(outFile, sizeof outFile);
    AdaptIO writer;
    if (!writer.openOut(outFile)) return;
    writer << Parse::getVerStore()->getName() << "\r\n{\r\n";
    writer << "    TEST = \"BROKEN (" << (reason ? reason : "") << ")\"\r\n";
    writer << "}\r\n";
    writer.closeOut();
}
