#include "RemoteRunner.h"

#include <sys/socket.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

#include "CheckedScript.h"
#include "RemoteRunnerFile.h"
#include "RemoteRunnerScript.h"
#include "RemoteRunnerVerdicts.h"
#include "ScriptFiles.h"
#include "ZorLib.h"
#include "display/DisplayList.h"
#include "protocol/ClientSocket.h"
#include "protocol/PortRule.h"
#include "protocol/RemoteExchange.h"

namespace zorrun {

namespace {

// The port a user enters is not the TCP port reached (PortRule.h), which a
// refused connection therefore names.
std::string connectFailure(int result, int port) {
    switch (result) {
        case remote::noSocket:
            return "cannot create a socket";
        case remote::noHost:
            return "cannot resolve the server's name";
        default:
            return "connection refused or failed (TCP port " +
                   std::to_string(remote::tcpPortOf(port)) + ")";
    }
}

// The file's bytes as they are: a script goes out exactly as it is stored.
std::optional<std::string> readWhole(const std::string& path) {
    const CheckedScript checked(path);
    if (!checked.getProblem().empty()) return std::nullopt;
    std::ifstream in(checked.getPath(), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return bytes.str();
}

// Ends an exchange that outlasts its time: the connection is shut down, so
// that every wait of the exchange returns at once and it is aborted.
class ExchangeDeadline {
public:
    ExchangeDeadline(int descriptor, int seconds) {
        if (seconds > 0) watch = std::thread([=, this] { shutDownAfter(descriptor, seconds); });
    }
    ~ExchangeDeadline() {
        {
            const std::lock_guard lock(mutex);
            over = true;
        }
        ended.notify_one();
        if (watch.joinable()) watch.join();
    }
    ExchangeDeadline(const ExchangeDeadline&) = delete;
    ExchangeDeadline& operator=(const ExchangeDeadline&) = delete;

    bool hasPassed() {
        const std::lock_guard lock(mutex);
        return passed;
    }

private:
    void shutDownAfter(int descriptor, int seconds) {
        std::unique_lock lock(mutex);
        if (ended.wait_for(lock, std::chrono::seconds(seconds), [this] { return over; })) return;
        passed = true;
        shutdown(descriptor, SHUT_RDWR);
    }

    std::mutex mutex;
    std::condition_variable ended;
    bool over = false;
    bool passed = false;
    std::thread watch;
};

}  // namespace

RemoteRunner::RemoteRunner(std::string serverName, int port, ScriptEvents& scriptEvents)
    : server(std::move(serverName)), portNumber(port), events(scriptEvents) {}

bool RemoteRunner::connect() {
    if (connection.isOpen()) return true;
    const int result = remote::openConnection(server, portNumber, connection);
    if (result == remote::connectedResult) return true;
    events.scriptError(server + ":" + std::to_string(portNumber) +
                       ": cannot reach the test server: " + connectFailure(result, portNumber));
    return false;
}

void RemoteRunner::run(const std::string& script, const std::string& filter) {
    if (const std::optional<std::string> bytes = readWhole(script)) {
        if (connect()) exchange(script, *bytes, filter);
    } else {
        events.scriptError("cannot open script: " + unreadableReason(script));
    }
}

// A broken or aborted exchange leaves the stream out of step: the next script
// gets a fresh connection.
void RemoteRunner::exchange(const std::string& script, const std::string& bytes,
                            const std::string& filter) {
    const RemoteScript read = readRemoteScript(script, filter);
    remote::ExchangeRequest request;
    request.traceDepth = ParseOut::getTraceDepth();
    request.traceRoot = ParseOut::getTraceRoot();
    request.inputName = script;
    request.script = bytes;
    request.filter = filter;
    request.replyNames = remote::ReplyNameRule(read.outline.files, outputFolder);
    request.wantVerdicts = true;
    request.slowReplyNotice = [this] {
        if (notice)
            notice("waiting for the test server at " + server + ":" + std::to_string(portNumber) +
                   " (it serves one client at a time)");
    };
    display::DisplayList picture;
    remote::DiskReplyFiles files;
    ExchangeDeadline deadline(connection.descriptor(), timeoutSeconds);
    const remote::ExchangeReply reply = remote::runExchange(connection, request, picture, files);
    const bool broken = !reply.finished || reply.errText == remote::brokenServerText;
    // A reply complete before the connection was shut down still counts.
    if (deadline.hasPassed()) connection.close();
    if (deadline.hasPassed() && broken) {
        events.scriptError("timed out after " + std::to_string(timeoutSeconds) +
                           " s waiting for the test server");
        return tellNotRun(read, 0, "after the time-out", events);
    }
    if (broken) return brokenOff(reply);
    if (const std::string refused = remote::refusedNameNotice(reply); !refused.empty())
        events.scriptError(refused);
    if (reply.verdictsSent)
        tellVerdicts(reply, read, events);
    else
        judgeOutputFile(reply, read, events);
    if (!filter.empty() && events.getVerdicts() == 0 && !events.hasError())
        events.scriptError("the filter '" + filter + "' selects no test");
}

// Nothing of a broken exchange is a verdict, not even what arrived of it.
void RemoteRunner::brokenOff(const remote::ExchangeReply& reply) {
    connection.close();
    const bool refused =
        !reply.finished && !reply.errText.empty() && reply.errText != remote::brokenServerText;
    events.scriptError(refused ? withoutLineEnd(reply.errText)
                               : "the test server broke off the exchange");
}

}  // namespace zorrun
