#include "ErrorHint.h"

#include <string_view>

#include "ScriptCharacters.h"
#include "ScriptFiles.h"

namespace zorrun {

namespace {

std::string_view lineOf(std::string_view text, int line) {
    for (int at = 1; at < line; ++at) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) return {};
        text.remove_prefix(end + 1);
    }
    return text.substr(0, text.find('\n'));
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

std::string errorHint(const std::string& scriptPath, int line) {
    if (line < 1) return "";
    const std::string script = readScriptText(scriptPath);
    std::string_view text = lineOf(script, line);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    if (holdsBrokenString(text)) return "strings hold printable ASCII characters except \" and `";
    return "";
}

}  // namespace zorrun
