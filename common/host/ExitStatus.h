// What a program's exit status tells the script or the shell that started it.
#pragma once

namespace host {

enum ExitStatus {
    // Every test passed (and the help or the version asked for was shown).
    exitPassed = 0,
    // A test failed: a verification did not hold.
    exitFailed = 1,
    // Nothing was judged: bad arguments, a script that could not run through,
    // a server that could not start.
    exitError = 2,
};

}  // namespace host
