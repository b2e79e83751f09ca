#include "Listener.h"

#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "protocol/ClientSocket.h"
#include "protocol/PortRule.h"

namespace zorserver {

namespace {

const addrinfo* preferIpv4(const addrinfo* found) {
    for (const addrinfo* each = found; each; each = each->ai_next)
        if (each->ai_family == AF_INET) return each;
    for (const addrinfo* each = found; each; each = each->ai_next)
        if (each->ai_family == AF_INET6) return each;
    return nullptr;
}

void setPort(sockaddr_storage& address, int tcpPort) {
    const auto port = htons(static_cast<uint16_t>(tcpPort));
    if (address.ss_family == AF_INET)
        reinterpret_cast<sockaddr_in&>(address).sin_port = port;
    else
        reinterpret_cast<sockaddr_in6&>(address).sin6_port = port;
}

int portOf(const sockaddr_storage& address) {
    return ntohs(address.ss_family == AF_INET
                     ? reinterpret_cast<const sockaddr_in&>(address).sin_port
                     : reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
}

bool fail(int fd, std::string& reason, const char* what) {
    reason = std::string(what) + ": " + std::strerror(errno);
    if (fd >= 0) close(fd);
    return false;
}

}  // namespace

bool resolveBindAddress(const std::string& name, BindAddress& bind, std::string& reason) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    const int failure = getaddrinfo(name.c_str(), nullptr, &hints, &found);
    const addrinfo* chosen = failure == 0 ? preferIpv4(found) : nullptr;
    if (!chosen) {
        reason = "cannot resolve " + name + ": " +
                 (failure != 0 ? gai_strerror(failure) : "no IPv4 or IPv6 address");
        if (found) freeaddrinfo(found);
        return false;
    }
    std::memcpy(&bind.address, chosen->ai_addr, chosen->ai_addrlen);
    bind.size = chosen->ai_addrlen;
    freeaddrinfo(found);
    return true;
}

bool startListening(const BindAddress& bind, int enteredPort, Listening& listening,
                    std::string& reason) {
    sockaddr_storage address = bind.address;
    setPort(address, remote::tcpPortOf(enteredPort));
    const int fd = socket(address.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return fail(fd, reason, "cannot create a socket");
    // A restarted server takes its port again at once.
    const int on = 1;
    const int off = 0;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (address.ss_family == AF_INET6) setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
    socklen_t size = bind.size;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0)
        return fail(fd, reason, "cannot bind");
    if (listen(fd, 8) != 0) return fail(fd, reason, "cannot listen");
    size = sizeof address;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return fail(fd, reason, "cannot read the port");
    listening.fd = fd;
    listening.tcpPort = portOf(address);
    listening.enteredPort = remote::tcpPortOf(listening.tcpPort);
    return true;
}

remote::WireSocket acceptClient(int listener, Peer& peer) {
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    int fd;
    while ((fd = accept4(listener, reinterpret_cast<sockaddr*>(&address), &size, SOCK_CLOEXEC)) <
               0 &&
           errno == EINTR) {
    }
    if (fd < 0) return remote::WireSocket();
    // A viewer that has vanished frees the server for the next one.
    remote::setConnectionOptions(fd);
    peer.address = IpAddress{};
    addressOf(address, peer.address);
    peer.name = peerName(address);
    return remote::WireSocket(fd);
}

}  // namespace zorserver
