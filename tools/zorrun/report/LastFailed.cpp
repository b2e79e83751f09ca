#include "LastFailed.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>

namespace zorrun {

namespace {

constexpr const char* formatLine = "# ZorRun last failed 1: SCRIPT<TAB>NAME POSITION";

std::string escapePath(const std::string& path) {
    std::string out;
    for (const char c : path) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string unescapePath(const std::string& text) {
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

// "login 57" into its name and position; a name without a position is -1.
void splitTestName(const std::string& text, std::string& name, int& position) {
    const std::size_t space = text.rfind(' ');
    position = -1;
    name = text;
    if (space == std::string::npos) return;
    const char* end = text.data() + text.size();
    int number = -1;
    const auto [stop, failure] = std::from_chars(text.data() + space + 1, end, number);
    if (failure != std::errc() || stop != end || number < 0) return;
    name = text.substr(0, space);
    position = number;
}

// A failed test named without a position cannot be found again: its script
// runs whole.
void addFailure(FailedTests& failed, const std::string& script, const std::string& test) {
    std::string name;
    int position = -1;
    splitTestName(test, name, position);
    if (position < 0) name.clear();
    failed[scriptKey(script)].insert({name, position});
}

std::string readWhole(const std::string& path, bool& readable) {
    std::string text;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    readable = file != nullptr;
    if (!file) return text;
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        text.append(chunk, got);
    if (std::ferror(file)) readable = false;
    std::fclose(file);
    return text;
}

// The entities ZorRun writes in attributes; a character reference below 0x100
// is that byte, as ZorRun wrote it.
std::string xmlUnescape(std::string_view text) {
    static const std::pair<std::string_view, char> named[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& [entity, c] : named) {
            if (text.substr(i, entity.size()) != entity) continue;
            out += c;
            i += entity.size();
            replaced = true;
            break;
        }
        const std::size_t semicolon = text.find(';', i);
        if (!replaced && text.substr(i, 2) == "&#" && semicolon != std::string_view::npos) {
            const bool hex = i + 2 < text.size() && text[i + 2] == 'x';
            unsigned code = 0;
            std::from_chars(text.data() + i + (hex ? 3 : 2), text.data() + semicolon, code,
                            hex ? 16 : 10);
            out += static_cast<char>(code);
            i = semicolon + 1;
            replaced = true;
        }
        if (!replaced) out += text[i++];
    }
    return out;
}

// The value of an attribute in a start tag's text, unescaped; false when the
// tag has none.
bool attribute(std::string_view tag, std::string_view name, std::string& value) {
    for (std::size_t at = 0; (at = tag.find(name, at)) != std::string_view::npos; ++at) {
        const std::size_t quote = at + name.size() + 2;
        if (at == 0 || tag[at - 1] != ' ' || tag.substr(at + name.size(), 2) != "=\"") continue;
        const std::size_t end = tag.find('"', quote);
        if (end == std::string_view::npos) return false;
        value = xmlUnescape(tag.substr(quote, end - quote));
        return true;
    }
    return false;
}

}  // namespace

// ZorRun's reports open with this declaration and a testsuites element, and
// every testcase names its suite as its classname: other writers' reports
// name a class there.
bool readJUnitFailures(const std::string& path, FailedTests& failed, std::string& reason) {
    bool readable = false;
    const std::string text = readWhole(path, readable);
    if (!readable) {
        reason = std::strerror(errno);
        return false;
    }
    const std::string_view opening = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites";
    if (text.compare(0, opening.size(), opening) != 0) {
        reason = "not a JUnit report written by ZorRun";
        return false;
    }
    std::string suite;
    for (std::size_t at = 0; (at = text.find('<', at)) != std::string::npos; ++at) {
        const std::size_t close = text.find('>', at);
        if (close == std::string::npos) break;
        const std::string_view tag(text.data() + at, close - at);
        std::string classname, name;
        if (tag.starts_with("<testsuite ")) {
            attribute(tag, "name", suite);
        } else if (tag.starts_with("<testcase ")) {
            if (!attribute(tag, "classname", classname) || classname != suite ||
                !attribute(tag, "name", name)) {
                reason = "not a JUnit report written by ZorRun";
                return false;
            }
            if (tag.ends_with("/")) continue;
            const std::size_t end = text.find("</testcase>", close);
            const std::string_view body(text.data() + close,
                                        end == std::string::npos ? 0 : end - close);
            if (body.find("<failure") != std::string_view::npos ||
                body.find("<error") != std::string_view::npos)
                addFailure(failed, suite, name == "script error" ? "" : name);
        }
        at = close;
    }
    return true;
}

FailedTests readLastFailed(const std::string& path) {
    FailedTests failed;
    bool readable = false;
    const std::string text = readWhole(path, readable);
    std::size_t at = text.find('\n');
    if (at == std::string::npos || text.compare(0, at, formatLine) != 0) return failed;
    while (++at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        const std::size_t tab = line.find('\t');
        if (tab != std::string::npos)
            addFailure(failed, unescapePath(line.substr(0, tab)), line.substr(tab + 1));
        at = end;
    }
    return failed;
}

void FailureLog::scriptStart(const ScriptStart& event) {
    key = scriptKey(event.script);
    failedHere = false;
    errorHere = false;
}

void FailureLog::testResult(const TestResult& event) {
    if (event.outcome == Outcome::error) errorHere = true;
    if (event.outcome == Outcome::passed) {
        const auto found = tests.find(key);
        if (found != tests.end()) found->second.erase({event.name, event.position});
        return;
    }
    tests[key].insert({event.position < 0 ? "" : event.name, event.position});
    failedHere = true;
}

// A script that ran through without an error has had its whole-script mark
// answered, by the tests it ran.
void FailureLog::scriptEnd(const ScriptEnd&) {
    if (errorHere && !failedHere) {
        tests[key].insert({"", -1});
        return;
    }
    const auto found = tests.find(key);
    if (found == tests.end()) return;
    if (!errorHere) found->second.erase({"", -1});
    if (found->second.empty()) tests.erase(found);
}

bool FailureLog::save(const std::string& folder, const std::string& path,
                      std::string& reason) const {
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
        reason = std::strerror(errno);
        return false;
    }
    std::string text = std::string(formatLine) + "\n";
    for (const auto& [script, failed] : tests) {
        for (const auto& [name, position] : failed) {
            text += escapePath(script) + "\t";
            if (!name.empty()) text += name + " " + std::to_string(position);
            text += "\n";
        }
    }
    const std::string draft = path + ".tmp" + std::to_string(getpid());
    std::FILE* file = std::fopen(draft.c_str(), "wb");
    bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file && std::fclose(file) != 0) written = false;
    if (written && std::rename(draft.c_str(), path.c_str()) == 0) return true;
    reason = std::strerror(errno);
    std::remove(draft.c_str());
    return false;
}

}  // namespace zorrun
