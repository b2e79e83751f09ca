#include "LogText.h"

namespace zorserver {

std::string escapeForLog(std::string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\r') {
            escaped += "\\r";
        } else if (c == '\t') {
            escaped += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            escaped += {'\\', 'x', hex[byte >> 4], hex[byte & 0xF]};
        } else {
            escaped += c;
        }
    }
    return escaped;
}

}  // namespace zorserver
