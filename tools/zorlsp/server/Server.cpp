#include "Server.h"

#include <utility>

#include "Analysis.h"
#include "Diagnostics.h"
#include "VariableIndex.h"
#include "host/ModuleLoader.h"
#include "run/ZorCall.h"

namespace zorlsp {

namespace {

// A question about a document the client never opened.
struct UnknownDocument {};

TextChange textChange(const Json& change) {
    TextChange result{std::nullopt, std::nullopt, change.at("text").get<std::string>()};
    if (change.contains("range")) {
        const Json& range = change["range"];
        result.start = Position{range.at("start").at("line").get<int>(),
                                range.at("start").at("character").get<int>()};
        result.end = Position{range.at("end").at("line").get<int>(),
                              range.at("end").at("character").get<int>()};
    }
    return result;
}

}  // namespace

Server::Server(Send sender) : send(std::move(sender)) {}

void Server::receive(const Frame& frame) {
    if (frame.kind != Frame::message) {
        send(errorMessage(nullptr, frame.kind == Frame::tooLarge ? invalidRequest : parseError,
                          frame.body));
        return;
    }
    Incoming incoming;
    Json error;
    if (!readIncoming(frame.body, incoming, error)) {
        send(error);
        return;
    }
    dispatch(incoming);
}

void Server::dispatch(const Incoming& in) {
    static const std::map<std::string, Request> requests = {
        {"initialize", &Server::initialize},
        {"shutdown", &Server::shutdown},
        {"textDocument/documentSymbol", &Server::documentSymbol},
        {"textDocument/hover", &Server::hover},
        {"textDocument/completion", &Server::completion},
        {"textDocument/definition", &Server::definition},
        {"textDocument/references", &Server::references},
        {"textDocument/codeLens", &Server::codeLens},
        {"workspace/executeCommand", &Server::executeCommand},
    };
    static const std::map<std::string, Notification> notifications = {
        {"initialized", &Server::initialized},
        {"exit", &Server::exit},
        {"textDocument/didOpen", &Server::didOpen},
        {"textDocument/didChange", &Server::didChange},
        {"textDocument/didClose", &Server::didClose},
    };
    if (in.request) {
        const auto request = requests.find(in.method);
        if (request == requests.end())
            send(errorMessage(in.id, methodNotFound, "unknown method " + in.method));
        else
            answer(in, request->second);
        return;
    }
    const auto notification = notifications.find(in.method);
    // Unknown notifications ($/cancelRequest, $/setTrace ...) need no answer.
    if (notification == notifications.end() || (!initializeDone && in.method != "exit")) return;
    try {
        (this->*notification->second)(in.params);
    } catch (const Json::exception&) {
        // A notification gets no answer, not even for parameters it cannot use.
    } catch (const UnknownDocument&) {
    }
}

void Server::answer(const Incoming& in, Request handler) {
    if (!initializeDone && in.method != "initialize") {
        send(errorMessage(in.id, serverNotInitialized, "the server is not initialized"));
        return;
    }
    if (shutdownRequested || (initializeDone && in.method == "initialize")) {
        send(errorMessage(in.id, invalidRequest,
                          shutdownRequested ? "the server is shut down" : "initialize came twice"));
        return;
    }
    try {
        currentId = in.id;
        Json result = (this->*handler)(in.params);
        // A run is answered when it ends.
        if (!result.is_discarded()) send(resultMessage(in.id, std::move(result)));
    } catch (const Json::exception& failed) {
        send(errorMessage(in.id, invalidParams,
                          std::string("invalid parameters: ") + failed.what()));
    } catch (const UnknownDocument&) {
        send(errorMessage(in.id, invalidParams, "the document is not open"));
    }
}

Json Server::initialize(const Json& params) {
    readClientSettings(params, settings);
    initializeDone = true;
    loadModules();
    const Json capabilities = {
        {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
        {"documentSymbolProvider", true},
        {"hoverProvider", true},
        {"completionProvider", Json::object()},
        {"definitionProvider", true},
        {"referencesProvider", true},
        {"codeLensProvider", {{"resolveProvider", false}}},
        {"executeCommandProvider", {{"commands", {"zor.runTest", "zor.runScript"}}}},
    };
    return {{"capabilities", capabilities},
            {"serverInfo", {{"name", "ZorLsp"}, {"version", ZORLSP_VERSION}}}};
}

Json Server::shutdown(const Json&) {
    shutdownRequested = true;
    return nullptr;
}

void Server::exit(const Json&) {
    exitRequested = true;
}

void Server::loadModules() {
    std::string problem;
    if (!readProjectFile(settings.root, settings, problem))
        send(notificationMessage("window/showMessage",
                                 {{"type", 1}, {"message", "project file not used: " + problem}}));
    for (const std::string& module : settings.modules) {
        std::string reason;
        if (host::loadModule(module, reason))
            modulesLoaded = true;
        else
            send(notificationMessage("window/showMessage",
                                     {{"type", 1}, {"message", module + ": " + reason}}));
    }
}

void Server::didOpen(const Json& params) {
    const Json& item = params.at("textDocument");
    const std::string uri = item.at("uri").get<std::string>();
    documents.open(uri, item.at("text").get<std::string>(), item.value("version", 0));
    forgetOutline(uri);
    publish(uri);
}

void Server::didChange(const Json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const int version = params.at("textDocument").value("version", 0);
    for (const Json& change : params.at("contentChanges"))
        if (!documents.change(uri, textChange(change), version)) throw UnknownDocument{};
    // A client may send a change without a new version.
    forgetOutline(uri);
    publish(uri);
}

void Server::didClose(const Json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    documents.close(uri);
    forgetOutline(uri);
    // Its diagnostics go with it.
    send(notificationMessage("textDocument/publishDiagnostics",
                             {{"uri", uri}, {"diagnostics", Json::array()}}));
}

void Server::forgetOutline(const std::string& uri) {
    if (uri != outlinedUri) return;
    outline = ScriptOutline{};
    outlinedUri.clear();
}

const Document& Server::documentOf(const Json& params) {
    const Document* document =
        documents.find(params.at("textDocument").at("uri").get<std::string>());
    if (!document) throw UnknownDocument{};
    return *document;
}

const ScriptOutline& Server::outlineOf(const std::string& uri) {
    const Document* document = documents.find(uri);
    if (!document) throw UnknownDocument{};
    if (uri == outlinedUri && document->version == outlinedVersion) return outline;
    std::string problem;
    outlinedUri.clear();
    outline.takeVariables = true;
    if (!outlineText(document->text, outline, problem)) {
        outline = ScriptOutline{};
        outline.errorText = problem;
        return outline;
    }
    outlinedUri = uri;
    outlinedVersion = document->version;
    return outline;
}

void Server::publish(const std::string& uri) {
    const ScriptOutline& current = outlineOf(uri);
    const std::string_view text = documents.find(uri)->text;
    Json diagnostics = Json::array();
    if (current.errorLine != 0 || !current.errorText.empty())
        diagnostics.push_back(errorDiagnostic(text, current));
    if (modulesLoaded)
        addUnknownFunctions(
            text, current,
            [](const std::string& name) { return ZorCall::getFunc(name.c_str()) != nullptr; },
            diagnostics);
    addUnusedResultFiles(text, current, diagnostics);
    addUndefinedUses(text, current, diagnostics);
    addRunDiagnostics(uri, diagnostics);
    send(notificationMessage("textDocument/publishDiagnostics",
                             {{"uri", uri}, {"diagnostics", std::move(diagnostics)}}));
}

}  // namespace zorlsp
