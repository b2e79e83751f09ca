// ZorServer's loop: one client at a time, each exchange run through the
// library, pings and stops taken in silence.
#pragma once

#include <cstdio>
#include <string>

#include "WireSocket.h"

namespace zorserver {

class TestServer {
public:
    TestServer(int listener, bool quiet) : listenFd(listener), quietLog(quiet) {}

    // Serves clients until the process ends.
    [[noreturn]] void serveForever();

private:
    void serveClient(remote::WireSocket& client);
    bool serveExchange(remote::WireSocket& client);
    void log(const std::string& line) const;

    int listenFd;
    bool quietLog;
};

}  // namespace zorserver
