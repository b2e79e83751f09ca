// Drawing the display list, checked on a recording canvas: what is drawn
// where, and when pens, brushes, text colours and fonts are chosen.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "RecordingCanvas.h"
#include "display/ArcRecord.h"
#include "display/ColorRecord.h"
#include "display/DisplayList.h"
#include "display/DisplayPainter.h"
#include "display/PolyRecord.h"
#include "display/ShapeRecords.h"
#include "display/TextRecord.h"

using namespace display;
using Calls = std::vector<std::string>;

namespace {

// Every repaint of a 200 x 100 pane starts with these.
const Calls preamble = {"clip 0,0 194,94", "pen 210 210 215", "brush 210 210 215",
                        "rect 0,0 195,95", "transparent"};

class DisplayDrawingTest : public ::testing::Test {
protected:
    template <class Record, class... Args>
    void add(Args&&... args) {
        list.append(std::make_unique<Record>(std::forward<Args>(args)...));
    }

    // What the records draw after the repaint's own start.
    Calls drawn() {
        RecordingCanvas canvas;
        drawDisplay(list, canvas, 200, 100);
        EXPECT_GE(canvas.calls.size(), preamble.size());
        EXPECT_EQ(Calls(canvas.calls.begin(), canvas.calls.begin() + preamble.size()), preamble);
        return Calls(canvas.calls.begin() + preamble.size(), canvas.calls.end());
    }

    DisplayList list;
};

}  // namespace

// Pens and brushes are chosen lazily, once after each colour record; an
// empty polygon draws and chooses nothing. A clear starts a new picture and
// restarts the lazy choice.
TEST_F(DisplayDrawingTest, ShapesChooseTheirPenOrBrushOnceAfterEachColourRecord) {
    add<PointRecord>(3, 4);
    add<LineRecord>(1, 2, 30, 40);
    add<ColorRecord>(300, -4, 128, 1);
    add<PolyRecord>(std::vector<int>{}, std::vector<int>{}, 1);
    add<LineRecord>(5, 6, 7, 8);
    add<RectRecord>(10, 20, 30, 40, 0);
    add<RectRecord>(1, 2, 3, 4, 1);
    add<RectRecord>(5, 6, 7, 8, 1);
    add<PolyRecord>(std::vector<int>{1, 5, 9}, std::vector<int>{2, 6, 2}, 0);
    add<PolyRecord>(std::vector<int>{1, 5, 9}, std::vector<int>{2, 6, 2}, 1);
    EXPECT_EQ(drawn(),
              (Calls{"pen 0 0 0", "line 3,4 4,5", "line 1,2 30,40", "pen 255 0 128", "line 5,6 7,8",
                     "line 10,20 30,20", "line 30,20 30,40", "line 30,40 10,40", "line 10,40 10,20",
                     "brush 255 0 128", "rect 1,2 3,4", "rect 5,6 7,8", "line 1,2 5,6",
                     "line 5,6 9,2", "line 9,2 1,2", "polygon 1,2 5,6 9,2"}));
    add<ColorRecord>(9, 9, 9, 0);
    add<LineRecord>(0, 0, 5, 5);
    EXPECT_EQ(drawn(), (Calls{"pen 9 9 9", "brush 9 9 9", "rect 0,0 195,95", "transparent",
                              "pen 0 0 0", "line 0,0 5,5"}));
}

// Arcs run between radial points 1000 pixels from the centre, rounded half up
// toward zero; small sweeps are a tenth of a degree, no sweep is the whole
// ellipse, and angles stay within a circle.
TEST_F(DisplayDrawingTest, ArcsRunBetweenFarRadialPoints) {
    const auto arcCall = [this](int start, int sweep, int filled) {
        list.clear();
        add<ArcRecord>(0, 0, 100, 100, start, sweep, filled);
        return drawn().back();
    };
    EXPECT_EQ(arcCall(9000, 9000, 1), "pie 0,0 100,100 50,-949 -949,50");
    EXPECT_EQ(arcCall(0, 0, 0), "arc 0,0 100,100 1050,50 1050,50");
    EXPECT_EQ(arcCall(0, 1, 0), arcCall(0, 10, 0));
    EXPECT_EQ(arcCall(-500, 99999, 0), arcCall(0, 36000, 0));
}

// Text hangs below its top left corner by its font's offset; an empty text
// selects its font and colour only; a font is selected again on return to it.
TEST_F(DisplayDrawingTest, TextIsPlacedPerFontAndSelectsFontsAndColoursLazily) {
    add<TextRecord>(10, 50, 0, "small");
    add<ColorRecord>(0, 128, 0, 1);
    add<TextRecord>(10, 50, 1, "");
    add<TextRecord>(10, 50, 1, "medium");
    add<TextRecord>(10, 50, 7, "large");
    add<TextRecord>(10, 50, 0, "a");
    add<TextRecord>(10, 50, 0, "b");
    EXPECT_EQ(drawn(), (Calls{"font 0", "textcolor 0 0 0", "text 11,41 small", "font 1",
                              "textcolor 0 128 0", "text 11,37 medium", "font 2",
                              "text 11,33 large", "font 0", "text 11,41 a", "text 11,41 b"}));
}
