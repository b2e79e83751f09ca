// ZorServer: a test server for ZorViewer and ZorRun --remote. It runs the
// scripts they send through ZorLib in its working directory, with the echo
// test, the simulated device's functions and any loaded modules, and sends
// back the output file, the device's picture and the error state.
#include <fcntl.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "FolderAccess.h"
#include "Listener.h"
#include "ServerOptions.h"
#include "TestServer.h"
#include "WorkerBox.h"
#include "WorkerUser.h"
#include "host/ExitStatus.h"
#include "host/ModuleLoader.h"

namespace {

using namespace zorserver;

bool loadModules(const ServerOptions& options) {
    for (const std::string& module : options.modules) {
        std::string reason;
        if (host::loadModule(module, reason)) continue;
        std::fprintf(stderr, "ZorServer: %s: cannot load module: %s\n", module.c_str(),
                     reason.c_str());
        return false;
    }
    return true;
}

// The working folder, in which clients' names are resolved; -1 where the
// system cannot keep them inside it.
int openServerFolder() {
    const int folderFd = open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0 && canOpenBeneath(folderFd)) return folderFd;
    std::fprintf(stderr,
                 "ZorServer: this system cannot open files beneath a folder (openat2), "
                 "which keeps clients inside the server's folder\n");
    return -1;
}

// Listening beyond loopback lets other machines run code here with the
// server's rights: that takes an explicit list of who may.
bool mayListenOn(const BindAddress& bind, const ServerOptions& options) {
    IpAddress bound{};
    if (!options.allowed.empty() || (addressOf(bind.address, bound) && isLoopback(bound)))
        return true;
    std::fprintf(stderr,
                 "ZorServer: %s is not a loopback address: name the clients that may connect "
                 "with --allow ADDRESS[/BITS] (--allow 0.0.0.0/0 lets every IPv4 client in)\n",
                 options.bindAddress.c_str());
    return false;
}

std::string allowedText(const ServerOptions& options) {
    if (options.allowed.empty()) return "loopback only";
    std::string text;
    for (const AddressRange& range : options.allowed)
        text += (text.empty() ? "" : ", ") + rangeText(range);
    return text;
}

// One line on what separates workers from the server, and why where less.
void logWorkerBox(const WorkerUser& user, int namespaces, const std::string& why) {
    const std::string who = user.switches ? "as user " + user.name : "as the server's user";
    if (namespaces != 0) {
        std::printf("ZorServer: workers run %s, each in a PID namespace of its own\n", who.c_str());
        return;
    }
    std::printf("ZorServer: workers run %s without a PID namespace of their own (%s): %s\n",
                who.c_str(), why.c_str(),
                user.switches
                    ? "they cannot signal the server, and what they start ends with the run"
                    : "a test function can signal the server; what it starts still ends "
                      "with the run");
}

int serve(const ServerOptions& options) {
    const int folderFd = openServerFolder();
    if (folderFd < 0) return host::exitError;
    BindAddress bind;
    std::string reason;
    if (!resolveBindAddress(options.bindAddress, bind, reason)) {
        std::fprintf(stderr, "ZorServer: %s\n", reason.c_str());
        return host::exitError;
    }
    if (!mayListenOn(bind, options) || !loadModules(options)) return host::exitError;
    WorkerUser user;
    if (!chooseWorkerUser(options.workerUser, folderFd, user, reason)) {
        std::fprintf(stderr, "ZorServer: %s\n", reason.c_str());
        return host::exitError;
    }
    const int namespaces = probeWorkerNamespaces(reason);
    Listening listening;
    if (!startListening(bind, options.port, listening, reason)) {
        std::fprintf(stderr, "ZorServer: %s\n", reason.c_str());
        return host::exitError;
    }
    std::printf("ZorServer: serving scripts in %s\n", std::filesystem::current_path().c_str());
    std::printf("ZorServer: clients may connect from %s\n", allowedText(options).c_str());
    std::printf("ZorServer: listening on %s TCP port %d; viewers enter port %d\n",
                options.bindAddress.c_str(), listening.tcpPort, listening.enteredPort);
    logWorkerBox(user, namespaces, reason);
    TestServer(listening.fd, folderFd, options, user, namespaces).serveForever();
}

}  // namespace

int main(int argc, char** argv) {
    // Lines reach a pipe as they are written, so a starter can wait for them.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // A log that nobody reads any more must not end the server.
    std::signal(SIGPIPE, SIG_IGN);
    // A file size limit fails the write that reaches it, which is reported,
    // rather than ending the server.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    ServerOptions options;
    std::string error;
    switch (parseServerOptions(args, options, error)) {
        case ServerCommand::help:
            std::fputs(serverUsageText(), stdout);
            return host::exitPassed;
        case ServerCommand::version:
            std::printf("ZorServer %s\n", ZORSERVER_VERSION);
            return host::exitPassed;
        case ServerCommand::badArguments:
            std::fprintf(stderr, "ZorServer: %s\nTry 'ZorServer --help' for more information.\n",
                         error.c_str());
            return host::exitError;
        case ServerCommand::serve:
            break;
    }
    return serve(options);
}
