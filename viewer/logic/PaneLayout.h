// Where the main dialog's controls go when it is resized, and the border
// between the script pane and the output pane that the split slider sets.
#pragma once

#include <optional>

namespace viewer {

// Horizontal edges in client pixels; right < left means the control vanishes.
struct Edges {
    int left = 0;
    int right = 0;
};

// Horizontal edges of every control after a resize. Controls keep their
// vertical place, except the bottom row of buttons and the panes.
struct DialogLayout {
    Edges slider;
    Edges fileButton;
    Edges settingsButton;
    Edges rereadButton;
    Edges saveButton;
    Edges runButton;
    Edges clearLogButton;
    Edges controlGroup;
    Edges inputGroup;
    Edges outputGroup;
    Edges searchGroup;
    Edges outputField;
    Edges inputField;
    Edges searchBackButton;
    Edges searchForwardButton;
    Edges searchField;
    int buttonTop = 0;
    int buttonBottom = 0;
};

// The rows the two panes fill: from below the slider to above the buttons.
struct PaneRows {
    int top = 0;
    int bottom = 0;
};

struct PaneSplit {
    Edges script;
    Edges output;
    PaneRows rows;
};

// The smallest client size the dialog can be given.
constexpr int minimumWidth = 600;
constexpr int minimumHeight = 200;

// Lays the controls out for a client area of width x height and remembers
// the pane rows for the splits that follow.
class PaneLayout {
public:
    DialogLayout resize(int width, int height, int sliderBottom);

    // The border between the panes for a slider position (0..100) in a dialog
    // whose outer size is outerWidth x outerHeight. Near either end the slider
    // snaps so that one pane vanishes.
    PaneSplit split(int sliderPos, int outerWidth, int outerHeight) const;

private:
    std::optional<PaneRows> rows;
};

}  // namespace viewer
