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
// Below this a worker cannot even map the library and its modules: every run
// would end as a crash that no script caused.
constexpr unsigned long long minMaxMemory = 64ULL << 20;

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

template <class Number>
bool parseNumber(const std::string& value, Number& number, Number least, Number most) {
    const char* end = value.data() + value.size();
    Number parsed{};
    const auto [stop, failure] = std::from_chars(value.data(), end, parsed);
    if (failure != std::errc() || stop != end || parsed < least || parsed > most) return false;
    number = parsed;
    return true;
}

// "512M", "4G", "65536": a number of bytes with an optional binary suffix.
bool parseBytes(std::string value, unsigned long long& bytes) {
    const std::string suffixes = "KMGT";
    int shift = 0;
    if (const std::size_t at = value.empty() ? std::string::npos : suffixes.find(value.back());
        at != std::string::npos) {
        shift = 10 * static_cast<int>(at + 1);
        value.pop_back();
    }
    unsigned long long number = 0;
    if (!parseNumber(value, number, 1ULL, ~0ULL >> 1 >> shift)) return false;
    bytes = number << shift;
    return true;
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
        } else if (isOption(arg, "--max-memory")) {
            if (!takeValue(args, i, "--max-memory", value) ||
                !parseBytes(value, options.maxMemory) || options.maxMemory < minMaxMemory)
                return bad(
                    error,
                    "--max-memory expects a number of bytes from 64M up, such as 512M or 4G");
        } else if (isOption(arg, "--run-timeout")) {
            if (!takeValue(args, i, "--run-timeout", value) ||
                !parseNumber(value, options.runTimeout, 0, 1'000'000))
                return bad(error, "--run-timeout expects a number of seconds (0: none)");
        } else if (isOption(arg, "--max-scripts")) {
            if (!takeValue(args, i, "--max-scripts", value) ||
                !parseNumber(value, options.maxScripts, 1, 1'000'000))
                return bad(error, "--max-scripts expects a number from 1 to 1000000");
        } else if (isOption(arg, "--user")) {
            if (!takeValue(args, i, "--user", value) || value.empty())
                return bad(error, "--user needs a user name");
            options.workerUser = value;
        } else if (isOption(arg, "--max-send-bytes")) {
            if (!takeValue(args, i, "--max-send-bytes", value) ||
                !parseNumber(value, options.maxSendBytes, 0L, 9'999'999L))
                return bad(error, "--max-send-bytes expects a number from 0 to 9999999");
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
           "  --max-memory BYTES the address space of the process that runs each script\n"
           "                     (default 4G, at least 64M; suffixes K, M, G, T)\n"
           "  --run-timeout N    end a run that takes more than N seconds (default 0: none)\n"
           "  --max-scripts N    keep at most N stored script names (default 100)\n"
           "  --user NAME        under root, run scripts as this user (default: the\n"
           "                     folder's owner, or nobody when root owns it), who must\n"
           "                     be able to create files in the folder\n"
           "  -q, --quiet        print only the start-up lines and problems\n"
           "  -h, --help         print this help and exit\n"
           "  --version          print the version and exit\n"
           "\n"
           "Tests named zortst echo their input; ongraphic, buttonpress and keypress\n"
           "drive the simulated device; every other test runs the native function\n"
           "registered under its name by a loaded module. One client is served at a\n"
           "time; the next is served once it disconnects. Each run happens in a process\n"
           "of its own, which writes, creates and deletes files in the current folder\n"
           "only, changes no file's mode, owner, times or attributes, and cannot signal\n"
           "the server; a test function that crashes or hangs there ends that run alone,\n"
           "and whatever it started ends with the run.\n";
}

}  // namespace zorserver
