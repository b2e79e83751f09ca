// Tests run from the editor: ZorRun in a child process, its JSON report read
// back, and each failed entry shown on its test's verify: line.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "Diagnostics.h"
#include "Positions.h"
#include "Server.h"

namespace zorlsp {

namespace {

namespace fs = std::filesystem;

// The record whose name stands on the line or, for a line inside a record,
// the record above it.
const OutlineRecord* recordAtLine(const ScriptOutline& outline, int line) {
    const OutlineRecord* found = nullptr;
    for (const OutlineRecord& record : outline.records)
        if (record.kind != OutlineRecord::global && record.line <= line) found = &record;
    return found;
}

void mergeVerdicts(ScriptVerdicts& kept, const ScriptVerdicts& fresh) {
    for (const TestVerdict& test : fresh.tests) {
        const auto same =
            std::find_if(kept.tests.begin(), kept.tests.end(), [&](const TestVerdict& old) {
                return old.name == test.name && old.position == test.position;
            });
        if (same != kept.tests.end())
            *same = test;
        else
            kept.tests.push_back(test);
    }
    kept.errors = fresh.errors;
}

}  // namespace

Json Server::executeCommand(const Json& params) {
    const std::string command = params.at("command").get<std::string>();
    const Json& arguments = params.at("arguments");
    if (command == "zor.runTest")
        startRun(arguments.at(0).get<std::string>(), arguments.at(1).get<int>());
    else if (command == "zor.runScript")
        startRun(arguments.at(0).get<std::string>(), -1);
    else
        send(errorMessage(currentId, invalidParams, "unknown command " + command));
    return Json(Json::value_t::discarded);
}

std::string Server::zorrunPath() const {
    if (!settings.zorrun.empty()) return settings.zorrun;
    std::error_code error;
    const fs::path folder = fs::read_symlink("/proc/self/exe", error).parent_path();
    // In the build tree ZorRun stands in a folder of its own beside ours.
    const fs::path built = folder.parent_path() / "zorrun" / "ZorRun";
    if (fs::exists(built, error)) return built.string();
    return (folder / "ZorRun").string();
}

void Server::startRun(const std::string& uri, int line) {
    const std::string scriptPath = uriPath(uri);
    if (scriptPath.empty()) {
        send(errorMessage(currentId, invalidParams, "not a file: " + uri));
        return;
    }
    std::vector<std::string> arguments;
    for (const std::string& module : settings.clientModules)
        arguments.insert(arguments.end(), {"--load", module});
    char folderTemplate[] = "/tmp/zorlsp-run-XXXXXX";
    if (!mkdtemp(folderTemplate)) {
        send(errorMessage(currentId, internalError, "cannot make a folder for the run's report"));
        return;
    }
    PendingRun run{currentId,      uri,      scriptPath,
                   folderTemplate, line < 0, std::make_unique<ChildRun>()};
    arguments.insert(arguments.end(), {"--json", run.folder + "/report.json"});
    if (line >= 0) {
        const Document* document = documents.find(uri);
        const OutlineRecord* record = document ? recordAtLine(outlineOf(uri), line + 1) : nullptr;
        arguments.insert(
            arguments.end(),
            {"-k", scriptPath + ":" + std::to_string(record ? record->line : line + 1)});
    }
    arguments.push_back(scriptPath);
    std::string problem;
    if (!run.child->start(zorrunPath(), arguments, settings.root, problem)) {
        fs::remove_all(run.folder);
        send(errorMessage(currentId, internalError, problem));
        return;
    }
    runs.push_back(std::move(run));
}

std::vector<int> Server::runFds() const {
    std::vector<int> fds;
    for (const PendingRun& run : runs) fds.push_back(run.child->getFd());
    return fds;
}

void Server::runReady(int fd) {
    const auto found = std::find_if(
        runs.begin(), runs.end(), [fd](const PendingRun& run) { return run.child->getFd() == fd; });
    if (found == runs.end() || !found->child->drain()) return;
    PendingRun run = std::move(*found);
    runs.erase(found);
    finishRun(run);
}

void Server::finishRun(PendingRun& run) {
    ScriptVerdicts fresh;
    const bool read =
        readReportFile(run.folder + "/report.json", run.scriptPath, settings.root, fresh);
    std::error_code error;
    fs::remove_all(run.folder, error);
    if (!read) {
        send(errorMessage(run.id, internalError,
                          "ZorRun left no report (exit status " +
                              std::to_string(run.child->getExitStatus()) +
                              "): " + run.child->getOutput().substr(0, 4096)));
        return;
    }
    if (run.wholeScript) lastRuns[run.uri] = ScriptVerdicts{};
    mergeVerdicts(lastRuns[run.uri], fresh);
    int passed = 0, failed = 0, errored = 0;
    for (const TestVerdict& test : fresh.tests)
        (test.verdict == "passed" ? passed : test.verdict == "failed" ? failed : errored)++;
    if (documents.find(run.uri)) publish(run.uri);
    send(resultMessage(run.id, {{"exitStatus", run.child->getExitStatus()},
                                {"passed", passed},
                                {"failed", failed},
                                {"errored", errored},
                                {"errors", fresh.errors}}));
}

const ScriptVerdicts& Server::verdictsOf(const std::string& uri) {
    const auto run = lastRuns.find(uri);
    if (run != lastRuns.end()) return run->second;
    reportVerdicts = ScriptVerdicts{};
    const std::string report = !settings.jsonReport.empty() ? settings.jsonReport
                               : settings.root.empty()
                                   ? ""
                                   : (fs::path(settings.root) / "zorrun.json").string();
    if (!report.empty()) readReportFile(report, uriPath(uri), settings.root, reportVerdicts);
    return reportVerdicts;
}

void Server::addRunDiagnostics(const std::string& uri, Json& diagnostics) {
    const auto run = lastRuns.find(uri);
    if (run == lastRuns.end()) return;
    const std::string_view text = documents.find(uri)->text;
    const ScriptOutline& current = outlineOf(uri);
    for (const OutlineRecord& record : current.records) {
        if (record.kind == OutlineRecord::global) continue;
        const TestVerdict* verdict = findVerdict(run->second, record.name, record.position);
        if (!verdict || verdict->verdict == "passed") continue;
        const Json range =
            statementRange(text, record.verifyLine > 0 ? record.verifyLine : record.line);
        for (const FailedEntry& entry : verdict->failures)
            diagnostics.push_back(diagnostic(range, error, failureText(entry)));
        if (verdict->failures.empty())
            diagnostics.push_back(diagnostic(
                range, error, verdict->message.empty() ? verdict->verdict : verdict->message));
    }
}

}  // namespace zorlsp
