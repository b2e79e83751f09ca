#include "Listener.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "ClientSocket.h"
#include "PortRule.h"

namespace zorserver {

namespace {

bool resolve(const std::string& address, in_addr& resolved, std::string& reason) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int failure = getaddrinfo(address.c_str(), nullptr, &hints, &found);
    if (failure != 0 || !found) {
        reason = "cannot resolve " + address + ": " + gai_strerror(failure);
        return false;
    }
    resolved = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

bool fail(int fd, std::string& reason, const char* what) {
    reason = std::string(what) + ": " + std::strerror(errno);
    close(fd);
    return false;
}

}  // namespace

bool startListening(const std::string& bindAddress, int enteredPort, Listening& listening,
                    std::string& reason) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(remote::tcpPortOf(enteredPort)));
    if (!resolve(bindAddress, address.sin_addr, reason)) return false;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return fail(fd, reason, "cannot create a socket");
    // A restarted server takes its port again at once.
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    socklen_t size = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0)
        return fail(fd, reason, "cannot bind");
    if (listen(fd, 8) != 0) return fail(fd, reason, "cannot listen");
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return fail(fd, reason, "cannot read the port");
    listening.fd = fd;
    listening.tcpPort = ntohs(address.sin_port);
    listening.enteredPort = remote::tcpPortOf(listening.tcpPort);
    return true;
}

remote::WireSocket acceptClient(int listener, std::string& peer) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    int fd;
    while ((fd = accept4(listener, reinterpret_cast<sockaddr*>(&address), &size, SOCK_CLOEXEC)) <
               0 &&
           errno == EINTR) {
    }
    if (fd < 0) return remote::WireSocket();
    // A viewer that has vanished frees the server for the next one.
    remote::setConnectionOptions(fd);
    char text[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    peer = std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
    return remote::WireSocket(fd);
}

}  // namespace zorserver
