// ZorServer's loop: one client at a time, each exchange run through the
// library, pings and stops taken in silence; clients not on the allow-list,
// and clients that keep the server waiting, are closed.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "ServerOptions.h"
#include "WireSocket.h"

namespace zorserver {

class TestServer {
public:
    TestServer(int listener, const ServerOptions& options)
        : listenFd(listener),
          quietLog(options.quiet),
          allowed(options.allowed),
          idleTimeout(options.idleTimeout) {}

    // Serves clients until the process ends.
    [[noreturn]] void serveForever();

private:
    // Why the server closed the connection; empty when the client left.
    std::string serveClient(remote::WireSocket& client);
    bool serveExchange(remote::WireSocket& client);
    void log(const std::string& line) const;

    int listenFd;
    bool quietLog;
    std::vector<AddressRange> allowed;
    int idleTimeout;
};

}  // namespace zorserver
