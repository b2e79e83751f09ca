#include "LinkedLibrary.h"

#include "RunCallback.h"
#include "output/ParseOut.h"
#include "run/Parse.h"
#include "run/ZorCall.h"

namespace viewer {

bool LinkedLibrary::hasRegistry() const {
    return ZorCall::getFunc(nullptr) != nullptr;
}

void LinkedLibrary::setTrace(const TraceSettings& trace) {
    ParseOut::setTraceDepth(trace.depth);
    ParseOut::setTraceRoot(trace.root.c_str());
}

RunResult LinkedLibrary::parse(const std::string& inputFile, const std::string& filter) {
    RunResult result;
    result.code = Parse::parseLoop(inputFile.c_str(), filter.c_str(), runCallback);
    result.outFile = Parse::getLastOutFile();
    result.errText = Parse::getErrString();
    result.errLine = Parse::getErrLine();
    result.errPos = Parse::getErrPos();
    return result;
}

void LinkedLibrary::setLastOutFile(const std::string& name) {
    Parse::setLastOutFile(name.c_str());
}

std::string LinkedLibrary::lastOutFile() const {
    return Parse::getLastOutFile();
}

}  // namespace viewer
