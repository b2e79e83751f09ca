// Decodes any bytes as a display block and draws what was decoded. Decoding
// must stop at the first bad record without reaching past the bytes received,
// and every decoded record must encode to a text that decodes to itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "display/Canvas.h"
#include "display/DisplayList.h"
#include "display/DisplayPainter.h"

namespace {

// Draws nowhere, but looks at every argument as a real canvas would.
class CheckingCanvas : public display::Canvas {
public:
    void clip(const display::Box&) override {}
    void selectPen(display::Rgb color) override { checkColor(color); }
    void selectBrush(display::Rgb color) override { checkColor(color); }
    void setTextColor(display::Rgb color) override { checkColor(color); }
    void setTransparentText() override {}
    void selectFont(int font) override { check(font >= 0 && font < display::fontCount); }
    void line(display::Point, display::Point) override {}
    void rectangle(const display::Box&) override {}
    void arc(const display::Box&, display::Point, display::Point) override {}
    void pie(const display::Box&, display::Point, display::Point) override {}
    void polygon(std::span<const display::Point> points) override {
        for (const display::Point& point : points) sum += point.x + point.y;
    }
    void text(display::Point, std::string_view characters) override {
        check(characters.find('\0') == std::string_view::npos);
        check(characters.size() < display::blockSize);
    }

    long long sum = 0;

private:
    static void check(bool holds) {
        if (!holds) std::abort();
    }
    static void checkColor(display::Rgb color) {
        for (int part : {color.r, color.g, color.b}) check(part >= 0 && part <= 255);
    }
};

std::string encoded(const display::GraphicRecord& record) {
    std::string text(static_cast<std::size_t>(record.encodedLength()), '\0');
    char* cursor = text.data();
    if (!record.encode(cursor, text.data() + text.size()) || cursor != text.data() + text.size())
        std::abort();
    return text;
}

// Decoding a record's own encoding gives the same encoding again.
void checkRoundTrip(const display::GraphicRecord& record) {
    const std::string text = encoded(record);
    const char* cursor = text.data();
    const std::unique_ptr<display::GraphicRecord> again =
        display::decodeRecord(cursor, text.data() + text.size());
    if (!again || cursor != text.data() + text.size() || encoded(*again) != text) std::abort();
}

}  // namespace

// The bytes after the input are well-formed records, so that a decoder that
// reached past the byte count would take them and give itself away.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    display::BlockBuffer block;
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = "0200010002"[i % 10];
    std::memcpy(block.data(), data, std::min(size, block.size()));
    const int received = static_cast<int>(std::min<std::size_t>(size, 100000));

    display::DisplayList list;
    const int consumed = list.decodeBlock(block, received);
    if (consumed < 0 || consumed > std::min(received, display::blockSize)) std::abort();

    CheckingCanvas canvas;
    display::drawDisplay(list, canvas, 640, 480);
    for (const auto& record : list) checkRoundTrip(*record);
    return 0;
}
