// The simulated device of ZorServer: its answers to clicks and keys, and its
// picture, which uses every record kind and travels in whole-record blocks.
#include <gtest/gtest.h>

#include <set>

#include "Canvas.h"
#include "ColorRecord.h"
#include "DevicePanel.h"
#include "DisplayList.h"
#include "ShapeRecords.h"
#include "TextRecord.h"

using zorserver::DevicePanel;

namespace {

// Button A's top left corner and the CLR button's.
constexpr int buttonA[2] = {32, 112};
constexpr int buttonClear[2] = {242, 112};

display::DisplayList decoded(const std::vector<std::string>& blocks) {
    display::DisplayList list;
    for (const std::string& block : blocks) {
        display::BlockBuffer buffer{};
        std::copy(block.begin(), block.end(), buffer.begin());
        EXPECT_EQ(list.decodeBlock(buffer, static_cast<int>(block.size())),
                  static_cast<int>(block.size()));
    }
    return list;
}

// The colour that the rectangle at (left, top) is filled with.
display::Rgb fillAt(const display::DisplayList& list, int left, int top) {
    display::Rgb current;
    for (const auto& record : list) {
        if (const auto* color = dynamic_cast<const display::ColorRecord*>(record.get()))
            current = {color->r, color->g, color->b};
        const auto* rect = dynamic_cast<const display::RectRecord*>(record.get());
        if (rect && rect->filled && rect->x1 == left && rect->y1 == top) return current;
    }
    return {-1, -1, -1};
}

std::string lineText(const display::DisplayList& list) {
    for (const auto& record : list) {
        const auto* text = dynamic_cast<const display::TextRecord*>(record.get());
        if (text && text->font == 1 && text->y == 84) return text->text;
    }
    return "<none>";
}

}  // namespace

TEST(DevicePanelTest, ButtonsAndKeysEditTheTextLine) {
    DevicePanel panel;
    panel.press(buttonA[0] + 5, buttonA[1] + 5, 0);
    panel.press(buttonA[0] + 70, buttonA[1], 2);
    EXPECT_EQ(panel.pressed(), "B");
    EXPECT_EQ(panel.status(), "B pressed (right)");
    for (const char* key : {"h", "apostrophe", "x", "backspace", "left"}) panel.key(key);
    EXPECT_EQ(panel.text(), "ABh\"");
    EXPECT_EQ(panel.status(), "key left");
    panel.key("return");
    EXPECT_EQ(panel.status(), "entered ABh\"");
    for (int i = 0; i < 40; ++i) panel.key("z");
    EXPECT_EQ(panel.text().size(), DevicePanel::lineCapacity);
    panel.press(buttonClear[0], buttonClear[1], 0);
    EXPECT_EQ(panel.text(), "");
    panel.press(5, 5, 0);
    EXPECT_EQ(panel.pressed(), "");
}

TEST(DevicePanelTest, ThePictureUsesEveryKindInWholeRecordBlocks) {
    DevicePanel panel;
    panel.press(buttonA[0], buttonA[1], 0);
    const auto records = panel.picture();
    std::set<int> kinds;
    for (const auto& record : records) kinds.insert(record->kind());
    EXPECT_EQ(kinds, (std::set<int>{1, 2, 3, 4, 5, 6, 7}));

    const std::vector<std::string> blocks = zorserver::displayBlocks(records);
    EXPECT_GT(blocks.size(), 1u);
    for (const std::string& block : blocks) EXPECT_LE(block.size(), 501u);
    const display::DisplayList list = decoded(blocks);
    EXPECT_EQ(list.size(), records.size());
    EXPECT_EQ(fillAt(list, buttonA[0], buttonA[1]), (display::Rgb{255, 170, 60}));
    EXPECT_EQ(fillAt(list, buttonA[0] + 70, buttonA[1]), (display::Rgb{180, 184, 192}));
    EXPECT_EQ(lineText(list), "A");
}
