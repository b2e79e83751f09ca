#include "ScriptedServer.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <stdexcept>

#include "protocol/PortRule.h"
#include "protocol/WireFields.h"

namespace remotetest {

namespace {

constexpr int waitMs = 5000;

int listenOnLoopback(int& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(fd, 4) != 0 || getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("cannot listen on loopback");
    port = ntohs(address.sin_port);
    return fd;
}

int acceptWithin(int listener) {
    pollfd waiting{listener, POLLIN, 0};
    if (poll(&waiting, 1, waitMs) != 1) return -1;
    const int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return -1;
    const timeval limit{waitMs / 1000, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

}  // namespace

ScriptedServer::ScriptedServer() {
    listener = listenOnLoopback(port);
}

ScriptedServer::~ScriptedServer() {
    if (player.joinable()) player.join();
    close(listener);
}

int ScriptedServer::enteredPort() const {
    return remote::tcpPortOf(port);
}

ScriptedServer& ScriptedServer::receive(std::size_t count) {
    steps.push_back({Step::receive, count, {}});
    return *this;
}

ScriptedServer& ScriptedServer::receiveToEnd() {
    steps.push_back({Step::receiveToEnd, 0, {}});
    return *this;
}

ScriptedServer& ScriptedServer::send(std::string bytes) {
    steps.push_back({Step::send, 0, std::move(bytes)});
    return *this;
}

ScriptedServer& ScriptedServer::sendInPieces(std::string bytes) {
    steps.push_back({Step::sendInPieces, 0, std::move(bytes)});
    return *this;
}

ScriptedServer& ScriptedServer::sendEndlessly(std::string bytes) {
    steps.push_back({Step::sendEndlessly, 0, std::move(bytes)});
    return *this;
}

ScriptedServer& ScriptedServer::pause(int milliseconds) {
    steps.push_back({Step::pause, static_cast<std::size_t>(milliseconds), {}});
    return *this;
}

void ScriptedServer::start() {
    player = std::thread([this] { play(); });
}

std::string ScriptedServer::received() {
    if (player.joinable()) player.join();
    return log;
}

std::size_t ScriptedServer::sentCount() {
    if (player.joinable()) player.join();
    return sent;
}

void ScriptedServer::play() {
    const int connection = acceptWithin(listener);
    if (connection < 0) return;
    for (const Step& step : steps) playStep(connection, step);
    close(connection);
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

void ScriptedServer::playStep(int connection, const Step& step) {
    char buffer[4096];
    switch (step.kind) {
        case Step::receive:
            for (std::size_t got = 0; got < step.count;) {
                const ssize_t n =
                    recv(connection, buffer, std::min(sizeof buffer, step.count - got), 0);
                if (n <= 0) return;
                log.append(buffer, static_cast<std::size_t>(n));
                got += static_cast<std::size_t>(n);
            }
            return;
        case Step::receiveToEnd:
            for (ssize_t n; (n = recv(connection, buffer, sizeof buffer, 0)) > 0;)
                log.append(buffer, static_cast<std::size_t>(n));
            return;
        case Step::send:
            sendAll(connection, step.bytes);
            return;
        case Step::sendInPieces:
            for (const char byte : step.bytes) {
                sendAll(connection, std::string(1, byte));
                usleep(50);
            }
            return;
        case Step::sendEndlessly:
            while (sendAll(connection, step.bytes)) {
            }
            return;
        case Step::pause:
            usleep(static_cast<useconds_t>(step.count) * 1000);
            return;
    }
}

std::string word(const char* text) {
    const remote::WireField field = remote::commandWord(text);
    return std::string(field.data(), field.size());
}

std::string number(int value) {
    const remote::WireField field = remote::numberField(value);
    return std::string(field.data(), field.size());
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
