// Which tests a run of a script reaches: the one question that the runners
// ask of a script before or after running it, to name the tests a crash left
// unrun and to find verdicts that never arrived.
#pragma once

#include <string>
#include <vector>

#include "TestList.h"
#include "TestSelection.h"

namespace zorrun {

// The tests the filter and the selection (which may be null) take, in the
// script's order; those before an error that stops the script.
std::vector<ListedTest> testsReached(const std::string& script, const std::string& filter,
                                     TestSelection* selection);

// The same, asked in a short-lived process of its own, so that the library's
// state in this one stays untouched (workers are forked from it); false when
// that process cannot tell.
bool testsReachedApart(const std::string& script, const std::string& filter,
                       TestSelection* selection, std::vector<ListedTest>& tests);

}  // namespace zorrun
