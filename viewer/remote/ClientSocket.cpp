#include "ClientSocket.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <cerrno>
#include <cstdint>
#include <utility>

#include "PortRule.h"

namespace remote {

namespace {

// A dead peer is noticed after about two minutes of silence: 60 s idle, then
// six probes 10 s apart. A receive time-out would also cut long tests short.
constexpr int keepIdleSeconds = 60;
constexpr int keepIntervalSeconds = 10;
constexpr int keepProbes = 6;

bool resolve(const std::string& serverName, in_addr& address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(serverName.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

// An interrupted connect goes on by itself: wait for it and take its outcome.
bool finishInterruptedConnect(int fd) {
    pollfd waiting{fd, POLLOUT, 0};
    int ready;
    while ((ready = poll(&waiting, 1, -1)) < 0 && errno == EINTR) {
    }
    int error = 0;
    socklen_t size = sizeof error;
    return ready == 1 && getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

bool connectTo(int fd, in_addr address, int enteredPort) {
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr = address;
    target.sin_port = htons(static_cast<uint16_t>(tcpPortOf(enteredPort)));
    if (connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) return true;
    return errno == EINTR && finishInterruptedConnect(fd);
}

}  // namespace

// Fields go out one by one: each should leave at once rather than wait for
// the acknowledgement of the one before.
void setConnectionOptions(int fd) {
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &keepIdleSeconds, sizeof keepIdleSeconds);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &keepIntervalSeconds, sizeof keepIntervalSeconds);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &keepProbes, sizeof keepProbes);
}

int openConnection(const std::string& serverName, int enteredPort, WireSocket& connection) {
    WireSocket opened(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!opened.isOpen()) return noSocket;
    in_addr address{};
    if (!resolve(serverName, address)) return noHost;
    if (!connectTo(opened.descriptor(), address, enteredPort)) return noConnection;
    setConnectionOptions(opened.descriptor());
    connection = std::move(opened);
    return connectedResult;
}

}  // namespace remote
