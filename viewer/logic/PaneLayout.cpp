#include "PaneLayout.h"

#include <cmath>

namespace viewer {

namespace {

// The template's proportions: a dialog of outer size 700 x 495 scales by 1.
constexpr double templateWidth = 700.0;
constexpr double templateHeight = 495.0;

int truncated(double x) {
    return static_cast<int>(std::trunc(x));
}

int rounded(double x) {
    return truncated(x + 0.5);
}

// Slider positions within 5 of an end snap past it, so that a pane vanishes.
double snappedPosition(int sliderPos) {
    if (sliderPos < 5) return -1;
    if (sliderPos > 95) return 101;
    return sliderPos;
}

}  // namespace

DialogLayout PaneLayout::resize(int width, int height, int sliderBottom) {
    const int eighth = width / 8;
    const int quarter = width / 4;
    const int half = width / 2;
    const int twelfth = width / 12;
    const double w = width;
    const double searchButtonWidth = (twelfth - 16) / 2.0;

    DialogLayout layout;
    layout.slider = {5, width - 5};
    layout.fileButton = {20, eighth};
    layout.settingsButton = {eighth, quarter - 20};
    layout.rereadButton = {5, quarter - 5};
    layout.saveButton = {quarter + 5, half - 6};
    layout.runButton = {half + 5, 3 * quarter - 5};
    layout.clearLogButton = {3 * quarter + 5, width - 8};
    layout.controlGroup = {8, quarter - 10};
    layout.inputGroup = {quarter, half - 5};
    layout.outputGroup = {half + 5, 3 * quarter - 5};
    layout.searchGroup = {3 * quarter + 3, width - 8};
    layout.outputField = {half + 18, 3 * quarter - 15};
    layout.inputField = {quarter + 10, half - 18};
    layout.searchBackButton = {truncated(0.75 * w + 10),
                               truncated(0.75 * w + 10 + searchButtonWidth)};
    layout.searchForwardButton = {truncated(10 * w / 12 - 5 - searchButtonWidth),
                                  truncated(10 * w / 12 - 5)};
    layout.searchField = {truncated(10 * w / 12), width - 18};
    layout.buttonTop = height - 25;
    layout.buttonBottom = height - 5;
    rows = PaneRows{sliderBottom + 5, height - 30};
    return layout;
}

PaneSplit PaneLayout::split(int sliderPos, int outerWidth, int outerHeight) const {
    const double kx = (outerWidth + 5) / templateWidth;
    const double ky = outerHeight / templateHeight;
    const double d = (kx - 1.2) / 2 + snappedPosition(sliderPos);
    const double k = (50 - d) / (8 * kx * kx);
    const double e = rounded(3 * kx);
    const double f = rounded(341 * kx);
    const double l = rounded(347 * kx);
    const double m = rounded(684 * kx);

    PaneSplit split;
    split.rows = rows.value_or(PaneRows{rounded(60 * ky), rounded(446 * ky)});
    split.script = {5, truncated(e + (f - e) * d / 50 - 1 + k)};
    split.output = {truncated(m - (m - l) * (100 - d) / 50 + k), outerWidth - 15};
    return split;
}

}  // namespace viewer
