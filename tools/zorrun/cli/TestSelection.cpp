#include "TestSelection.h"

#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>

namespace zorrun {

namespace {

bool sameFile(const std::string& one, const std::string& other) {
    struct stat first, second;
    return stat(one.c_str(), &first) == 0 && stat(other.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool allDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

bool readNumber(const std::string& text, int& number) {
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, number);
    return failure == std::errc() && stop == end;
}

// Why FILE:LINE can name no test, or "".
std::string placeProblem(const std::string& file, const std::string& lineText, int& line) {
    if (!readNumber(lineText, line) || line < 1) return "lines count from 1";
    struct stat status;
    if (stat(file.c_str(), &status) != 0)
        return "cannot read " + file + ": " + std::strerror(errno);
    if (!S_ISREG(status.st_mode)) return file + " is not a file";
    return "";
}

}  // namespace

std::string scriptKey(const std::string& script) {
    return std::filesystem::path(script).lexically_normal().string();
}

// "not " may stand before any kind of pattern; what follows is read as
// without it.
bool TestSelection::addPattern(const std::string& given, std::string& error) {
    Pattern pattern;
    std::string text = given;
    pattern.negated = text.starts_with("not ") && text.find_first_not_of(' ', 4) != text.npos;
    if (pattern.negated) text.erase(0, text.find_first_not_of(' ', 4));
    pattern.text = text;
    const std::size_t colon = text.rfind(':');
    const std::size_t space = text.rfind(' ');
    if (colon != std::string::npos && colon > 0 && allDigits(text.substr(colon + 1))) {
        pattern.kind = Kind::place;
        pattern.text = text.substr(0, colon);
        error = placeProblem(pattern.text, text.substr(colon + 1), pattern.number);
        if (!error.empty()) {
            error = "-k '" + given + "': " + error;
            return false;
        }
    } else if (space != std::string::npos && space > 0 && allDigits(text.substr(space + 1)) &&
               readNumber(text.substr(space + 1), pattern.number)) {
        pattern.kind = Kind::named;
        pattern.text = text.substr(0, space);
    }
    anyTaking = anyTaking || !pattern.negated;
    patterns.push_back(std::move(pattern));
    return true;
}

void TestSelection::setFailed(FailedTests tests) {
    failed = std::move(tests);
    failedOnly = true;
}

bool TestSelection::placeIn(const std::string& script) const {
    return std::any_of(patterns.begin(), patterns.end(), [&script](const Pattern& pattern) {
        return pattern.kind == Kind::place &&
               (pattern.text == script || sameFile(pattern.text, script));
    });
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
    if (placeIn(script) && outliner) outliner(script, read);
    beginScript(script, read);
}

void TestSelection::beginScript(const std::string& script, const ScriptOutline& read) {
    for (Pattern& pattern : patterns) {
        pattern.placedHere.clear();
        if (pattern.kind != Kind::place ||
            (pattern.text != script && !sameFile(pattern.text, script)))
            continue;
        for (const OutlineRecord& record : read.records) {
            if (record.kind == OutlineRecord::test && record.line == pattern.number)
                pattern.placedHere.insert({record.name, record.position});
        }
    }
    beginFailed(script);
}

bool TestSelection::takes(const Pattern& pattern, const char* name, int position) const {
    switch (pattern.kind) {
        case Kind::glob:
            return fnmatch(pattern.text.c_str(), name, 0) == 0;
        case Kind::named:
            return position == pattern.number && fnmatch(pattern.text.c_str(), name, 0) == 0;
        case Kind::place:
            return pattern.placedHere.count({name, position}) > 0;
    }
    return false;
}

// A "not" pattern that takes a test leaves it out whatever else takes it;
// without other patterns, every other test runs. Failed tests narrow what the
// patterns select.
bool TestSelection::selects(const char* name, int position) const {
    if (failedOnly && !wholeScript && (!failedHere || !failedHere->count({name, position})))
        return false;
    bool taken = !anyTaking;
    for (const Pattern& pattern : patterns) {
        if (!takes(pattern, name, position)) continue;
        if (pattern.negated) return false;
        taken = true;
    }
    return taken;
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
