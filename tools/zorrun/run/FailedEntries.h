// The entries of a failed comparison, found again in the stores the library
// compared, so that a console or a JSON report can name them without reading
// the output file back.
#pragma once

#include <string>

class DataMap;

namespace zorrun {

// Packs (see packFailedEntry) each expected entry of expected that logged does
// not satisfy, in the report's order and with the report's texts. Where the
// report's six decimals show two different doubles alike, both are given in
// their shortest round-trip form instead.
void collectFailedEntries(const DataMap& expected, const DataMap& logged, std::string& packed);

}  // namespace zorrun
