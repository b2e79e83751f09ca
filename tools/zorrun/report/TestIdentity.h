// A test as it can be found again after its script was edited. A position
// moves with every byte added above the test and a line with every line, but
// a test keeps its name and, unless one of that name is added or removed
// before it, its place among the script's tests of that name.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "script/ScriptOutline.h"

namespace zorrun {

struct RecordedTest {
    std::string name;   // "" for a whole script
    int ordinal = 0;    // among the script's test records of that name, from 1; 0: not known
    int line = 0;       // 0: not known
    int position = -1;  // as a run named it; -1: not known

    bool isWholeScript() const { return name.empty(); }
    // Whole scripts first, then in the script's order.
    bool operator<(const RecordedTest& other) const;
    bool operator==(const RecordedTest& other) const = default;
};

// By script (its scriptKey), the failed tests recorded for it.
using RecordedFailures = std::map<std::string, std::set<RecordedTest>>;

// Reads a script's outline; false when it cannot be read at all. ZorRun's
// core does not drive the library: the executable hands its reader in.
using Outliner = std::function<bool(const std::string& script, ScriptOutline& outline)>;

// The index in records of the test record a recorded test is now, or -1: by
// name and ordinal, or by name and position; failing that, the nearest line of
// that name among the records that taken does not hold (by name and
// position). A test known by neither ordinal nor line must keep its position.
int findRecordedTest(const std::vector<OutlineRecord>& records, const RecordedTest& test,
                     const std::set<std::pair<std::string, int>>& taken = {});

// Each recorded test's index in records, as findRecordedTest finds it; the
// tests found exactly, and those in known, take their records first, so that
// a test that moved is not found where another one stands.
std::vector<int> findRecordedTests(const std::vector<OutlineRecord>& records,
                                   const std::vector<RecordedTest>& tests,
                                   const std::set<RecordedTest>& known = {});

// The index of the test record of that name and position, or -1.
int findTestRecord(const std::vector<OutlineRecord>& records, const std::string& name,
                   int position);

// What identifies records[index], a test record, across edits.
RecordedTest identify(const std::vector<OutlineRecord>& records, int index);

}  // namespace zorrun
