#include "Options.h"

#include <charconv>
#include <map>

namespace zor {

namespace {

// The library refuses filters of this length and cuts longer trace roots, which
// would then match no scope: both are refused here with a message instead.
constexpr std::size_t maxFilter = 255;
constexpr std::size_t maxTraceRoot = 499;
constexpr int maxTraceDepth = 100;

using Setter = bool (*)(const std::string& value, RunOptions& options, std::string& error);

bool addModule(const std::string& value, RunOptions& options, std::string&) {
    options.modules.push_back(value);
    return true;
}

bool setJUnit(const std::string& value, RunOptions& options, std::string& error) {
    if (value.empty()) error = "--junit needs a file name";
    options.junitFile = value;
    return !value.empty();
}

bool setDepth(const std::string& value, RunOptions& options, std::string& error) {
    int depth = -1;
    const char* end = value.data() + value.size();
    auto [stop, failure] = std::from_chars(value.data(), end, depth);
    if (failure != std::errc() || stop != end || depth < 0 || depth > maxTraceDepth) {
        error = "--trace-depth expects a number from 0 to 100, not '" + value + "'";
        return false;
    }
    options.traceDepth = depth;
    return true;
}

bool setRoot(const std::string& value, RunOptions& options, std::string& error) {
    if (value.size() > maxTraceRoot) {
        error = "--trace-root takes at most 499 characters";
        return false;
    }
    options.traceRoot = value;
    return true;
}

bool setFilter(const std::string& value, RunOptions& options, std::string& error) {
    if (value.size() > maxFilter) {
        error = "--filter takes at most 255 characters";
        return false;
    }
    options.filter = value;
    return true;
}

const std::map<std::string, Setter>& valueOptions() {
    static const std::map<std::string, Setter> table = {
        {"--load", addModule},     {"--filter", setFilter}, {"--trace-depth", setDepth},
        {"--trace-root", setRoot}, {"--junit", setJUnit},
    };
    return table;
}

// Splits "--name=value" into its two halves; other arguments stay whole.
bool splitAssignment(const std::string& arg, std::string& name, std::string& value) {
    const std::size_t equals = arg.find('=');
    if (arg.rfind("--", 0) != 0 || equals == std::string::npos) return false;
    name = arg.substr(0, equals);
    value = arg.substr(equals + 1);
    return true;
}

Command bad(std::string& error, std::string message) {
    error = std::move(message);
    return Command::badArguments;
}

}  // namespace

Command parseOptions(const std::vector<std::string>& args, RunOptions& options,
                     std::string& error) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            options.scripts.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            return Command::help;
        } else if (arg == "--version") {
            return Command::version;
        } else if (arg == "-q" || arg == "--quiet") {
            options.quiet = true;
        } else {
            std::string name = arg, value;
            const bool assigned = splitAssignment(arg, name, value);
            auto option = valueOptions().find(name);
            if (option == valueOptions().end()) return bad(error, "unknown option '" + arg + "'");
            if (!assigned) {
                if (i + 1 >= args.size()) return bad(error, name + " needs a value");
                value = args[++i];
            }
            if (!option->second(value, options, error)) return Command::badArguments;
        }
    }
    if (options.scripts.empty()) return bad(error, "no script given");
    return Command::run;
}

const char* usageText() {
    return "Usage: ZorRun [options] SCRIPT...\n"
           "Runs test scripts through ZorLib and reports every test's verdict.\n"
           "\n"
           "Options:\n"
           "  --load MODULE.so   load a shared module of native test functions (repeatable)\n"
           "  --filter TEXT      run only the test that TEXT selects: its name and position\n"
           "  --trace-depth N    trace native scopes N levels deep (0 off, 100 no limit)\n"
           "  --trace-root NAME  start tracing at the scope NAME (depth 100 unless given)\n"
           "  --junit FILE       also write the verdicts as JUnit XML to FILE\n"
           "  -q, --quiet        print only failed tests and the summary\n"
           "  -h, --help         print this help and exit\n"
           "  --version          print the version and exit\n"
           "\n"
           "Tests named zortst echo their input; every other test runs the native\n"
           "function registered under its name by a loaded module.\n"
           "\n"
           "Exit status: 0 when every script passed, 1 when a verification failed,\n"
           "2 for a script error, a file that cannot be opened, a missing output file,\n"
           "a module that cannot be loaded, or bad arguments.\n";
}

}  // namespace zor
