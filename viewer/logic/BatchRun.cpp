#include "BatchRun.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace viewer {

namespace {

// The library's result codes for a whole run.
constexpr int refused = -1;  // busy, or a name the library does not take
constexpr int inputNotOpened = -2;
constexpr int outputNotOpened = -3;
constexpr int verificationFailed = -4;

host::ExitStatus exitStatus(int code) {
    if (code == 0) return host::exitPassed;
    if (code == verificationFailed) return host::exitFailed;
    return host::exitError;
}

std::string withoutLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

struct LineExtent {
    long start = 0;   // byte offset of its first character
    long length = 0;  // without its line end
};

// False when the file cannot be read or has fewer lines.
bool findLine(const std::string& script, int line, LineExtent& extent) {
    std::FILE* file = std::fopen(script.c_str(), "rb");
    if (!file) return false;
    long offset = 0;
    int current = 1, c = 0;
    while (current < line && (c = std::getc(file)) != EOF) {
        ++offset;
        if (c == '\n') {
            ++current;
            extent.start = offset;
        }
    }
    while (current == line && (c = std::getc(file)) != EOF && c != '\n' && c != '\r')
        ++extent.length;
    std::fclose(file);
    return current == line;
}

// The library adjusts its positions by the line number alone, so within a line
// a position and a byte offset differ by the same amount and the column follows
// from the line's start whatever the line ends are, as ZorRun counts it. 0 when
// it cannot be found.
int errorColumn(const std::string& script, int line, int position) {
    LineExtent extent;
    if (line < 1 || position < 0 || !findLine(script, line, extent)) return 0;
    const long column = position - (extent.start - line + 1) + 1;
    if (column < 1) return 1;
    return static_cast<int>(column > extent.length + 1 ? extent.length + 1 : column);
}

// "FILE:LINE:COLUMN: text", or "FILE:LINE: text" when the column is not known.
std::string errorLocation(const std::string& script, const RunResult& result) {
    std::string where = script + ":" + std::to_string(result.errLine) + ":";
    const int column = errorColumn(script, result.errLine, result.errPos);
    if (column > 0) where += std::to_string(column) + ":";
    return where + " " + withoutLineEnd(result.errText);
}

std::string verificationFailure(const std::string& script, const std::string& outFile) {
    return script + ": verification failed" + (outFile.empty() ? "" : " (" + outFile + ")");
}

void tell(BatchOutcome& outcome, const std::string& message, const std::string& line) {
    outcome.messages.push_back(message);
    outcome.errorLines.push_back(line);
}

// Said as ZorRun says it, so that a CI log reads alike whichever ran.
std::string unopenedReason(const std::string& script) {
    std::FILE* file = std::fopen(script.c_str(), "rb");
    if (file == nullptr) return std::strerror(errno);
    std::fclose(file);
    return "the library does not take this name";
}

bool isOption(std::string_view arg) {
    return arg.size() > 1 && arg[0] == '-';
}

BatchArguments refuse(std::string error) {
    BatchArguments arguments;
    arguments.command = BatchCommand::badArguments;
    arguments.error = std::move(error);
    return arguments;
}

// "--load MODULE" or "--load=MODULE"; false when ARG is another argument.
// A missing or empty name leaves the error.
bool takeModule(int argc, const char* const* argv, int& i, BatchArguments& arguments) {
    const std::string_view arg = argv[i];
    constexpr std::string_view option = "--load";
    std::string_view module;
    if (arg == option) {
        if (i + 1 < argc) module = argv[++i];
    } else if (arg.starts_with("--load=")) {
        module = arg.substr(option.size() + 1);
    } else {
        return false;
    }
    if (module.empty()) arguments.error = "--load needs a module file";
    arguments.modules.emplace_back(module);
    return true;
}

}  // namespace

BatchArguments parseBatchArguments(int argc, const char* const* argv) {
    BatchArguments arguments;
    bool optionsEnded = false, named = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "-h" || arg == "--help")) {
            arguments.command = BatchCommand::help;
            return arguments;
        } else if (!optionsEnded && arg == "--version") {
            arguments.command = BatchCommand::version;
            return arguments;
        } else if (!optionsEnded && arg == "--no-dialogs") {
            arguments.noDialogs = true;
        } else if (!optionsEnded && takeModule(argc, argv, i, arguments)) {
            if (!arguments.error.empty()) return refuse(arguments.error);
        } else if (!optionsEnded && isOption(arg)) {
            return refuse("unknown option '" + arg + "'");
        } else if (named) {
            return refuse("one script at a time: '" + arguments.scriptFile + "' and '" + arg +
                          "' given (quote a name that holds spaces)");
        } else {
            arguments.scriptFile = arg;
            named = true;
        }
    }
    if (named) arguments.command = BatchCommand::run;
    return arguments;
}

const char* batchUsageText() {
    return "Usage: ZorViewer [--load MODULE.so]... [SCRIPT]\n"
           "Edits test scripts and runs them through ZorLib.\n"
           "\n"
           "Without SCRIPT the dialog opens. With SCRIPT every test of the script\n"
           "runs without trace limits and no dialog is shown; a name that begins\n"
           "with '-' follows \"--\".\n"
           "\n"
           "Options:\n"
           "  --load MODULE.so  load native test functions from a shared module\n"
           "                    (repeatable; a batch run that cannot load one\n"
           "                    ends with status 2 before the script runs)\n"
           "  --no-dialogs      show a batch run's messages in no message box\n"
           "  -h, --help        print this help and exit\n"
           "  --version         print the version and exit\n"
           "\n"
           "Messages of a batch run go to stderr, a script error as\n"
           "FILE:LINE:COLUMN: text; when an X display answers they are shown in\n"
           "message boxes as well, except under CI (the CI variable set) or with\n"
           "--no-dialogs, so that a batch run never waits for a person.\n"
           "\n"
           "Exit status: 0 when every test passed, 1 when a verification failed,\n"
           "2 for a script that cannot be opened, no output file, a script error,\n"
           "or bad arguments.\n";
}

bool batchMayAsk(const BatchArguments& arguments) {
    const char* ci = std::getenv("CI");
    const bool underCi = ci != nullptr && ci[0] != '\0' && std::strcmp(ci, "false") != 0 &&
                         std::strcmp(ci, "0") != 0;
    return !arguments.noDialogs && !underCi;
}

BatchOutcome runBatch(LibraryAccess& library, const std::string& scriptFile) {
    const RunResult result = library.parse(scriptFile, std::string());
    BatchOutcome outcome;
    // A name the library refuses cannot be opened either; say so rather than nothing.
    if (result.code == inputNotOpened || result.code == refused)
        tell(outcome, "invalid input file: " + scriptFile + "\n",
             scriptFile + ": cannot open script: " + unopenedReason(scriptFile));
    if (result.code == outputNotOpened)
        tell(outcome, "no outputfile defined",
             scriptFile + ": no output file: " +
                 (result.outFile.empty() ? "the script names no output file"
                                         : result.outFile + " cannot be opened"));
    if (result.errLine != 0) tell(outcome, result.errText, errorLocation(scriptFile, result));
    if (result.code == verificationFailed)
        outcome.errorLines.push_back(verificationFailure(scriptFile, result.outFile));
    outcome.status = exitStatus(result.code);
    return outcome;
}

BatchOutcome runBatch(LibraryAccess& library, ModuleList& modules,
                      const BatchArguments& arguments) {
    BatchOutcome outcome;
    for (const std::string& module : arguments.modules) {
        const std::string failure = modules.load(module);
        if (!failure.empty()) tell(outcome, failure, failure);
    }
    if (!outcome.errorLines.empty()) {
        outcome.status = host::exitError;
        return outcome;
    }
    return runBatch(library, arguments.scriptFile);
}

}  // namespace viewer
