// The server's listening socket, on the TCP port that the viewer's port rule
// reaches (viewer/remote/PortRule.h).
#pragma once

#include <string>

#include "WireSocket.h"

namespace zorserver {

struct Listening {
    int fd = -1;
    int tcpPort = 0;
    // The port a viewer enters to reach tcpPort.
    int enteredPort = 0;
};

// Listens on the address for the entered port (0: a port the system picks);
// false with a reason when it cannot.
bool startListening(const std::string& bindAddress, int enteredPort, Listening& listening,
                    std::string& reason);

// Waits for the next client; an invalid socket when accepting failed.
remote::WireSocket acceptClient(int listener, std::string& peer);

}  // namespace zorserver
