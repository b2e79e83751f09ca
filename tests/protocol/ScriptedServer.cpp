#include "ScriptedServer.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <stdexcept>

#include "protocol/WireFields.h"

namespace remotetest {

constexpr int waitMs = 5000;

ScriptedServer::ScriptedServer() : listener(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(listener, 4) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("cannot listen on loopback");
    port = ntohs(address.sin_port);
}

ScriptedServer::~ScriptedServer() {
    if (player.joinable()) player.join();
    close(listener);
}

ScriptedServer& ScriptedServer::then(std::function<void(int)> step) {
    steps.push_back(std::move(step));
    return *this;
}

ScriptedServer& ScriptedServer::receive(std::size_t count) {
    return then([this, count](int connection) {
        char buffer[4096];
        for (std::size_t got = 0; got < count;) {
            const ssize_t n = recv(connection, buffer, std::min(sizeof buffer, count - got), 0);
            if (n <= 0) return;
            log.append(buffer, static_cast<std::size_t>(n));
            got += static_cast<std::size_t>(n);
        }
    });
}

ScriptedServer& ScriptedServer::send(std::string bytes) {
    return then([this, bytes](int connection) { sendAll(connection, bytes); });
}

ScriptedServer& ScriptedServer::sendEndlessly(std::string bytes) {
    return then([this, bytes](int connection) {
        while (sendAll(connection, bytes)) {
        }
    });
}

ScriptedServer& ScriptedServer::pause(int milliseconds) {
    return then([milliseconds](int) { usleep(static_cast<useconds_t>(milliseconds) * 1000); });
}

void ScriptedServer::start() {
    player = std::thread([this] {
        pollfd waiting{listener, POLLIN, 0};
        const int connection =
            poll(&waiting, 1, waitMs) == 1 ? accept4(listener, nullptr, nullptr, SOCK_CLOEXEC) : -1;
        if (connection < 0) return;
        const timeval limit{waitMs / 1000, 0};
        setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        setsockopt(connection, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        const int on = 1;
        setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        for (const auto& step : steps) step(connection);
        close(connection);
    });
}

std::string ScriptedServer::received() {
    if (player.joinable()) player.join();
    return log;
}

bool ScriptedServer::sendAll(int connection, const std::string& bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const ssize_t n = ::send(connection, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
        if (n <= 0) return false;
        at += static_cast<std::size_t>(n);
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::string word(const char* text) {
    return std::string(remote::commandWord(text).data(), remote::fieldSize);
}

std::string number(int value) {
    return std::string(remote::numberField(value).data(), remote::fieldSize);
}

std::string string(const std::string& text) {
    return number(static_cast<int>(text.size()) + 1) + text + '\0';
}

std::string counted(const std::string& bytes) {
    return number(static_cast<int>(bytes.size())) + bytes;
}

std::string request(int depth, const std::string& root, const std::string& input,
                    const std::string* script, const std::string& filter) {
    return word("TSTEXEC") + number(0) + number(depth) + string(root) + string(input) +
           (script ? counted(*script) : number(0)) + string(filter);
}

}  // namespace remotetest
