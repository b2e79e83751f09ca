#include "DevicePanel.h"

#include <algorithm>

#include "display/ArcRecord.h"
#include "display/ColorRecord.h"
#include "display/DisplayList.h"
#include "display/PolyRecord.h"
#include "display/ShapeRecords.h"
#include "display/TextRecord.h"

namespace zorserver {

namespace {

using namespace display;
using Records = std::vector<std::unique_ptr<GraphicRecord>>;

// Pane pixels; the viewer's pane is larger than the device.
constexpr Box body{20, 20, 320, 230};
constexpr Box lineBox{32, 60, 308, 96};
constexpr int buttonTop = 112;
constexpr int buttonBottom = 152;
constexpr int buttonLeft = 32;
constexpr int buttonWidth = 62;
constexpr int buttonStep = 70;
constexpr const char* labels[DevicePanel::buttonCount] = {"A", "B", "C", "CLR"};
constexpr const char* mouseButtons[] = {"left", "middle", "right"};
// The line's font 1 is eight pixels wide.
constexpr int characterWidth = 8;

Box buttonBox(int index) {
    const int left = buttonLeft + index * buttonStep;
    return {left, buttonTop, left + buttonWidth, buttonBottom};
}

template <class Record, class... Args>
void add(Records& records, Args&&... args) {
    records.push_back(std::make_unique<Record>(std::forward<Args>(args)...));
}

void color(Records& records, int r, int g, int b) {
    add<ColorRecord>(records, r, g, b, 1);
}

void drawCase(Records& records) {
    add<ColorRecord>(records, 48, 52, 60, 0);
    color(records, 96, 100, 110);
    add<RectRecord>(records, body.left, body.top, body.right, body.bottom, 1);
    color(records, 150, 155, 165);
    add<RectRecord>(records, body.left, body.top, body.right, body.bottom, 0);
    // The antenna, an open outline above the case.
    add<PolyRecord>(records, std::vector<int>{150, 160, 170}, std::vector<int>{20, 6, 20}, 0);
    color(records, 235, 235, 240);
    add<TextRecord>(records, 32, 46, 1, "ZorServer device");
}

void drawLights(Records& records) {
    color(records, 60, 200, 90);
    add<ArcRecord>(records, 292, 30, 308, 46, 0, 36000, 1);
    color(records, 200, 200, 205);
    add<ArcRecord>(records, 288, 26, 312, 50, 0, 36000, 0);
    add<ArcRecord>(records, 262, 30, 282, 50, 4500, 9000, 0);
}

void drawLine(Records& records, const std::string& line) {
    color(records, 196, 222, 180);
    add<RectRecord>(records, lineBox.left, lineBox.top, lineBox.right, lineBox.bottom, 1);
    color(records, 30, 40, 30);
    add<TextRecord>(records, lineBox.left + 8, 84, 1, line);
    const int cursor = lineBox.left + 9 + characterWidth * static_cast<int>(line.size());
    add<LineRecord>(records, cursor, lineBox.top + 6, cursor, lineBox.bottom - 6);
}

void drawButtons(Records& records, int pressedButton) {
    for (int i = 0; i < DevicePanel::buttonCount; ++i) {
        const Box box = buttonBox(i);
        if (i == pressedButton) {
            color(records, 255, 170, 60);
        } else {
            color(records, 180, 184, 192);
        }
        add<RectRecord>(records, box.left, box.top, box.right, box.bottom, 1);
        color(records, 40, 40, 48);
        add<RectRecord>(records, box.left, box.top, box.right, box.bottom, 0);
        const int labelLeft = i == DevicePanel::buttonCount - 1 ? 12 : 24;
        add<TextRecord>(records, box.left + labelLeft, 142, 2, labels[i]);
    }
}

void drawStatus(Records& records, const std::string& status) {
    color(records, 150, 155, 165);
    add<LineRecord>(records, 32, 164, 308, 164);
    color(records, 255, 210, 90);
    add<PolyRecord>(records, std::vector<int>{34, 34, 44}, std::vector<int>{176, 188, 182}, 1);
    color(records, 235, 235, 240);
    add<TextRecord>(records, 52, 187, 0, status);
    // The speaker grille.
    color(records, 30, 32, 36);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 6; ++column)
            add<PointRecord>(records, 250 + 10 * column, 200 + 8 * row);
}

std::string mouseButtonName(int button) {
    return button >= 0 && button <= 2 ? mouseButtons[button] : std::to_string(button);
}

}  // namespace

int DevicePanel::buttonAt(int x, int y) {
    for (int i = 0; i < buttonCount; ++i) {
        const Box box = buttonBox(i);
        if (x >= box.left && x < box.right && y >= box.top && y < box.bottom) return i;
    }
    return -1;
}

void DevicePanel::press(int x, int y, int mouseButton) {
    pressedButton = buttonAt(x, y);
    if (pressedButton < 0) {
        lastEvent = "click at " + std::to_string(x) + "," + std::to_string(y);
        return;
    }
    lastEvent =
        std::string(labels[pressedButton]) + " pressed (" + mouseButtonName(mouseButton) + ")";
    if (pressedButton == buttonCount - 1) {
        line.clear();
    } else {
        type(labels[pressedButton][0]);
    }
}

void DevicePanel::key(const std::string& name) {
    lastEvent = "key " + name;
    if (name == "backspace") {
        if (!line.empty()) line.pop_back();
    } else if (name == "esc") {
        line.clear();
    } else if (name == "return") {
        lastEvent = "entered " + line;
        line.clear();
    } else if (name == "apostrophe") {
        type('"');
    } else if (name.size() == 1) {
        type(name[0]);
    }
}

void DevicePanel::type(char character) {
    if (static_cast<unsigned char>(character) < 0x20 || line.size() >= lineCapacity) return;
    line += character;
}

bool DevicePanel::setState(const DeviceState& state) {
    const bool printable = std::ranges::none_of(
        state.line, [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (state.line.size() > lineCapacity || !printable || state.pressedButton < -1 ||
        state.pressedButton >= buttonCount)
        return false;
    line = state.line;
    pressedButton = state.pressedButton;
    lastEvent = state.lastEvent;
    return true;
}

std::string DevicePanel::pressed() const {
    return pressedButton < 0 ? std::string() : labels[pressedButton];
}

std::vector<std::unique_ptr<GraphicRecord>> DevicePanel::picture() const {
    Records records;
    drawCase(records);
    drawLights(records);
    drawLine(records, line);
    drawButtons(records, pressedButton);
    drawStatus(records, lastEvent.substr(0, 40));
    return records;
}

std::vector<std::string> displayBlocks(const Records& records) {
    std::vector<std::string> blocks;
    std::string block;
    for (const auto& record : records) {
        const int length = record->encodedLength();
        if (length < 0 || length > blockSize) continue;
        if (block.size() + static_cast<std::size_t>(length) > static_cast<std::size_t>(blockSize)) {
            blocks.push_back(std::move(block));
            block.clear();
        }
        const std::size_t at = block.size();
        block.resize(at + static_cast<std::size_t>(length));
        char* cursor = block.data() + at;
        record->encode(cursor, block.data() + block.size());
    }
    if (!block.empty()) blocks.push_back(std::move(block));
    return blocks;
}

}  // namespace zorserver
