#include "TestServer.h"

#include <charconv>
#include <chrono>

#include "DeviceFunctions.h"
#include "IdleTimeout.h"
#include "Listener.h"
#include "LogText.h"
#include "ReplySending.h"
#include "Worker.h"
#include "protocol/RequestReading.h"
#include "protocol/WireFields.h"

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
std::string describe(const remote::ServerRequest& request, const ServerReply& reply, long fileBytes,
                     Clock::duration runTime) {
    std::string line = "run " + escapeForLog(request.scriptFile);
    if (!request.scriptSent) line += " (kept)";
    if (request.scriptSent && !request.storeError.empty()) line += " (not stored)";
    if (!request.filter.empty()) line += " filter '" + escapeForLog(request.filter) + "'";
    line += ": ";
    line += reply.outFile.empty()
                ? "no output file"
                : escapeForLog(reply.outFile) + " (" + std::to_string(fileBytes) + " bytes)";
    if (reply.errLine > 0) line += ", error in line " + std::to_string(reply.errLine);
    if (reply.errLine > 0 && !reply.errText.empty()) line += ": " + escapeForLog(reply.errText);
    return line + ", run " + milliseconds(runTime) + " ms";
}

// A script that could not be stored runs not at all: neither in part nor as
// the copy kept from before.
ServerReply unstoredRun(const std::string& reason, bool verdictsWanted) {
    ServerReply reply;
    reply.verdictsWanted = verdictsWanted;
    setServerError(reply, reason);
    reply.blocks = displayBlocks(device().picture());
    return reply;
}

// The output file goes back only under a name the client takes, from inside
// the folder, and only when a number field can announce its length.
void admitReplyFile(ServerReply& reply, ReplyFile& file, long limit) {
    if (!file.getRefusal().empty()) {
        setServerError(reply, file.getRefusal());
        reply.outFile.clear();
    }
    if (file.size() > limit) {
        setServerError(reply,
                       "output file too large to send (" + std::to_string(file.size()) + " bytes)");
        file.drop();
    }
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
    remote::ServerRequest request;
    std::string reason;
    if (!remote::readRequest(client, store, request, reason)) {
        std::fprintf(stderr, "ZorServer: %s\n", reason.c_str());
        return false;
    }
    const Clock::time_point start = Clock::now();
    const WorkerSettings settings{.folderFd = folderFd,
                                  .maxMemory = maxMemory,
                                  .runTimeout = runTimeout,
                                  .closedInWorker = {client.descriptor(), listenFd},
                                  .user = workerUser,
                                  .namespaces = workerNamespaces};
    ServerReply reply = request.storeError.empty()
                            ? runInWorker(request, settings)
                            : unstoredRun(request.storeError, request.wantsVerdicts());
    const Clock::duration runTime = Clock::now() - start;
    ReplyFile file(folderFd, reply.outFile);
    admitReplyFile(reply, file, maxSendBytes);
    long fileBytes = 0;
    const bool sent = sendReply(client, reply, file, fileBytes);
    log(describe(request, reply, fileBytes, runTime));
    return sent;
}

void TestServer::log(const std::string& line) const {
    if (!quietLog) std::printf("%s\n", line.c_str());
}

}  // namespace zorserver
