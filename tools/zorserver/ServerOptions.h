// The command line of ZorServer: where it listens, whom it lets in and what it
// loads.
#pragma once

#include <string>
#include <vector>

#include "AllowList.h"

namespace zorserver {

struct ServerOptions {
    // The port a viewer enters; 0 lets the system choose a free one.
    int port = 6500;
    std::string bindAddress = "127.0.0.1";
    // Empty: loopback clients only, and the server must listen on loopback.
    std::vector<AddressRange> allowed;
    // Seconds a client may keep the server waiting between or within requests.
    int idleTimeout = 30;
    std::vector<std::string> modules;
    bool quiet = false;
    // A worker's address space, in bytes.
    unsigned long long maxMemory = 4ULL << 30;
    // Seconds a run may take; 0 for no limit.
    int runTimeout = 0;
    // Distinct names under which the server keeps scripts that clients sent.
    int maxScripts = 100;
    // Under root, the user the workers run as; empty for the default.
    std::string workerUser;
    // Larger output files are not sent; lowered only by tests.
    long maxSendBytes = 9'999'999;
};

enum class ServerCommand { serve, help, version, badArguments };

// Reads the arguments after the program's name. On badArguments, error holds
// a one-line message.
ServerCommand parseServerOptions(const std::vector<std::string>& args, ServerOptions& options,
                                 std::string& error);

// The text that --help prints.
const char* serverUsageText();

}  // namespace zorserver
