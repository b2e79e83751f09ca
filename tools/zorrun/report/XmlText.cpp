#include "XmlText.h"

#include "Utf8.h"

namespace zorrun {

namespace {

// Length of the well-formed UTF-8 sequence at the start of text, or 0. Refuses
// overlong forms, surrogates, code points past U+10FFFF, and U+FFFE and U+FFFF,
// which XML does not allow.
std::size_t utf8Length(std::string_view text) {
    unsigned long code = 0;
    const std::size_t length = utf8Sequence(text, code);
    return code == 0xFFFE || code == 0xFFFF ? 0 : length;
}

void appendReference(std::string& out, unsigned code) {
    static const char digits[] = "0123456789ABCDEF";
    out += "&#x";
    if (code > 0xF) out += digits[code >> 4 & 0xF];
    out += digits[code & 0xF];
    out += ';';
}

// Control pictures: U+2400 plus the control character's code.
void appendPicture(std::string& out, unsigned char c) {
    out += '\xE2';
    out += static_cast<char>(0x90 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
}

void appendAscii(std::string& out, unsigned char c, XmlPlace place) {
    const bool attribute = place == XmlPlace::attribute;
    switch (c) {
        case '&':
            out += "&amp;";
            return;
        case '<':
            out += "&lt;";
            return;
        case '>':
            out += "&gt;";
            return;
        case '"':
            out += attribute ? "&quot;" : "\"";
            return;
        case '\'':
            out += attribute ? "&apos;" : "'";
            return;
        case '\t':
        case '\n':
        case '\r':
            if (attribute)
                appendReference(out, c);
            else
                out += static_cast<char>(c);
            return;
        default:
            if (c < 0x20)
                appendPicture(out, c);
            else
                out += static_cast<char>(c);
    }
}

}  // namespace

void appendXml(std::string& out, std::string_view text, XmlPlace place) {
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            appendAscii(out, c, place);
            ++i;
        } else if (std::size_t length = utf8Length(text.substr(i))) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            appendReference(out, c);
            ++i;
        }
    }
}

}  // namespace zorrun
