#include "ScriptExecution.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>

#include "FolderAccess.h"
#include "ZorLib.h"
#include "host/RunCallback.h"

namespace zorserver {

namespace {

int guardFolder = -1;
std::string refusedName;
std::string writeFailure;

int openRegular(const std::string& name, int flags) {
    // Without blocking, so that a pipe planted under the name cannot hold
    // the run up; only regular files are the library's to read and append to.
    const int fd = openBeneath(guardFolder, name, flags | O_NONBLOCK | O_NOCTTY, 0666);
    struct stat status {};
    if (fd < 0 || (fstat(fd, &status) == 0 && S_ISREG(status.st_mode))) return fd;
    close(fd);
    errno = EINVAL;
    return -1;
}

int guardFile(const char* name, int access) {
    const std::string file = name ? name : "";
    int result = -1;
    if (access == AdaptIO::accessDelete) {
        result = removeBeneath(guardFolder, file);
    } else {
        result = openRegular(file, access == AdaptIO::accessRead ? O_RDONLY : O_WRONLY | O_CREAT);
    }
    if (result < 0 && leadsOutside(errno) && refusedName.empty()) refusedName = file;
    return result;
}

// The report of the test before is written by now (verData follows the
// callback), and its write phase's failure is still readable.
void noteWriteFailure() {
    const char* reason = Parse::getIO().getWriteError();
    if (!writeFailure.empty() || !reason || !reason[0]) return;
    writeFailure =
        std::string("cannot write the report to ") + Parse::getLastOutFile() + ": " + reason;
}

int checkedCallback() {
    noteWriteFailure();
    return runCallback();
}

}  // namespace

void confineLibraryFiles(int folderFd) {
    guardFolder = folderFd;
    AdaptIO::setFileGuard(guardFile);
}

RunOutcome runRequest(const remote::ServerRequest& request) {
    ParseOut::setTraceDepth(std::clamp(request.traceDepth, 0, ParseOut::depthUnlimited));
    ParseOut::setTraceRoot(request.traceRoot.c_str());
    Parse::setLastOutFile("");
    refusedName.clear();
    writeFailure.clear();
    RunOutcome outcome;
    outcome.code =
        Parse::parseLoop(request.scriptFile.c_str(), request.filter.c_str(), checkedCallback);
    noteWriteFailure();
    outcome.reply.outFile = Parse::getLastOutFile();
    outcome.reply.errLine = Parse::getErrLine();
    outcome.reply.errPos = Parse::getErrPos();
    outcome.reply.errText = Parse::getErrString();
    outcome.end = {
        true, outcome.code, outcome.reply.errLine, outcome.reply.errPos, outcome.reply.errText, 0};
    if (!refusedName.empty())
        setServerError(outcome.reply, "file outside the server's folder: " + refusedName);
    if (!writeFailure.empty()) setServerError(outcome.reply, writeFailure);
    return outcome;
}

}  // namespace zorserver
