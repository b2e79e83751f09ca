// Outlining a script: the run's scanner and parser over a file object of its
// own, with the run state that hosts can see set aside and given back.
#include <cstring>
#include <new>

#include "run/AdaptIO.h"
#include "run/ErrorColumn.h"
#include "run/Parse.h"
#include "script/ErrorReport.h"
#include "script/Outline.h"

namespace {

// The shared file object may hold a host's files; the outline reads with its own.
AdaptIO& outlineIO() {
    alignas(AdaptIO) static unsigned char storage[sizeof(AdaptIO)];
    static AdaptIO* io = new (storage) AdaptIO;
    return *io;
}

}  // namespace

int Parse::outlineScript(const char* scriptFile, ScriptOutline& outline) {
    if (pState != 0 || !scriptFile) return -1;
    std::function<void(const OutlineRecord&)> take = std::move(outline.takeRecord);
    const bool takeVariables = outline.takeVariables;
    outline = ScriptOutline{};
    outline.takeRecord = std::move(take);
    outline.takeVariables = takeVariables;
    AdaptIO& io = outlineIO();
    if (!io.openIn(scriptFile)) return -2;
    // The parse reports its error where a run's goes; the run's is put back.
    char runErrString[textSize];
    std::memcpy(runErrString, errString, sizeof runErrString);
    const int32_t runErrLine = errLine;
    const int32_t runErrPos = errPos;

    zor::beginOutline(outline);
    runParser(io);
    zor::endOutline();
    io.closeIn();

    outline.errorLine = errLine;
    outline.errorPos = errLine != 0 ? errPos : 0;
    outline.errorText = errString;
    if (errLine != 0) outline.errorToken = zor::reportedToken();
    outline.errorColumn = zor::errorColumn(io, scriptFile, errLine, errPos);
    std::memcpy(errString, runErrString, sizeof errString);
    errLine = runErrLine;
    errPos = runErrPos;
    return outline.errorLine;
}
