// Comparing a logged record with the expected one into a Comparison, the one
// judge of the library: the report block is spelled from the same value that
// hosts are handed. Internal to the library.
#pragma once

#include "output/Comparison.h"

class DataMap;

namespace zor {

// Judges every expected entry against the logged record and spells the
// report block, reusing the comparison's storage. Fills name, pass, result,
// entries and block; position, outFile and writeError are left empty for the
// caller that knows them. Marks logged elements while it runs and clears
// them all before it returns.
void compareRecords(const DataMap& expected, DataMap& logged, int pass, Comparison& comparison);

// The comparison DataMap::differ made last, for the run driver to complete
// and hand on.
Comparison& currentComparison();

}  // namespace zor
