#include "RemoteStatus.h"

#include <charconv>

#include "RemoteSession.h"
#include "protocol/ClientSocket.h"

namespace remote {

std::string stateWord(int state) {
    return state == connectedState ? "connected" : "disconnected";
}

std::string statusWord(int result) {
    switch (result) {
        case connectedResult:
            return "connected";
        case disconnectedResult:
            return "disconnected";
        case noParent:
            return "invalid arg";
        case alreadyDisconnected:
        case alreadyConnected:
            return "ignored";
        case noSocket:
            return "no create";
        case noHost:
            return "no host";
        case noConnection:
            return "no connect";
        default:
            return std::string();
    }
}

bool boxAfterApply(int result, bool ticked) {
    switch (result) {
        case alreadyConnected:
            return true;
        case alreadyDisconnected:
        case noSocket:
        case noHost:
        case noConnection:
            return false;
        default:
            return ticked;
    }
}

int portFieldValue(std::string_view text) {
    std::size_t at = text.find_first_not_of(" \t\n\v\f\r");
    if (at == std::string_view::npos) return 0;
    if (text[at] == '+' && at + 1 < text.size() && text[at + 1] != '-') ++at;
    int value = 0;
    const auto [stop, failure] =
        std::from_chars(text.data() + at, text.data() + text.size(), value);
    return failure == std::errc() ? value : 0;
}

}  // namespace remote
