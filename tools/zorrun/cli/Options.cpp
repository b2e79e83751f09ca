#include "Options.h"

#include <sched.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <map>

#include "protocol/ReplyNames.h"

namespace zorrun {

namespace {

// The library refuses filters of this length and cuts longer trace roots, which
// would then match no scope: both are refused here with a message instead.
constexpr std::size_t maxFilter = 255;
constexpr std::size_t maxTraceRoot = 499;
constexpr int maxTraceDepth = 100;
constexpr int maxJobs = 64;
constexpr int maxShards = 100000;
constexpr int maxTimeout = 86400;
constexpr int maxRepeat = 1000;
constexpr int maxFailLimit = 1000000;

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

bool setJUnitFamily(const std::string& value, RunOptions& options, std::string& error) {
    if (value != "xunit1" && value != "xunit2") {
        error = "--junit-family expects xunit1 or xunit2, not '" + value + "'";
        return false;
    }
    options.junitPlaces = value == "xunit1";
    return true;
}

bool setJson(const std::string& value, RunOptions& options, std::string& error) {
    if (value.empty()) error = "--json needs a file name";
    options.jsonFile = value;
    return !value.empty();
}

bool setColor(const std::string& value, RunOptions& options, std::string& error) {
    if (value != "auto" && value != "always" && value != "never") {
        error = "--color expects auto, always or never, not '" + value + "'";
        return false;
    }
    options.color = value;
    return true;
}

bool setHtml(const std::string& value, RunOptions& options, std::string& error) {
    if (value.empty()) error = "--html needs a file name";
    options.htmlFile = value;
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

bool addPattern(const std::string& value, RunOptions& options, std::string& error) {
    if (value.empty()) error = "-k needs a pattern";
    options.selectPatterns.push_back(value);
    return !value.empty();
}

bool setRerunFailed(const std::string& value, RunOptions& options, std::string& error) {
    if (value.empty()) error = "--rerun-failed needs a JUnit file";
    options.rerunFailedFile = value;
    return !value.empty();
}

// The test server takes one filter and runs whole scripts otherwise; -k maps
// to that filter where it takes one test of a script.
const char* remoteConflict(const RunOptions& options) {
    if (options.remotePort < 0)
        return options.remoteOutput.empty() ? nullptr : "--remote-output needs --remote";
    if (options.list) return "--list cannot be used with --remote";
    if (options.lastFailed || !options.rerunFailedFile.empty())
        return "--last-failed and --rerun-failed cannot be used with --remote";
    return nullptr;
}

// "HOST:PORT", split at the last colon.
bool parseServerAddress(const std::string& address, std::string& host, int& port) {
    const std::size_t colon = address.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == address.size()) return false;
    host = address.substr(0, colon);
    const char* end = address.data() + address.size();
    const auto [stop, failure] = std::from_chars(address.data() + colon + 1, end, port);
    return failure == std::errc() && stop == end && port >= 0 && port <= 0xFFFF;
}

bool setRemoteOutput(const std::string& value, RunOptions& options, std::string& error) {
    options.remoteOutput = remote::outputFolderName(value);
    if (!options.remoteOutput.empty()) return true;
    error = "--remote-output expects a folder beneath the current folder, not '" + value + "'";
    return false;
}

bool setRemote(const std::string& value, RunOptions& options, std::string& error) {
    if (parseServerAddress(value, options.remoteHost, options.remotePort)) return true;
    error = "--remote expects HOST:PORT with a port from 0 to 65535, not '" + value + "'";
    return false;
}

// A whole number from low to high, or false.
bool readNumber(std::string_view text, int low, int high, int& number) {
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, number);
    return failure == std::errc() && stop == end && number >= low && number <= high;
}

// The cores this process may use, which a container or taskset may narrow.
int usableCores() {
    cpu_set_t cores;
    if (sched_getaffinity(0, sizeof cores, &cores) != 0) return 1;
    return std::clamp(CPU_COUNT(&cores), 1, maxJobs);
}

bool setJobs(const std::string& value, RunOptions& options, std::string& error) {
    if (value == "auto") {
        options.jobs = usableCores();
        return true;
    }
    if (readNumber(value, 1, maxJobs, options.jobs)) return true;
    error = "--jobs expects a number from 1 to 64 or auto, not '" + value + "'";
    return false;
}

bool setTimeout(const std::string& value, RunOptions& options, std::string& error) {
    if (readNumber(value, 1, maxTimeout, options.timeoutSeconds)) return true;
    error = "--timeout expects whole seconds from 1 to 86400, not '" + value + "'";
    return false;
}

bool setRepeat(const std::string& value, RunOptions& options, std::string& error) {
    if (readNumber(value, 1, maxRepeat, options.repeat)) return true;
    error = "--repeat expects a number from 1 to 1000, not '" + value + "'";
    return false;
}

bool setMaxFail(const std::string& value, RunOptions& options, std::string& error) {
    if (readNumber(value, 1, maxFailLimit, options.maxFail)) return true;
    error = "--maxfail expects a number from 1 to 1000000, not '" + value + "'";
    return false;
}

bool readShard(std::string_view index, std::string_view count, RunOptions& options) {
    return readNumber(count, 1, maxShards, options.shardCount) &&
           readNumber(index, 0, options.shardCount - 1, options.shardIndex);
}

bool setShard(const std::string& value, RunOptions& options, std::string& error) {
    const std::size_t slash = value.find('/');
    if (slash != std::string::npos && readShard(std::string_view(value).substr(0, slash),
                                                std::string_view(value).substr(slash + 1), options))
        return true;
    error =
        "--shard expects INDEX/COUNT with INDEX from 0 to COUNT-1 and COUNT up to 100000, "
        "not '" +
        value + "'";
    return false;
}

// The option wins over the environment a CI server sets.
bool shardFromEnvironment(RunOptions& options, std::string& error) {
    const char* index = std::getenv("ZOR_SHARD_INDEX");
    const char* count = std::getenv("ZOR_TOTAL_SHARDS");
    if (options.shardCount > 0 || (!index && !count)) return true;
    if (index && count && readShard(index, count, options)) return true;
    error =
        "ZOR_SHARD_INDEX and ZOR_TOTAL_SHARDS must both be set, to an index from 0 to the "
        "count less one";
    return false;
}

const std::map<std::string, Setter>& valueOptions() {
    // clang-format off
    static const std::map<std::string, Setter> table = {
        {"--load", addModule},     {"--filter", setFilter}, {"--trace-depth", setDepth},
        {"--trace-root", setRoot}, {"--remote", setRemote}, {"--junit", setJUnit},
        {"--json", setJson},       {"--color", setColor},   {"--junit-family", setJUnitFamily},
        {"-k", addPattern},        {"--rerun-failed", setRerunFailed},
        {"-j", setJobs},           {"--jobs", setJobs},     {"--shard", setShard},
        {"--timeout", setTimeout}, {"--repeat", setRepeat},
        {"--html", setHtml},       {"--remote-output", setRemoteOutput},
        {"--maxfail", setMaxFail},
    };
    // clang-format on
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
        } else if (arg == "--no-fork") {
            options.inProcess = true;
        } else if (arg == "-s" || arg == "--capture=no") {
            options.passOutput = true;
        } else if (arg == "--list") {
            options.list = true;
        } else if (arg == "--last-failed") {
            options.lastFailed = true;
        } else if (arg == "-x" || arg == "--exit-first") {
            options.maxFail = 1;
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
    if (options.scripts.empty()) options.scripts = options.defaultScripts;
    if (options.scripts.empty()) return bad(error, "no script given");
    if (options.remotePort >= 0 && !options.modules.empty())
        return bad(error, "--load cannot be used with --remote: the test server runs the tests");
    if (const char* conflict = remoteConflict(options)) return bad(error, conflict);
    if (options.lastFailed && !options.rerunFailedFile.empty())
        return bad(error, "--last-failed and --rerun-failed cannot be used together");
    if (options.inProcess && (options.jobs > 1 || options.timeoutSeconds > 0))
        return bad(error, "--jobs and --timeout need workers: they cannot be used with --no-fork");
    if (options.remotePort >= 0 && options.jobs > 1)
        return bad(error,
                   "--jobs cannot be used with --remote: the test server runs one at a time");
    if (!shardFromEnvironment(options, error)) return Command::badArguments;
    return Command::run;
}

const char* usageText() {
    return "Usage: ZorRun [options] [SCRIPT|FOLDER]...\n"
           "Runs test scripts through ZorLib and reports every test's verdict.\n"
           "A FOLDER stands for the scripts beneath it named *.zor.txt. Without\n"
           "scripts, ZorRun runs the suite of the nearest zorrun.toml, whose keys\n"
           "(modules, scripts, pattern, timeout, jobs, maxfail, junit, junit_family,\n"
           "json, html, color) give default options; the command line wins.\n"
           "\n"
           "Options:\n"
           "  --load MODULE.so   load a shared module of native test functions (repeatable)\n"
           "  --filter TEXT      run only the test that TEXT selects: its name and position\n"
           "  --trace-depth N    trace native scopes N levels deep (0 off, 100 no limit)\n"
           "  --trace-root NAME  start tracing at the scope NAME (depth 100 unless given)\n"
           "  --junit FILE       also write the verdicts as JUnit XML to FILE\n"
           "  --junit-family F   xunit2 (default): JUnit as the strict schema of CI\n"
           "                     servers has it; xunit1: with each test's file and line\n"
           "  --json FILE        also write the verdicts as JSON to FILE\n"
           "  --color WHEN       colour verdicts and the summary: auto (on a terminal,\n"
           "                     unless NO_COLOR is set), always or never\n"
           "  --html FILE        also write a report page for a browser to FILE\n"
           "  --remote HOST:PORT run the scripts on the test server at HOST, reached with\n"
           "                     the port a viewer enters (6500 is TCP port 25625); the\n"
           "                     output files come back into the current folder\n"
           "  --remote-output DIR\n"
           "                     let output files whose names a script builds at run\n"
           "                     time come back beneath DIR (a folder beneath the\n"
           "                     current one); other names come back only as the\n"
           "                     script spells them\n"
           "  --no-fork          run the tests in ZorRun's own process, to debug test\n"
           "                     functions: a crash then ends ZorRun\n"
           "  -k PATTERN         run only the tests whose name matches the shell glob\n"
           "                     PATTERN; 'NAME POSITION' takes the test the reports\n"
           "                     name so, FILE:LINE the test named on line LINE of\n"
           "                     FILE, and 'not PATTERN' leaves out what PATTERN takes\n"
           "                     (repeatable: a test runs when no 'not' pattern takes\n"
           "                     it and, if there are others, one of them does); a\n"
           "                     script with no test selected is not run at all\n"
           "  --list             print every test as FILE:LINE: NAME POSITION, running\n"
           "                     nothing and writing no file\n"
           "  --last-failed      run only the tests that failed in the previous run in\n"
           "                     this folder (kept in .zorrun/lastfailed); all when none\n"
           "  --rerun-failed JUNIT.xml\n"
           "                     run only the tests that failed in a JUnit report ZorRun\n"
           "                     wrote, in the scripts it names\n"
           "  --maxfail N        stop after N failed tests or errors: no further test\n"
           "                     or script runs\n"
           "  -x, --exit-first   stop after the first failed test or error (--maxfail 1)\n"
           "  -j, --jobs N       run up to N scripts at once (1 to 64, or auto for one a\n"
           "                     core; default 1); scripts that write the same file\n"
           "                     still run one after the other\n"
           "  --shard I/COUNT    run only shard I (0 to COUNT-1) of the sorted scripts;\n"
           "                     also read from ZOR_SHARD_INDEX and ZOR_TOTAL_SHARDS\n"
           "  --timeout SECONDS  end a script whose test runs longer than SECONDS\n"
           "  --repeat N         run the scripts N times (1 to 1000), counting each run\n"
           "  -s, --capture=no   let test functions print straight to the console\n"
           "                     instead of showing their output with their script\n"
           "  -q, --quiet        print only failed tests, the time taken and the summary\n"
           "  -h, --help         print this help and exit\n"
           "  --version          print the version and exit\n"
           "\n"
           "Tests named zortst echo their input; every other test runs the native\n"
           "function registered under its name by a loaded module.\n"
           "\n"
           "Each script runs in a worker process of its own: a test function that\n"
           "crashes, throws or exits fails its test with an error, and the next\n"
           "script runs.\n"
           "\n"
           "Exit status: 0 when every script passed, 1 when a verification failed,\n"
           "2 for a script error, a file that cannot be opened or written, a test\n"
           "function that crashed, threw or exited, a module that cannot be loaded,\n"
           "a selection that runs no test, or bad arguments; 130 or 143 when stopped\n"
           "by SIGINT or SIGTERM.\n";
}

}  // namespace zorrun
