#include "ServerOptions.h"

#include <charconv>

namespace zorserver {

namespace {

bool parsePort(const std::string& value, int& port) {
    const char* end = value.data() + value.size();
    const auto [stop, failure] = std::from_chars(value.data(), end, port);
    return failure == std::errc() && stop == end && port >= 0 && port <= 0xFFFF;
}

ServerCommand bad(std::string& error, std::string message) {
    error = std::move(message);
    return ServerCommand::badArguments;
}

// "--name=value" or "--name value"; false when the value is missing.
bool takeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name,
               std::string& value) {
    const std::string& arg = args[i];
    if (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0) {
        value = arg.substr(name.size() + 1);
        return true;
    }
    if (arg != name || i + 1 >= args.size()) return false;
    value = args[++i];
    return true;
}

bool isOption(const std::string& arg, const char* name) {
    const std::string option = name;
    return arg == option || arg.rfind(option + "=", 0) == 0;
}

}  // namespace

ServerCommand parseServerOptions(const std::vector<std::string>& args, ServerOptions& options,
                                 std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        if (arg == "-h" || arg == "--help") return ServerCommand::help;
        if (arg == "--version") return ServerCommand::version;
        if (arg == "-q" || arg == "--quiet") {
            options.quiet = true;
        } else if (isOption(arg, "--port")) {
            if (!takeValue(args, i, "--port", value) || !parsePort(value, options.port))
                return bad(error, "--port expects a number from 0 to 65535");
        } else if (isOption(arg, "--bind")) {
            if (!takeValue(args, i, "--bind", value) || value.empty())
                return bad(error, "--bind needs an address");
            options.bindAddress = value;
        } else if (isOption(arg, "--load")) {
            if (!takeValue(args, i, "--load", value) || value.empty())
                return bad(error, "--load needs a module");
            options.modules.push_back(value);
        } else {
            return bad(error, "unknown argument '" + arg + "'");
        }
    }
    return ServerCommand::serve;
}

const char* serverUsageText() {
    return "Usage: ZorServer [options]\n"
           "A test server for ZorViewer and ZorRun --remote: runs the scripts they send\n"
           "in the current folder and sends back the output file, the picture of a\n"
           "simulated device screen and any script error.\n"
           "\n"
           "Options:\n"
           "  --port N           the port that viewers enter (default 6500); the server\n"
           "                     listens on the TCP port with its two bytes swapped\n"
           "                     (6500 is TCP port 25625); 0 picks a free port\n"
           "  --bind ADDRESS     the IPv4 address to listen on (default 127.0.0.1;\n"
           "                     0.0.0.0 for every interface)\n"
           "  --load MODULE.so   load a shared module of native test functions (repeatable)\n"
           "  -q, --quiet        print only the start-up lines and problems\n"
           "  -h, --help         print this help and exit\n"
           "  --version          print the version and exit\n"
           "\n"
           "Tests named zortst echo their input; ongraphic, buttonpress and keypress\n"
           "drive the simulated device; every other test runs the native function\n"
           "registered under its name by a loaded module. One client is served at a\n"
           "time; the next is served once it disconnects.\n";
}

}  // namespace zorserver
