#include "LastFailed.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <string_view>

#include "RegularFile.h"
#include "Verdicts.h"

namespace zorlsp {

namespace {

constexpr std::string_view formatLine =
    "# ZorRun last failed 2: SCRIPT<TAB>NAME<TAB>ORDINAL<TAB>LINE";
constexpr std::string_view firstFormatLine = "# ZorRun last failed 1: SCRIPT<TAB>NAME POSITION";

// ZorRun does not read back a larger file; an editor's hover reads less.
constexpr std::size_t maxLastFailedSize = 16u << 20;

std::string unescapePath(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char code = text[++i];
        out += code == 't' ? '\t' : code == 'n' ? '\n' : code;
    }
    return out;
}

// A whole number and nothing else; -1 otherwise.
int readCount(std::string_view text) {
    int number = -1;
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, number);
    return !text.empty() && failure == std::errc() && stop == end && number >= 0 ? number : -1;
}

// "NAME\tORDINAL\tLINE"; false for any other shape.
bool readTest(std::string_view text, LastFailedTest& test) {
    const std::size_t lineTab = text.rfind('\t');
    if (lineTab == std::string_view::npos || lineTab == 0) return false;
    const std::size_t ordinalTab = text.rfind('\t', lineTab - 1);
    if (ordinalTab == std::string_view::npos || ordinalTab == 0) return false;
    test.name = text.substr(0, ordinalTab);
    test.ordinal = readCount(text.substr(ordinalTab + 1, lineTab - ordinalTab - 1));
    return test.ordinal >= 0 && readCount(text.substr(lineTab + 1)) >= 0;
}

// "NAME POSITION"; a name without a position stands for its whole script.
bool readFirstFormatTest(std::string_view text, LastFailedTest& test) {
    const std::size_t space = text.rfind(' ');
    if (space == std::string_view::npos) return false;
    test.name = text.substr(0, space);
    test.position = readCount(text.substr(space + 1));
    return test.position >= 0;
}

// Lines come grouped by script: each script is looked for once per group.
struct ScriptMatch {
    const std::string& folder;
    const std::string& scriptPath;
    std::string_view last;
    bool lastMatched = false;

    bool matches(std::string_view script) {
        if (script != last) lastMatched = samePath(unescapePath(script), scriptPath, folder);
        last = script;
        return lastMatched;
    }
};

// One line after the first into failed, when it is about the script.
void readLine(std::string_view line, bool firstFormat, ScriptMatch& script, LastFailed& failed,
              bool& named) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos || !script.matches(line.substr(0, tab))) return;
    named = true;
    const std::string_view rest = line.substr(tab + 1);
    LastFailedTest test;
    const bool isTest = firstFormat ? readFirstFormatTest(rest, test) : readTest(rest, test);
    if (isTest)
        failed.tests.push_back(std::move(test));
    else if (rest.empty() || firstFormat)
        failed.scriptErrored = true;
}

// The file's bytes, or "" when it is not there to be read safely.
std::string readKept(const std::string& folder) {
    const int root = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int kept =
        root < 0 ? -1 : openat(root, ".zorrun", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int fd = kept < 0 ? -1
                            : openat(kept, "lastfailed",
                                     O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    std::string text;
    readOpenedFile(fd, maxLastFailedSize, text);
    for (const int held : {kept, root})
        if (held >= 0) close(held);
    return text;
}

}  // namespace

bool readLastFailedText(const std::string& text, const std::string& folder,
                        const std::string& scriptPath, LastFailed& failed) {
    failed = LastFailed{};
    const std::string_view all = text;
    std::size_t at = all.find('\n');
    const std::string_view first = all.substr(0, at);
    const bool firstFormat = first == firstFormatLine;
    if (at == std::string_view::npos || (first != formatLine && !firstFormat)) return false;
    bool named = false;
    ScriptMatch script{folder, scriptPath, {}, false};
    while (at < all.size()) {
        const std::size_t end = std::min(all.find('\n', at + 1), all.size());
        readLine(all.substr(at + 1, end - at - 1), firstFormat, script, failed, named);
        at = end;
    }
    return named;
}

bool readLastFailed(const std::string& folder, const std::string& scriptPath, LastFailed& failed) {
    failed = LastFailed{};
    return !folder.empty() && readLastFailedText(readKept(folder), folder, scriptPath, failed);
}

bool hasFailed(const LastFailed& failed, const std::string& name, int ordinal, int position) {
    return std::any_of(failed.tests.begin(), failed.tests.end(), [&](const LastFailedTest& test) {
        return test.name == name &&
               (test.ordinal > 0 ? test.ordinal == ordinal : test.position == position);
    });
}

}  // namespace zorlsp
