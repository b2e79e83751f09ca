// A failed comparison's entries as the console and the reports show them:
// "status == 200" and "404", the exact forms where six decimals show two
// doubles alike.
#pragma once

#include <string>

#include "output/Comparison.h"

namespace zorrun {

// What a verdict carries at most, so that a huge logged text neither floods
// the console nor outgrows a verdict message: the first entries, each value
// cut after so many bytes with "..." added.
constexpr int shownEntries = 20;
constexpr std::size_t shownValueSize = 200;

// Packs (see packFailedEntry) the first shownEntries entries that did not
// hold; answers how many more did not hold.
int packFailedEntries(const Comparison& comparison, std::string& packed);

}  // namespace zorrun
