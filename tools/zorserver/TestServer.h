// ZorServer's loop: one client at a time, each exchange run through the
// library, pings and stops taken in silence; clients not on the allow-list,
// and clients that keep the server waiting, are closed.
#pragma once

#include <cstdio>
#include <string>

#include "ServerOptions.h"
#include "WireSocket.h"

namespace zorserver {

class TestServer {
public:
    TestServer(int listener, const ServerOptions& serverOptions)
        : listenFd(listener), options(serverOptions) {}

    // Serves clients until the process ends.
    [[noreturn]] void serveForever();

private:
    // Why the server closed the connection; empty when the client left.
    std::string serveClient(remote::WireSocket& client);
    bool serveExchange(remote::WireSocket& client);
    void log(const std::string& line) const;

    int listenFd;
    ServerOptions options;
};

}  // namespace zorserver
