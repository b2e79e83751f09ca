#include "FailedEntryText.h"

#include "Verdict.h"

namespace zorrun {

namespace {

// A cut never splits a character of several bytes: the cut moves back to its
// first byte.
std::string shown(const std::string& value) {
    if (value.size() <= shownValueSize) return value;
    std::size_t cut = shownValueSize;
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
    return value.substr(0, cut) + "...";
}

}  // namespace

int packFailedEntries(const Comparison& comparison, std::string& packed) {
    int shownCount = 0, more = 0;
    for (const ComparisonEntry& entry : comparison.entries) {
        if (entry.held) continue;
        if (shownCount == shownEntries) {
            ++more;
            continue;
        }
        ++shownCount;
        packFailedEntry(packed, entry.path + " " + entry.op + " " + shown(entry.expectedExact),
                        shown(entry.actualExact));
    }
    return more;
}

}  // namespace zorrun
