#include "TestReach.h"

#include <algorithm>

namespace zorrun {

// The outline ends at the error, as the run does. A run under a filter stops
// after the test the filter names, so it reaches at most that one.
TestReach testsReached(const std::string& script, const ScriptOutline& outline, int outlined,
                       const std::string& filter, TestSelection* selection) {
    TestReach reach;
    if (outlined < 0 || !filter.empty()) return reach;
    reach.known = true;
    if (selection) selection->beginScript(script, outline);
    const auto& records = outline.records;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const OutlineRecord& record = records[i];
        if (record.kind != OutlineRecord::test) continue;
        if (selection && !selection->selects(record.name.c_str(), record.position)) continue;
        reach.tests.push_back(static_cast<int>(i));
    }
    reach.count = static_cast<int>(reach.tests.size());
    return reach;
}

bool selectsNone(const TestReach& reach, int outlined) {
    return outlined == 0 && reach.known && reach.count == 0;
}

// Records come in the script's order, so their positions rise.
int lineOf(const ScriptOutline& outline, int position) {
    const auto& records = outline.records;
    const auto found = std::lower_bound(
        records.begin(), records.end(), position,
        [](const OutlineRecord& record, int wanted) { return record.position < wanted; });
    return found != records.end() && found->position == position ? found->line : 0;
}

}  // namespace zorrun
