#include "TestSelection.h"

#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <filesystem>

namespace zorrun {

namespace {

bool sameFile(const std::string& one, const std::string& other) {
    struct stat first, second;
    return stat(one.c_str(), &first) == 0 && stat(other.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool readLine(const std::string& text, int& line) {
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, line);
    return !text.empty() && failure == std::errc() && stop == end && line >= 1;
}

}  // namespace

std::string scriptKey(const std::string& script) {
    return std::filesystem::path(script).lexically_normal().string();
}

void TestSelection::addPattern(const std::string& pattern) {
    const std::size_t colon = pattern.rfind(':');
    int line = 0;
    struct stat status;
    if (colon != std::string::npos && colon > 0 && readLine(pattern.substr(colon + 1), line) &&
        stat(pattern.substr(0, colon).c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
        places.push_back({pattern.substr(0, colon), line});
    } else {
        globs.push_back(pattern);
    }
}

void TestSelection::setFailed(FailedTests tests) {
    failed = std::move(tests);
    failedOnly = true;
}

std::vector<int> TestSelection::linesOf(const std::string& script) const {
    std::vector<int> lines;
    for (const Place& place : places) {
        if (place.file == script || sameFile(place.file, script)) lines.push_back(place.line);
    }
    return lines;
}

void TestSelection::beginFailed(const std::string& script) {
    failedHere = nullptr;
    wholeScript = false;
    if (!failedOnly) return;
    const auto found = failed.find(scriptKey(script));
    if (found == failed.end()) return;
    failedHere = &found->second;
    wholeScript = failedHere->count({"", -1}) > 0;
}

void TestSelection::beginScript(const std::string& script) {
    ScriptOutline read;
    if (!linesOf(script).empty() && outliner) outliner(script, read);
    beginScript(script, read);
}

void TestSelection::beginScript(const std::string& script, const ScriptOutline& read) {
    placedHere.clear();
    const std::vector<int> lines = linesOf(script);
    for (const OutlineRecord& record : read.records) {
        if (record.kind == OutlineRecord::test &&
            std::find(lines.begin(), lines.end(), record.line) != lines.end())
            placedHere.insert({record.name, record.position});
    }
    beginFailed(script);
}

// Patterns select together; failed tests narrow what they select.
bool TestSelection::selects(const char* name, int position) const {
    if (failedOnly && !wholeScript && (!failedHere || !failedHere->count({name, position})))
        return false;
    if (!hasPatterns()) return true;
    for (const std::string& glob : globs) {
        if (fnmatch(glob.c_str(), name, 0) == 0) return true;
    }
    return placedHere.count({name, position}) > 0;
}

namespace {

// The tests a script's recorded failures name now; those that match none are
// counted, and make the script run whole.
std::set<std::pair<std::string, int>> findInScript(const std::set<RecordedTest>& recorded,
                                                   const std::set<RecordedTest>& known,
                                                   const std::vector<OutlineRecord>& records,
                                                   int& unmatched) {
    const std::vector<RecordedTest> tests(recorded.begin(), recorded.end());
    const std::vector<int> found = findRecordedTests(records, tests, known);
    std::set<std::pair<std::string, int>> selected;
    for (std::size_t i = 0; i < tests.size(); ++i) {
        if (found[i] >= 0) {
            selected.insert({tests[i].name, records[static_cast<std::size_t>(found[i])].position});
            continue;
        }
        if (!tests[i].isWholeScript()) ++unmatched;
        selected.insert({"", -1});
    }
    return selected;
}

}  // namespace

// A script that cannot be read runs whole, to say why.
FailedTests findFailedTests(const RecordedFailures& recorded,
                            const std::vector<std::string>& scripts, const Outliner& outline,
                            std::map<std::string, int>& unmatched, const RecordedFailures& known) {
    FailedTests found;
    for (const std::string& script : scripts) {
        const std::string key = scriptKey(script);
        const auto entry = recorded.find(key);
        if (entry == recorded.end() || found.count(key)) continue;
        ScriptOutline read;
        if (!outline || !outline(script, read)) {
            found[key].insert({"", -1});
            continue;
        }
        int missing = 0;
        const auto others = known.find(key);
        found[key] = findInScript(entry->second,
                                  others == known.end() ? std::set<RecordedTest>() : others->second,
                                  read.records, missing);
        if (missing > 0) unmatched[script] = missing;
    }
    return found;
}

}  // namespace zorrun
