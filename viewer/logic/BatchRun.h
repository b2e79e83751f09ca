// A run of a whole script without the dialog: `ZorViewer SCRIPT`.
#pragma once

#include <string>
#include <vector>

#include "ModuleList.h"
#include "RunEngines.h"
#include "host/ExitStatus.h"

namespace viewer {

enum class BatchCommand { dialog, help, version, run, badArguments };

struct BatchArguments {
    BatchCommand command = BatchCommand::dialog;
    std::string scriptFile;
    // "--load MODULE" or "--load=MODULE", in the order given, for the dialog
    // as for a batch run.
    std::vector<std::string> modules;
    // --no-dialogs: a batch run shows no message box, display or not.
    bool noDialogs = false;
    std::string error;  // why the arguments are refused
};

// The arguments after the program's name: none opens the dialog, "-h" or
// "--help" asks for the usage, and one script name runs that script; "--"
// lets a name that begins with '-' follow. "--load" may be repeated.
BatchArguments parseBatchArguments(int argc, const char* const* argv);

const char* batchUsageText();

// Whether a batch run may show its messages in boxes that wait for a person:
// never under CI (the CI variable that CI services set, unless "false" or
// "0") or with --no-dialogs; elsewhere only where a display answers.
bool batchMayAsk(const BatchArguments& arguments);

struct BatchOutcome {
    // The texts a display shows in message boxes, in order.
    std::vector<std::string> messages;
    // Lines for stderr, without their line feed: the same news, with a script
    // error's place as FILE:LINE:COLUMN and a line for a failed verification.
    std::vector<std::string> errorLines;
    // exitFailed: a verification failed; exitError: the script could not run
    // through (unreadable, no output file, a script error).
    host::ExitStatus status = host::exitPassed;
};

// Runs every test of the script without trace limits.
BatchOutcome runBatch(LibraryAccess& library, const std::string& scriptFile);
// Loads the arguments' modules first; a module that cannot be loaded ends the
// run with exitError before the script runs, so that its output file is not
// filled with tests that find no function.
BatchOutcome runBatch(LibraryAccess& library, ModuleList& modules, const BatchArguments& arguments);

}  // namespace viewer
