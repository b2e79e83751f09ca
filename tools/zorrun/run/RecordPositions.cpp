#include "RecordPositions.h"

#include <fstream>
#include <iterator>

#include "ScriptCharacters.h"

namespace zorrun {

namespace {

// Reads the script's top level: test records, and what to pass over on the
// way to the next one (comments, strings, bodies, parenthesised file names).
class TopLevel {
public:
    explicit TopLevel(std::string scriptText) : text(std::move(scriptText)) {}

    int find(int after, std::string_view name) {
        while (at < text.size()) {
            if (!skipOne() && atRecord()) {
                const long start = static_cast<long>(at);
                const long line = lineNo;
                const std::string path = readPath();
                const long position = start - (line - 1);
                if (path == name && position > after) return static_cast<int>(position);
            }
        }
        return -1;
    }

private:
    char next(std::size_t ahead = 1) const {
        return at + ahead < text.size() ? text[at + ahead] : '\0';
    }

    // Passes over one character, comment or string; false at a word that
    // stands at the top level.
    bool skipOne() {
        const char c = text[at];
        if (c == '/' && next() == '/') return skipTo("\n", 0);
        if (c == '/' && next() == '*') return skipTo("*/", 2);
        if (c == '"') return skipTo("\"", 1);
        if (isNameStart(c) && depth == 0 && parens == 0) return false;
        if (c == '\n') ++lineNo;
        if (c == '{') ++depth;
        if (c == '}' && depth > 0) --depth;
        if (c == '(') ++parens;
        if (c == ')' && parens > 0) --parens;
        if (isNameStart(c))
            readWord();
        else
            ++at;
        return true;
    }

    // Moves past the end marker, counting lines; a comment or string that
    // never ends takes the rest of the script.
    bool skipTo(std::string_view end, std::size_t opener) {
        const std::size_t from = at + opener;
        std::size_t stop = text.find(end, from);
        if (end == "\n")
            stop = stop == std::string::npos ? text.size() : stop;
        else
            stop = stop == std::string::npos ? text.size() : stop + end.size();
        for (std::size_t i = from; i < stop; ++i) lineNo += text[i] == '\n';
        at = stop;
        return true;
    }

    // A word at the top level starts a test record unless it is a statement's
    // keyword or the name of an extern record.
    bool atRecord() {
        const std::string word = readWord();
        if (word == "resultfile" || word == "deletefile") return false;
        if (word == "extern") {
            skipBlanks();
            if (at < text.size() && isNameStart(text[at])) readPath();
            return false;
        }
        at -= word.size();
        return true;
    }

    std::string readWord() {
        const std::size_t start = at;
        while (at < text.size() && (isNameStart(text[at]) || isDigit(text[at]))) ++at;
        while (at < text.size() && text[at] == '[' && isDigit(next())) {
            ++at;
            while (at < text.size() && isDigit(text[at])) ++at;
            if (at < text.size() && text[at] == ']') ++at;
        }
        return text.substr(start, at - start);
    }

    void skipBlanks() {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == ';' ||
                                    text[at] == '\r' || text[at] == '\n')) {
            lineNo += text[at] == '\n';
            ++at;
        }
    }

    // name, or name.name...: the library joins a path's parts with dots.
    std::string readPath() {
        std::string path = readWord();
        for (;;) {
            const std::size_t mark = at;
            const long markLine = lineNo;
            skipBlanks();
            if (at >= text.size() || text[at] != '.') {
                at = mark;
                lineNo = markLine;
                return path;
            }
            ++at;
            skipBlanks();
            path += '.' + readWord();
        }
    }

    std::string text;
    std::size_t at = 0;
    long lineNo = 1;
    int depth = 0;
    int parens = 0;
};

}  // namespace

LineCounter::~LineCounter() {
    if (file) std::fclose(file);
}

void LineCounter::open(const std::string& script) {
    if (file) std::fclose(file);
    file = std::fopen(script.c_str(), "rb");
    restart();
}

void LineCounter::restart() {
    if (file) std::rewind(file);
    pieceSize = at = 0;
    line = 1;
    passed = 0;
}

// A read error (the script is a folder) ends the text like its end does.
bool LineCounter::fill() {
    if (at < pieceSize) return true;
    pieceSize = file ? std::fread(piece, 1, sizeof piece, file) : 0;
    at = 0;
    return pieceSize > 0;
}

// Each character but a line feed moves the position on by one, so a position
// falls on the line where it is first reached.
int LineCounter::lineOf(int position) {
    if (position < passed) restart();
    while (fill() && (passed < position || piece[at] == '\n')) {
        if (piece[at] == '\n') {
            ++line;
        } else {
            ++passed;
        }
        ++at;
    }
    return passed == position && at < pieceSize ? line : 0;
}

int findTestRecord(const std::string& script, int after, std::string_view name) {
    std::ifstream file(script, std::ios::binary);
    if (!file) return -1;
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return TopLevel(std::move(text)).find(after, name);
}

}  // namespace zorrun
