// --list and -k: every test a script would run, told by the script's outline,
// so that no test function runs and no file is created, written or deleted.
#pragma once

#include <string>
#include <vector>

#include "Console.h"
#include "TestSelection.h"

namespace zorrun {

struct ListedTest {
    std::string name;
    int position;
    int line;
};

// The library's outline of a script; false when it cannot be opened or the
// library is busy with a run.
bool outlineOf(const std::string& script, ScriptOutline& outline);

// The tests the filter and the selection (which may be null) take, in the
// script's order; false with an error line when the script cannot be read or
// has an error, in which case tests holds those before it.
bool selectedTests(const std::string& script, const std::string& filter, TestSelection* selection,
                   std::vector<ListedTest>& tests, std::string& error);

// Prints "FILE:LINE: NAME POSITION" for each test the filter and selection
// (which may be null) take, and adds them to listed; false, with the error
// on the console, when the script cannot be read whole.
bool listTests(const std::string& script, const std::string& filter, TestSelection* selection,
               Console& console, int& listed);

}  // namespace zorrun
