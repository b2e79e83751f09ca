// The trace settings dialog offscreen.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "TraceOptionDlg.h"

namespace {

struct TraceDialog {
    explicit TraceDialog(viewer::TraceSettings& settings) : dialog(settings) { dialog.show(); }

    QSlider* slider() { return dialog.findChild<QSlider*>("Slider1"); }
    QString depth() { return dialog.findChild<QLineEdit*>("depth")->text(); }
    QLineEdit* root() { return dialog.findChild<QLineEdit*>("root"); }
    void click(const char* name) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
    }

    TraceOptionDlg dialog;
};

}  // namespace

TEST(TraceOptionDlgTest, OpensWithTheStoredValues) {
    viewer::TraceSettings settings;
    TraceDialog trace(settings);
    EXPECT_EQ(trace.dialog.windowTitle(), "Trace Settings");
    EXPECT_EQ(trace.slider()->value(), 100);
    EXPECT_EQ(trace.depth(), "MAX");
    EXPECT_EQ(trace.root()->text(), "");
}

TEST(TraceOptionDlgTest, ApplyStoresDepthAndRoot) {
    viewer::TraceSettings settings;
    TraceDialog trace(settings);
    trace.slider()->setValue(0);
    EXPECT_EQ(trace.depth(), "NONE");
    trace.slider()->setValue(42);
    EXPECT_EQ(trace.depth(), "42");
    trace.root()->setText("outer");
    trace.click("apply");
    EXPECT_EQ(settings.depth, 42);
    EXPECT_EQ(settings.root, "outer");
    EXPECT_EQ(trace.dialog.result(), QDialog::Accepted);
}

TEST(TraceOptionDlgTest, CloseAndEscapeKeepTheStoredValues) {
    viewer::TraceSettings settings{"kept", 7};
    {
        TraceDialog trace(settings);
        trace.slider()->setValue(0);
        trace.root()->setText("changed");
        trace.click("close");
        EXPECT_FALSE(trace.dialog.isVisible());
    }
    {
        TraceDialog trace(settings);
        trace.slider()->setValue(90);
        QTest::keyClick(trace.root(), Qt::Key_Escape);
        EXPECT_FALSE(trace.dialog.isVisible());
    }
    EXPECT_EQ(settings.depth, 7);
    EXPECT_EQ(settings.root, "kept");
}

TEST(TraceOptionDlgTest, ReturnApplies) {
    viewer::TraceSettings settings;
    TraceDialog trace(settings);
    trace.slider()->setValue(3);
    QTest::keyClick(trace.root(), Qt::Key_Return);
    EXPECT_EQ(settings.depth, 3);
}
