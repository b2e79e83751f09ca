#include "TerminalText.h"

#include <algorithm>

#include "Utf8.h"

namespace zorrun {

namespace {

// Writes into a buffer of fixed size, dropping what does not fit.
struct Shown {
    char* out;
    std::size_t room;
    std::size_t used = 0;

    void put(std::string_view text) {
        for (const char c : text)
            if (used + 1 < room) out[used++] = c;
    }
    void putHex(unsigned char byte) {
        static const char digits[] = "0123456789abcdef";
        const char hex[] = {'\\', 'x', digits[byte >> 4], digits[byte & 15]};
        put(std::string_view(hex, sizeof hex));
    }
    void putControl(unsigned char byte) {
        if (byte == '\n')
            put("\\n");
        else if (byte == '\t')
            put("\\t");
        else if (byte == '\r')
            put("\\r");
        else
            putHex(byte);
    }
};

// Length of the well-formed UTF-8 sequence of two or more bytes at the start
// of text that is no C1 control, or 0.
std::size_t printableUtf8(std::string_view text) {
    unsigned long code = 0;
    const std::size_t length = utf8Sequence(text, code);
    return code < 0xA0 ? 0 : length;
}

}  // namespace

std::size_t copyTerminalText(std::string_view text, char* out, std::size_t size) {
    Shown shown{out, size};
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = byte < 0x80 ? 1 : printableUtf8(text.substr(i));
        if (byte >= 0x20 && byte < 0x7f)
            shown.put(text.substr(i, 1));
        else if (byte < 0x80)
            shown.putControl(byte);
        else if (length > 0)
            shown.put(text.substr(i, length));
        else
            shown.putHex(byte);
        i += length > 0 ? length : 1;
    }
    if (size > 0) out[shown.used] = '\0';
    return shown.used;
}

// No byte becomes more than four characters.
std::string terminalText(std::string_view text) {
    std::string out(text.size() * 4 + 1, '\0');
    out.resize(copyTerminalText(text, out.data(), out.size()));
    return out;
}

void appendTerminalText(std::string& out, std::string_view text) {
    const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7f;
    });
    if (plain)
        out.append(text);
    else
        out += terminalText(text);
}

}  // namespace zorrun
