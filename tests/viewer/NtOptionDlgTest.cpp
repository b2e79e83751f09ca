// The settings dialogs offscreen, the remote one against bound operations that
// answer a given result (RemoteViewerTest has it with a real server).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <string>
#include <vector>

#include "NtOptionDlg.h"
#include "RemoteSession.h"
#include "TraceOptionDlg.h"

namespace {

struct RemoteDialog {
    explicit RemoteDialog(int result, remote::RemoteSettings settings = {0, "localhost", 6500}) {
        dialog.bind(
            nullptr,
            [this, result](remote::RemoteHost*, int wanted, const std::string& server, int port) {
                calls.push_back(std::to_string(wanted) + " " + server + " " + std::to_string(port));
                return result;
            },
            [settings](const remote::RemoteHost*, remote::RemoteSettings& out) {
                out = settings;
                return true;
            });
        dialog.show();
    }
    QLineEdit* field(const char* name) { return dialog.findChild<QLineEdit*>(name); }
    QCheckBox* box() { return dialog.findChild<QCheckBox*>("remoteCtrl"); }
    void apply() { QTest::mouseClick(dialog.findChild<QPushButton*>("apply"), Qt::LeftButton); }

    NtOptionDlg dialog;
    std::vector<std::string> calls;  // "wanted server port"
};

}  // namespace

TEST(NtOptionDlgTest, ApplyShowsTheResultsWordAndAdjustsTheBox) {
    const struct {
        int result;
        const char* word;
        bool ticked, boxAfter;
    } rows[] = {
        {1, "connected", true, true},    {0, "disconnected", false, false},
        {-1, "invalid arg", true, true}, {-2, "ignored", false, false},
        {-3, "ignored", true, true},     {-4, "no create", true, false},
        {-5, "no host", true, false},    {-6, "no connect", true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.result);
        RemoteDialog remote(row.result);
        remote.box()->setChecked(row.ticked);
        remote.apply();
        EXPECT_EQ(remote.field("status")->text(), row.word);
        EXPECT_EQ(remote.box()->isChecked(), row.boxAfter);
        EXPECT_EQ(remote.calls, std::vector<std::string>{(row.ticked ? "1" : "0") +
                                                         std::string(" localhost 6500")});
    }
}

// Each opening shows the session's settings. The port is the number at the
// start of its field; Return applies and keeps the dialog open, Escape closes it.
TEST(NtOptionDlgTest, OpensWithTheSettingsAndAppliesTheNameAndLeadingPortNumber) {
    RemoteDialog remote(-6, {1, "device.lan", 6501});
    EXPECT_EQ(remote.field("server")->text() + remote.field("port")->text(), "device.lan6501");
    EXPECT_TRUE(remote.box()->isChecked());
    EXPECT_EQ(remote.field("status")->text(), "connected");
    remote.field("server")->setText(QString::fromLatin1("h\xF6st"));
    remote.field("port")->setText(" 77abc");
    remote.apply();
    remote.field("port")->setText("port");
    QTest::keyClick(remote.field("server"), Qt::Key_Return);
    EXPECT_TRUE(remote.dialog.isVisible());
    EXPECT_EQ(remote.calls, (std::vector<std::string>{"1 h\xF6st 77", "0 h\xF6st 0"}));
    QTest::keyClick(remote.field("server"), Qt::Key_Escape);
    EXPECT_FALSE(remote.dialog.isVisible());
}

// Apply and Return store the depth and root; Close and Escape keep the old ones.
TEST(TraceOptionDlgTest, ApplyAndReturnStoreCloseAndEscapeKeep) {
    viewer::TraceSettings settings{"kept", 7};
    // Ended by the button, or without one by the key in the root field.
    const auto change = [&settings](int depth, const char* shown, const char* button,
                                    Qt::Key key = Qt::Key_unknown) {
        TraceOptionDlg dialog(settings);
        dialog.show();
        dialog.findChild<QSlider*>("Slider1")->setValue(depth);
        auto* root = dialog.findChild<QLineEdit*>("root");
        root->setText(QStringLiteral("outer"));
        EXPECT_EQ(dialog.findChild<QLineEdit*>("depth")->text(), shown);
        if (button)
            QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
        else
            QTest::keyClick(root, key);
        EXPECT_FALSE(dialog.isVisible());
        return std::to_string(settings.depth) + " " + settings.root;
    };
    EXPECT_EQ(change(0, "NONE", "close"), "7 kept");
    EXPECT_EQ(change(100, "MAX", nullptr, Qt::Key_Escape), "7 kept");
    EXPECT_EQ(change(42, "42", "apply"), "42 outer");
    EXPECT_EQ(change(3, "3", nullptr, Qt::Key_Return), "3 outer");
}
