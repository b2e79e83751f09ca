#include "TestServer.h"

#include <charconv>
#include <chrono>

#include "IdleTimeout.h"
#include "Listener.h"
#include "LogText.h"
#include "ScriptExecution.h"
#include "ServerProtocol.h"
#include "WireFields.h"

namespace zorserver {

namespace {

using Clock = std::chrono::steady_clock;

std::string milliseconds(Clock::duration span) {
    char text[32];
    const double ms = std::chrono::duration<double, std::milli>(span).count();
    return std::string(
        text, std::to_chars(text, text + sizeof text, ms, std::chars_format::fixed, 3).ptr);
}

// "run in.txt filter 't1013': out.txt (812 bytes), run 1.234 ms"
std::string describe(const ServerRequest& request, const RunOutcome& outcome, long fileBytes,
                     Clock::duration runTime) {
    std::string line = "run " + escapeForLog(request.scriptFile);
    if (!request.scriptSent) line += " (kept)";
    if (request.scriptSent && !request.scriptStored) line += " (not stored)";
    if (!request.filter.empty()) line += " filter '" + escapeForLog(request.filter) + "'";
    line += ": ";
    line += outcome.reply.outFile.empty() ? "no output file"
                                          : escapeForLog(outcome.reply.outFile) + " (" +
                                                std::to_string(fileBytes) + " bytes)";
    if (outcome.reply.errLine > 0)
        line += ", error in line " + std::to_string(outcome.reply.errLine);
    if (outcome.reply.errLine > 0 && !outcome.reply.errText.empty())
        line += ": " + escapeForLog(outcome.reply.errText);
    return line + ", run " + milliseconds(runTime) + " ms";
}

}  // namespace

void TestServer::serveForever() {
    for (;;) {
        Peer peer;
        remote::WireSocket client = acceptClient(listenFd, peer);
        if (!client.isOpen()) continue;
        if (!admits(allowed, peer.address)) {
            std::fprintf(stderr, "ZorServer: client %s refused: not on the allow-list\n",
                         peer.name.c_str());
            continue;
        }
        log("client " + peer.name + " connected");
        const std::string closed = serveClient(client);
        if (closed.empty())
            log("client " + peer.name + " disconnected");
        else
            std::fprintf(stderr, "ZorServer: client %s closed: %s\n", peer.name.c_str(),
                         closed.c_str());
    }
}

// Pings and the stop after each exchange need no answer; any other word means
// the client is out of step, and only a new connection can mend that.
std::string TestServer::serveClient(remote::WireSocket& client) {
    const int fd = client.descriptor();
    limitTransfers(fd, idleTimeout);
    remote::WireField word;
    for (;;) {
        if (!waitForBytes(fd, idleTimeout)) return "idle for " + std::to_string(idleTimeout) + " s";
        const Clock::time_point start = Clock::now();
        if (!client.receiveField(word))
            return whyTransferFailed(fd, idleTimeout, Clock::now() - start);
        if (remote::isCommandWord(word, remote::execWord)) {
            if (!serveExchange(client))
                return whyTransferFailed(fd, idleTimeout, Clock::now() - start);
        } else if (!remote::isCommandWord(word, remote::pingWord1) &&
                   !remote::isCommandWord(word, remote::pingWord2) &&
                   !remote::isCommandWord(word, remote::stopWord)) {
            return "unknown command word";
        }
    }
}

bool TestServer::serveExchange(remote::WireSocket& client) {
    ServerRequest request;
    std::string reason;
    if (!readRequest(client, request, reason)) {
        std::fprintf(stderr, "ZorServer: %s\n", reason.c_str());
        return false;
    }
    const Clock::time_point start = Clock::now();
    const RunOutcome outcome = runRequest(request);
    const Clock::duration runTime = Clock::now() - start;
    long fileBytes = 0;
    const bool sent = sendReply(client, outcome.reply, fileBytes);
    log(describe(request, outcome, fileBytes, runTime));
    return sent;
}

void TestServer::log(const std::string& line) const {
    if (!quietLog) std::printf("%s\n", line.c_str());
}

}  // namespace zorserver
