#include "TestIdentity.h"

#include <cstdlib>
#include <tuple>
#include <utility>

namespace zorrun {

namespace {

bool isTest(const OutlineRecord& record, const std::string& name) {
    return record.kind == OutlineRecord::test && record.name == name;
}

// How far a record stands from where a test was: lines first, then, between
// records as many lines away on either side, positions where known. The
// first of the nearest wins what is left of a tie.
std::pair<int, int> distance(const OutlineRecord& record, const RecordedTest& test) {
    return {std::abs(record.line - test.line),
            test.position < 0 ? 0 : std::abs(record.position - test.position)};
}

int nearest(const std::vector<OutlineRecord>& records, const RecordedTest& test,
            const std::set<std::pair<std::string, int>>& taken) {
    int best = -1;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!isTest(records[i], test.name) || taken.count({test.name, records[i].position}))
            continue;
        if (best < 0 ||
            distance(records[i], test) < distance(records[static_cast<std::size_t>(best)], test))
            best = static_cast<int>(i);
    }
    return best;
}

int byOrdinal(const std::vector<OutlineRecord>& records, const std::string& name, int ordinal) {
    int seen = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (isTest(records[i], name) && ++seen == ordinal) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

bool RecordedTest::operator<(const RecordedTest& other) const {
    return std::tie(line, name, ordinal, position) <
           std::tie(other.line, other.name, other.ordinal, other.position);
}

int findTestRecord(const std::vector<OutlineRecord>& records, const std::string& name,
                   int position) {
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (isTest(records[i], name) && records[i].position == position) return static_cast<int>(i);
    }
    return -1;
}

int exactly(const std::vector<OutlineRecord>& records, const RecordedTest& test) {
    if (test.isWholeScript()) return -1;
    return test.ordinal > 0 ? byOrdinal(records, test.name, test.ordinal)
                            : findTestRecord(records, test.name, test.position);
}

int findRecordedTest(const std::vector<OutlineRecord>& records, const RecordedTest& test,
                     const std::set<std::pair<std::string, int>>& taken) {
    const int found = exactly(records, test);
    if (found >= 0 || test.isWholeScript() || test.line <= 0) return found;
    return nearest(records, test, taken);
}

std::vector<int> findRecordedTests(const std::vector<OutlineRecord>& records,
                                   const std::vector<RecordedTest>& tests,
                                   const std::set<RecordedTest>& known) {
    std::set<std::pair<std::string, int>> taken;
    std::vector<int> found;
    for (const RecordedTest& test : known) {
        const int index = exactly(records, test);
        if (index >= 0)
            taken.insert({test.name, records[static_cast<std::size_t>(index)].position});
    }
    for (const RecordedTest& test : tests) {
        found.push_back(exactly(records, test));
        if (found.back() >= 0)
            taken.insert({test.name, records[static_cast<std::size_t>(found.back())].position});
    }
    for (std::size_t i = 0; i < tests.size(); ++i) {
        if (found[i] >= 0) continue;
        found[i] = findRecordedTest(records, tests[i], taken);
        if (found[i] >= 0)
            taken.insert({tests[i].name, records[static_cast<std::size_t>(found[i])].position});
    }
    return found;
}

RecordedTest identify(const std::vector<OutlineRecord>& records, int index) {
    const OutlineRecord& record = records[static_cast<std::size_t>(index)];
    int ordinal = 0;
    for (int i = 0; i <= index; ++i) {
        if (isTest(records[static_cast<std::size_t>(i)], record.name)) ++ordinal;
    }
    return {record.name, ordinal, record.line, record.position};
}

}  // namespace zorrun
