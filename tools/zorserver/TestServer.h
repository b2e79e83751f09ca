// ZorServer's loop: one client at a time, each exchange run through the
// library, pings and stops taken in silence; clients not on the allow-list,
// and clients that keep the server waiting, are closed.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "ReplySending.h"
#include "ScriptStore.h"
#include "ServerOptions.h"
#include "WorkerUser.h"
#include "protocol/WireSocket.h"

namespace zorserver {

class TestServer {
public:
    // folder: a descriptor of the folder in which scripts are stored and run;
    // user and namespaces: what the workers run as and in (Worker.h).
    TestServer(int listener, int folder, const ServerOptions& options, WorkerUser user,
               int namespaces)
        : listenFd(listener),
          quietLog(options.quiet),
          folderFd(folder),
          store(folder, static_cast<std::size_t>(options.maxScripts)),
          maxMemory(options.maxMemory),
          runTimeout(options.runTimeout),
          maxSendBytes(options.maxSendBytes),
          allowed(options.allowed),
          idleTimeout(options.idleTimeout),
          workerUser(std::move(user)),
          workerNamespaces(namespaces) {}

    // Serves clients until the process ends.
    [[noreturn]] void serveForever();

private:
    // Why the server closed the connection; empty when the client left.
    std::string serveClient(remote::WireSocket& client);
    bool serveExchange(remote::WireSocket& client);
    void log(const std::string& line) const;

    int listenFd;
    bool quietLog;
    int folderFd;
    ScriptStore store;
    unsigned long long maxMemory;
    int runTimeout;
    long maxSendBytes;
    std::vector<AddressRange> allowed;
    int idleTimeout;
    WorkerUser workerUser;
    int workerNamespaces;
};

}  // namespace zorserver
