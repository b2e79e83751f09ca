#include "BatchRun.h"

namespace viewer {

namespace {

// The library's result codes for a whole run.
constexpr int refused = -1;  // busy, or a name the library does not take
constexpr int inputNotOpened = -2;
constexpr int outputNotOpened = -3;
constexpr int verificationFailed = -4;

int exitStatus(int code) {
    if (code == 0) return 0;
    if (code == verificationFailed) return 1;
    return 2;
}

}  // namespace

std::string batchInputName(int argc, const char* const* argv) {
    std::string name;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) name += ' ';
        name += argv[i];
    }
    return name;
}

BatchOutcome runBatch(LibraryAccess& library, const std::string& scriptFile) {
    const RunResult result = library.parse(scriptFile, std::string());
    BatchOutcome outcome;
    // A name the library refuses cannot be opened either; say so rather than nothing.
    if (result.code == inputNotOpened || result.code == refused)
        outcome.messages.push_back("invalid input file: " + scriptFile + "\n");
    if (result.code == outputNotOpened) outcome.messages.push_back("no outputfile defined");
    if (result.errLine != 0) outcome.messages.push_back(result.errText);
    outcome.status = exitStatus(result.code);
    return outcome;
}

}  // namespace viewer
