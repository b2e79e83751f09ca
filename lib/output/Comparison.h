// The outcome of one comparison of a test's results with its expected
// entries, as one value: the verdict, each entry with what it expected and
// what was logged, and the report block that went into the output file. The
// report is written from this value, so what a host is told and what the
// output file says cannot disagree.
#pragma once

#include <string>
#include <vector>

struct ComparisonEntry {
    // The checked path ("status", "list[2].pos.x") and its operator as
    // written after the path: "==", "!=", "<=", "<", ">=" or ">".
    std::string path;
    std::string op;
    // The values in the report's spelling: 200, "ok" (quotes included),
    // 0x1f, 0.300000. actual is "undefined" for a value that was not logged,
    // and names the type first ("char* \"404\"") when its type differs.
    std::string expected;
    std::string actual;
    // The same values where the report's six decimals show two different
    // doubles alike: then both in their shortest round-trip form
    // ("0.30000000000000004"); otherwise equal to expected and actual.
    std::string expectedExact;
    std::string actualExact;
    bool held = false;
};

struct Comparison {
    std::string name;   // the test record's name ("" in no comparison yet)
    int position = -1;  // its position, as a filter names it; -1 when not known
    int line = 0;       // the line its name stands on, from 1; 0 when not known
    int pass = 1;       // the pass flag the comparison was made with
    // What Parse::verData answers: 0 the test passed, 1 it failed (an entry
    // that did not hold, a pass flag of 0, or a report not written whole).
    int result = 0;
    // Every expected entry of a known type, in the expected record's order.
    std::vector<ComparisonEntry> entries;
    // The report block byte for byte, from the name line to the empty line
    // after its closing brace.
    std::string block;
    // The output file the block went to; "" when none could be opened.
    std::string outFile;
    // Why the block did not go into the output file whole; "" when it did.
    std::string writeError;
};
