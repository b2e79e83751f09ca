// The server's listening socket, on the TCP port that the viewer's port rule
// reaches (protocol/PortRule.h), for IPv4 or IPv6.
#pragma once

#include <sys/socket.h>

#include <string>

#include "AllowList.h"
#include "protocol/WireSocket.h"

namespace zorserver {

struct BindAddress {
    sockaddr_storage address{};
    socklen_t size = 0;
};

// A name with both kinds of address listens on IPv4, as it always has.
bool resolveBindAddress(const std::string& name, BindAddress& bind, std::string& reason);

struct Listening {
    int fd = -1;
    int tcpPort = 0;
    // The port a viewer enters to reach tcpPort.
    int enteredPort = 0;
};

// Listens on the address for the entered port (0: a port the system picks);
// false with a reason when it cannot. "::" takes IPv4 clients too.
bool startListening(const BindAddress& bind, int enteredPort, Listening& listening,
                    std::string& reason);

struct Peer {
    IpAddress address{};
    // "127.0.0.1:4242", for the log.
    std::string name;
};

// Waits for the next client; an invalid socket when accepting failed.
remote::WireSocket acceptClient(int listener, Peer& peer);

}  // namespace zorserver
