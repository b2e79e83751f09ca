#include "ScriptExecution.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>

#include "FolderAccess.h"
#include "ZorLib.h"
#include "host/RunCallback.h"
#include "protocol/ReplyNames.h"

namespace zorserver {

namespace {

int guardFolder = -1;
// The first name of each kind that the run was refused, and the first
// report that was not written whole.
std::string refusedName;
std::string unsendableName;
std::string linkedName;
std::string writeFailure;

void noteFirst(std::string& kept, const std::string& name) {
    if (kept.empty()) kept = name;
}

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

// A name that no client takes never becomes an output file here, so that
// the server cannot report a file its client then refuses. One that leads
// out of the folder is told as such.
int refuseUnsendable(const std::string& name) {
    const int probe = openBeneath(guardFolder, name, O_PATH);
    const bool outside = probe < 0 && leadsOutside(errno);
    if (probe >= 0) close(probe);
    if (!outside) noteFirst(unsendableName, name);
    errno = outside ? EXDEV : EINVAL;
    return -1;
}

// A file with another link may be the same file as one outside the folder:
// appending to it would write there.
int openOutput(const std::string& name) {
    if (remote::normalReplyName(name).empty()) return refuseUnsendable(name);
    const int fd = openRegular(name, O_WRONLY | O_CREAT);
    if (fd < 0 || !isHardLinked(fd)) return fd;
    close(fd);
    noteFirst(linkedName, name);
    errno = EMLINK;
    return -1;
}

int guardFile(const char* name, int access) {
    const std::string file = name ? name : "";
    int result = -1;
    if (access == AdaptIO::accessDelete)
        result = removeBeneath(guardFolder, file);
    else if (access == AdaptIO::accessRead)
        result = openRegular(file, O_RDONLY);
    else
        result = openOutput(file);
    if (result < 0 && leadsOutside(errno)) noteFirst(refusedName, file);
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

// The first error set is the one the client gets.
void noteRefusals(ServerReply& reply) {
    if (!refusedName.empty()) setServerError(reply, outsideFolderText + refusedName);
    if (!unsendableName.empty()) setServerError(reply, unsendableNameText + unsendableName);
    if (!linkedName.empty()) setServerError(reply, linkedFileText + linkedName);
}

// Why parseLoop ran nothing: it refuses names it would have to cut, and a
// script it cannot open.
std::string unopenedScript(const remote::ServerRequest& request) {
    const auto limit = static_cast<std::size_t>(Parse::entryNameSize) - 1;
    if (request.filter.size() > limit)
        return "filter too long for the test server (" + std::to_string(request.filter.size()) +
               " characters; the limit is " + std::to_string(limit) + ")";
    if (request.scriptFile.size() > limit)
        return "script name too long for the test server (" +
               std::to_string(request.scriptFile.size()) + " characters; the limit is " +
               std::to_string(limit) + ")";
    return "cannot open the script " + request.scriptFile;
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
    unsendableName.clear();
    linkedName.clear();
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
    noteRefusals(outcome.reply);
    if (outcome.code == -1 || outcome.code == -2)
        setServerError(outcome.reply, unopenedScript(request));
    if (!writeFailure.empty()) setServerError(outcome.reply, writeFailure);
    return outcome;
}

}  // namespace zorserver
