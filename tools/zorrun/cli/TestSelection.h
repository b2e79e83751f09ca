// Which tests of a script run: -k patterns (shell globs on the test's name, or
// FILE:LINE for the test whose name stands on that line) and the failed tests
// of an earlier run. Asked by the library for every test record it meets.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace zorrun {

// The line a position of the library stands on: the library counts every byte
// but the line feeds, so a position is the byte offset less the lines before.
class ScriptLines {
public:
    explicit ScriptLines(const std::string& text);
    int lineOf(int position) const;

private:
    std::vector<int> lineStarts;  // the position each line starts at
};

// A script's text, or empty when it cannot be read.
std::string readScriptText(const std::string& path);

// The tests an earlier run left failed: by script, each as name and position.
// An empty name stands for the whole script (it ended with an error outside any
// test), whose every test runs again.
using FailedTests = std::map<std::string, std::set<std::pair<std::string, int>>>;

class TestSelection {
public:
    // A pattern is FILE:LINE when the text before its last colon names a file
    // that is there and the rest is a line number; otherwise a glob.
    void addPattern(const std::string& pattern);
    void setFailed(FailedTests failed);
    bool hasPatterns() const { return !globs.empty() || !places.empty(); }
    bool isActive() const { return hasPatterns() || failedOnly; }

    // Called before each script's parse; the script's name as ZorRun was given it.
    void beginScript(const std::string& script);
    bool selects(const char* name, int position) const;

private:
    struct Place {
        std::string file;
        int line;
    };

    std::vector<std::string> globs;
    std::vector<Place> places;
    bool failedOnly = false;
    FailedTests failed;

    // The script begun last.
    std::vector<int> linesHere;  // the lines of places that name this script
    ScriptLines lines{""};
    const std::set<std::pair<std::string, int>>* failedHere = nullptr;
    bool wholeScript = false;
};

// The key a script is known by in a failed-tests list: its path, lexically
// normalised, so that "./a.txt" and "a.txt" agree.
std::string scriptKey(const std::string& script);

}  // namespace zorrun
