#include "TextForm.h"

#include "ScriptFile.h"

namespace viewer {

namespace {

// The length of the sequence a lead byte opens; 0 for a byte that opens none.
int sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Overlong forms, surrogates and code points beyond U+10FFFF are refused by
// the range of the second byte.
bool secondByteFits(unsigned char lead, unsigned char second) {
    if (lead == 0xE0) return second >= 0xA0 && second <= 0xBF;
    if (lead == 0xED) return second >= 0x80 && second <= 0x9F;
    if (lead == 0xF0) return second >= 0x90 && second <= 0xBF;
    if (lead == 0xF4) return second >= 0x80 && second <= 0x8F;
    return second >= 0x80 && second <= 0xBF;
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        const int length = sequenceLength(lead);
        if (length == 0 || at + length > bytes.size()) return false;
        if (length > 1 && !secondByteFits(lead, static_cast<unsigned char>(bytes[at + 1])))
            return false;
        for (int next = 2; next < length; ++next)
            if ((static_cast<unsigned char>(bytes[at + next]) & 0xC0) != 0x80) return false;
        at += length;
    }
    return true;
}

TextForm detectForm(std::string_view bytes) {
    TextForm form;
    form.encoding = isValidUtf8(bytes) ? TextEncoding::utf8 : TextEncoding::latin1;
    const size_t lineFeed = bytes.find('\n');
    form.crLf = lineFeed != std::string_view::npos && lineFeed > 0 && bytes[lineFeed - 1] == '\r';
    return form;
}

std::string withLineEnds(std::string_view text, const TextForm& form) {
    return form.crLf ? withCrLf(text) : std::string(text);
}

const char* encodingName(TextEncoding encoding) {
    return encoding == TextEncoding::utf8 ? "UTF-8" : "Latin-1";
}

}  // namespace viewer
