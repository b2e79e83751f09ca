#include "ServerOptions.h"

#include <charconv>

namespace zorserver {

namespace {

bool parsePort(const std::string& value, int& port) {
    const char* end = value.data() + value.size();
    const auto [stop, failure] = std::from_chars(value.data(), end, port);
    return failure == std::errc() && stop == end && port >= 0 && port <= 0xFFFF;
}

constexpr int maxIdleTimeout = 86'400;

bool parseSeconds(const std::string& value, int& seconds) {
    const char* end = value.data() + value.size();
    const auto [stop, failure] = std::from_chars(value.data(), end, seconds);
    return failure == std::errc() && stop == end && seconds >= 1 && seconds <= maxIdleTimeout;
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
        } else if (isOption(arg, "--allow")) {
            AddressRange range;
            std::string reason;
            if (!takeValue(args, i, "--allow", value))
                return bad(error, "--allow needs an ADDRESS or ADDRESS/BITS");
            if (!parseAddressRange(value, range, reason))
                return bad(error, "--allow " + value + ": " + reason);
            options.allowed.push_back(range);
        } else if (isOption(arg, "--idle-timeout")) {
            if (!takeValue(args, i, "--idle-timeout", value) ||
                !parseSeconds(value, options.idleTimeout))
                return bad(error, "--idle-timeout expects seconds from 1 to " +
                                      std::to_string(maxIdleTimeout));
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
           "Whoever may connect may run scripts and the loaded modules' functions with\n"
           "the server's rights, inside its folder. Without --allow only this machine\n"
           "may connect, and the server must listen on loopback.\n"
           "\n"
           "Options:\n"
           "  --port N           the port that viewers enter (default 6500); the server\n"
           "                     listens on the TCP port with its two bytes swapped\n"
           "                     (6500 is TCP port 25625); 0 picks a free port\n"
           "  --bind ADDRESS     the IPv4 or IPv6 address to listen on (default\n"
           "                     127.0.0.1; 0.0.0.0 or :: for every interface, which\n"
           "                     needs --allow)\n"
           "  --allow ADDRESS[/BITS]\n"
           "                     let clients from this address or network in\n"
           "                     (repeatable); the list replaces the loopback default,\n"
           "                     so add 127.0.0.1 to keep local clients; 0.0.0.0/0 lets\n"
           "                     every IPv4 client in, ::/0 every client\n"
           "  --idle-timeout SECONDS\n"
           "                     close a connection on which neither a request nor a\n"
           "                     ping arrives for that long, or whose request or reply\n"
           "                     stalls that long (default 30); runs are not bounded\n"
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
