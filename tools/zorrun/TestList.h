// --list: every test a script would run, found by a pass over it in which no
// test function runs and no file is created, written or deleted.
#pragma once

#include <string>
#include <vector>

#include "Console.h"
#include "RunSummary.h"
#include "TestSelection.h"

namespace zor {

// Prints "FILE:LINE: NAME POSITION" for each test the filter and selection
// (which may be null) take; each listed test counts as passed in the outcome.
ScriptOutcome listTests(const std::string& script, const std::string& filter,
                        TestSelection* selection, Console& console);

}  // namespace zor
