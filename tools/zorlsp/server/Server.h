// The language server's answers: it takes one message at a time and sends
// its replies and notifications through send. Analysis happens on the
// caller's thread, one document at a time, as the library's outline needs.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ChildRun.h"
#include "Documents.h"
#include "MessageReader.h"
#include "Rpc.h"
#include "Settings.h"
#include "Verdicts.h"
#include "script/ScriptOutline.h"

namespace zorlsp {

class Server {
public:
    using Send = std::function<void(const Json&)>;

    explicit Server(Send send);

    void receive(const Frame& frame);
    bool exited() const { return exitRequested; }
    // After exit: 0 when shutdown came first.
    int exitStatus() const { return shutdownRequested ? 0 : 1; }
    // The pipes of the runs under way, to poll beside the input, and the
    // answer to one that has something to read.
    std::vector<int> runFds() const;
    void runReady(int fd);

private:
    using Request = Json (Server::*)(const Json& params);
    using Notification = void (Server::*)(const Json& params);

    void dispatch(const Incoming& incoming);
    void answer(const Incoming& incoming, Request handler);

    Json initialize(const Json& params);
    Json shutdown(const Json& params);
    void initialized(const Json&) {}
    void exit(const Json& params);
    void didOpen(const Json& params);
    void didChange(const Json& params);
    void didClose(const Json& params);

    Json documentSymbol(const Json& params);
    Json hover(const Json& params);
    Json completion(const Json& params);
    Json definition(const Json& params);
    Json references(const Json& params);
    Json variableLocations(const Json& params, bool everyUse);
    Json codeLens(const Json& params);
    Json executeCommand(const Json& params);

    struct PendingRun {
        Json id;
        std::string uri;
        std::string scriptPath;
        std::string folder;  // the run's private folder, holding its JSON report
        bool wholeScript = false;
        std::unique_ptr<ChildRun> child;
    };
    void startRun(const std::string& uri, int line);
    void finishRun(PendingRun& run);
    std::string zorrunPath() const;
    const ScriptVerdicts& verdictsOf(const std::string& uri);
    void addRunDiagnostics(const std::string& uri, Json& diagnostics);

    void loadModules();
    void publish(const std::string& uri);
    void forgetOutline(const std::string& uri);
    const ScriptOutline& outlineOf(const std::string& uri);
    const Document& documentOf(const Json& params);

    Send send;
    Documents documents;
    Settings settings;
    // The outline of the document analysed last, for the questions that follow.
    std::string outlinedUri;
    int outlinedVersion = -1;
    ScriptOutline outline;
    // The verdicts of the runs started here, by document.
    std::map<std::string, ScriptVerdicts> lastRuns;
    ScriptVerdicts reportVerdicts;
    std::vector<PendingRun> runs;
    Json currentId;
    bool modulesLoaded = false;
    bool initializeDone = false;
    bool shutdownRequested = false;
    bool exitRequested = false;
};

}  // namespace zorlsp
