#include "TestServer.h"

#include <charconv>
#include <chrono>

#include "Listener.h"
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
    std::string line = "run " + request.scriptFile;
    if (!request.scriptSent) line += " (kept)";
    if (request.scriptSent && !request.scriptStored) line += " (not stored)";
    if (!request.filter.empty()) line += " filter '" + request.filter + "'";
    line += ": ";
    line += outcome.reply.outFile.empty()
                ? "no output file"
                : outcome.reply.outFile + " (" + std::to_string(fileBytes) + " bytes)";
    if (outcome.reply.errLine > 0)
        line += ", error in line " + std::to_string(outcome.reply.errLine);
    return line + ", run " + milliseconds(runTime) + " ms";
}

}  // namespace

void TestServer::serveForever() {
    for (;;) {
        std::string peer;
        remote::WireSocket client = acceptClient(listenFd, peer);
        if (!client.isOpen()) continue;
        log("client " + peer + " connected");
        serveClient(client);
        log("client " + peer + " disconnected");
    }
}

// Pings and the stop after each exchange need no answer; any other word means
// the client is out of step, and only a new connection can mend that.
void TestServer::serveClient(remote::WireSocket& client) {
    remote::WireField word;
    while (client.receiveField(word)) {
        if (remote::isCommandWord(word, remote::execWord)) {
            if (!serveExchange(client)) return;
        } else if (!remote::isCommandWord(word, remote::pingWord1) &&
                   !remote::isCommandWord(word, remote::pingWord2) &&
                   !remote::isCommandWord(word, remote::stopWord)) {
            std::fprintf(stderr, "ZorServer: unknown command word; closing the connection\n");
            return;
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
