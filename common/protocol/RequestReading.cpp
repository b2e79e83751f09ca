#include "protocol/RequestReading.h"

#include <algorithm>

namespace remote {

namespace {

// Strings longer than any the library takes are received and cut here.
constexpr int stringLimit = 4096;

bool readString(WireSocket& client, std::string& text) {
    int length = 0;
    if (!client.receiveNumber(length)) return false;
    text.clear();
    if (length <= 0) return true;
    const int kept = std::min(length, stringLimit);
    std::string bytes(static_cast<std::size_t>(kept), '\0');
    if (!client.receive(bytes.data(), bytes.size()) || !client.skip(length - kept)) return false;
    text.assign(bytes.c_str());
    return true;
}

}  // namespace

bool readRequest(WireSocket& client, ScriptReceiver& receiver, ServerRequest& request,
                 std::string& reason) {
    int scriptLength = 0;
    if (!client.receiveNumber(request.reserved) || !client.receiveNumber(request.traceDepth) ||
        !readString(client, request.traceRoot) || !readString(client, request.inputName) ||
        !client.receiveNumber(scriptLength)) {
        reason = "the request ended early";
        return false;
    }
    request.scriptFile = localInputName(request.inputName);
    request.scriptSent = scriptLength > 0;
    if ((request.scriptSent &&
         !receiver.receive(client, scriptLength, request.scriptFile, request.storeError)) ||
        !readString(client, request.filter)) {
        reason = "the request ended early";
        return false;
    }
    return true;
}

std::string localInputName(const std::string& sentName) {
    const std::size_t slash = sentName.find_last_of("/\\");
    const std::string last = slash == std::string::npos ? sentName : sentName.substr(slash + 1);
    if (last.empty() || last == "." || last == "..") return "in.txt";
    return last;
}

}  // namespace remote
