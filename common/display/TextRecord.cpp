#include "display/TextRecord.h"

#include <cstring>
#include <string_view>

#include "display/DrawContext.h"
#include "display/FixedField.h"

namespace display {

namespace {

constexpr int lengthWidth = 4;
constexpr int coordinateWidth = 4;
// Kind, length, x, y and font, before the characters.
constexpr int headerLength = 2 + lengthWidth + 2 * coordinateWidth + 1;

// The text's top left corner lies this far above the record's y, per font.
constexpr int fontRise[3] = {9, 13, 17};

// Fonts 0 and 1 as they are, the large font 2 for every other value.
int displayFont(int font) {
    return font == 0 || font == 1 ? font : 2;
}

std::string_view characters(const std::string& text) {
    return std::string_view(text.c_str());
}

}  // namespace

int TextRecord::encodedLength() const {
    const std::size_t withZero = characters(text).size() + 1;
    if (withZero > static_cast<std::size_t>(fieldMax(lengthWidth))) return -1;
    return headerLength + static_cast<int>(withZero);
}

// An empty text still selects its font and colour.
void TextRecord::draw(DrawContext& context) const {
    const int shownFont = displayFont(font);
    context.useFont(shownFont);
    context.useTextColor();
    if (characters(text).empty()) return;
    context.canvas().text({x + 1, y - fontRise[shownFont]}, characters(text));
}

void TextRecord::writeFields(FieldWriter& out) const {
    const std::string_view shown = characters(text);
    out.number(static_cast<int>(shown.size()) + 1, lengthWidth);
    out.number(x, coordinateWidth);
    out.number(y, coordinateWidth);
    out.number(font, 1);
    out.characters(shown);
    out.zeroByte();
}

// The characters end at the first zero byte within the announced length; a
// text without one there is not well formed.
bool TextRecord::readFields(FieldReader& in) {
    int length = 0;
    if (!in.number(lengthWidth, length) || !in.number(coordinateWidth, x) ||
        !in.number(coordinateWidth, y) || !in.number(1, font))
        return false;
    if (length < 1 || in.left() < static_cast<std::size_t>(length)) return false;
    const char* first = in.position();
    const void* zero = std::memchr(first, '\0', static_cast<std::size_t>(length));
    if (!zero) return false;
    text.assign(first, static_cast<const char*>(zero));
    in.skip(static_cast<std::size_t>(length));
    return true;
}

}  // namespace display
