#include "LogText.h"

#include <cstdio>

namespace zorserver {

namespace {

void appendHex(std::string& out, const char* form, unsigned value) {
    char hex[8];
    std::snprintf(hex, sizeof hex, form, value);
    out += hex;
}

}  // namespace

std::string escapeForLog(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7f) {
            appendHex(out, "\\x%02x", c);
        } else if (c == 0xc2 && next >= 0x80 && next <= 0x9f) {
            // U+0080 to U+009F in UTF-8: some terminals obey them as controls.
            appendHex(out, "\\u%04x", next);
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace zorserver
