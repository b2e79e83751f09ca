// Graphic mode offscreen: the mode switch, the picture drawn from the display
// list and read back pixel by pixel, and clicks and keys on it that become
// event runs through the library.
#include <gtest/gtest.h>

#include <QStackedWidget>

#include <memory>
#include <string>
#include <vector>

#include "DialogFixture.h"
#include "display/ArcRecord.h"
#include "display/ColorRecord.h"
#include "display/PolyRecord.h"
#include "display/ShapeRecords.h"
#include "display/TextRecord.h"
#include "run/ZorCall.h"

using namespace display;

namespace {

// The event files of the runs that reached their test functions.
std::vector<std::string> eventRuns;
void recordRun() {
    eventRuns.push_back(readFile("xin.txt"));
}
ZorCall buttonRegistration("buttonpress", recordRun);
ZorCall keyRegistration("keypress", recordRun);

class GraphicModeTest : public DialogFixture {
protected:
    GraphicModeTest() { eventRuns.clear(); }

    void showGraphic() { action("&Graphic")->trigger(); }
    QWidget* pane() { return child<QWidget>("graphic"); }

    void draw(GraphicRecord* record) {
        dialog.displayList().append(std::unique_ptr<GraphicRecord>(record));
    }
};

}  // namespace

// Entering graphic mode is an event run, which starts a new picture; leaving
// it keeps the picture and shows the last run's output file again.
TEST_F(GraphicModeTest, SwitchingModesSwapsTheOutputPaneAndItsField) {
    script()->setPlainText("resultfile \"out.txt\"\nzortst { a = 1 }\n");
    showGraphic();
    EXPECT_EQ(child<QStackedWidget>("outputStack")->currentWidget(), pane());
    EXPECT_TRUE(script()->hasFocus());
    EXPECT_EQ(readFile("xin.txt"), "ongraphic{}");

    click("run");
    draw(new LineRecord(1, 1, 5, 5));
    action("&Textlog")->trigger();
    EXPECT_EQ(child<QStackedWidget>("outputStack")->currentWidget(), output());
    EXPECT_EQ(field("outputField"), "out.txt");
    EXPECT_EQ(dialog.displayList().size(), 1u);
    QTest::keyClick(script(), Qt::Key_F1);
    EXPECT_TRUE(action("&Graphic")->isChecked());
    EXPECT_TRUE(dialog.displayList().empty());
}

// A click is recorded where it hit and the Run button takes the keys that
// follow; keys typed into the script pane or the search field stay theirs.
// Only keys that a script string can carry are sent: a control character,
// the backquote or a character beyond ASCII would come back as a parse error
// of the event file. They are swallowed all the same, so that none presses Run.
TEST_F(GraphicModeTest, ClicksAndKeysARecordCanCarryAreRunAtOnce) {
    showGraphic();
    QTest::mouseClick(pane(), Qt::LeftButton, {}, QPoint(12, 345));
    QWidget* run = child<QPushButton>("run");
    EXPECT_TRUE(run->hasFocus());
    QTest::mouseClick(pane(), Qt::MiddleButton, {}, QPoint(3, 4));
    QTest::mouseClick(pane(), Qt::RightButton, {}, QPoint(12, 34));
    const auto key = [](const std::string& name) {
        return "keypress{x=12 y=34 key=\"" + name + "\"}";
    };
    std::vector<std::string> expected = {"buttonpress{x=12 y=345 button=0}",
                                         "buttonpress{x=3 y=4 button=1}",
                                         "buttonpress{x=12 y=34 button=2}",
                                         key("return"),
                                         key("esc"),
                                         key("tab")};
    for (const Qt::Key named : {Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Tab})
        QTest::keyClick(run, named);
    for (char32_t character = 1; character < 0x180; ++character) {
        const QString text = QString::fromUcs4(&character, 1);
        QTest::sendKeyEvent(QTest::Click, run, Qt::Key_unknown, text, Qt::NoModifier);
        if (character >= 0x20 && character < 0x7F && character != U'`')
            expected.push_back(key(character == U'"' ? "apostrophe" : text.toStdString()));
    }
    QTest::sendKeyEvent(QTest::Click, run, Qt::Key_C, QStringLiteral("\x03"), Qt::ControlModifier);
    for (const char* text : {"\u20ac", "\u2713", "e\u0301"})
        QTest::sendKeyEvent(QTest::Click, run, Qt::Key_unknown, QString::fromUtf8(text),
                            Qt::NoModifier);
    expected.push_back(key("e"));
    QTest::keyClicks(script(), QStringLiteral("x"));
    QTest::keyClick(script(), Qt::Key_Return);
    QTest::keyClicks(child<QLineEdit>("searchText"), QStringLiteral("y"));
    EXPECT_EQ(eventRuns, expected);
    EXPECT_EQ(field("outputField"), "X:0012 Y:0034");
    EXPECT_FALSE(script()->textCursor().hasSelection());
    EXPECT_EQ(script()->toPlainText(), "x\n");
    EXPECT_EQ(field("searchText"), "y");
    EXPECT_EQ(status(), key("e"));
    EXPECT_TRUE(dialog.isVisible());
}

// A device's screen drawn from every record kind. The dialog's picture is
// kept in the build folder.
TEST_F(GraphicModeTest, DeviceScreenIsDrawnAndKeptAsAPicture) {
    showGraphic();
    const int width = pane()->width() - 6;
    const auto color = [this](int r, int g, int b) { draw(new ColorRecord(r, g, b, 1)); };
    draw(new ColorRecord(28, 36, 52, 0));
    color(46, 109, 180);
    draw(new RectRecord(0, 0, width, 34, 1));
    color(255, 255, 255);
    draw(new TextRecord(10, 26, 2, "Carrier 7"));
    draw(new TextRecord(width - 60, 22, 1, "12:41"));
    color(90, 100, 120);
    draw(new RectRecord(14, 74, width - 14, 214, 0));
    const char* const buttons[] = {"Menu", "Call", "Back"};
    for (int i = 0; i < 3; ++i) draw(new RectRecord(14 + i * 80, 430, 84 + i * 80, 460, 0));
    color(230, 230, 240);
    for (int i = 0; i < 3; ++i) draw(new TextRecord(26 + i * 80, 452, 1, buttons[i]));
    draw(new TextRecord(14, 64, 1, "Signal, last 60 s"));
    draw(new TextRecord(14, 254, 1, "Traffic"));
    color(120, 220, 140);
    for (int i = 0; i < 12; ++i) {
        draw(new LineRecord(14 + 20 * i, 160 + 40 * (i % 2), 34 + 20 * i, 200 - 40 * (i % 2)));
        draw(new PointRecord(34 + 20 * i, 199 - 40 * (i % 2)));
    }
    const struct {
        int start, sweep, r, g, b;
        const char* legend;
    } shares[] = {{0, 15000, 66, 135, 245, "voice 42%"},
                  {15000, 9000, 236, 176, 46, "data 25%"},
                  {24000, 12000, 110, 160, 90, "messages 33%"}};
    for (int i = 0; i < 3; ++i) {
        color(shares[i].r, shares[i].g, shares[i].b);
        draw(new ArcRecord(24, 266, 164, 406, shares[i].start, shares[i].sweep, 1));
        draw(new RectRecord(186, 276 + 26 * i, 200, 290 + 26 * i, 1));
        draw(new TextRecord(208, 288 + 26 * i, 0, shares[i].legend));
    }
    draw(new ArcRecord(180, 350, 260, 410, 0, 27000, 0));
    color(236, 176, 46);
    draw(new PolyRecord({width - 70, width - 30, width - 50}, {380, 380, 345}, 1));

    QTest::mouseMove(pane(), QPoint(120, 200));
    const QImage image = picture();
    // The clear stays inside the pane's margin; a filled rectangle leaves out
    // its far edges, and a line (the last of the curve) its end point.
    EXPECT_EQ(image.pixelColor(2, 34), QColor(28, 36, 52));
    EXPECT_EQ(image.pixelColor(254, 159), QColor(120, 220, 140));
    EXPECT_EQ(image.pixelColor(254, 160), QColor(28, 36, 52));
    EXPECT_NE(image.pixelColor(width + 3, 40), QColor(28, 36, 52));
    EXPECT_EQ(image.pixelColor(130, 300), QColor(66, 135, 245));
    EXPECT_TRUE(dialog.grab().save(QStringLiteral(ZOR_GRAPHIC_SCREENSHOT)));
}
