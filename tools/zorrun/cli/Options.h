// The command line of ZorRun: what to load, what to run and how to report it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zorrun {

struct RunOptions {
    std::vector<std::string> scripts;
    // What runs when the command line names no script: the project's suite.
    std::vector<std::string> defaultScripts;
    std::vector<std::string> modules;
    std::string filter;
    std::optional<int> traceDepth;
    std::optional<std::string> traceRoot;
    std::string junitFile;
    // --junit-family xunit1: testcases carry file and line, which the strict
    // schema that CI servers validate against does not allow.
    bool junitPlaces = false;
    std::string htmlFile;
    bool quiet = false;
    // --no-fork: scripts run in ZorRun's own process, as under a debugger.
    bool inProcess = false;
    // --remote HOST:PORT: the scripts run on that test server instead.
    std::string remoteHost;
    int remotePort = -1;
    // --remote-output DIR: output files whose names a script builds at run
    // time may come back beneath DIR, which lies beneath the current folder.
    std::string remoteOutput;
    // --json FILE: the verdicts as JSON too.
    std::string jsonFile;
    // --color auto|always|never.
    std::string color = "auto";
    // -k: shell globs on test names, NAME POSITION or FILE:LINE, each perhaps
    // after "not "; a test runs when no "not" pattern takes it and, where
    // there are others, one of them does.
    std::vector<std::string> selectPatterns;
    // --list: print the tests instead of running them.
    bool list = false;
    // -s, --capture=no: test functions print straight to the console.
    bool passOutput = false;
    // --last-failed, --rerun-failed JUNIT.xml: run the tests that failed before.
    bool lastFailed = false;
    std::string rerunFailedFile;
    // --maxfail N (-x for 1): no test runs once N tests failed or erred or
    // scripts had errors; 0 for no limit.
    int maxFail = 0;
    // -j: scripts run at once, each in a worker of its own ("auto": one per
    // usable core).
    int jobs = 1;
    // --shard INDEX/COUNT (or ZOR_SHARD_INDEX and ZOR_TOTAL_SHARDS); count 0
    // when the run is not sharded.
    int shardIndex = 0;
    int shardCount = 0;
    // --timeout: seconds one test may run; 0 for no limit.
    int timeoutSeconds = 0;
    // --repeat: how often the whole selection runs.
    int repeat = 1;
};

enum class Command { run, help, version, badArguments };

// Reads the arguments after the program's name into options. On badArguments,
// error holds a one-line message.
Command parseOptions(const std::vector<std::string>& args, RunOptions& options, std::string& error);

// The text that --help prints.
const char* usageText();

}  // namespace zorrun
