// ZorRun: runs test scripts from a terminal or a CI job and reports every
// test's verdict, a summary, optional JUnit XML and an exit status.
#include <unistd.h>
#include <cstdio>
#include <string>
#include <vector>

#include "Console.h"
#include "JUnitReport.h"
#include "ModuleLoader.h"
#include "Options.h"
#include "ProgressLine.h"
#include "RunSummary.h"
#include "ScriptRunner.h"
#include "ZorLib.h"

namespace {

using namespace zor;

// Without either option nothing is traced, as in any batch run; a root alone
// means the whole tree below it.
void applyTrace(const RunOptions& options) {
    if (options.traceRoot) ParseOut::setTraceRoot(options.traceRoot->c_str());
    if (options.traceDepth)
        ParseOut::setTraceDepth(*options.traceDepth);
    else if (options.traceRoot)
        ParseOut::setTraceDepth(100);
}

void loadModules(const RunOptions& options, Console& console, RunSummary& summary) {
    for (const std::string& module : options.modules) {
        std::string reason;
        if (loadModule(module, reason)) continue;
        console.error(module + ": cannot load module: " + reason);
        summary.addSetupError();
    }
}

int run(const RunOptions& options) {
    ProgressLine progress(stderr, isatty(STDERR_FILENO) == 1);
    Console console(options.quiet, progress);
    JUnitReport junit;
    std::string reason;
    if (!options.junitFile.empty() && !junit.open(options.junitFile, reason)) {
        console.error(options.junitFile + ": cannot write JUnit report: " + reason);
        return exitError;
    }
    RunSummary summary;
    applyTrace(options);
    loadModules(options, console, summary);
    {
        ScriptRunner runner(console, progress, junit.isOpen() ? &junit : nullptr);
        for (const std::string& script : options.scripts)
            summary.addScript(runner.run(script, options.filter));
    }
    console.summary(summary.text());
    if (!junit.close(reason)) {
        console.error(options.junitFile + ": JUnit report incomplete: " + reason);
        summary.addSetupError();
    }
    return summary.exitStatus();
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    RunOptions options;
    std::string error;
    switch (parseOptions(args, options, error)) {
        case Command::help:
            std::fputs(usageText(), stdout);
            return exitPassed;
        case Command::version:
            std::printf("ZorRun %s\n", ZORRUN_VERSION);
            return exitPassed;
        case Command::badArguments:
            std::fprintf(stderr, "ZorRun: %s\nTry 'ZorRun --help' for more information.\n",
                         error.c_str());
            return exitError;
        case Command::run:
            break;
    }
    return run(options);
}
