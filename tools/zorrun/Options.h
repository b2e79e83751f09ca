// The command line of ZorRun: what to load, what to run and how to report it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zor {

struct RunOptions {
    std::vector<std::string> scripts;
    std::vector<std::string> modules;
    std::string filter;
    std::optional<int> traceDepth;
    std::optional<std::string> traceRoot;
    std::string junitFile;
    std::string htmlFile;
    bool quiet = false;
    // --no-fork: scripts run in ZorRun's own process, as under a debugger.
    bool inProcess = false;
    // --remote HOST:PORT: the scripts run on that test server instead.
    std::string remoteHost;
    int remotePort = -1;
};

enum class Command { run, help, version, badArguments };

// Reads the arguments after the program's name into options. On badArguments,
// error holds a one-line message.
Command parseOptions(const std::vector<std::string>& args, RunOptions& options, std::string& error);

// The text that --help prints.
const char* usageText();

}  // namespace zor
