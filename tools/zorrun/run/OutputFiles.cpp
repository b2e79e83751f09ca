#include "OutputFiles.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include "ScriptCharacters.h"

namespace zorrun {

namespace {

// Reads the script one token at a time; only names, strings and "(" matter.
class FileNameScan {
public:
    explicit FileNameScan(std::string_view script) : text(script) {}

    enum Kind { end, name, string, other };

    Kind next(std::string_view& token) {
        skipBlanks();
        if (at >= text.size()) return end;
        const std::size_t start = at;
        if (const std::size_t length = identifierLength(at)) {
            at += length;
            token = text.substr(start, length);
            return name;
        }
        if (text[at] == '"') {
            std::size_t close = at + 1;
            while (close < text.size() && isStringChar(text[close])) ++close;
            if (close < text.size() && text[close] == '"') {
                token = text.substr(at + 1, close - at - 1);
                at = close + 1;
                return string;
            }
        }
        token = text.substr(at++, 1);
        return other;
    }

private:
    // Blanks, line feeds and both kinds of comment; "//*" is a line comment.
    void skipBlanks() {
        while (at < text.size()) {
            const char c = text[at];
            if (c == ' ' || c == '\t' || c == ';' || c == '\n' || c == '\r') {
                ++at;
            } else if (text.compare(at, 2, "//") == 0) {
                const std::size_t lineEnd = text.find('\n', at);
                at = lineEnd == std::string_view::npos ? text.size() : lineEnd;
            } else if (text.compare(at, 2, "/*") == 0) {
                const std::size_t close = text.find('/', at + 2);
                at = close == std::string_view::npos ? text.size() : close + 1;
                // the closing "/" must follow a "*"
                while (at < text.size() && text[at - 2] != '*') {
                    const std::size_t again = text.find('/', at);
                    at = again == std::string_view::npos ? text.size() : again + 1;
                }
            } else {
                return;
            }
        }
    }

    // An identifier as the scanner's rule takes it: ("0x")* letter, then
    // letters and digits, then "[digits]" groups; 0 when none starts here.
    std::size_t identifierLength(std::size_t from) const {
        std::size_t i = from;
        while (text.compare(i, 2, "0x") == 0) i += 2;
        if (i >= text.size() || !isNameStart(text[i])) return 0;
        while (i < text.size() && (isNameStart(text[i]) || isDigit(text[i]))) ++i;
        while (i + 2 < text.size() && text[i] == '[' && isDigit(text[i + 1])) {
            std::size_t close = i + 1;
            while (close < text.size() && isDigit(text[close])) ++close;
            if (close >= text.size() || text[close] != ']') break;
            i = close + 1;
        }
        return i - from;
    }

    std::string_view text;
    std::size_t at = 0;
};

std::string absoluteName(std::string_view name) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(std::string(name), error);
    return path.lexically_normal().string();
}

}  // namespace

ScriptFileNames scanFileNames(const std::string& scriptText) {
    ScriptFileNames found;
    FileNameScan scan(scriptText);
    std::string_view token;
    for (FileNameScan::Kind kind; (kind = scan.next(token)) != FileNameScan::end;) {
        if (kind != FileNameScan::name || (token != "resultfile" && token != "deletefile"))
            continue;
        kind = scan.next(token);
        if (kind == FileNameScan::string) {
            found.names.push_back(absoluteName(token));
        } else if (kind == FileNameScan::other && token == "(") {
            found.unknown = true;
        }
    }
    std::sort(found.names.begin(), found.names.end());
    found.names.erase(std::unique(found.names.begin(), found.names.end()), found.names.end());
    return found;
}

ScriptFileNames findFileNames(const std::string& script) {
    std::ifstream in(script, std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    if (!in || in.bad()) return ScriptFileNames{{}, true};
    return scanFileNames(text.str());
}

bool shareFiles(const ScriptFileNames& first, const ScriptFileNames& second) {
    if (first.unknown || second.unknown) return true;
    auto a = first.names.begin();
    auto b = second.names.begin();
    while (a != first.names.end() && b != second.names.end()) {
        if (*a == *b) return true;
        *a < *b ? ++a : ++b;
    }
    return false;
}

}  // namespace zorrun
