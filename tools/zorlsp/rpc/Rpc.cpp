#include "Rpc.h"

namespace zorlsp {

Json resultMessage(const Json& id, Json result) {
    return {{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}};
}

Json errorMessage(const Json& id, int code, const std::string& message) {
    return {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

Json notificationMessage(const std::string& method, Json params) {
    return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

std::string serialize(const Json& message) {
    return message.dump(-1, ' ', false, Json::error_handler_t::replace);
}

bool readIncoming(const std::string& body, Incoming& incoming, Json& error) {
    Json message = Json::parse(body, nullptr, false);
    if (message.is_discarded()) {
        error = errorMessage(nullptr, parseError, "the message is not valid JSON");
        return false;
    }
    const bool hasId = message.is_object() && message.contains("id");
    // Only a string or a number identifies a request; anything else is not echoed back.
    const Json id = hasId && (message["id"].is_string() || message["id"].is_number_integer())
                        ? message["id"]
                        : Json(nullptr);
    if (!message.is_object() || message.value("jsonrpc", Json()) != "2.0" ||
        !message.contains("method") || !message["method"].is_string() || (hasId && id.is_null())) {
        error = errorMessage(id, invalidRequest, "the message is not a JSON-RPC 2.0 request");
        return false;
    }
    incoming.id = id;
    incoming.request = hasId;
    incoming.method = message["method"].get<std::string>();
    incoming.params = message.contains("params") ? std::move(message["params"]) : Json::object();
    return true;
}

}  // namespace zorlsp
