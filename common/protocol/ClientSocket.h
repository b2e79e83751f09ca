// Opening the connection to a test server.
#pragma once

#include <string>

#include "protocol/WireSocket.h"

namespace remote {

// Results of connecting and disconnecting: openConnection answers the
// connected one and the last three, the viewer's applyRemote any of them.
enum ConnectResult {
    connectedResult = 1,
    disconnectedResult = 0,
    noParent = -1,
    alreadyDisconnected = -2,
    alreadyConnected = -3,
    noSocket = -4,
    noHost = -5,
    noConnection = -6,
};

// Connects a stream socket to the first IPv4 address of the server's name, or
// to an IPv6 address written with colons, bare or in brackets ("[::1]"), at
// the TCP port that the entered port reaches (PortRule.h), with TCP keep-alive
// on, so that a vanished server ends an exchange as broken rather than
// blocking it for ever. On failure the socket is closed again and connection
// stays as it was.
int openConnection(const std::string& serverName, int enteredPort, WireSocket& connection);

// The options both ends of a connection use: each field leaves at once, and
// a peer that has gone is noticed after about two minutes of silence.
void setConnectionOptions(int fd);

}  // namespace remote
