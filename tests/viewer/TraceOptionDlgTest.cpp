// The trace settings dialog offscreen.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <string>

#include "TraceOptionDlg.h"

// Apply and Return store the depth and root; Close and Escape keep the old ones.
TEST(TraceOptionDlgTest, ApplyAndReturnStoreCloseAndEscapeKeep) {
    viewer::TraceSettings settings{"kept", 7};
    const auto change = [&settings](int depth, const char* shown, auto finish) {
        TraceOptionDlg dialog(settings);
        dialog.show();
        dialog.findChild<QSlider*>("Slider1")->setValue(depth);
        auto* root = dialog.findChild<QLineEdit*>("root");
        root->setText(QStringLiteral("outer"));
        EXPECT_EQ(dialog.findChild<QLineEdit*>("depth")->text(), shown);
        finish(dialog, root);
        EXPECT_FALSE(dialog.isVisible());
        return std::to_string(settings.depth) + " " + settings.root;
    };
    const auto click = [](const char* name) {
        return [name](TraceOptionDlg& dialog, QLineEdit*) {
            QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
        };
    };
    const auto key = [](Qt::Key k) {
        return [k](TraceOptionDlg&, QLineEdit* root) { QTest::keyClick(root, k); };
    };
    EXPECT_EQ(change(0, "NONE", click("close")), "7 kept");
    EXPECT_EQ(change(100, "MAX", key(Qt::Key_Escape)), "7 kept");
    EXPECT_EQ(change(42, "42", click("apply")), "42 outer");
    EXPECT_EQ(change(3, "3", key(Qt::Key_Return)), "3 outer");
}
