// The comparison report: the verification block of the output file, written
// from the comparison value in one piece.
#include "output/CompareRecords.h"
#include "run/AdaptIO.h"
#include "store/DataMap.h"

namespace zor {

Comparison& currentComparison() {
    static Comparison comparison;
    return comparison;
}

}  // namespace zor

int DataMap::differ(AdaptIO& out, DataMap& logged, int pass) {
    Comparison& comparison = zor::currentComparison();
    zor::compareRecords(*this, logged, pass, comparison);
    out << comparison.block.c_str();
    return comparison.result;
}
