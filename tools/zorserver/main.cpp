// ZorServer: a test server for ZorViewer and ZorRun --remote. It runs the
// scripts they send through ZorLib in its working directory, with the echo
// test, the simulated device's functions and any loaded modules, and sends
// back the output file, the device's picture and the error state.
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Listener.h"
#include "ModuleLoader.h"
#include "ServerOptions.h"
#include "TestServer.h"

namespace {

using namespace zorserver;

constexpr int exitError = 2;

bool loadModules(const ServerOptions& options) {
    for (const std::string& module : options.modules) {
        std::string reason;
        if (zor::loadModule(module, reason)) continue;
        std::fprintf(stderr, "ZorServer: %s: cannot load module: %s\n", module.c_str(),
                     reason.c_str());
        return false;
    }
    return true;
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

int serve(const ServerOptions& options) {
    BindAddress bind;
    std::string reason;
    if (!resolveBindAddress(options.bindAddress, bind, reason)) {
        std::fprintf(stderr, "ZorServer: %s\n", reason.c_str());
        return exitError;
    }
    if (!mayListenOn(bind, options) || !loadModules(options)) return exitError;
    Listening listening;
    if (!startListening(bind, options.port, listening, reason)) {
        std::fprintf(stderr, "ZorServer: %s\n", reason.c_str());
        return exitError;
    }
    std::printf("ZorServer: serving scripts in %s\n", std::filesystem::current_path().c_str());
    std::printf("ZorServer: clients may connect from %s\n", allowedText(options).c_str());
    std::printf("ZorServer: listening on %s TCP port %d; viewers enter port %d\n",
                options.bindAddress.c_str(), listening.tcpPort, listening.enteredPort);
    TestServer(listening.fd, options).serveForever();
}

}  // namespace

int main(int argc, char** argv) {
    // Lines reach a pipe as they are written, so a starter can wait for them.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // A log that nobody reads any more must not end the server.
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    ServerOptions options;
    std::string error;
    switch (parseServerOptions(args, options, error)) {
        case ServerCommand::help:
            std::fputs(serverUsageText(), stdout);
            return 0;
        case ServerCommand::version:
            std::printf("ZorServer %s\n", ZORSERVER_VERSION);
            return 0;
        case ServerCommand::badArguments:
            std::fprintf(stderr, "ZorServer: %s\nTry 'ZorServer --help' for more information.\n",
                         error.c_str());
            return exitError;
        case ServerCommand::serve:
            break;
    }
    return serve(options);
}
