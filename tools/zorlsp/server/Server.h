// The language server's answers: it takes one message at a time and sends
// its replies and notifications through send. Analysis happens on the
// caller's thread, one document at a time, as the library's outline needs.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "Documents.h"
#include "MessageReader.h"
#include "Rpc.h"
#include "Settings.h"
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
    Json definition(const Json& params);
    Json references(const Json& params);
    Json completion(const Json& params);

    void loadModules();
    void publish(const std::string& uri);
    const ScriptOutline& outlineOf(const std::string& uri);
    const Document& documentOf(const Json& params);

    Send send;
    Documents documents;
    Settings settings;
    // The outline of the document analysed last, for the questions that follow.
    std::string outlinedUri;
    int outlinedVersion = -1;
    ScriptOutline outline;
    bool modulesLoaded = false;
    bool initializeDone = false;
    bool shutdownRequested = false;
    bool exitRequested = false;
};

}  // namespace zorlsp
