// Which tests a run of a script reaches: asked of the script's outline by the
// supervisor, to name the tests a crash left unrun and to find verdicts that
// never arrived.
#pragma once

#include <string>
#include <vector>

#include "TestSelection.h"
#include "script/ScriptOutline.h"

namespace zorrun {

struct TestReach {
    // false where the outline cannot tell: the script could not be read, or
    // a filter names the one test the run may reach.
    bool known = false;
    // Indexes of the outline's test records, in the script's order: a large
    // script's names are kept once, in its outline.
    std::vector<int> tests;
    int count = 0;  // how many; where only the count was asked, tests stays empty
};

// The test records the selection (which may be null) takes, those before the
// error that stops the script. The selection begins the script.
TestReach testsReached(const std::string& script, const ScriptOutline& outline, int outlined,
                       const std::string& filter, TestSelection* selection);

// Whether a script is left unrun because the selection takes none of its
// tests: only where its outline went through without an error, which the run
// must still report.
bool selectsNone(const TestReach& reach, int outlined);

// The line the test record at position stands on; 0 when the outline has no
// record there.
int lineOf(const ScriptOutline& outline, int position);

}  // namespace zorrun
