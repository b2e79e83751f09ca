#include "RemoteRunner.h"

#include <fcntl.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

#include "ReportBlocks.h"
#include "ScriptFiles.h"
#include "ZorLib.h"
#include "display/DisplayList.h"
#include "host/RunCallback.h"
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
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return bytes.str();
}

std::string withoutLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

// A test server's functions may hand on globals that later records use, which
// a read here cannot know: it stands them in with the value 0, one more each
// time the read stops at an undefined one.
constexpr int maxStandIns = 100;

// The state of a counting read; the library takes plain functions only.
struct CountingRead {
    std::string script;
    std::map<std::string, int> reports;  // per output file, since its last deletion
    std::set<std::string> standIns;
};
CountingRead counting;

std::string fileKey(const char* name) {
    return std::filesystem::path(name).lexically_normal().string();
}

// Only the script may be read; every append and deletion is refused, so the
// read leaves no trace on disk. A deletion still empties the count of its
// file, since the server's run does delete it.
int countingGuard(const char* name, int access) {
    if (access == AdaptIO::accessRead && counting.script == name)
        return open(name, O_RDONLY | O_CLOEXEC);
    if (access == AdaptIO::accessDelete) counting.reports.erase(fileKey(name));
    return -1;
}

void countReport() {
    const char* outFile = Parse::getLastOutFile();
    if (outFile[0] != '\0') ++counting.reports[fileKey(outFile)];
}

// A test appends one report, with or without expected entries, when its
// callback answers 0 or more, as ZorServer's always does (its unknown tests
// answer 0); a server that skips comparisons appends fewer, which then count
// as lacking. The echo test runs here too, and the stand-ins are handed on as
// results, since globals decide how later records parse. Answering -1 skips
// the comparison, so no report is written here.
int countingCallback() {
    if (std::strcmp(Parse::getInStore()->getName(), "zortst") == 0) echoTest();
    for (const std::string& name : counting.standIns)
        Parse::getOutStore()[("(" + name + ")").c_str()] = 0;
    countReport();
    return -1;
}

// A global-variable record that the filter selects is compared without a
// callback: the observer hears of it.
void countVerdict(const char*, int, int, int) {
    countReport();
}

class CountingScope {
public:
    explicit CountingScope(const std::string& script) {
        counting.script = script;
        counting.reports.clear();
        AdaptIO::setFileGuard(countingGuard);
        Parse::setVerifyObserver(countVerdict);
    }
    ~CountingScope() {
        Parse::setVerifyObserver(nullptr);
        AdaptIO::setFileGuard(nullptr);
    }
    CountingScope(const CountingScope&) = delete;
    CountingScope& operator=(const CountingScope&) = delete;
};

// What the library makes of a script when it reads it here without running
// it: how many reports a run appends to its last output file, and the error
// line that stops it (0: none).
struct LocalRead {
    bool known = false;  // false when the library could not read the script
    int reports = 0;
    int errLine = 0;
    std::string errText;
};

LocalRead readOnce(const std::string& script, const std::string& filter) {
    LocalRead read;
    int code;
    {
        CountingScope scope(script);
        code = Parse::parseLoop(script.c_str(), filter.c_str(), countingCallback);
    }
    if (code == -1 || code == -2) return read;
    read.errLine = Parse::getErrLine();
    read.errText = withoutLineEnd(Parse::getErrString());
    const auto found = counting.reports.find(fileKey(Parse::getLastOutFile()));
    read.reports = found == counting.reports.end() ? 0 : found->second;
    read.known = true;
    return read;
}

// The global that an "undefined (NAME) in line N" error names, or "".
std::string undefinedGlobal(const std::string& errText) {
    const std::string head = "undefined (";
    const std::size_t end = errText.rfind(") in line ");
    if (errText.rfind(head, 0) != 0 || end == std::string::npos || end < head.size()) return "";
    return errText.substr(head.size(), end - head.size());
}

// The reports a run of the script appends to its last output file, read
// through the library with the same filter as the server reads it, but
// without running a test or touching a file. The server's file keeps the
// reports of earlier runs unless the script deletes it, so only that many at
// its end are this run's. The count holds only where the read stops where the
// server's run stopped: the caller compares the error lines.
LocalRead readLocally(const std::string& script, const std::string& filter) {
    counting.standIns.clear();
    LocalRead read = readOnce(script, filter);
    for (int round = 0; read.known && round < maxStandIns; ++round) {
        const std::string missing = undefinedGlobal(read.errText);
        if (missing.empty() || !counting.standIns.insert(missing).second) break;
        read = readOnce(script, filter);
    }
    return read;
}

std::string stopLine(int line) {
    return line > 0 ? "in line " + std::to_string(line) : "at its end";
}

std::string unknownReports(const LocalRead& local, int serverLine) {
    const std::string reason = local.known ? "the run stopped " + stopLine(serverLine) +
                                                 " on the test server but " +
                                                 stopLine(local.errLine) + " when read here"
                                           : "the script cannot be read here";
    return "cannot tell this run's reports from earlier ones: " + reason;
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
    const LocalRead local = readLocally(script, filter);
    remote::ExchangeRequest request;
    request.traceDepth = ParseOut::getTraceDepth();
    request.traceRoot = ParseOut::getTraceRoot();
    request.inputName = script;
    request.script = bytes;
    request.filter = filter;
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
        return events.scriptError("timed out after " + std::to_string(timeoutSeconds) +
                                  " s waiting for the test server");
    }
    if (broken) {
        connection.close();
        const bool refused =
            !reply.finished && !reply.errText.empty() && reply.errText != remote::brokenServerText;
        events.scriptError(refused ? withoutLineEnd(reply.errText)
                                   : "the test server broke off the exchange");
    } else if (reply.errLine >= 1) {
        scriptError(script, reply.errLine, reply.errPos, reply.errText);
    }
    if (!reply.outsideName.empty()) events.scriptError(remote::outsideNameText + reply.outsideName);
    if (!local.known || local.errLine != std::max(reply.errLine, 0)) {
        if (!broken) events.scriptError(unknownReports(local, reply.errLine));
    } else if (local.reports > 0) {
        reportTests(reply, local.reports);
    } else if (reply.outFile.empty() && reply.outsideName.empty() && !broken) {
        events.scriptError("no output file: the test server sent none");
    }
}

// Without a file from this exchange, the file here holds none of this run's
// reports, whatever it held before. A remote verdict knows no position, line
// or time: the server sends the file, not when each test ended.
void RemoteRunner::reportTests(const remote::ExchangeReply& reply, int reached) {
    const std::string text =
        reply.outFileReceived ? readWhole(reply.outFile).value_or(std::string()) : std::string();
    const std::vector<ReportBlock> blocks = reportBlocks(text);
    const std::size_t count = static_cast<std::size_t>(reached);
    if (blocks.size() < count)
        events.scriptError("the test server's output file lacks " +
                           std::to_string(count - blocks.size()) + " reports");
    for (std::size_t i = blocks.size() - std::min(count, blocks.size()); i < blocks.size(); ++i) {
        Verdict verdict;
        verdict.name = blocks[i].name;
        verdict.passed = blocks[i].passed;
        verdict.report = blocks[i].text;
        verdict.outFile = reply.outFile;
        events.verdict(verdict);
    }
}

void RemoteRunner::scriptError(const std::string& script, int line, int position,
                               const std::string& text) {
    const int column = errorColumn(script, line, position);
    events.scriptError(withoutLineEnd(text), line, column > 0 ? column : position);
}

}  // namespace zorrun
