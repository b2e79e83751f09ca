#include "ScriptExecution.h"

#include <algorithm>

#include "DeviceFunctions.h"
#include "RunCallback.h"
#include "ZorLib.h"

namespace zorserver {

RunOutcome runRequest(const ServerRequest& request) {
    ParseOut::setTraceDepth(std::clamp(request.traceDepth, 0, ParseOut::depthUnlimited));
    ParseOut::setTraceRoot(request.traceRoot.c_str());
    Parse::setLastOutFile("");
    RunOutcome outcome;
    outcome.code =
        Parse::parseLoop(request.scriptFile.c_str(), request.filter.c_str(), runCallback);
    outcome.reply.outFile = Parse::getLastOutFile();
    outcome.reply.errLine = Parse::getErrLine();
    outcome.reply.errPos = Parse::getErrPos();
    outcome.reply.errText = Parse::getErrString();
    outcome.reply.blocks = displayBlocks(device().picture());
    return outcome;
}

}  // namespace zorserver
