#include "TestSelection.h"

#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

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

ScriptLines::ScriptLines(const std::string& text) {
    lineStarts.push_back(0);
    int position = 0;
    for (const char c : text) {
        if (c == '\n')
            lineStarts.push_back(position);
        else
            ++position;
    }
}

// An empty line starts where the next one does; a test never starts on one,
// so the last line starting at or before the position is the test's.
int ScriptLines::lineOf(int position) const {
    const auto after = std::upper_bound(lineStarts.begin(), lineStarts.end(), position);
    return static_cast<int>(after - lineStarts.begin());
}

// A stream iterator would throw where the script is a folder.
std::string readScriptText(const std::string& path) {
    std::string text;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return text;
    char chunk[1 << 16];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
        text.append(chunk, got);
    }
    if (std::ferror(file)) text.clear();
    std::fclose(file);
    return text;
}

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

void TestSelection::beginScript(const std::string& script) {
    linesHere.clear();
    for (const Place& place : places) {
        if (place.file == script || sameFile(place.file, script)) linesHere.push_back(place.line);
    }
    lines = ScriptLines(linesHere.empty() ? std::string() : readScriptText(script));
    failedHere = nullptr;
    wholeScript = false;
    if (!failedOnly) return;
    const auto found = failed.find(scriptKey(script));
    if (found == failed.end()) return;
    failedHere = &found->second;
    wholeScript = failedHere->count({"", -1}) > 0;
}

// Patterns select together; failed tests narrow what they select.
bool TestSelection::selects(const char* name, int position) const {
    if (failedOnly && !wholeScript && (!failedHere || !failedHere->count({name, position})))
        return false;
    if (!hasPatterns()) return true;
    for (const std::string& glob : globs) {
        if (fnmatch(glob.c_str(), name, 0) == 0) return true;
    }
    if (linesHere.empty()) return false;
    const int line = lines.lineOf(position);
    return std::find(linesHere.begin(), linesHere.end(), line) != linesHere.end();
}

}  // namespace zorrun
