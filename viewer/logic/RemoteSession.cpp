#include "RemoteSession.h"

#include <sys/socket.h>
#include <cerrno>
#include <optional>

#include "DialogView.h"
#include "EventRecords.h"
#include "ScriptFile.h"
#include "SentScriptNames.h"
#include "display/DisplayList.h"
#include "output/ParseOut.h"
#include "protocol/ClientSocket.h"
#include "protocol/RemoteExchange.h"

namespace remote {

namespace {

// An event file is one short record; more is not taken.
constexpr std::size_t eventScriptLimit = 499;

const std::string noFileSentText = "the test server sent no output file for ";

}  // namespace

RemoteSession::RemoteSession(viewer::DialogView& dialogView, display::DisplayList& display)
    : view(dialogView), displayList(display) {}

int RemoteSession::applyRemote(RemoteHost* parent, int wanted, const std::string& serverName,
                               int port) {
    if (!parent) return noParent;
    if (state != connectedState && wanted == 0) return alreadyDisconnected;
    if (state == connectedState && wanted != 0) return alreadyConnected;
    host = parent;
    const int result = wanted != 0 ? connect(serverName, port) : disconnect(serverName, port);
    // A fresh connection fetches the server's picture at once.
    if (result == connectedResult || result == disconnectedResult)
        parent->runEvent(viewer::graphicStartEvent);
    return result;
}

// The first run on a new connection sends the script even when it was not edited.
int RemoteSession::connect(const std::string& serverName, int port) {
    const int result = openConnection(serverName, port, socket);
    if (result != connectedResult) return result;
    startPingTimer();
    state = connectedState;
    server = serverName;
    portNumber = port;
    view.markScriptModified();
    return result;
}

int RemoteSession::disconnect(const std::string& serverName, int port) {
    stopPingTimer();
    closeConnection();
    state = disconnectedState;
    server = serverName;
    portNumber = port;
    return disconnectedResult;
}

void RemoteSession::setServer(const std::string& serverName, int port) {
    if (state != disconnectedState) return;
    server = serverName;
    portNumber = port;
}

bool RemoteSession::queryRemote(const RemoteHost* parent, RemoteSettings& settings) const {
    if (!parent) return false;
    settings = {state, server, portNumber};
    return true;
}

std::string RemoteSession::setOutputFolder(const std::string& folder) {
    outputFolder = outputFolderName(folder);
    return outputFolder;
}

// A failed ping means the server has gone: the session is disconnected, and
// the timer goes on ticking without sending until the next connection.
void RemoteSession::pingTick() {
    pingToggle = 1 - pingToggle;
    if (state != connectedState || !pingTimer) return;
    if (socket.sendWord(pingToggle == 1 ? pingWord2 : pingWord1) == fieldSize) return;
    state = disconnectedState;
    closeConnection();
}

bool RemoteSession::endIfClosed() {
    if (state != connectedState || !pingTimer) return false;
    char byte;
    const ssize_t got = recv(socket.descriptor(), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (got > 0 || (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)))
        return false;
    state = disconnectedState;
    closeConnection();
    return true;
}

void RemoteSession::closeConnection() {
    if (host) host->connectionClosed();
    socket.close();
}

void RemoteSession::startPingTimer() {
    if (host) host->startPingTimer();
    pingTimer = true;
}

void RemoteSession::stopPingTimer() {
    if (pingTimer && host) host->stopPingTimer();
    pingTimer = false;
}

// Only a normal run's finished exchange clears the modified mark: an event
// run sends the event file, not the pane, which the server still lacks.
viewer::RunResult RemoteSession::remoteRun(const std::string& inputFile, const std::string& filter,
                                           bool eventRun) {
    viewer::RunResult result;
    result.errPos = 0;
    const std::string script = scriptBytes(inputFile, eventRun);
    if (script.empty() || !pingTimer) return result;
    stopPingTimer();
    ExchangeRequest request;
    request.traceDepth = ParseOut::getTraceDepth();
    request.traceRoot = ParseOut::getTraceRoot();
    request.inputName = inputFile;
    request.script = script;
    request.sendScript = eventRun || view.scriptModified();
    request.filter = filter;
    request.replyNames = viewer::sentScriptNames(script, outputFolder);
    request.wantVerdicts = !eventRun;
    DiskReplyFiles files;
    const ExchangeReply reply = runExchange(socket, request, displayList, files);
    if (reply.finished && !eventRun) view.clearScriptModified();
    // An exchange that closed the connection ends the session, as a failed ping does.
    if (!socket.isOpen()) state = disconnectedState;
    startPingTimer();
    // A file the server did not send this time is an earlier run's: shown, it
    // would pass for this run's report.
    if (reply.outFileReceived) result.outFile = reply.outFile;
    if (!reply.outFileReceived && !reply.outFile.empty() && reply.errText.empty())
        result.notice = noFileSentText + reply.outFile;
    result.errText = reply.errText;
    result.errLine = reply.errLine;
    result.errPos = reply.errPos;
    result.notice = refusedNameNotice(reply);
    if (reply.verdictsSent) takeVerdicts(reply, result);
    return result;
}

// The server's verdicts, as a local run counts its comparisons.
void RemoteSession::takeVerdicts(const ExchangeReply& reply, viewer::RunResult& result) {
    viewer::RunCounts counts;
    for (const RemoteVerdict& verdict : reply.verdicts) {
        if (verdict.outcome == VerdictOutcome::passed) ++counts.passed;
        if (verdict.outcome == VerdictOutcome::failed) {
            ++counts.failed;
            result.failures.push_back({verdict.name, verdict.line});
        }
        if (verdict.outcome == VerdictOutcome::error) ++counts.errors;
    }
    if (counts.errors == 0 && (result.errLine != 0 || reply.runEnd.code < 0)) counts.errors = 1;
    result.counts = counts;
    result.reached = static_cast<int>(reply.verdicts.size());
}

// The pane goes out as it is saved, with "\r\n" line breaks.
std::string RemoteSession::scriptBytes(const std::string& inputFile, bool eventRun) const {
    if (!eventRun) return viewer::withCrLf(view.scriptText());
    std::string bytes = viewer::readFileBytes(inputFile).value_or(std::string());
    if (bytes.size() > eventScriptLimit) bytes.resize(eventScriptLimit);
    return bytes;
}

}  // namespace remote
