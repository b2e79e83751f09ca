// The simulated device whose screen ZorServer sends: a panel with a text line
// and four buttons. Clicks on a button highlight it (A, B and C type their
// letter, CLR empties the line); typed keys appear in the text line. The
// picture uses every kind of display record.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "display/GraphicRecord.h"

namespace zorserver {

// What the device remembers between events, as a worker hands it back.
struct DeviceState {
    std::string line;
    int pressedButton = -1;
    std::string lastEvent;
};

class DevicePanel {
public:
    static constexpr int buttonCount = 4;
    static constexpr std::size_t lineCapacity = 30;

    // A click at a point of the screen, with mouse button 0, 1 or 2.
    void press(int x, int y, int mouseButton);
    // A key by the name the viewer records it under ("a", "return", ...).
    void key(const std::string& name);

    const std::string& text() const { return line; }
    // The label of the highlighted button; empty when none is.
    std::string pressed() const;
    // What the last event did, as the status line shows it.
    const std::string& status() const { return lastEvent; }

    std::vector<std::unique_ptr<display::GraphicRecord>> picture() const;

    DeviceState getState() const { return {line, pressedButton, lastEvent}; }
    // False, leaving the device as it was, for a state that it could not
    // have reached: a line too long or with control characters, a button
    // out of range.
    bool setState(const DeviceState& state);

    // The button under the point, or -1.
    static int buttonAt(int x, int y);

private:
    void type(char character);

    std::string line;
    int pressedButton = -1;
    std::string lastEvent = "ready";
};

// The records packed into display blocks of at most 501 bytes, each holding
// whole records only.
std::vector<std::string> displayBlocks(
    const std::vector<std::unique_ptr<display::GraphicRecord>>& records);

}  // namespace zorserver
