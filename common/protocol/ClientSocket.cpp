#include "protocol/ClientSocket.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#include "protocol/PortRule.h"

namespace remote {

namespace {

// A dead peer is noticed after about two minutes of silence: 60 s idle, then
// six probes 10 s apart. A receive time-out would also cut long tests short.
constexpr int keepIdleSeconds = 60;
constexpr int keepIntervalSeconds = 10;
constexpr int keepProbes = 6;

// A name in brackets, or one holding a colon, is an IPv6 address ("[::1]");
// every other name is resolved for IPv4, as test servers have always been.
std::string hostOf(const std::string& serverName) {
    if (serverName.size() >= 2 && serverName.front() == '[' && serverName.back() == ']')
        return serverName.substr(1, serverName.size() - 2);
    return serverName;
}

int familyOf(const std::string& host) {
    return host.find(':') == std::string::npos ? AF_INET : AF_INET6;
}

bool resolve(const std::string& host, int family, sockaddr_storage& address) {
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = SOCK_STREAM;
    if (family == AF_INET6) hints.ai_flags = AI_NUMERICHOST;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
    std::memcpy(&address, found->ai_addr, std::min<std::size_t>(found->ai_addrlen, sizeof address));
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

bool connectTo(int fd, sockaddr_storage target, int enteredPort) {
    const uint16_t port = htons(static_cast<uint16_t>(tcpPortOf(enteredPort)));
    socklen_t size = sizeof(sockaddr_in);
    if (target.ss_family == AF_INET6) {
        reinterpret_cast<sockaddr_in6*>(&target)->sin6_port = port;
        size = sizeof(sockaddr_in6);
    } else {
        reinterpret_cast<sockaddr_in*>(&target)->sin_port = port;
    }
    if (connect(fd, reinterpret_cast<const sockaddr*>(&target), size) == 0) return true;
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
    const std::string host = hostOf(serverName);
    WireSocket opened(socket(familyOf(host), SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!opened.isOpen()) return noSocket;
    sockaddr_storage address{};
    if (!resolve(host, familyOf(host), address)) return noHost;
    if (!connectTo(opened.descriptor(), address, enteredPort)) return noConnection;
    setConnectionOptions(opened.descriptor());
    connection = std::move(opened);
    return connectedResult;
}

}  // namespace remote
