// The trace settings dialog offscreen.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "TraceOptionDlg.h"

TEST(TraceOptionDlgTest, ApplyAndReturnStoreCloseAndEscapeKeep) {
    viewer::TraceSettings settings{"kept", 7};
    const auto run = [&](int depth, const char* root, auto finish) {
        TraceOptionDlg dialog(settings);
        dialog.show();
        dialog.findChild<QSlider*>("Slider1")->setValue(depth);
        dialog.findChild<QLineEdit*>("root")->setText(root);
        const QString shown = dialog.findChild<QLineEdit*>("depth")->text();
        finish(dialog);
        EXPECT_FALSE(dialog.isVisible());
        return shown;
    };
    const auto click = [](const char* name) {
        return [name](TraceOptionDlg& dialog) {
            QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
        };
    };
    const auto key = [](Qt::Key k) {
        return [k](TraceOptionDlg& dialog) {
            QTest::keyClick(dialog.findChild<QLineEdit*>("root"), k);
        };
    };
    EXPECT_EQ(run(0, "changed", click("close")), "NONE");
    EXPECT_EQ(run(100, "changed", key(Qt::Key_Escape)), "MAX");
    EXPECT_EQ(settings.depth, 7);
    EXPECT_EQ(settings.root, "kept");
    EXPECT_EQ(run(42, "outer", click("apply")), "42");
    EXPECT_EQ(settings.depth, 42);
    EXPECT_EQ(settings.root, "outer");
    run(3, "", key(Qt::Key_Return));
    EXPECT_EQ(settings.depth, 3);
}
