#include "ErrorHint.h"

#include <fstream>
#include <string_view>

namespace zor {

namespace {

// The scanner's string characters: printable ASCII but '"' and '`'.
bool isStringChar(char c) {
    return c >= 0x20 && c <= 0x7E && c != '"' && c != '`';
}

std::string readLine(const std::string& script, int line) {
    std::ifstream file(script, std::ios::binary);
    std::string text;
    for (int at = 1; at <= line && std::getline(file, text); ++at) {
        if (at == line) return text;
    }
    return "";
}

// A string opened on the line that a character it cannot hold keeps from
// closing. Line comments are passed over; a block comment that hides a quote
// is rare enough to risk a needless hint.
bool holdsBrokenString(std::string_view line) {
    for (std::size_t at = 0; at < line.size(); ++at) {
        if (line.substr(at, 2) == "//") return false;
        if (line[at] != '"') continue;
        ++at;
        while (at < line.size() && isStringChar(line[at])) ++at;
        if (at >= line.size() || line[at] != '"') return true;
    }
    return false;
}

}  // namespace

std::string errorHint(const std::string& script, int line) {
    if (line < 1) return "";
    std::string text = readLine(script, line);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (holdsBrokenString(text)) return "strings hold printable ASCII characters except \" and `";
    return "";
}

}  // namespace zor
