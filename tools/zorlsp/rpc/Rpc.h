// JSON-RPC 2.0 messages as the client and the server exchange them.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace zorlsp {

using Json = nlohmann::json;

enum ErrorCode {
    parseError = -32700,
    invalidRequest = -32600,
    methodNotFound = -32601,
    invalidParams = -32602,
    internalError = -32603,
    serverNotInitialized = -32002,
};

Json resultMessage(const Json& id, Json result);
Json errorMessage(const Json& id, int code, const std::string& message);
Json notificationMessage(const std::string& method, Json params);
// Texts from scripts may hold bytes that are not UTF-8: they go out replaced,
// where a strict dump would throw.
std::string serialize(const Json& message);

// A request's or notification's parts, checked: false with the error to
// answer when the message is not one.
struct Incoming {
    Json id;  // null for a notification
    bool request = false;
    std::string method;
    Json params;
};
bool readIncoming(const std::string& body, Incoming& incoming, Json& error);

}  // namespace zorlsp
