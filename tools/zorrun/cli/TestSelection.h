// Which tests of a script run: -k patterns (shell globs on the test's name,
// NAME POSITION as the reports name a test, or FILE:LINE for the test whose
// name stands on that line, each of them negated by "not ") and the failed
// tests of an earlier run. Asked by the library for every test record it meets.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "TestIdentity.h"

namespace zorrun {

// The tests an earlier run left failed, as this run names them: by script,
// each as name and position. An empty name stands for the whole script, whose
// every test runs again.
using FailedTests = std::map<std::string, std::set<std::pair<std::string, int>>>;

class TestSelection {
public:
    // The outliner tells the lines that FILE:LINE patterns name.
    explicit TestSelection(Outliner outline = {}) : outliner(std::move(outline)) {}

    // A pattern ending in ":LINE" is FILE:LINE, one ending in " POSITION" is
    // NAME POSITION, any other a glob. False, with a message in error, for a
    // FILE:LINE whose file cannot be read: a mistyped name would otherwise
    // select nothing without a word.
    bool addPattern(const std::string& pattern, std::string& error);
    void setFailed(FailedTests failed);
    bool hasPatterns() const { return !patterns.empty(); }
    bool isActive() const { return hasPatterns() || failedOnly; }

    // Called before each script's parse; the script's name as ZorRun was given
    // it, and its outline where the caller has read it already.
    void beginScript(const std::string& script);
    void beginScript(const std::string& script, const ScriptOutline& outline);
    bool selects(const char* name, int position) const;

private:
    enum class Kind { glob, named, place };
    struct Pattern {
        Kind kind = Kind::glob;
        bool negated = false;
        std::string text;  // the glob on names, or the file of a place
        int number = 0;    // the position of a named test, or the line of a place
        // The script begun last: the tests on the line a place names there.
        std::set<std::pair<std::string, int>> placedHere;
    };

    bool takes(const Pattern& pattern, const char* name, int position) const;
    bool placeIn(const std::string& script) const;
    void beginFailed(const std::string& script);

    Outliner outliner;
    std::vector<Pattern> patterns;
    bool anyTaking = false;  // a pattern without "not"
    bool failedOnly = false;
    FailedTests failed;

    const std::set<std::pair<std::string, int>>* failedHere = nullptr;
    bool wholeScript = false;
};

// The key a script is known by in a failed-tests list: its path, lexically
// normalised, so that "./a.txt" and "a.txt" agree.
std::string scriptKey(const std::string& script);

// The tests of the given scripts that the recorded failures name, found in
// each script as it is now; known holds the other tests of the same record,
// which the failures cannot be. A script with a recorded failure that matches
// no test runs whole; unmatched counts those failures by script, as given.
FailedTests findFailedTests(const RecordedFailures& recorded,
                            const std::vector<std::string>& scripts, const Outliner& outline,
                            std::map<std::string, int>& unmatched,
                            const RecordedFailures& known = {});

}  // namespace zorrun
