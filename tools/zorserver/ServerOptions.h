// The command line of ZorServer: where it listens and what it loads.
#pragma once

#include <string>
#include <vector>

namespace zorserver {

struct ServerOptions {
    // The port a viewer enters; 0 lets the system choose a free one.
    int port = 6500;
    std::string bindAddress = "127.0.0.1";
    std::vector<std::string> modules;
    bool quiet = false;
};

enum class ServerCommand { serve, help, version, badArguments };

// Reads the arguments after the program's name. On badArguments, error holds
// a one-line message.
ServerCommand parseServerOptions(const std::vector<std::string>& args, ServerOptions& options,
                                 std::string& error);

// The text that --help prints.
const char* serverUsageText();

}  // namespace zorserver
