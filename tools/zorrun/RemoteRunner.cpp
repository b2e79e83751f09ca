#include "RemoteRunner.h"

#include <chrono>
#include <fstream>
#include <optional>
#include <sstream>

#include "ClientSocket.h"
#include "DisplayList.h"
#include "RemoteExchange.h"
#include "ReportBlocks.h"
#include "ScriptFiles.h"
#include "ZorLib.h"

namespace zor {

namespace {

std::string connectFailure(int result) {
    switch (result) {
        case remote::noSocket:
            return "cannot create a socket";
        case remote::noHost:
            return "cannot resolve the server's name";
        default:
            return "connection refused or failed";
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

}  // namespace

RemoteRunner::RemoteRunner(std::string serverName, int port, Console& out, JUnitReport* report)
    : server(std::move(serverName)), portNumber(port), console(out), junit(report) {}

bool RemoteRunner::connect() {
    if (connection.isOpen()) return true;
    const int result = remote::openConnection(server, portNumber, connection);
    if (result == remote::connectedResult) return true;
    console.error(server + ":" + std::to_string(portNumber) +
                  ": cannot reach the test server: " + connectFailure(result));
    return false;
}

ScriptOutcome RemoteRunner::run(const std::string& script, const std::string& filter) {
    outcome = ScriptOutcome();
    console.beginScript(script);
    if (junit) junit->beginSuite(script);
    if (json) json->beginScript(script);
    const auto start = std::chrono::steady_clock::now();
    if (const std::optional<std::string> bytes = readWhole(script)) {
        if (connect()) {
            exchange(script, *bytes, filter);
        } else {
            outcome.error = true;
        }
    } else {
        fileError(script, "cannot open script: " + unreadableReason(script));
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    if (junit) junit->endSuite(seconds.count());
    if (json) json->endScript(outcome, seconds.count());
    return outcome;
}

// A broken or aborted exchange leaves the stream out of step: the next script
// gets a fresh connection.
void RemoteRunner::exchange(const std::string& script, const std::string& bytes,
                            const std::string& filter) {
    remote::ExchangeRequest request;
    request.traceDepth = ParseOut::getTraceDepth();
    request.traceRoot = ParseOut::getTraceRoot();
    request.inputName = script;
    request.script = bytes;
    request.filter = filter;
    display::DisplayList picture;
    remote::DiskReplyFiles files;
    const remote::ExchangeReply reply = remote::runExchange(connection, request, picture, files);
    const bool broken = !reply.finished || reply.errText == remote::brokenServerText;
    if (broken) {
        connection.close();
        const bool refused = !reply.finished && !reply.errText.empty();
        fileError(script, refused ? withoutLineEnd(reply.errText)
                                  : "the test server broke off the exchange");
    } else if (reply.errLine >= 1) {
        scriptError(script, reply.errLine, reply.errPos, reply.errText);
    }
    if (!reply.outFile.empty()) {
        reportTests(reply.outFile);
    } else if (!broken) {
        fileError(script, "no output file: the test server sent none");
    }
}

void RemoteRunner::reportTests(const std::string& outFile) {
    const std::string text = readWhole(outFile).value_or(std::string());
    for (const ReportBlock& block : reportBlocks(text)) {
        block.passed ? ++outcome.passed : ++outcome.failed;
        console.testLine(block.name, -1, block.passed, outFile);
        if (junit && block.passed) junit->addPassed(block.name, -1);
        if (junit && !block.passed) junit->addFailed(block.name, -1, block.text);
        if (json)
            json->addTest(
                {block.name, -1, 0, block.passed ? "passed" : "failed", -1, outFile, {}, {}});
    }
}

void RemoteRunner::scriptError(const std::string& script, int line, int position,
                               const std::string& text) {
    const std::string message = withoutLineEnd(text);
    const int column = errorColumn(script, line, position);
    const std::string where =
        script + ":" + std::to_string(line) + ":" + std::to_string(column > 0 ? column : position);
    console.error(where + ": " + message);
    outcome.error = true;
    if (junit) junit->addError(message, where + ": " + message);
    if (json) json->addError(where + ": " + message);
}

void RemoteRunner::fileError(const std::string& file, const std::string& message) {
    console.error(file + ": " + message);
    outcome.error = true;
    if (junit) junit->addError(message, file + ": " + message);
    if (json) json->addError(message);
}

}  // namespace zor
