#include "TerminalText.h"

namespace zorrun {

namespace {

void appendHex(std::string& out, unsigned char byte) {
    static const char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 15];
}

// Length of the well-formed UTF-8 sequence of two or more bytes at the start
// of text that is no C1 control, or 0.
std::size_t printableUtf8(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (lead > 0xF4 || length == 0 || text.size() < length) return 0;
    unsigned long code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        code = code << 6 | (byte(i) & 0x3F);
    }
    const unsigned long smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return code < 0xA0 ? 0 : length;
}

void appendControl(std::string& out, unsigned char byte) {
    if (byte == '\n')
        out += "\\n";
    else if (byte == '\t')
        out += "\\t";
    else if (byte == '\r')
        out += "\\r";
    else
        appendHex(out, byte);
}

}  // namespace

std::string terminalText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20 && byte < 0x7f) {
            out += text[i++];
        } else if (byte < 0x80) {
            appendControl(out, byte);
            ++i;
        } else if (const std::size_t length = printableUtf8(text.substr(i))) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            appendHex(out, byte);
            ++i;
        }
    }
    return out;
}

}  // namespace zorrun
